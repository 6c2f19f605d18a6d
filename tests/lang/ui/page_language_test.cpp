// Every page of the real window in German, in Czech and back in English: no control a
// user can read (hidden ones included, which other settings show) keeps a caption of the
// language before, and every caption comes from the translation tables (a control without
// a row keeps the language it was made in when the user switches).
// The open pickup monitor and the map editors switch with them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <set>
#include <string>
#include <vector>

#include "app/ui/window_fixture.h"
#include "lang/control_texts.h"
#include "lang/lang_string.h"
#include "lang/status_texts.h"
#include "lang/ui/page_captions.h"

namespace {

using window_test::WindowFixture;

QString Plain(QString text) {
  text.remove(QLatin1Char('&'));
  return text.trimmed();
}

// Texts of the tables split into single items (an item list holds one per line).
void AddItems(QSet<QString>& set, const char* text) {
  for (const QString& item : QString::fromUtf8(text).split(QLatin1Char('\n')))
    if (!Plain(item).isEmpty()) set.insert(Plain(item));
}

// What the tables offer in one language: the texts of that language, and the texts of
// the other languages that this one does not share (showing one of those means a caption
// was missed on the switch).
struct LanguageTexts {
  QSet<QString> own;
  QSet<QString> foreign;
};

LanguageTexts TextsOf(int language) {
  LanguageTexts t;
  QSet<QString> others;
  auto addRow = [&](const char* const text[3]) {
    for (int l = 0; l < zeda::kLanguageCount; ++l)
      AddItems(l == language ? t.own : others, text[l]);
  };
  for (const zeda::ControlText& row : zeda::MenuTextTable()) addRow(row.text);
  for (const zeda::ControlText& row : zeda::PageTextTable()) addRow(row.text);
  for (const zeda::StatusTextRow& row : zeda::StatusTextTable()) addRow(row.text);
  for (const QString& e : others)
    if (!t.own.contains(e)) t.foreign.insert(e);
  return t;
}

// Texts that are the same in every language: numbers, units, signs.
bool LanguageFree(const QString& text) {
  static const QRegularExpression kNoWords(
      QStringLiteral(R"(^[\d\s.,:;+\-*/%°#$<>=()\[\]]*(\[(rpm|ms|s|mV|V|Hz|h:mm|km/h|mm)\])?$)"));
  return kNoWords.match(text).hasMatch();
}

// The row that gives `w` its text: its own, its radio group's item list, or the row the
// tables hold for the text its page gave it (a LangString carries its own variants).
bool HasRow(const QWidget* w) {
  auto key = [](const QObject* o) { return o->objectName().toUtf8(); };
  auto rowFor = [&](const QObject* o, zeda::TextProperty p) {
    const QByteArray name = key(o);
    return !name.isEmpty() &&
           zeda::FindControlText(std::string_view(name.constData(), name.size()), p) != nullptr;
  };
  if (rowFor(w, zeda::TextProperty::Caption)) return true;
  const bool radioItem =
      qobject_cast<const QRadioButton*>(w) && w->parentWidget() && w->objectName().isEmpty();
  if (radioItem && rowFor(w->parentWidget(), zeda::TextProperty::Items)) return true;
  const QByteArray source = w->property("zedaSourceText").toByteArray();
  if (source.isEmpty()) return false;
  if (source.startsWith("###")) return true;
  const QByteArray name = key(radioItem ? w->parentWidget() : w);
  return zeda::FindEnglishText(std::string_view(name.constData(), name.size()),
                               std::string_view(source.constData(), source.size()))
      .has_value();
}

// A label the live monitor writes (named for what it shows): its text is composed, like
// the window's monitor texts, not a caption of the tables.
bool MonitorReading(const QWidget* w) { return w->property("zedaSpokenName").isValid(); }

struct Finding {
  std::string where;
  std::string text;
  std::string why;
};

class PageLanguageTest : public WindowFixture {
 protected:
  // Every readable text of the visible controls under `root`, with what is wrong with it.
  // `requireRows`: a caption without a row counts too (the pages' captions all come from
  // the tables; the window's monitor and status texts are composed).
  static void Inspect(QWidget* root, const QWidget* window, const LanguageTexts& texts,
                      std::vector<Finding>& out, bool requireRows = true) {
    auto check = [&](const QWidget* w, const QString& raw, bool needsRow, const QString& where) {
      const QString text = Plain(raw);
      if (text.isEmpty() || LanguageFree(text)) return;
      QString shown = where.isEmpty() ? w->objectName() : where;
      if (shown.isEmpty() && w->parentWidget())
        shown = w->parentWidget()->objectName() + QStringLiteral("/");
      if (!w->isVisibleTo(window)) shown += QStringLiteral(" (hidden)");
      const std::string name = shown.toStdString();
      if (texts.foreign.contains(text)) {
        out.push_back({name, text.toStdString(), "from another language"});
      } else if (requireRows && needsRow && !HasRow(w) && !MonitorReading(w)) {
        out.push_back({name, text.toStdString(), "no row in the tables"});
      }
    };
    for (QWidget* w : root->findChildren<QWidget*>()) {
      if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->textFormat() != Qt::RichText) check(w, l->text(), true, {});
      } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        check(w, g->title(), true, {});
      } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        check(w, b->text(), true, {});
      } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const QByteArray name = c->objectName().toUtf8();
        const bool hasItems = zeda::FindControlText(std::string_view(name.constData(), name.size()),
                                                    zeda::TextProperty::Items) != nullptr;
        for (int i = 0; i < c->count(); ++i)
          check(w, c->itemText(i), false, c->objectName() + QStringLiteral("[%1]").arg(i));
        if (requireRows && !hasItems && c->count() > 0 && !LanguageFree(Plain(c->itemText(0))))
          out.push_back({c->objectName().toStdString(), Plain(c->itemText(0)).toStdString(),
                         "items without a row"});
      } else if (auto* bar = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < bar->count(); ++i)
          if (texts.foreign.contains(Plain(bar->tabText(i))))
            out.push_back({"tab " + std::to_string(i), Plain(bar->tabText(i)).toStdString(),
                           "from another language"});
      }
    }
  }
};

