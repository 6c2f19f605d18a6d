// A language switch with the window built and every page control present: the pages are
// stood in for by one control per caption and item row of the translation tables (label,
// group box with radio buttons, combo box), placed on the tab sheets as the pages would.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

#include "app/ui/main_form.h"
#include "lang/control_texts.h"
#include "lang/lang_string.h"

namespace {

QApplication* App() {
  static int argc = 1;
  static char name[] = "bench_language_switch_ui";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);
  return app;
}

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
  App();
  QTemporaryDir settings;
  qputenv("ZEDA_SETTINGS_DIR", settings.path().toLocal8Bit());
  qputenv("ZEDA_PORTS_ONLY", "1");
  TMainForm::Options options;
  options.listenForHandover = false;
  auto form = std::make_unique<TMainForm>(options);
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

}  // namespace

BENCHMARK_MAIN();
