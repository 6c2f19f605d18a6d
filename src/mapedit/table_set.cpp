#include "mapedit/table_set.h"

namespace zeda {

TTab* TTableSet::CreateTable(int id, int width, int height, uint32_t style) {
  if (Count() >= kMaxTables) return nullptr;
  auto t = std::make_unique<TTab>(id, style, width, height);
  t->autoscroll = &autoscroll;
  tables_.push_back(std::move(t));
  pushOverlays = 1;
  return tables_.back().get();
}

TTab* TTableSet::FindById(int id) {
  for (auto& t : tables_)
    if (t->id == id) return t.get();
  return nullptr;
}

void TTableSet::Tick(const TableTickInputs& in) {
  // The word is taken before any table ticks: a table that commits during its tick sets
  // it again through TakeOverlays, and that request belongs to the next tick, when the
  // parameters hold the committed overlay. Clearing it after the pass would lose it.
  const uint32_t push = pushOverlays;
  pushOverlays = 0;
  // Every table gets the overlays and live values before the first one ticks, so a commit
  // inside one table's tick never leaves a later table with the older overlay.
  for (auto& t : tables_) {
    if (in.mapsReloaded) {
      for (int i = 0; i < t->sheetCount; ++i) {
        CSheet& s = t->Sheet(i);
        s.axisX.prevValues = s.axisX.values;
        s.axisY.prevValues = s.axisY.values;
      }
    }
    if (push) {
      t->baseAdvance = in.baseAdvance;
      t->limiter = in.limiter;
      t->startLimiter = in.startLimiter;
      t->givenBaseAdvance = in.baseAdvance;
      t->givenLimiter = in.limiter;
      t->givenStartLimiter = in.startLimiter;
      if (t->host) t->host->RequestRedraw(static_cast<int>(push & 3));
    }
    t->liveFlags = in.liveFlags;
    t->liveRpm = in.rpm;
    t->liveTp = in.tpPresent ? in.tpTenths / 10 : 100;
    t->liveIap = in.iap;
  }
  for (auto& t : tables_) t->Tick();
}

void TTableSet::CommitPending() {
  for (auto& t : tables_) t->CommitPendingEdit();
}

void TTableSet::TakeOverlays(const TTab& t, int32_t& baseAdvance, int32_t& limiter,
                             int32_t& startLimiter) {
  auto take = [this](int32_t mine, int32_t given, int32_t& param) {
    if (mine == given || mine == param) return;
    param = mine;
    pushOverlays |= 2;
  };
  take(t.baseAdvance, t.givenBaseAdvance, baseAdvance);
  take(t.limiter, t.givenLimiter, limiter);
  take(t.startLimiter, t.givenStartLimiter, startLimiter);
}

}  // namespace zeda