// One line per distinct finding (the tab bar is seen once per page).
std::string Listing(const std::vector<Finding>& findings) {
  std::set<std::string> lines;
  for (const Finding& f : findings) lines.insert("  " + f.where + " \"" + f.text + "\": " + f.why);
  std::string s;
  for (const std::string& line : lines) s += line + "\n";
  return s;
}

TEST(PageLanguageRules, NumbersAndUnitsAreTheSameInEveryLanguage) {
  struct Case {
    const char* text;
    bool languageFree;
  };
  const Case cases[] = {{"12.5", true},      {"[rpm]", true},     {"-10 .. +10 %", true},
                        {"1/P [mV]", false}, {"TP 100 %", false}, {"Advance [°]", false},
                        {"#3", true},        {"$2", true},        {"rpm", false}};
  for (const Case& c : cases)
    EXPECT_EQ(LanguageFree(QString::fromUtf8(c.text)), c.languageFree) << c.text;
}

// A caption the page gave (at build or by its code at run time) follows the switch: by the
// row holding that English text, else the control's own row, else as given.
TEST(KeptSourceTexts, FollowTheLanguageByTheirEnglishText) {
  window_test::App();
  QWidget page;
  struct Case {
    const char* name;
    const char* source;
    const char* german;
  };
  const Case cases[] = {
      // Named, with a row of its own, showing another row's text (method 10).
      {"LabelRevWoIgnition", "Revolutions with collective ignitions",
       "Umdrehungen mit Sammelzündung"},
      // No name at all: the text's own row.
      {"", "Tachometer output", "Drehzahlmesserausgang"},
      // The page's short caption has no row: the control's row.
      {"ButtonTestIgn2", "Ign 2", "Zündung 2"},
      // Neither: kept.
      {"", "$3", "$3"},
      {"", "###Blocking##Blockierung##Blokování", "Blockierung"},
  };
  std::vector<QLabel*> labels;
  for (const Case& c : cases) {
    auto* l = new QLabel(QString::fromUtf8(c.source), &page);
    l->setObjectName(QString::fromLatin1(c.name));
    zeda::KeepSourceText(l, c.source, /*runTime=*/true);
    labels.push_back(l);
  }
  zeda::ApplyPageCaptions(&page, zeda::kGerman);
  for (size_t i = 0; i < labels.size(); ++i)
    EXPECT_EQ(labels[i]->text(), QString::fromUtf8(cases[i].german)) << cases[i].source;
  // A caption from the page's build gives way to the control's row; forgetting the page's
  // text leaves the row in charge too.
  zeda::KeepSourceText(labels[0], "Revolutions with collective ignitions");
  zeda::ApplyPageCaptions(&page, zeda::kCzech);
  EXPECT_EQ(labels[0]->text(), QStringLiteral("Otáčky bez zapalování"));
  zeda::KeepSourceText(labels[1], nullptr);
  labels[1]->setText(QStringLiteral("kept"));
  zeda::ApplyPageCaptions(&page, zeda::kEnglish);
  EXPECT_EQ(labels[0]->text(), QStringLiteral("Revolutions without ignition"));
  EXPECT_EQ(labels[1]->text(), QStringLiteral("kept"));
}

