#pragma once
// The main window's tables: creation (at most 50) and the per-tick hand-over of overlays
// and live values.
#include <cstdint>
#include <memory>
#include <vector>

#include "mapedit/tab_model.h"

namespace zeda {

// What the main window hands to its tables every tick.
struct TableTickInputs {
  bool mapsReloaded = false;  // maps were reloaded: their breakpoints count as unchanged
  // Overlays from the parameters: byte 248, words 79 and 77.
  int32_t baseAdvance = 0;
  int32_t limiter = 0;
  int32_t startLimiter = 0;
  uint32_t liveFlags = 0;
  int32_t rpm = 0;
  bool tpPresent = false;
  int32_t tpTenths = 0;
  int32_t iap = -1;
};

class TTableSet {
 public:
  // Refuses (nullptr) when 50 tables exist. Width and height 0 mean 500 x 200.
  TTab* CreateTable(int id, int width, int height, uint32_t style);

  int Count() const { return static_cast<int>(tables_.size()); }
  TTab& Table(int i) { return *tables_[i]; }
  TTab* FindById(int id);

  // Push-overlays word: bits 1 repaint, 2 re-render; non-zero hands the overlays to every
  // table on the next tick.
  uint32_t pushOverlays = 0;
  // "Autoscroll actual position", shared by all tables.
  bool autoscroll = true;

  void Tick(const TableTickInputs& in);
  // Every table's unconfirmed edit (open cell editor, waiting increment) committed now.
  void CommitPending();

  // For OnTableChanged: the overlays this table changed (they differ from what it was
  // given) into the parameter values; each one written sets bit 2 (re-render) of
  // pushOverlays so every table gets it on the next tick.
  void TakeOverlays(const TTab& t, int32_t& baseAdvance, int32_t& limiter, int32_t& startLimiter);

 private:
  std::vector<std::unique_ptr<TTab>> tables_;
};

}  // namespace zeda
