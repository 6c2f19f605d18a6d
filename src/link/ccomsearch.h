#pragma once
// The port search and the descriptor of the active link. The search steps themselves
// are filled in with the search; here is what the port stack and the link worker use.
#include <atomic>
#include <cstdint>
#include <string>

#include "base/status_sink.h"
#include "link/ccomiosys.h"
#include "link/frame_codec.h"
#include "link/port_search.h"
#include "link/port_search_io.h"

namespace zeda {

// A port under search, or the active link: what the search knows about the port and the
// unit on it, with the slot's frame codec.
struct LinkSlot : SearchSlot {
  FrameCodec codec;
};

class CCOMSEARCH : public CCOMIOSYS {
 public:
  CCOMSEARCH();
  ~CCOMSEARCH() override;

  // One search step; first supervises the ports.
  void SearchRun();

  // Makes `slot` the active link (the search does this when the unit is found). Main
  // thread. False (nothing changed) while the link worker still holds a cancelled job of
  // the previous link; the search tries again on its next run.
  bool ConnectLink(const LinkSlot& slot);
  // True when no link thread uses the active link's codec.
  virtual bool LinkQuiet() const { return true; }

  // The active link's port as the codec sees it.
  PortBuffers ActiveBuffers();

  int32_t comSetting = 0;  // -1 off, 0 automatic, n > 0 only COM n
  // 0 while another program holds the port (hand-over).
  std::atomic<int32_t> linkEnabled{1};
  // COM number of the active link, 0 when none. Written by the main thread.
  std::atomic<int32_t> connectedPort{0};
  int32_t wantedKey = kUnitKey;
  int32_t wantedSubKey = 0;
  int32_t nextPort = 1;
  // The search slots as the search left them after its last step (codecs included).
  LinkSlot slots[kSearchSlotCount];
  LinkSlot activeLink;
  // Where the search's messages to the user go (the main window); may stay null.
  StatusSink* statusSink = nullptr;
  // application.ini, where the row that connected each device is remembered and probed
  // first next time; empty: nothing remembered (set before the first SearchRun).
  std::string knownPortsIni;

  ProtocolTable& Protocols() { return search_.Protocols(); }
  // What the search last saw on a port (echo, another unit).
  const PortSeen& SearchSeen(int port) const { return search_.Seen(port); }

 private:
  static_assert(kSearchSlotCount == 3, "one codec pointer per search slot");
  FrameCodec* slotCodecs_[kSearchSlotCount] = {&slots[0].codec, &slots[1].codec, &slots[2].codec};
  LinkSlot found_;  // the slot that found the unit, with its codec
  PortSearchIo searchIo_{*this, slotCodecs_, found_.codec};
  PortSearch search_{searchIo_, nullptr};
};

}  // namespace zeda
