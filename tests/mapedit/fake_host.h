#pragma once
// A stand-in for the table widget: records messages and keeps a clipboard.
#include <string>
#include <vector>

#include "mapedit/tab_host.h"
#include "mapedit/tab_model.h"

namespace zeda::test {

class FakeHost : public TTabHost {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> errors;
  int formats = 0;
  std::string text;
  std::string sheet;
  int redraws = 0;

  void ShowMessage(const std::string& m) override { messages.push_back(m); }
  void ShowError(const std::string& m) override { errors.push_back(m); }
  int ClipboardFormats() override { return formats; }
  std::string ClipboardText() override { return text; }
  std::string ClipboardSheet() override { return sheet; }
  void SetClipboardText(const std::string& t) override {
    text = t;
    sheet.clear();
    formats = kClipText;
  }
  void SetClipboardTable(const std::string& t, const std::string& s) override {
    text = t;
    sheet = s;
    formats = kClipText | kClipSheet;
  }
  void RequestRedraw(int) override { ++redraws; }
};

// Counts OnTableChanged calls and the tick of each.
struct ChangeLog {
  std::vector<int32_t> ticks;
  void Attach(TTab& t) {
    t.onTableChanged = [this](TTab& tab) { ticks.push_back(tab.tick); };
  }
  size_t Count() const { return ticks.size(); }
};

}  // namespace zeda::test
