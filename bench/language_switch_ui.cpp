// A language switch with the window built and every page control present:
//  - the window with one more control per caption and item row of the translation tables
//    (label, group box with radio buttons, combo box) on the tab sheets: every row has a
//    control to rewrite, hidden, not painted;
//  - the window with its real pages, shown, with the layout and paint a switch causes.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <memory>

#include "app/ui/main_form.h"
#include "bench_window.h"
#include "lang/control_texts.h"
#include "lang/lang_string.h"

namespace {

void AddPageControls(QTabWidget* pages) {
  int n = 0;
  for (const zeda::ControlText& row : zeda::PageTextTable()) {
    QWidget* page = pages->widget(n++ % pages->count());
    const QString name = QString::fromUtf8(row.name);
    if (name.startsWith(QLatin1String("TabSheet")) ||
        name.startsWith(QLatin1String("CheckBoxProg")))
      continue;
    QWidget* w = nullptr;
    if (row.property == zeda::TextProperty::Items) {
      if (name.startsWith(QLatin1String("ComboBox"))) {
        auto* combo = new QComboBox(page);
        for (int i = 0; i < 21; ++i) combo->addItem(QString::number(i));
        w = combo;
      } else {
        auto* group = new QGroupBox(page);
        for (int i = 0; i < 4; ++i) new QRadioButton(group);
        w = group;
      }
    } else if (name.startsWith(QLatin1String("GroupBox")) ||
               name.startsWith(QLatin1String("RadioGroup"))) {
      w = new QGroupBox(page);
    } else {
      w = new QLabel(page);
    }
    w->setObjectName(name);
  }
  // Controls without a row: edits, up-downs and the like the pages also hold.
  for (int i = 0; i < 600; ++i) new QLabel(pages->widget(i % pages->count()));
}

void BM_LanguageSwitchWholeWindow(benchmark::State& state) {
  const bench::PrivateSettings settings;
  auto form = bench::MakeForm();
  AddPageControls(form->findChild<QTabWidget*>(QStringLiteral("PageControl1")));
  QAction* czech = form->findChild<QAction*>(QStringLiteral("MenuCzech"));
  QAction* german = form->findChild<QAction*>(QStringLiteral("MenuGerman"));
  bool toCzech = true;
  for (auto _ : state) {
    (toCzech ? czech : german)->trigger();
    toCzech = !toCzech;
  }
  state.counters["widgets"] = static_cast<double>(form->findChildren<QWidget*>().size());
  form.reset();
  zeda::SetCurrentLanguage(zeda::kEnglish);
}
BENCHMARK(BM_LanguageSwitchWholeWindow)->Unit(benchmark::kMillisecond);

// The window with its real pages, shown: a switch from the menu, with the layout and the
// paint the new captions cause.
void BM_LanguageSwitchShownWindow(benchmark::State& state) {
  const bench::PrivateSettings settings;
  auto form = bench::MakeForm();
  form->show();
  QCoreApplication::processEvents();
  QAction* czech = form->findChild<QAction*>(QStringLiteral("MenuCzech"));
  QAction* german = form->findChild<QAction*>(QStringLiteral("MenuGerman"));
  bool toCzech = true;
  for (auto _ : state) {
    (toCzech ? czech : german)->trigger();
    QCoreApplication::processEvents();
    toCzech = !toCzech;
  }
  state.counters["widgets"] = static_cast<double>(form->findChildren<QWidget*>().size());
  form.reset();
  zeda::SetCurrentLanguage(zeda::kEnglish);
}
BENCHMARK(BM_LanguageSwitchShownWindow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
