#pragma once
// Port hand-over: another program (a firmware loader) borrows the unit's COM port and
// gives it back. It sends one line "<com number> <code>\n" to the local socket
// kHandoverSocketName; numbers are decimal or 0x-hex. The codes keep the values of the
// window message the loaders were written for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/identity.h"

namespace zeda {

inline const std::string kHandoverSocketName = std::string("zeda-handover-") + kUnitKeyText;
inline constexpr int kPortHandoverMessage = 0x8309;

inline constexpr uint32_t kHandoverRelease = 0x7FFFFFA1;         // give up the port now
inline constexpr uint32_t kHandoverSpecialRelease = 0x7FFFFFA2;  // special command, then give up
inline constexpr uint32_t kHandoverTakeBack = 0x7FFFFFA4;        // the port is free again

struct HandoverMessage {
  int com = 0;
  uint32_t code = 0;
};

// Parses "<com> <code>" (surrounding blanks and a trailing CR/LF allowed). COM numbers
// run from 1 to 255; anything else is refused.
std::optional<HandoverMessage> ParseHandoverLine(std::string_view line);

enum class HandoverAction { Ignore, ReleasePort, SpecialThenRelease, TakeBackPort };

// What a message asks for. connectedPort: the COM number of the connected unit, -1 when
// none; rememberedPort: the port given away, -1 when none.
HandoverAction DecideHandover(const HandoverMessage& msg, int connectedPort, int rememberedPort);

// What the rest of the program does for a hand-over.
class HandoverHooks {
 public:
  virtual ~HandoverHooks() = default;
  virtual int connectedPort() const = 0;     // -1 without a connected unit
  virtual void DisconnectLink() = 0;         // close the port, link to "not connected"
  virtual void RequestSpecialCommand() = 0;  // the unit's special command, then release
  virtual void ResumeSearch() = 0;           // the port search may use the port again
  virtual void LinkEnabledChanged() = 0;     // title and language texts follow
};

// The hand-over state of the main window.
class PortHandover {
 public:
  // Applies one message; returns what was done.
  HandoverAction Handle(const HandoverMessage& msg, HandoverHooks& hooks);

  // Gives the port away at once (also the end of the special-command sequence).
  void Release(int com, HandoverHooks& hooks);
  // Takes the port back.
  void TakeBack(HandoverHooks& hooks);

  bool linkEnabled() const { return linkEnabled_; }
  int RememberedPort() const { return rememberedPort_; }

 private:
  bool linkEnabled_ = true;
  int rememberedPort_ = -1;
};

}  // namespace zeda
