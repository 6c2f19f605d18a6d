#include "mapedit/table_set.h"

namespace zeda {

TTab* TTableSet::CreateTable(int id, int width, int height, uint32_t style) {
  if (count() >= kMaxTables) return nullptr;
  auto t = std::make_unique<TTab>(id, style, width, height);
  t->autoscroll = &autoscroll;
  tables_.push_back(std::move(t));
  pushOverlays = 1;
  return tables_.back().get();
}

TTab* TTableSet::findById(int id) {
  for (auto& t : tables_)
    if (t->id == id) return t.get();
  return nullptr;
}

void TTableSet::Tick(const TableTickInputs& in) {
  for (auto& t : tables_) {
    if (in.mapsReloaded) {
      for (int i = 0; i < t->sheetCount; ++i) {
        CSheet& s = t->sheet(i);
        s.axisX.prevValues = s.axisX.values;
        s.axisY.prevValues = s.axisY.values;
      }
    }
    if (pushOverlays) {
      t->baseAdvance = in.baseAdvance;
      t->limiter = in.limiter;
      t->startLimiter = in.startLimiter;
      if (t->host) t->host->requestRedraw(static_cast<int>(pushOverlays & 3));
    }
    t->liveFlags = in.liveFlags;
    t->liveRpm = in.rpm;
    t->liveTp = in.tpPresent ? in.tpTenths / 10 : 100;
    t->liveIap = in.iap;
    t->Tick();
  }
  pushOverlays = 0;
}

void TTableSet::TakeOverlays(const TTab& t, int32_t& baseAdvance, int32_t& limiter,
                             int32_t& startLimiter) {
  if (t.baseAdvance != baseAdvance) baseAdvance = t.baseAdvance, pushOverlays |= 2;
  if (t.limiter != limiter) limiter = t.limiter, pushOverlays |= 2;
  if (t.startLimiter != startLimiter) startLimiter = t.startLimiter, pushOverlays |= 2;
}

}  // namespace zeda
