#pragma once
// The window's parameter pages: their logic, the map editors' table set, the widgets
// built for them inside PageControl1 and the one binder over all of them. The window
// makes it once at start-up, ticks it with its 55 ms timer and asks it to commit the
// pending edit before anything that reads or replaces the parameters.
//
// Thread contract: window thread only.
#include <QObject>
#include <memory>
#include <vector>

#include "mapedit/table_set.h"
#include "pages/page_binder.h"
#include "pages/page_logic.h"
#include "pages/ui/widget_controls.h"
#include "params/document.h"

class TMainForm;

namespace zeda {

class TTabWidget;

class PageSpinBox;

class PageHost {
 public:
  explicit PageHost(TMainForm& form);
  ~PageHost();
  PageHost(const PageHost&) = delete;
  PageHost& operator=(const PageHost&) = delete;

  // Makes every page and its widgets, loads them all and starts the undo ring.
  void Start();
  // The 55 ms tick: the map editors, then the binder (arrow-click commits, page ticks).
  void Tick();

  PageBinder& Binder() { return binder_; }
  WidgetControls& Controls() { return controls_; }
  TTableSet& Tables() { return tables_; }

 private:
  void InstallHooks();
  void UndoStateChanged();
  // What the map tables get every tick: the overlays as the image holds them and the
  // operating point from the live monitor values.
  TableTickInputs TickInputs() const;

  TMainForm& form_;
  TTableSet tables_;
  WidgetControls controls_;
  PageBinder binder_;
  std::vector<std::unique_ptr<PageLogic>> pages_;
  std::vector<TTabWidget*> editors_;
  // Every page's up-downs: a value typed but not yet confirmed is taken on a commit.
  std::vector<PageSpinBox*> spins_;
  // Every page was reloaded: the tables count their breakpoints as unchanged on the next
  // tick.
  bool mapsReloaded_ = false;
};

}  // namespace zeda
