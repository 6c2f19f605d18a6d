#pragma once
// Reader of .ign parameter files: a tolerant keyword scanner that also takes the keywords,
// layouts and unit families of older files and converts them.
#include <string>
#include <string_view>

#include "params/param_image.h"

namespace zeda {

// Files this large are not parameter files and are ignored.
inline constexpr size_t kIgnMaxFileSize = 10485760;

enum class IgnMessage {
  None,
  CrossTransformation,  // a related family's file, accepted in test mode
  OlderVersion,         // an older or another family's file, converted
  UnmatchedVersion,     // a key this program does not accept
};

// English text of a message ("" for None).
std::string IgnMessageText(IgnMessage m);

struct IgnReadOptions {
  int page = -1;          // -1 all pages, or the page whose group alone is stored
  bool messages = false;  // report the conversion / rejection message
  bool testMode = false;  // accept the cross-transformation keys
};

struct IgnReadResult {
  bool headerFound = false;               // "TORVELIX_KEY" was met
  int fileKey = 0;                        // the key read after it
  int acceptedKey = 0;                    // the key when accepted, else 0
  bool bikeSeen = false;                  // a "BIKE" or "PICKUP_SYSTEM" keyword was read
  bool advance2Seen = false;              // the file held map 2
  IgnMessage message = IgnMessage::None;  // set only with messages on
  bool Accepted() const { return acceptedKey != 0; }
};

// Reads .ign text into img. A file without header or with a rejected key changes nothing.
IgnReadResult ReadIgnText(std::string_view text, ParamImage& img, const IgnReadOptions& opt);

struct IgnFileReadResult {
  bool opened = false;    // the file could be read completely
  bool tooLarge = false;  // 10485760 bytes or more: ignored
  IgnReadResult read;
};

IgnFileReadResult ReadIgnFile(const std::string& path, ParamImage& img, const IgnReadOptions& opt);

}  // namespace zeda
