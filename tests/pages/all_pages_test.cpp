// Every page made together: distinct indices, and the map pages' editors side by side in
// one table set without clashing ids.
#include "pages/all_pages.h"

#include <gtest/gtest.h>

#include <set>

#include "mapedit/table_set.h"
#include "monitor/live_values.h"
#include "pages/page_binder.h"
#include "pages/page_image.h"

namespace zeda::test {
namespace {

TEST(AllPages, PagesAndTheirTablesLiveTogether) {
  TTableSet tables;
  LiveValues live;
  PageContext context;
  context.tables = &tables;
  context.live = &live;
  std::vector<std::unique_ptr<PageLogic>> pages = MakeAllPages(context);

  Document document;

  ImageBuffers& buffers = document.Buffers();
  buffers.params = PageImage();
  MemoryControls controls;
  PageBinder binder(document, controls);
  std::set<int> indices;
  for (const auto& page : pages) {
    EXPECT_TRUE(indices.insert(page->Index()).second) << "page index " << page->Index();
    binder.AddPage(*page);
  }
  binder.CreatePages();
  binder.LoadAllPages();

  std::set<int> ids;
  std::set<std::string> names;
  int shown = 0;
  for (const auto& page : pages)
    for (const PageTable& t : page->Tables()) {
      ASSERT_NE(t.tab, nullptr);
      EXPECT_TRUE(ids.insert(t.tab->id).second) << t.name;
      EXPECT_TRUE(names.insert(t.name).second) << t.name;
      ++shown;
    }
  EXPECT_EQ(shown, tables.Count());
  for (int i = 0; i < kMaxPages; ++i) {
    if (binder.Page(i) == nullptr) continue;
    binder.ChangePage(i);
    binder.Tick();
  }
}

}  // namespace
}  // namespace zeda::test
