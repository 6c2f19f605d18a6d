#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("  KESTRA2 ZEDA (v107)");
  window.show();
  return app.exec();
}
