// zeda: the desktop program.
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "app/ui/main_form.h"
#include "app/ui/quick_frames_style.h"
#include "base/identity.h"
#include "base/message_box.h"
#include "base/trace.h"

namespace {

// --help and --version answer on the terminal without a display, a window or a port. Words
// after --simulate belong to the simulator.
bool AnswerInfoOption(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--simulate") return false;
    if (word == "--version") {
      std::printf("zeda %s for %s (unit key %d)\n", zeda::kUnitVersionText, zeda::kProductText,
                  zeda::kUnitKey);
      return true;
    }
    if (word == "--help" || word == "-h") {
      std::printf(
          "Usage: zeda [FILE.ign] [--trace FILE] [--simulate [zedasim options]]\n"
          "Configures and diagnoses %s ignition units over a serial line.\n"
          "  FILE.ign            open this parameter file at start\n"
          "  --trace FILE        write every frame, port open and search step to FILE\n"
          "  --simulate [...]    start the built-in simulated unit (zedasim) as COM240;\n"
          "                      the words after it go to the simulator\n"
          "  --version           print the version and exit\n"
          "  --help              print this text and exit\n",
          zeda::kProductText);
      return true;
    }
  }
  return false;
}

// Without a display Qt's platform plug-in would abort with a long report; one line says
// what is wrong instead. A platform chosen by hand (offscreen, vnc, ...) is left to Qt.
bool DisplayAvailable() {
  const auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerInfoOption(argc, argv)) return 0;
  if (!DisplayAvailable()) {
    std::fprintf(stderr,
                 "zeda: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it in a "
                 "desktop session, or use zedactl on a terminal\n");
    return 1;
  }
  QApplication app(argc, argv);
  // The chosen style (the desktop's or -style), with its frames drawn quickly.
  QApplication::setStyle(new zeda::QuickFramesStyle(QApplication::style()->name()));

  QStringList qtArgs = QApplication::arguments();
  std::vector<std::string> args;
  for (int i = 1; i < qtArgs.size(); ++i) args.push_back(qtArgs[i].toStdString());
  TMainForm::Options options;
  options.commandLine = zeda::ParseCommandLine(args);
  for (const std::string& p : options.commandLine.problems) {
    std::fprintf(stderr, "zeda: %s\n", p.c_str());
  }

  // The link trace, closed unless asked for.
  if (!options.commandLine.tracePath.empty()) {
    if (!zeda::LinkTraceSink().Open(options.commandLine.tracePath)) {
      std::fprintf(stderr, "zeda: cannot open the trace file %s\n",
                   options.commandLine.tracePath.c_str());
    }
  } else {
    zeda::LinkTraceSink().OpenFromEnvironment();
  }

  // Messages of the core become message boxes.
  zeda::SetMessageSink([](const zeda::UserMessage& m) {
    // A box belongs to the user-interface thread; a report from another thread waits
    // there for its turn.
    if (QThread::currentThread() != qApp->thread()) {
      QMetaObject::invokeMethod(
          qApp, [m] { zeda::ShowMessage(m.text, m.caption, m.kind); }, Qt::QueuedConnection);
      return;
    }
    const QString text = QString::fromStdString(m.text);
    const QString caption = QString::fromStdString(m.caption);
    QWidget* parent = QApplication::activeWindow();
    switch (m.kind) {
      case zeda::MessageKind::Error:
        QMessageBox::critical(parent, caption, text);
        break;
      case zeda::MessageKind::Warning:
        QMessageBox::warning(parent, caption, text);
        break;
      case zeda::MessageKind::Information:
        QMessageBox::information(parent, caption, text);
        break;
    }
  });

  TMainForm form(options);
  if (options.commandLine.simulate) {
    // The words after --simulate are the simulated unit's options.
    QStringList simArgs;
    const int at = qtArgs.indexOf(QStringLiteral("--simulate"));
    for (int i = at + 1; at >= 0 && i < qtArgs.size(); ++i) {
      if (qtArgs[i] == QLatin1String("--trace")) {
        ++i;
      } else if (!qtArgs[i].startsWith(QLatin1String("--trace="))) {
        simArgs << qtArgs[i];
      }
    }
    if (!form.StartSimulator(simArgs)) return 1;
  }
  form.show();

  // Start-up benchmark: leave as soon as the window has been shown.
  const char* exitAfterShow = std::getenv("ZEDA_EXIT_AFTER_SHOW");
  if (exitAfterShow && *exitAfterShow && *exitAfterShow != '0') {
    // Shown means exposed on the screen, not merely asked to show.
    auto* poll = new QTimer(&app);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, &form, [&form, poll] {
      if (form.windowHandle() && form.windowHandle()->isExposed()) {
        poll->stop();
        form.close();
      }
    });
    poll->start();
  }
  const int rc = QApplication::exec();
  zeda::SetMessageSink(nullptr);
  return rc;
}
