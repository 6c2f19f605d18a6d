#pragma once
// A stand-in map editor for the printing tests: it has a print mode and says when it was
// switched. In a header of the test's own name so that moc finds it without an include of
// generated code (the style check reads the sources without building them).
#include <QFrame>
#include <vector>

class FakeMapEditor : public QFrame {
  Q_OBJECT
 public:
  using QFrame::QFrame;
  Q_INVOKABLE void SetPrintMode(bool on) { calls.push_back(on); }
  std::vector<bool> calls;
};
