// The one document through the real window: every command that replaces the parameters
// leaves the page on screen showing the new set, and a later edit of another field keeps
// the new set's values; an edit not yet confirmed (a typed value, an arrow click inside
// its delay, a map increment inside its delay, an open cell editor) lands in the set it was
// made on, before a command reads or replaces the parameters, and never over a new set.
// The unit is zedasim on a pty; Program is checked in the unit's saved memory.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/ui/window_fixture.h"
#include "link/device_ops.h"
#include "mapedit/ui/tab_widget.h"
#include "pages/advance_page.h"
#include "params/ign_load.h"
#include "params/param_addresses.h"
#include "params/param_fields.h"

namespace {

using window_test::WaitUntil;
using zeda::Field;
using zeda::FieldId;
using zeda::ParamImage;

constexpr int kMiscPage = 0;
constexpr int kBikePage = 1;
constexpr int kTickMs = 55;
// More ticks than an arrow click or a map edit waits before it commits.
constexpr int kSettleMs = 12 * kTickMs;

int Shown(const ParamImage& img, FieldId f, int element = 0) {
  return zeda::ReadShown(img, Field(f), element);
}

// The byte addresses where two images differ.
std::vector<int> Differing(const ParamImage& a, const ParamImage& b) {
  std::vector<int> out;
  for (int i = 0; i < zeda::PARAM_IMAGE_SIZE; ++i)
    if (a.Byte(i) != b.Byte(i)) out.push_back(i);
  return out;
}

// The byte addresses of a field.
std::vector<int> BytesOf(FieldId f) {
  std::vector<int> out;
  for (int i = Field(f).FirstByte(); i < Field(f).EndByte(); ++i) out.push_back(i);
  return out;
}

// Only bytes of `field` may differ (some of them must).
::testing::AssertionResult OnlyFieldDiffers(const ParamImage& before, const ParamImage& after,
                                            FieldId field) {
  const std::vector<int> d = Differing(before, after);
  const std::vector<int> allowed = BytesOf(field);
  std::string stray;
  for (int a : d)
    if (std::find(allowed.begin(), allowed.end(), a) == allowed.end())
      stray += " " + std::to_string(a);
  if (d.empty()) return ::testing::AssertionFailure() << Field(field).name << " did not change";
  if (!stray.empty())
    return ::testing::AssertionFailure()
           << "besides " << Field(field).name << " these bytes changed:" << stray;
  return ::testing::AssertionSuccess();
}

ParamImage ReadBin(const QString& path) {
  ParamImage img;
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (int i = 0; i < zeda::PARAM_IMAGE_SIZE && i < static_cast<int>(bytes.size()); ++i)
    img.SetByte(i, static_cast<uint8_t>(bytes[static_cast<size_t>(i)]));
  return img;
}

void WriteBin(const QString& path, const ParamImage& img) {
  std::ofstream(path.toStdString(), std::ios::binary)
      .write(reinterpret_cast<const char*>(img.Data()), zeda::PARAM_IMAGE_SIZE);
}

class DocumentWindowTest : public window_test::WindowFixture {
 protected:
  QTabWidget* Tabs(TMainForm& f) {
    return f.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  }
  QSpinBox* Spin(TMainForm& f, const char* name) {
    return f.findChild<QSpinBox*>(QString::fromLatin1(name));
  }
  // Types `value` into an up-down as a user does; Enter confirms it.
  void Type(QSpinBox* spin, int value, bool enter) {
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    if (enter) QTest::keyClick(spin, Qt::Key_Return);
  }
  // Lets the window's timer run `ms` milliseconds.
  void Run(int ms) { QTest::qWait(ms); }
  static void Trigger(TMainForm& f, const char* name) {
    QAction* a = f.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  zeda::TTabWidget* AdvanceMap(TMainForm& f) {
    return Tabs(f)->widget(zeda::kAdvancePageIndex)->findChild<zeda::TTabWidget*>();
  }
  // A set with a limiter and soft limiter that differ from the start set's.
  ParamImage NextImage(const ParamImage& from) {
    ParamImage img = from;
    const int limiter = Shown(from, FieldId::LIMITER) == 12500 ? 13000 : 12500;
    zeda::WriteShown(img, Field(FieldId::LIMITER), 0, limiter);
    zeda::WriteShown(img, Field(FieldId::START_LIMITER_DELAY), 0,
                     Shown(from, FieldId::START_LIMITER_DELAY) == 1500 ? 2000 : 1500);
    zeda::NormalizeParams(img);
    return img;
  }
  // Waits for the window connected to its simulated unit, checked and idle.
  bool WaitConnected(TMainForm& f) {
    return WaitUntil(
        [&] {
          return f.DeviceOps().UnitConnected() && f.Images().unitImageValid &&
                 !f.DeviceOps().Busy();
        },
        30000);
  }
  bool WaitIdle(TMainForm& f) {
    Run(3 * kTickMs);
    return WaitUntil([&] { return !f.DeviceOps().Busy(); }, 30000);
  }
};

// ---- every replacing command: the page shows the new set, and a later edit keeps it ----

struct Replacement {
  const char* name;
  // Brings the window to the state before the command (may be empty).
  std::function<void(TMainForm&)> prepare;
  // The command, as the user gives it.
  std::function<void(TMainForm&)> run;
};

TEST_F(DocumentWindowTest, EveryReplacementShowsTheNewSetAndALaterEditKeepsIt) {
  // `next.ign` holds another limiter and start limiter delay than the start set.
  std::vector<Replacement> rows;
  QString next;
  auto openNext = [&](TMainForm& f) {
    answers_ << next;
    Trigger(f, "MenuOpen");
  };
  rows.push_back({"Open", {}, openNext});
  rows.push_back({"Drop", {}, [&](TMainForm& f) { f.FilesDropped({next}); }});
  rows.push_back({"History",
                  [&](TMainForm& f) {
                    openNext(f);
                    Trigger(f, "MenuNew");  // the defaults; next.ign goes down the history
                  },
                  [&](TMainForm& f) { Trigger(f, "MenuHistory1"); }});
  rows.push_back({"New", openNext, [&](TMainForm& f) { Trigger(f, "MenuNew"); }});
  rows.push_back({"Undo", [&](TMainForm& f) { Type(Spin(f, "UpDownLimiter"), 12500, true); },
                  [&](TMainForm& f) { Trigger(f, "MenuZpet"); }});
  rows.push_back({"Redo",
                  [&](TMainForm& f) {
                    Type(Spin(f, "UpDownLimiter"), 12500, true);
                    Trigger(f, "MenuZpet");
                  },
                  [&](TMainForm& f) { Trigger(f, "MenuZnovu"); }});

  for (const Replacement& row : rows) {
    SCOPED_TRACE(row.name);
    auto form = MakeShownFormAt(kMiscPage);
    next = WriteIgn(QStringLiteral("next.ign"), NextImage(form->document.Params()));
    if (row.prepare) row.prepare(*form);
    Run(kSettleMs);
    const ParamImage before = form->document.Params();
    row.run(*form);
    Run(kSettleMs);
    const ParamImage replaced = form->document.Params();
    ASSERT_NE(Shown(replaced, FieldId::LIMITER), Shown(before, FieldId::LIMITER))
        << "the command did not replace the set";
    // The page on screen shows the new set.
    EXPECT_EQ(Spin(*form, "UpDownLimiter")->value(), Shown(replaced, FieldId::LIMITER));
    EXPECT_EQ(Spin(*form, "UpDownStartLimiterDelay")->value(),
              Shown(replaced, FieldId::START_LIMITER_DELAY));
    // An edit of another field changes that field and nothing else of the new set.
    QSpinBox* soft = Spin(*form, "UpDownSoftLimiter");
    Type(soft, soft->value() == 9000 ? 9500 : 9000, true);
    Run(kSettleMs);
    EXPECT_TRUE(OnlyFieldDiffers(replaced, form->document.Params(), FieldId::SOFT_LIMITER));
  }
}

// A bike preset answered "Yes" asks once, shows the defaults on every page and keeps them
// through a later edit.
TEST_F(DocumentWindowTest, ABikePresetAsksOnceAndALaterEditKeepsItsSet) {
  auto form = MakeShownFormAt(kMiscPage);
  const QString next = WriteIgn(QStringLiteral("next.ign"), NextImage(form->document.Params()));
  answers_ << next;
  Trigger(*form, "MenuOpen");
  int questions = 0;
  form->SetQuestionAsker([&](const QString&) {
    ++questions;
    return int(QMessageBox::Yes);
  });
  const ParamImage opened = form->document.Params();
  Tabs(*form)->setCurrentIndex(kBikePage);
  auto* bike = form->findChild<QComboBox*>(QStringLiteral("ComboBoxBike"));
  ASSERT_NE(bike, nullptr);
  const int other = bike->currentIndex() == 1 ? 2 : 1;
  bike->setFocus();
  bike->setCurrentIndex(other);
  Q_EMIT bike->activated(other);
  Run(kSettleMs);
  EXPECT_EQ(questions, 1);
  const ParamImage preset = form->document.Params();
  EXPECT_EQ(zeda::ReadStored(preset, FieldId::BIKE), bike->itemData(other).toInt());
  EXPECT_NE(Shown(preset, FieldId::LIMITER), Shown(opened, FieldId::LIMITER));
  Tabs(*form)->setCurrentIndex(kMiscPage);
  EXPECT_EQ(Spin(*form, "UpDownLimiter")->value(), Shown(preset, FieldId::LIMITER));
  QSpinBox* soft = Spin(*form, "UpDownSoftLimiter");
  Type(soft, soft->value() == 9000 ? 9500 : 9000, true);
  Run(kSettleMs);
  EXPECT_TRUE(OnlyFieldDiffers(preset, form->document.Params(), FieldId::SOFT_LIMITER));
  // One undo step takes the whole preset back.
  Trigger(*form, "MenuZpet");
  Trigger(*form, "MenuZpet");
  EXPECT_TRUE(Differing(opened, form->document.Params()).empty());
}

// A file named on the command line is shown once the window is up, and kept by a later edit.
TEST_F(DocumentWindowTest, AFileFromTheCommandLineIsShownAndKept) {
  const QString next = WriteIgn(QStringLiteral("next.ign"), NextImage(zeda::StartImage()));
  TMainForm::Options o;
  o.listenForHandover = false;
  o.commandLine.openPath = next.toStdString();
  auto form = std::make_unique<TMainForm>(o);
  form->SetSaveChangesAsker([](const QString&) { return int(QMessageBox::Discard); });
  form->resize(1366, 768);
  form->show();
  ASSERT_TRUE(WaitUntil([&] { return form->currentFileName == next; }, 5000));
  Run(kSettleMs);
  const ParamImage opened = form->document.Params();
  EXPECT_EQ(Spin(*form, "UpDownLimiter")->value(), Shown(opened, FieldId::LIMITER));
  QSpinBox* soft = Spin(*form, "UpDownSoftLimiter");
  Type(soft, soft->value() == 9000 ? 9500 : 9000, true);
  Run(kSettleMs);
  EXPECT_TRUE(OnlyFieldDiffers(opened, form->document.Params(), FieldId::SOFT_LIMITER));
}

// Read: the page shows what the unit holds; an edit afterwards and Program change exactly
// that field in the unit's memory.
TEST_F(DocumentWindowTest, ReadShowsTheUnitsSetAndProgramChangesOnlyTheEditedField) {
  auto form = MakeShownFormAt(kMiscPage);
  const ParamImage unit = NextImage(form->document.Params());
  const QString image = files_.filePath(QStringLiteral("unit.bin"));
  const QString saved = files_.filePath(QStringLiteral("saved.bin"));
  WriteBin(image, unit);
  ASSERT_TRUE(StartLinkedSimulator(*form, {"--image", image, "--save", saved}));
  ASSERT_TRUE(WaitConnected(*form));
  // An arrow click still waiting when Read is pressed goes into the set on screen.
  QSpinBox* limiter = Spin(*form, "UpDownLimiter");
  const int shownBefore = limiter->value();
  limiter->setFocus();
  limiter->stepBy(1);
  form->findChild<QPushButton*>(QStringLiteral("ButtonRead"))->click();
  ASSERT_TRUE(WaitIdle(*form));
  const ParamImage read = form->document.Params();
  EXPECT_TRUE(Differing(read, unit).empty()) << "the read set is not the unit's";
  EXPECT_EQ(limiter->value(), Shown(unit, FieldId::LIMITER));
  // The waiting click is one undo step back, in the set it was made on.
  Trigger(*form, "MenuZpet");
  EXPECT_EQ(Shown(form->document.Params(), FieldId::LIMITER), shownBefore + 50);
  Trigger(*form, "MenuZnovu");
  EXPECT_TRUE(Differing(read, form->document.Params()).empty());

  QSpinBox* soft = Spin(*form, "UpDownSoftLimiter");
  Type(soft, soft->value() == 9000 ? 9500 : 9000, true);
  Run(kSettleMs);
  const ParamImage edited = form->document.Params();
  EXPECT_TRUE(OnlyFieldDiffers(read, edited, FieldId::SOFT_LIMITER));
  form->findChild<QPushButton*>(QStringLiteral("ButtonProgram"))->click();
  ASSERT_TRUE(WaitIdle(*form));
  EXPECT_TRUE(OnlyFieldDiffers(unit, ReadBin(saved), FieldId::SOFT_LIMITER));
  EXPECT_TRUE(Differing(edited, ReadBin(saved)).empty());
}

// ---- edits not yet confirmed x the commands that read or replace the set ----

enum class Pending { ArrowClick, TypedValue, MapIncrement, OpenCellEditor };

const char* NameOf(Pending p) {
  switch (p) {
    case Pending::ArrowClick:
      return "arrow click";
    case Pending::TypedValue:
      return "typed value";
    case Pending::MapIncrement:
      return "map increment";
    case Pending::OpenCellEditor:
      return "open cell editor";
  }
  return "";
}

// The field an unconfirmed edit changes and the value it has once committed.
struct Made {
  FieldId field;
  int element;
  int value;
};

class UnconfirmedEditTest : public DocumentWindowTest {
 protected:
  void EveryCommandTakesItIntoTheSetItWasMadeOn(Pending kind);
  // Makes the edit on its page as a user does, without confirming it.
  Made MakeEdit(TMainForm& f, Pending p);
};

Made UnconfirmedEditTest::MakeEdit(TMainForm& f, Pending p) {
  switch (p) {
    case Pending::ArrowClick:
    case Pending::TypedValue: {
      Tabs(f)->setCurrentIndex(kMiscPage);
      QSpinBox* s = Spin(f, "UpDownLimiter");
      const int v = s->value() + 50;
      if (p == Pending::ArrowClick) {
        s->setFocus();
        s->stepBy(1);
      } else {
        Type(s, v, false);
      }
      return {FieldId::LIMITER, 0, v};
    }
    case Pending::MapIncrement:
    case Pending::OpenCellEditor: {
      Tabs(f)->setCurrentIndex(zeda::kAdvancePageIndex);
      zeda::TTabWidget* map = AdvanceMap(f);
      // Column 3 of the row the sheet shows (a sheet over rpm alone shows one row).
      const zeda::CSheet& sheet = map->Table().Cur();
      const int row = sheet.axisY.fixed ? sheet.axisY.fixedIndex : 0;
      const int cell = row * zeda::MAP_COLUMNS + 3;
      const int shown = Shown(f.document.Params(), FieldId::ADVANCE, cell);
      QTest::mouseClick(map, Qt::LeftButton, {}, map->ItemRect(3, row).center());
      if (p == Pending::MapIncrement) {
        QTest::keyClick(map, Qt::Key_Plus);
        const int v = map->Table().Cur().Cell(3, row);
        EXPECT_NE(v, shown) << "the increment did not step the cell";
        return {FieldId::ADVANCE, cell, v};
      }
      const int v = shown == 20 ? 21 : 20;
      QTest::keyClicks(map, QString::number(v));
      return {FieldId::ADVANCE, cell, v};
    }
  }
  return {FieldId::LIMITER, 0, 0};
}

TEST_F(UnconfirmedEditTest, AnArrowClick) {
  EveryCommandTakesItIntoTheSetItWasMadeOn(Pending::ArrowClick);
}
TEST_F(UnconfirmedEditTest, ATypedValue) {
  EveryCommandTakesItIntoTheSetItWasMadeOn(Pending::TypedValue);
}
TEST_F(UnconfirmedEditTest, AMapIncrement) {
  EveryCommandTakesItIntoTheSetItWasMadeOn(Pending::MapIncrement);
}
TEST_F(UnconfirmedEditTest, AnOpenCellEditor) {
  EveryCommandTakesItIntoTheSetItWasMadeOn(Pending::OpenCellEditor);
}

void UnconfirmedEditTest::EveryCommandTakesItIntoTheSetItWasMadeOn(Pending kind) {
  auto form = MakeShownFormAt(kMiscPage);
  const QString saved = files_.filePath(QStringLiteral("saved.bin"));
  ASSERT_TRUE(StartLinkedSimulator(*form, {"--save", saved}));
  ASSERT_TRUE(WaitConnected(*form));
  const QString other = WriteIgn(QStringLiteral("other.ign"), NextImage(form->document.Params()));

  auto make = [&](Pending p) { return MakeEdit(*form, p); };
  auto valueIn = [](const ParamImage& img, const Made& m) {
    return zeda::ReadShown(img, Field(m.field), m.element);
  };

  // What the command does with the set the edit went into.
  enum class Then {
    Keeps,     // reads it: the edit is in it
    Replaces,  // replaces it: the edit is one undo step back, nothing of it in the new set
    Undoes,    // steps back: the edit went in first, so undo takes exactly it back
  };
  struct Consumer {
    const char* name;
    Then then;
    std::function<void()> run;
  };
  const std::vector<Consumer> consumers = {
      {"Program", Then::Keeps,
       [&] {
         form->findChild<QPushButton*>(QStringLiteral("ButtonProgram"))->click();
         WaitIdle(*form);
       }},
      {"Verify", Then::Keeps,
       [&] {
         form->findChild<QPushButton*>(QStringLiteral("ButtonVerify"))->click();
         WaitIdle(*form);
       }},
      {"Save", Then::Keeps,
       [&] {
         answers_ << files_.filePath(QStringLiteral("saved.ign"));
         Trigger(*form, "MenuSaveAs");
       }},
      {"Page switch", Then::Keeps, [&] { Tabs(*form)->setCurrentIndex(kBikePage); }},
      {"Language switch", Then::Keeps,
       [&] {
         Trigger(*form, "MenuGerman");
         Trigger(*form, "MenuEnglish");
       }},
      {"Read", Then::Replaces,
       [&] {
         form->findChild<QPushButton*>(QStringLiteral("ButtonRead"))->click();
         WaitIdle(*form);
       }},
      {"Open", Then::Replaces,
       [&] {
         answers_ << other;
         Trigger(*form, "MenuOpen");
       }},
      {"Undo", Then::Undoes, [&] { Trigger(*form, "MenuZpet"); }},
  };

  // A new installation programs nothing before the unit was read once.
  form->findChild<QPushButton*>(QStringLiteral("ButtonRead"))->click();
  ASSERT_TRUE(WaitIdle(*form));
  {
    const Pending p = kind;
    for (const Consumer& c : consumers) {
      SCOPED_TRACE(std::string(NameOf(p)) + " then " + c.name);
      const ParamImage start = form->document.Params();
      const Made m = make(p);
      c.run();
      const ParamImage after = form->document.Params();
      if (c.then == Then::Undoes) {
        // The edit was one step: undo took exactly it back, and redo brings it again.
        EXPECT_TRUE(Differing(start, after).empty());
        Trigger(*form, "MenuZnovu");
        EXPECT_EQ(valueIn(form->document.Params(), m), m.value);
        EXPECT_TRUE(OnlyFieldDiffers(start, form->document.Params(), m.field));
      } else if (c.then == Then::Keeps) {
        EXPECT_EQ(valueIn(after, m), m.value);
        EXPECT_TRUE(OnlyFieldDiffers(start, after, m.field));
        if (std::string(c.name) == "Program") {
          EXPECT_TRUE(Differing(after, ReadBin(saved)).empty()) << "the unit did not get it";
        }
        if (std::string(c.name) == "Save") {
          zeda::ImageBuffers b;
          const zeda::IgnLoadResult r = zeda::LoadIgnFile(
              b, files_.filePath(QStringLiteral("saved.ign")).toStdString(), -1, false);
          ASSERT_TRUE(r.Accepted());
          EXPECT_EQ(valueIn(b.params, m), m.value) << "the file did not get it";
        }
      } else {
        // Nothing of the edit over the new set, now or after the delays have run out.
        Run(kSettleMs);
        const ParamImage now = form->document.Params();
        EXPECT_NE(valueIn(now, m), m.value);
        EXPECT_TRUE(Differing(after, now).empty());
        // The edit went into the set it was made on: one undo step back.
        Trigger(*form, "MenuZpet");
        EXPECT_EQ(valueIn(form->document.Params(), m), m.value);
        EXPECT_TRUE(OnlyFieldDiffers(start, form->document.Params(), m.field));
      }
    }
  }
}

// Close commits an unconfirmed edit first: "Save changes?" is asked about it, and the set
// the window saves at its end holds it.
TEST_F(UnconfirmedEditTest, CloseCommitsItFirst) {
  for (const Pending p :
       {Pending::ArrowClick, Pending::TypedValue, Pending::MapIncrement, Pending::OpenCellEditor}) {
    SCOPED_TRACE(NameOf(p));
    auto form = MakeShownFormAt(kMiscPage);
    // A file to compare with, so that the commit makes an unsaved change.
    answers_ << files_.filePath(QStringLiteral("mine.ign"));
    Trigger(*form, "MenuSaveAs");
    const ParamImage start = form->document.Params();
    const Made m = MakeEdit(*form, p);
    saveQuestions_ = 0;
    saveAnswer_ = QMessageBox::Discard;
    form->close();
    EXPECT_EQ(saveQuestions_, 1);
    EXPECT_EQ(zeda::ReadShown(form->document.Params(), Field(m.field), m.element), m.value);
    EXPECT_TRUE(OnlyFieldDiffers(start, form->document.Params(), m.field));
  }
}

}  // namespace

namespace {

// The unit's identification reaches the Bike page's unit labels and a saved file's HEX line.
TEST_F(DocumentWindowTest, TheUnitsIdentificationReachesTheBikePageAndTheFile) {
  auto form = MakeShownFormAt(kBikePage);
  auto* label = form->findChild<QLabel*>(QStringLiteral("LabelVerze1"));
  ASSERT_NE(label, nullptr);
  // Before the unit has told them, the labels say so.
  EXPECT_EQ(label->text(), QStringLiteral("Unit = --"));
  ASSERT_TRUE(StartLinkedSimulator(*form));
  ASSERT_TRUE(WaitConnected(*form));
  const zeda::IdTexts& id = form->DeviceOps().UnitIdTexts();
  ASSERT_NE(id.version, "Unit = --");
  // From the next monitor answer on (one is asked for every few ticks).
  EXPECT_TRUE(WaitUntil([&] { return label->text().toStdString() == id.version; }, 2000))
      << label->text().toStdString();
  answers_ << files_.filePath(QStringLiteral("unit.ign"));
  Trigger(*form, "MenuSaveAs");
  std::ifstream in(files_.filePath(QStringLiteral("unit.ign")).toStdString());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("HEX   " + id.date + "\t" + id.time + "\t" + id.version), std::string::npos)
      << text.substr(text.rfind("VERSIONS") == std::string::npos ? 0 : text.rfind("VERSIONS"));
}

}  // namespace
