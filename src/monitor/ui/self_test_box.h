#pragma once
// The unit self test's controls on the Test page: ButtonSelftest, its state line
// LabelSelftest and the result lines MemoSelftest. Shown only in the service test mode;
// the window starts the test from the button and calls Show after every step.
//
// User-interface thread only.
#include <QGroupBox>
#include <string>
#include <vector>

#include "monitor/self_test.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class SelfTestBox : public QGroupBox {
  Q_OBJECT

 public:
  explicit SelfTestBox(QWidget* parent = nullptr);
  // LabelSelftest and MemoSelftest from the test's state; untouched when nothing changed.
  void Show(const zeda::SelfTest& test);
  QPushButton* Button() const { return ButtonSelftest; }

 private:
  QPushButton* ButtonSelftest = nullptr;
  QLabel* LabelSelftest = nullptr;
  QPlainTextEdit* MemoSelftest = nullptr;
  std::string shownText_;
  zeda::Colour shownColour_ = zeda::kColourButtonFace;
  std::vector<std::string> shownMemo_;
};
