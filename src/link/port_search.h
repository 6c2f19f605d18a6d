#pragma once
// The port search: up to three ports probed at once, protocol row after protocol row,
// until a unit answers the identification request with the wanted key.
//
// Runs in the main thread, every second tick. It talks to the ports and to the frame
// codec of each slot only through SearchIo, so the decisions can be driven without a
// port; the link object implements SearchIo over its real ports.
#include <cstdint>

#include "base/colours.h"
#include "base/identity.h"
#include "base/status_sink.h"
#include "link/protocol_table.h"

namespace zeda {

// Slot states.
inline constexpr int32_t SLOT_FREE = 0;           // free, or ready for the next row
inline constexpr int32_t SLOT_OPENING = 1;        // port open requested, request about to go
inline constexpr int32_t SLOT_ASKED_ONCE = 2;     // request sent once
inline constexpr int32_t SLOT_BACKOFF = 3;        // after a close
inline constexpr int32_t SLOT_ASKED_TWICE = 4;    // request sent twice
inline constexpr int32_t SLOT_ANSWERED = 5;       // answer decoded
inline constexpr int32_t SLOT_PROTOCOL_FAIL = 6;  // neither request answered
inline constexpr int32_t SLOT_PORT_FAIL = 7;      // give the port up

inline constexpr int kSearchSlotCount = 3;
inline constexpr int kUnitNameSize = 32;  // 31 characters and the NUL

inline constexpr int32_t kComSettingOff = -1;
inline constexpr int32_t kComSettingAuto = 0;

inline constexpr int32_t kOpenGiveUpMs = 600;
inline constexpr int32_t kBackoffMs = 300;
inline constexpr int32_t kAddressedDefaultFrameSize = 48;

// What a slot knows about its port and the unit on it (the codec lives with SearchIo).
struct SearchSlot {
  int32_t port = 0;  // COM number, 0 = none
  int32_t row = 0;   // ProtocolTable row
  int32_t time = 0;  // tickMs when the state was entered
  int32_t state = SLOT_FREE;
  int32_t hardwareKey = -1;
  int32_t unitKey = -1;
  char unitName[kUnitNameSize] = {};
  int32_t frameSize = 0;    // longest frame the unit takes
  int32_t overhead = 0;     // 16 addressed frames, 2 block frames
  int32_t protocol = 0;     // protocol of the row the slot answered on
  bool knownFirst = false;  // probing the row that last connected this port, out of order
};

// What the search last saw on a port, so a caller can say why no unit was found there.
enum class PortFinding : uint8_t { None, Echo, OtherUnit };
struct PortSeen {
  PortFinding finding = PortFinding::None;
  int32_t unitKey = -1;  // OtherUnit: the key that answered
};

// Why the last open of a port failed, as far as the port layer knows it.
enum class PortOpenError { None, PermissionDenied, Busy, Other };

class SearchIo {
 public:
  virtual ~SearchIo() = default;
  virtual void SupervisePorts() = 0;
  virtual bool PortsScanned() const = 0;
  virtual bool PortPresent(int port) const = 0;
  // Open, and no open or close request pending.
  virtual bool PortIsOpen(int port) const = 0;
  // Closed, and no request pending.
  virtual bool PortIsClosed(int port) const = 0;
  virtual PortOpenError OpenError(int port) const = 0;
  // Device path ("/dev/ttyUSB0"), for messages.
  virtual const char* PortDevice(int port) const = 0;
  virtual void OpenPort(int port, int baud) = 0;
  virtual void ClosePort(int port) = 0;
  // The protocol row that last connected a unit on this port's device, probed first; -1
  // when none is known.
  virtual int32_t KnownRow(int /*port*/) const { return -1; }

  // The codec of search slot `slot`.
  virtual void ResetCodec(int slot, int32_t protocol, int32_t timeoutMs) = 0;
  // Builds the identification request of the codec's protocol (the block protocols that
  // take it carry paramWord) and rewinds the transmitter.
  virtual void BuildIdentify(int slot, int32_t paramWord) = 0;
  // Rewinds the transmitter when the request has gone out completely.
  virtual void RewindIfSent(int slot) = 0;
  // Passes the next part of the request to the port.
  virtual void ContinueSending(int slot, int port) = 0;
  // Runs the receiver over the port's ring; a complete frame is returned through frame
  // and its length, else 0.
  virtual int ReceiveFrame(int slot, int port, const uint8_t** frame) = 0;
  // The request frame of the slot's codec.
  virtual int RequestFrame(int slot, const uint8_t** frame) const = 0;
  // The slot found the unit: its codec becomes the active link's.
  virtual void TakeOverCodec(int slot) = 0;
};

class PortSearch {
 public:
  PortSearch(SearchIo& io, StatusSink* status);

  // One step of the search for all three slots.
  void SearchRun();

  // Settings and results.
  int32_t comSetting = kComSettingAuto;
  int32_t linkEnabled = 1;
  int32_t connectedPort = 0;
  int32_t wantedKey = kUnitKey;
  int32_t wantedSubKey = 0;
  int32_t nextPort = 1;
  bool portListChanged = false;  // set when a unit is found; cleared by the caller

  const SearchSlot& Slot(int s) const { return slots_[s]; }
  const SearchSlot& ActiveLink() const { return active_; }
  const PortSeen& Seen(int port) const { return seen_[port & 0xFF]; }
  ProtocolTable& Protocols() { return table_; }
  void SetStatusSink(StatusSink* status) { status_ = status; }

  // Decoding of identification answers (exposed for tests). Both fill hardwareKey,
  // unitKey, unitName, frameSize and overhead of `slot`; false when the frame is to be
  // ignored (not an identification answer).
  static bool DecodeBlockAnswer(int32_t protocol, const uint8_t* frame, int length,
                                SearchSlot& slot);
  static bool DecodeAddressedAnswer(const uint8_t* frame, int length, SearchSlot& slot);

 private:
  enum class Step { Next, EndLoop, Found };
  Step RunSlot(int s, bool again);
  void Backoff(SearchSlot& slot);
  void ShowPortHint(int s);
  int ChoosePort();
  bool HeldBySlot(int port) const;
  void Show(int statusSlot, const char* text, int32_t durationMs, Colour font, Colour back,
            int32_t priority);

  SearchIo& io_;
  StatusSink* status_;
  ProtocolTable table_;
  SearchSlot slots_[kSearchSlotCount];
  SearchSlot active_;
  bool comFoundTraced_ = false;
  uint8_t hinted_[256] = {};  // ports whose open failure was explained this run
  PortSeen seen_[256];
};

// The slot-1 message for a port that cannot be opened; empty for PortOpenError::None and
// Other. group is the group owning the device (may be empty).
void FormatPortHint(char* out, int size, const char* device, PortOpenError error,
                    const char* group);

}  // namespace zeda
