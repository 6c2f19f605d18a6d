#pragma once
// Texts describing a unit, derived from its 150-byte identification block.
//
// Characters are taken as the unit sends them (8-bit, Windows-1250).
#include <cstdint>
#include <string>

namespace zeda {

inline constexpr int kIdBlockSize = 150;

struct IdTexts {
  // Values before any block has been read.
  std::string version = "Unit = --";
  std::string date = "Date = --";
  std::string time = "--:--";
  std::string hardware;
  std::string serial;
  std::string lastUpdate;
  std::string additional;
};

// Each function reads only the bytes it names from a block of kIdBlockSize bytes.
std::string IdVersionText(const uint8_t* block);
std::string IdDateText(const uint8_t* block);
std::string IdTimeText(const uint8_t* block);
std::string IdHardwareText(const uint8_t* block);
std::string IdSerialText(const uint8_t* block);
// Shown in local time; empty when the stamp is 0 or all ones (never set).
std::string IdLastUpdateText(const uint8_t* block);
std::string IdAdditionalText(const uint8_t* block);

IdTexts DeriveIdTexts(const uint8_t* block);

// Month number text for the byte that holds the sum of the English month abbreviation's
// three letters: 25 -> " 1" ... 12 -> "12"; "00" when the sum is no month.
const char* IdMonthText(uint8_t letterSum);

}  // namespace zeda
