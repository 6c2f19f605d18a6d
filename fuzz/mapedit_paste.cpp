// Fuzzes both paste parsers, and applying their result to an advance map and a zone table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "mapedit/paste_parser.h"
#include "mapedit/table_factories.h"

namespace {

class NullHost : public zeda::TTabHost {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
  int ClipboardFormats() override { return 0; }
  std::string ClipboardText() override { return {}; }
  std::string ClipboardSheet() override { return {}; }
  void SetClipboardText(const std::string&) override {}
  void SetClipboardTable(const std::string&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  zeda::ParseTablePaste(text);
  zeda::ParsePlainPaste(text);

  static zeda::TTableSet set;
  static NullHost host;
  static zeda::TTab* adv = [] {
    zeda::TTab* t = zeda::CreateAdvanceMap(set, 1, {});
    t->host = &host;
    return t;
  }();
  static zeda::TTab* zone = [] {
    zeda::TTab* t = zeda::CreateSwitchingTable(set, 2, "PO", 0);
    t->host = &host;
    t->Sheet(0).axisData.editable = true;
    return t;
  }();
  // The first byte picks the target item, so every part gets pasted into.
  int pick = size ? data[0] : 0;
  for (zeda::TTab* t : {adv, zone}) {
    t->PasteTable(text);
    zeda::CSheet& s = t->Cur();
    int col = pick % 17 - 1, row = (pick / 17) % 12 - 1;
    if (col == -1 && row == -1) row = 0;
    t->SelectItem(col, row);
    t->PastePlain(text);
    if (!zeda::BreakpointsValid(s.axisX) || !zeda::BreakpointsValid(s.axisY)) __builtin_trap();
    // A table's own copy always pastes back, whatever its name, and changes nothing.
    std::string name = "###";
    for (size_t i = 0; i < size && i < 300; ++i) name.push_back(static_cast<char>(data[i]));
    s.name = name.substr(0, zeda::kMaxLabelLen);
    std::string a, b;
    t->CopyTableTexts(a, b);
    const zeda::CSheet before = s;
    if (!t->PasteTable(b)) __builtin_trap();
    if (before.axisX.count != s.axisX.count || before.axisY.count != s.axisY.count ||
        before.axisX.values != s.axisX.values || before.axisY.values != s.axisY.values ||
        before.cells != s.cells)
      __builtin_trap();
  }
  return 0;
}
