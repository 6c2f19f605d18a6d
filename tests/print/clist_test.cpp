#include "print/clist.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "print/print_kinds.h"

namespace zeda {
namespace {

void* Raw(int v) {
  auto* p = static_cast<int*>(std::malloc(sizeof(int)));
  *p = v;
  return p;
}
int Value(const CLIST& l, int i) { return *static_cast<int*>(l.At(i)); }

TEST(Clist, InsertingIntoAFullListGrowsItByItsStepInOrder) {
  void** external = nullptr;
  CLIST list(20, 20, true, &external);
  for (int i = 0; i < 20; ++i) list.Append(Raw(i));
  EXPECT_EQ(list.Capacity(), 20);
  list.Insert(5, Raw(100));
  EXPECT_EQ(list.Capacity(), 40);
  EXPECT_EQ(list.Count(), 21);
  ASSERT_NE(external, nullptr);  // kept pointing at the moved array
  EXPECT_EQ(*static_cast<int*>(external[5]), 100);
  for (int i = 0; i < 21; ++i) EXPECT_EQ(Value(list, i), i < 5 ? i : i == 5 ? 100 : i - 1);
}

TEST(Clist, PositionsOutsideTheListAppendAndRemovalsCheckTheirArguments) {
  CLIST list(2, 3, true);
  list.Insert(-1, Raw(1));
  list.Insert(99, Raw(2));
  list.Insert(0, Raw(0));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(Value(list, 0), 0);
  EXPECT_EQ(Value(list, 2), 2);
  EXPECT_EQ(list.RemoveAt(3), nullptr);
  EXPECT_EQ(list.RemoveAt(-1), nullptr);
  int stranger = 7;
  EXPECT_FALSE(list.Remove(&stranger));
  list.Delete(&stranger);  // absent: nothing happens
  EXPECT_EQ(list.Count(), 3);
  void* first = list.RemoveAt(0);
  EXPECT_EQ(*static_cast<int*>(first), 0);
  std::free(first);
  list.DeleteAt(0);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(Value(list, 0), 2);
  list.DeleteAll();
  EXPECT_EQ(list.Count(), 0);
}

TEST(Clist, AListThatDoesNotOwnItsElementsNeverFreesThem) {
  int a = 1, b = 2;
  {
    CLIST pages(20, 20, false);
    pages.Append(&a);
    pages.Append(&b);
    pages.DeleteAt(0);
    pages.DeleteAll();
    pages.Append(&a);
  }  // freeing a stack address would crash here
  SUCCEED();
}

struct Counted : COBJ {
  explicit Counted(int* n) : n(n) { ++*n; }
  ~Counted() override { --*n; }
  int* n;
};

TEST(Clist, ObjectListsDestroyTheirElementsThroughTheirDestructor) {
  int alive = 0;
  {
    CLISTOBJ list(50, 50);
    for (int i = 0; i < 120; ++i) list.Append(new Counted(&alive));
    EXPECT_EQ(alive, 120);
    EXPECT_EQ(list.Capacity(), 150);
    list.DeleteAt(3);
    EXPECT_EQ(alive, 119);
    list.Delete(list.At(0));
    EXPECT_EQ(alive, 118);
  }
  EXPECT_EQ(alive, 0);
  EXPECT_STREQ(ListError().what(), "Chyba LIST");
}

TEST(PrintKinds, TheTableGivesCodeAndTreatment) {
  struct Case {
    const char* name;
    int code;
    PrintTreatment treatment;
  } cases[] = {
      {"Label", 1, PrintTreatment::TransparentIfFace},
      {"UpDown", 2, PrintTreatment::HideIfVisible},
      {"DeciUpDown", 3, PrintTreatment::None},
      {"GroupBox", 9, PrintTreatment::ChildrenThenWhite},
      {"Tab", 10, PrintTreatment::PrintMode},
      {"TabSheet", 16, PrintTreatment::SheetChildren},
      {"CGauge", 17, PrintTreatment::HideIfVisible},
      {"ScrollBar", 27, PrintTreatment::HideIfVisible},
      {"Shape", 0, PrintTreatment::None},
      {"", 0, PrintTreatment::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PrintKindFor(c.name).code, c.code) << c.name;
    EXPECT_EQ(PrintKindFor(c.name).treatment, c.treatment) << c.name;
  }
}

}  // namespace
}  // namespace zeda
