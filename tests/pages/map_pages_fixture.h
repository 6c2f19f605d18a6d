#pragma once
// A binder over plain-value controls with one map page and a table set, counting commits.
#include <gtest/gtest.h>

#include "mapedit/table_set.h"
#include "monitor/live_values.h"
#include "pages/page_binder.h"
#include "pages/page_context.h"
#include "pages/page_image.h"

namespace zeda::test {

template <class Page>
class MapPageFixture : public ::testing::Test {
 protected:
  MapPageFixture() : binder(document, controls), page(Context()) {
    buffers.params = PageImage();
    binder.AddPage(page);
    BinderHooks hooks;
    hooks.snapshotTaken = [this] { ++snapshots; };
    binder.SetHooks(std::move(hooks));
    binder.CreatePages();
    binder.ChangePage(page.Index());
    binder.LoadAllPages();
    // Settle the image as a first commit would, so that a commit without an edit changes
    // nothing.
    binder.StoreActivePage();
    NormalizeParams(buffers.params);
    binder.LoadAllPages();
    binder.StartRing();
    snapshots = 0;
  }

  PageContext Context() {
    PageContext c;
    c.tables = &set;
    c.live = &live;
    return c;
  }
  ParamImage& Img() { return buffers.params; }

  // The tests read and drive these directly.
 public:
  TTableSet set;
  LiveValues live;
  Document document;
  ImageBuffers& buffers = document.Buffers();
  MemoryControls controls;
  PageBinder binder;
  Page page;
  int snapshots = 0;
};

}  // namespace zeda::test
