#pragma once
// What the window benchmarks share: the application as zeda's main makes it (offscreen
// unless a platform is named, the window's own style), private settings, and the window
// with every page, as the user gets it, without a port search or a hand-over server, so
// nothing outside the program is timed.
//
// User-interface thread only.
#include <QApplication>
#include <QTemporaryDir>
#include <memory>

#include "app/ui/main_form.h"
#include "app/ui/quick_frames_style.h"

namespace bench {

inline QApplication* App() {
  static int argc = 1;
  static char name[] = "zeda-bench";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    QApplication::setStyle(new zeda::QuickFramesStyle(QApplication::style()->name()));
    return a;
  }();
  return app;
}

// Settings in a folder of their own for as long as the object lives.
class PrivateSettings {
 public:
  PrivateSettings() {
    App();
    qputenv("ZEDA_SETTINGS_DIR", dir_.path().toLocal8Bit());
    qputenv("ZEDA_PORTS_ONLY", "1");
  }

 private:
  QTemporaryDir dir_;
};

// A laptop's screen: the size the pages are laid out for.
constexpr int kWidth = 1366;
constexpr int kHeight = 768;

inline std::unique_ptr<TMainForm> MakeForm() {
  TMainForm::Options options;
  options.listenForHandover = false;
  auto form = std::make_unique<TMainForm>(options);
  form->resize(kWidth, kHeight);
  return form;
}

}  // namespace bench