// A group's caption row is found by the group's own name: a group named otherwise than its
// row only borrows a caption with the same English text, which may read differently.
TEST_F(PageLanguageTest, EveryTitledGroupHasACaptionRowUnderItsOwnName) {
  auto form = MakeForm();
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(pages, nullptr);
  std::set<std::string> missing;
  for (const QGroupBox* g : pages->findChildren<QGroupBox*>()) {
    const QString title = Plain(g->title());
    if (title.isEmpty() || LanguageFree(title)) continue;
    const QByteArray name = g->objectName().toUtf8();
    if (!zeda::FindControlText(std::string_view(name.constData(), name.size()),
                               zeda::TextProperty::Caption))
      missing.insert(name.toStdString() + " \"" + title.toStdString() + "\"");
  }
  EXPECT_TRUE(missing.empty()) << ::testing::PrintToString(missing);
  // The Bike page's rpm group by name.
  auto* rpm = pages->findChild<QGroupBox*>(QStringLiteral("GroupBoxRpm"));
  ASSERT_NE(rpm, nullptr);
  EXPECT_NE(rpm->findChild<QWidget*>(QStringLiteral("UpDownRpmKorekce")), nullptr);
  form->findChild<QAction*>(QStringLiteral("MenuGerman"))->trigger();
  EXPECT_EQ(rpm->title(), QStringLiteral("Drehzahlmesserausgang"));
}

TEST_F(PageLanguageTest, NoPageKeepsACaptionOfTheLanguageBeforeOrWithoutTranslation) {
  auto form = MakeForm();
  auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  ASSERT_NE(pages, nullptr);
  form->resize(1366, 768);
  form->show();
  // The pickup monitor is open during the switches and must follow them too.
  QAction* pickup = form->findChild<QAction*>(QStringLiteral("MenuMonPickup"));
  ASSERT_NE(pickup, nullptr);
  pickup->trigger();
  QWidget* monitor = form->findChild<QWidget*>(QStringLiteral("FormMon"));
  ASSERT_NE(monitor, nullptr);
  const struct {
    int language;
    const char* item;
    const char* monitorTitle;
  } switches[] = {{zeda::kGerman, "MenuGerman", "PickUp-Monitor"},
                  {zeda::kCzech, "MenuCzech", "Monitor snímačů"},
                  {zeda::kEnglish, "MenuEnglish", "PickUp monitor"}};
  // Map editors as a screen reader names them: by their current sheet, in every language.
  const struct {
    const char* control;
    const char* sheet[zeda::kLanguageCount];
  } maps[] = {
      {"TabAdvance", {"Advance 1", "Vorzündung 1", "Předstih 1"}},
      {"TabTps", {"TP sensor", "TP-Sensor", "Snímač TP"}},
      {"TabIap", {"IAP sensor", "IAP-Sensor", "Snímač IAP"}},
      {"TabPOutPwm4",
       {"Power out 4 (pin 11)", "Leistungsausgang 4 (Pin 11)", "Výkonový výstup 4 (pin 11)"}},
  };
  for (const auto& [language, item, monitorTitle] : switches) {
    QAction* a = form->findChild<QAction*>(QString::fromLatin1(item));
    ASSERT_NE(a, nullptr);
    a->trigger();
    ASSERT_EQ(zeda::CurrentLanguage(), language);
    EXPECT_EQ(monitor->windowTitle(), QString::fromUtf8(monitorTitle));
    for (const auto& [control, sheet] : maps) {
      QWidget* w = form->findChild<QWidget*>(QString::fromLatin1(control));
      ASSERT_NE(w, nullptr) << control;
      QAccessibleInterface* map = QAccessible::queryAccessibleInterface(w);
      ASSERT_NE(map, nullptr) << control;
      EXPECT_EQ(map->text(QAccessible::Name), QString::fromUtf8(sheet[language]))
          << control << " in " << item;
    }
    const LanguageTexts texts = TextsOf(language);
    std::vector<Finding> findings;
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      QCoreApplication::processEvents();
      // With ZEDA_SHOT_DIR: a picture of every page in every language, to look for clipping.
      window_test::Shot(*form, ("page-" + std::string(item + 4) + "-" + std::to_string(i)).c_str());
      Inspect(pages, form.get(), texts, findings);
    }
    // The window around the pages: tool bar, monitor, player.
    std::vector<Finding> window;
    Inspect(form.get(), form.get(), texts, window, /*requireRows=*/false);
    EXPECT_TRUE(window.empty()) << item << " window:\n" << Listing(window);
    EXPECT_TRUE(findings.empty()) << item << ":\n" << Listing(findings);
  }
}

}  // namespace
