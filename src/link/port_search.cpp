#include "link/port_search.h"

#include <grp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/tick_clock.h"
#include "base/trace.h"
#include "link/frame_codec.h"
#include "link/unit_types.h"

namespace zeda {

namespace {

constexpr uint8_t kBlockIdentifyAnswer = CODE_MONITOR | kAnswerBit;

// How long the search's messages stay (0: until replaced).
constexpr int32_t kConnectedMs = 0;
constexpr int32_t kUnmatchedMs = 6000;
constexpr int32_t kPortHintMs = 10000;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

int32_t Elapsed(const SearchSlot& slot) { return tickMs() - slot.time; }

void SetState(SearchSlot& slot, int32_t state) {
  slot.state = state;
  slot.time = tickMs();
}

void ClearUnit(SearchSlot& slot) {
  slot.hardwareKey = -1;
  slot.unitKey = -1;
  slot.unitName[0] = 0;
  slot.frameSize = 0;
  slot.overhead = 0;
}

}  // namespace

PortSearch::PortSearch(SearchIo& io, StatusSink* status) : io_(io), status_(status) {
  table_.FillReserved(kOwnProtocolRow.protocol, kOwnProtocolRow.baud, kOwnProtocolRow.timeoutMs);
}

void PortSearch::Show(int statusSlot, const char* text, int32_t durationMs, Colour font,
                      Colour back, int32_t priority) {
  if (status_ != nullptr) status_->ShowStatus(statusSlot, text, durationMs, font, back, priority);
}

bool PortSearch::HeldBySlot(int port) const {
  for (const SearchSlot& s : slots_) {
    if (s.port == port) return true;
  }
  return false;
}

void PortSearch::Backoff(SearchSlot& slot) { SetState(slot, SLOT_BACKOFF); }

int PortSearch::ChoosePort() {
  int port = nextPort;
  if (port < 1 || port > 255) port = 1;
  for (int n = 0; n < 256; ++n) {
    if (io_.PortPresent(port) && !HeldBySlot(port)) {
      nextPort = port + 1 > 255 ? 1 : port + 1;
      return port;
    }
    port = port >= 255 ? 1 : port + 1;
  }
  return 0;
}

void PortSearch::SearchRun() {
  io_.SupervisePorts();
  if (!io_.PortsScanned() || connectedPort != 0 || !linkEnabled) return;
  if (!comFoundTraced_) {
    comFoundTraced_ = true;
    LinkTraceSink().Trace("COM found");
  }
  if (comSetting == kComSettingOff) {
    for (SearchSlot& s : slots_) {
      if (s.port != 0) io_.ClosePort(s.port);
      s.port = 0;
      s.state = SLOT_FREE;
    }
    return;
  }
  for (int s = 0; s < kSearchSlotCount; ++s) {
    const Step step = RunSlot(s, false);
    if (step != Step::Next) return;
  }
}

PortSearch::Step PortSearch::RunSlot(int s, bool again) {
  SearchSlot& slot = slots_[s];

  // a. Back-off: the port closed means the next row on it; too long means give it up.
  if (slot.state == SLOT_BACKOFF) {
    if (io_.PortIsClosed(slot.port)) {
      slot.state = SLOT_FREE;
    } else if (Elapsed(slot) > kBackoffMs) {
      slot.port = 0;
      slot.state = SLOT_FREE;
    }
  }

  // b. A fixed port other than the one held. A free slot has nothing to close; it picks
  // the fixed port in step i.
  if (comSetting > 0 && slot.port != 0 && slot.port != comSetting) {
    LinkTraceSink().Tracef("[%i]FORCE CLOSE - Close port COM%i", s, slot.port);
    io_.ClosePort(slot.port);
    slot.port = 0;
    Backoff(slot);
  }

  // c. Opening.
  if (slot.state == SLOT_OPENING) {
    if (io_.OpenError(slot.port) != PortOpenError::None) ShowPortHint(s);
    if (Elapsed(slot) > kOpenGiveUpMs) {
      LinkTraceSink().Tracef("[%i] Not Openning...", s);
      slot.state = SLOT_PORT_FAIL;
    } else if (io_.PortIsOpen(slot.port)) {
      const ProtocolRow& row = table_.Row(slot.row);
      io_.ResetCodec(s, row.protocol, row.timeoutMs);
      io_.BuildIdentify(s, wantedSubKey * 256 + wantedKey);
      io_.ContinueSending(s, slot.port);
      SetState(slot, SLOT_ASKED_ONCE);
      LinkTraceSink().Tracef("[%i] Send Once (%s)...", s, ProtocolName(row.protocol));
    }
  }

  // d. No answer within the row's timeout.
  if ((slot.state == SLOT_ASKED_ONCE || slot.state == SLOT_ASKED_TWICE) &&
      Elapsed(slot) > table_.Row(slot.row).timeoutMs) {
    if (slot.state == SLOT_ASKED_ONCE) {
      io_.RewindIfSent(s);
      SetState(slot, SLOT_ASKED_TWICE);
      LinkTraceSink().Tracef("[%i] Send Again...", s);
    } else {
      SetState(slot, SLOT_PROTOCOL_FAIL);
    }
  }

  // e. Asked: send on, look for the answer.
  if (slot.state == SLOT_ASKED_ONCE || slot.state == SLOT_ASKED_TWICE) {
    io_.ContinueSending(s, slot.port);
    const uint8_t* frame = nullptr;
    const int length = io_.ReceiveFrame(s, slot.port, &frame);
    if (length > 0) {
      LinkTraceSink().Tracef("[%i] Frame rec (%i)...", s, length);
      const uint8_t* request = nullptr;
      const int requestLength = io_.RequestFrame(s, &request);
      const int32_t protocol = table_.Row(slot.row).protocol;
      if (length == requestLength && std::memcmp(frame, request, length) == 0) {
        LinkTraceSink().Tracef("[%i] ECHO !", s);
        seen_[slot.port & 0xFF] = PortSeen{PortFinding::Echo, -1};
        SetState(slot, SLOT_PORT_FAIL);
      } else if (IsAddressedProtocol(protocol)) {
        if (DecodeAddressedAnswer(frame, length, slot)) {
          slot.protocol = protocol;
          SetState(slot, SLOT_ANSWERED);
        }
      } else if (DecodeBlockAnswer(protocol, frame, length, slot)) {
        slot.protocol = protocol;
        SetState(slot, SLOT_ANSWERED);
      }
    }
  }

  // f. Answered: the wanted unit, or another one.
  if (slot.state == SLOT_ANSWERED) {
    char text[320];
    if (slot.unitKey == wantedKey) {
      active_ = slot;
      io_.TakeOverCodec(s);
      for (SearchSlot& other : slots_) {
        if (&other != &slot && other.port != 0) io_.ClosePort(other.port);
      }
      const int32_t port = slot.port;
      for (SearchSlot& other : slots_) other = SearchSlot{};
      portListChanged = true;
      nextPort = port;
      connectedPort = port;
      const char* n = active_.unitName;
      std::snprintf(text, sizeof text, "###%s connected##%s verbunden##%s připojen", n, n, n);
      Show(StatusSlot::kConnection, text, kConnectedMs, kColourBlack, kColourWhite,
           kPriorityConnected);
      LinkTraceSink().Tracef("[%i]%s", s, text);
      return Step::Found;
    }
    const char* n = slot.unitName;
    const int p = slot.port;
    std::snprintf(text, sizeof text,
                  "###COM %i:%s (unmatched)##COM %i:%s verbunden (unübertroffen)"
                  "##COM %i:%s připojen (nekompatibilní)",
                  p, n, p, n, p, n);
    LinkTraceSink().Tracef("[%i]%s", s, text);
    Show(StatusSlot::kConnection, text, kUnmatchedMs, kColourBlack, kColourRed, kPriorityNormal);
    seen_[slot.port & 0xFF] = PortSeen{PortFinding::OtherUnit, slot.unitKey};
    slot.state = SLOT_PORT_FAIL;
  }

  // g. Port failed.
  if (slot.state == SLOT_PORT_FAIL) {
    LinkTraceSink().Tracef("[%i]FAIL PORT - Close port COM%i", s, slot.port);
    io_.ClosePort(slot.port);
    slot.port = 0;
    Backoff(slot);
  }

  // h. Protocol failed: keep the port open when the next row runs at the same speed.
  if (slot.state == SLOT_PROTOCOL_FAIL) {
    const int next = slot.row + 1;
    if (slot.port != 0 && !table_.IsEnd(next) &&
        table_.Row(next).baud == table_.Row(slot.row).baud) {
      LinkTraceSink().Tracef("[%i]FAIL PROTOCOL - skip port closing", s);
      slot.state = SLOT_FREE;
    } else {
      LinkTraceSink().Tracef("[%i]FAIL PROTOCOL - Close port COM%i", s, slot.port);
      io_.ClosePort(slot.port);
      Backoff(slot);
    }
  }

  // i. Free: the next row on the same port, or a new port.
  if (slot.state != SLOT_FREE) return Step::Next;
  if (slot.port != 0) {
    // After the remembered row the port is searched from the start as usual.
    if (slot.knownFirst) slot.row = -1;
    slot.knownFirst = false;
    do {
      ++slot.row;
    } while (table_.Row(slot.row).protocol == kProtoUnfilled);
    if (table_.IsEnd(slot.row)) slot.port = 0;
  }
  if (slot.port == 0) {
    int port = 0;
    if (comSetting > 0) {
      if (s != 0) return Step::EndLoop;
      if (HeldBySlot(comSetting)) return Step::Next;  // still being given up by another slot
      port = comSetting;
    } else {
      port = ChoosePort();
      if (port == 0) return Step::Next;
    }
    slot.port = port;
    slot.row = 0;
    while (table_.Row(slot.row).protocol == kProtoUnfilled) ++slot.row;
    // A unit connected here before: its row first, so it is back in a second.
    const int32_t known = io_.KnownRow(port);
    slot.knownFirst = known > 0 && !table_.IsEnd(known);
    if (slot.knownFirst) slot.row = known;
  }
  ClearUnit(slot);
  const ProtocolRow& row = table_.Row(slot.row);
  io_.ResetCodec(s, row.protocol, row.timeoutMs);
  if (io_.PortIsOpen(slot.port)) {
    LinkTraceSink().Tracef("[%i]...skip onening port COM%i, Protocol=%i, Timeout=%i", s, slot.port,
                           row.protocol, row.timeoutMs);
    SetState(slot, SLOT_OPENING);
    if (!again) return RunSlot(s, true);
    return Step::Next;
  }
  io_.OpenPort(slot.port, row.baud);
  LinkTraceSink().Tracef("[%i]Open Port COM%i, Protocol=%i, Timeout=%i", s, slot.port, row.protocol,
                         row.timeoutMs);
  SetState(slot, SLOT_OPENING);
  return Step::Next;
}

void PortSearch::ShowPortHint(int s) {
  const int port = slots_[s].port;
  if (port <= 0 || port > 255 || hinted_[port]) return;
  const PortOpenError error = io_.OpenError(port);
  if (error != PortOpenError::PermissionDenied && error != PortOpenError::Busy) return;
  hinted_[port] = 1;
  const char* device = io_.PortDevice(port);
  char group[64] = "";
  struct stat st {};
  if (device != nullptr && stat(device, &st) == 0) {
    struct group g {};
    struct group* found = nullptr;
    char buffer[1024];
    if (getgrgid_r(st.st_gid, &g, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
      std::snprintf(group, sizeof group, "%s", found->gr_name);
    }
  }
  char text[640];
  FormatPortHint(text, sizeof text, device != nullptr ? device : "", error, group);
  LinkTraceSink().Tracef("[%i]%s", s, text);
  Show(StatusSlot::kConnection, text, kPortHintMs, kColourBlack, kColourRed, kPriorityPortHint);
}

void FormatPortHint(char* out, int size, const char* device, PortOpenError error,
                    const char* group) {
  if (size <= 0) return;
  out[0] = 0;
  if (error == PortOpenError::PermissionDenied) {
    // A group that is nobody's to join (root) is no help; the usual one is.
    const char* g =
        (group == nullptr || group[0] == 0 || std::strcmp(group, "root") == 0) ? "dialout" : group;
    std::snprintf(out, size,
                  "###Cannot open %s: permission denied. Add your user to the group %s and "
                  "log in again."
                  "##%s kann nicht geöffnet werden: Zugriff verweigert. Nehmen Sie Ihren "
                  "Benutzer in die Gruppe %s auf und melden Sie sich neu an."
                  "##%s nelze otevřít: přístup odepřen. Přidejte svého uživatele do skupiny "
                  "%s a přihlaste se znovu.",
                  device, g, device, g, device, g);
  } else if (error == PortOpenError::Busy) {
    std::snprintf(out, size,
                  "###%s is busy: another program holds it."
                  "##%s ist belegt: ein anderes Programm benutzt ihn."
                  "##%s je obsazen: používá ho jiný program.",
                  device, device, device);
  }
}

bool PortSearch::DecodeBlockAnswer(int32_t protocol, const uint8_t* frame, int length,
                                   SearchSlot& slot) {
  if (length < 1 || frame[0] != kBlockIdentifyAnswer) return false;
  slot.hardwareKey = -1;
  slot.overhead = 2;
  const int n = BlockProtocolSize(protocol);
  if (n == 0 || length < n + 2) {
    slot.frameSize = 52;
    slot.unitKey = -1;
    std::snprintf(slot.unitName, sizeof slot.unitName, "Torvelix (unknown)");
    return true;
  }
  slot.frameSize = n + 2;
  if (protocol == PROTOCOL_IGN300) {
    slot.unitKey = frame[2] << 8 | frame[3];
  } else {
    slot.unitKey = frame[n];
  }
  const char* model = UnitModelName(slot.unitKey);
  if (model != nullptr) {
    std::snprintf(slot.unitName, sizeof slot.unitName, "%s v%i", model, slot.unitKey);
  } else {
    std::snprintf(slot.unitName, sizeof slot.unitName, "Torvelix %i", slot.unitKey);
  }
  return true;
}

bool PortSearch::DecodeAddressedAnswer(const uint8_t* frame, int length, SearchSlot& slot) {
  if (length < kAddressedHeader + 2) return false;
  if ((frame[7] & 0x0F) != 0x0C || Le16(frame + 8) != CMD_IDENTIFY) return false;
  int dataLength = Le16(frame + 12);
  if (dataLength > length - kAddressedHeader - 2) dataLength = length - kAddressedHeader - 2;
  const uint8_t* data = frame + kAddressedHeader;

  char text[kUnitNameSize];
  int i = 0;
  int t = 0;
  while (i < dataLength && data[i] != 0) {
    if (t < kUnitNameSize - 1) text[t++] = static_cast<char>(data[i]);
    ++i;
  }
  text[t] = 0;
  if (i < dataLength) ++i;  // the NUL

  slot.overhead = 16;
  slot.frameSize = kAddressedDefaultFrameSize;
  slot.hardwareKey = -1;
  slot.unitKey = -1;
  int32_t values[3];
  int count = 0;
  while (count < 3 && i + 2 <= dataLength) {
    values[count++] = Le16(data + i);
    i += 2;
  }
  if (count >= 1) {
    // Only a frame size whose data block fits a frame; 0 or less would never end a job,
    // more than a frame carries would skip bytes.
    const int32_t block = values[0] - slot.overhead;
    if (block >= 1 && block <= kMaxAddressedData) slot.frameSize = values[0];
  }
  if (count >= 2) slot.hardwareKey = values[1];
  if (count >= 3) slot.unitKey = values[2];
  // The name is cut to what the slot holds (31 characters).
  char full[96];
  std::snprintf(full, sizeof full, "%s v%i (hw:%x)", text, slot.unitKey,
                static_cast<unsigned>(slot.hardwareKey));
  const size_t cut = std::min(std::strlen(full), sizeof slot.unitName - 1);
  std::memcpy(slot.unitName, full, cut);
  slot.unitName[cut] = '\0';
  return true;
}

}  // namespace zeda
