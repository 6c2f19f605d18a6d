#pragma once
// A binder over plain-value controls with the Miscellaneous page and a small second page,
// counting what the binder asks of the window.
#include <gtest/gtest.h>

#include <vector>

#include "pages/misc_page.h"
#include "pages/page_binder.h"
#include "params/defaults.h"
#include "params/normalize.h"

namespace zeda::test {

// A stand-in for a second page (index 1): one up-down and one check box.
inline constexpr Binding kOtherRows[] = {
    UpDown("UpDownKompenz", "Compensation ", "LabelKompenz", FieldId::COMPENSATION, 0, 255),
    Check("CheckBoxSpecStart", "Lower advance by start (next edge)", FieldId::SPECIAL_START),
};
class OtherPage final : public PageLogic {
 public:
  int Index() const override { return 1; }
  std::span<const Binding> Rows() const override { return kOtherRows; }
};

class PagesFixture : public ::testing::Test {
 protected:
  PagesFixture() : binder(document, controls) {
    buffers.params = StartImage();
    NormalizeParams(buffers.params);
    binder.AddPage(misc);
    binder.AddPage(other);
    BinderHooks hooks;
    hooks.showPage = [this](int p) { shown.push_back(p); };
    hooks.autoProgram = [this] { return autoProgram; };
    hooks.program = [this] { ++programs; };
    hooks.compare = [this] { ++compares; };
    hooks.snapshotTaken = [this] { ++snapshots; };
    binder.SetHooks(std::move(hooks));
    binder.CreatePages();
    binder.LoadAllPages();
    // Settle the image as a first commit would (the page store also sets the dwell time
    // from the dwell mode), so that a commit without an edit changes nothing.
    binder.StoreActivePage();
    NormalizeParams(buffers.params);
    binder.LoadAllPages();
    binder.StartRing();
    snapshots = 0;
  }

  // Clicks an up-down arrow: the position moves by its step, then the change is raised.
  void Arrow(const char* upDown, int steps) {
    controls.SetPosition(upDown, controls.Position(upDown) + steps);
    binder.ControlChanged(upDown, ChangeKind::ArrowClick);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) binder.Tick();
  }
  int Limiter() const { return buffers.params.Word(Adrw::LIMITER); }

  // The tests read and drive these directly.
 public:
  Document document;
  ImageBuffers& buffers = document.Buffers();
  MemoryControls controls;
  PageBinder binder;
  MiscPage misc;
  OtherPage other;
  bool autoProgram = false;
  int programs = 0;
  int compares = 0;
  int snapshots = 0;
  std::vector<int> shown;
};

}  // namespace zeda::test
