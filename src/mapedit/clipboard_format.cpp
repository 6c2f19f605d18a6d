// Building the clipboard texts: plain text of the selection, and the whole sheet as plain
// text and in the private table format.
#include "mapedit/clipboard_format.h"

#include <algorithm>

#include "mapedit/lang_select.h"
#include "mapedit/number_format.h"
#include "mapedit/paste_parser.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

std::string BreakpointText(const CAxe& a, int i) {
  if (!a.stringView.empty()) {
    std::string caption, error;
    StringViewCaption(a, i, caption, error);
    return caption.substr(0, kClipCaptionMax);
  }
  return FormatValue(a.values[i], a.scale);
}

std::string CellText(const CSheet& s, int c, int r) {
  if (s.PercentShown()) return FormatValue(s.Cell(c, r), 1.0);
  return FormatValue(s.Cell(c, r), s.axisData.scale);
}

// The sheet name as line 1 of the private format: the current language's part only, on
// one line, short enough that the line stays a header line (a longer line would end the
// header, and the keys after it would never be read, so the copy could not paste back).
std::string LabelLine(const std::string& name) {
  static constexpr std::string_view kPrefix = "Label:\t";
  std::string text = MapeditText(name);
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  size_t room = static_cast<size_t>(kPasteHeaderLineMax) - kPrefix.size();
  if (text.size() > room) {
    size_t n = room;
    // Cut at a character boundary of the UTF-8 text.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    text.resize(n);
  }
  return std::string(kPrefix) + text + "\n";
}

void FinishClipText(std::string& text) {
  if (MapeditLanguage() == kLangCzech) ToDecimalComma(text);
  if (text.size() > static_cast<size_t>(kClipBufferSize - 1)) text.resize(kClipBufferSize - 1);
}

}  // namespace

std::string TTab::CopyText() const {
  if (editor.editing) return EditorSelectedText();
  if (!HasSheets()) return {};
  const CSheet& s = Cur();
  const TSel& sel = s.sel;
  std::string out;
  if (sel.count <= 0) return out;
  if (sel.kind == kSelCells) {
    int c0 = sel.minCol, c1 = sel.maxCol, r0 = sel.minRow, r1 = sel.maxRow;
    if (s.axisX.fixed) c0 = c1 = s.axisX.fixedIndex;
    if (s.axisY.fixed) r0 = r1 = s.axisY.fixedIndex;
    for (int r = r0; r <= r1; ++r) {
      if (r > r0) out.push_back('\n');
      for (int c = c0; c <= c1; ++c) {
        if (c > c0) out.push_back('\t');
        if (sel.Cell(c, r) & kMarkSelected) out += CellText(s, c, r);
      }
    }
  } else if (sel.kind == kSelX) {
    for (int c = sel.minCol; c <= sel.maxCol; ++c) {
      if (c > sel.minCol) out.push_back('\t');
      if (sel.selX[c] & kMarkSelected) out += BreakpointText(s.axisX, c);
    }
  } else if (sel.kind == kSelY) {
    for (int r = sel.minRow; r <= sel.maxRow; ++r) {
      if (r > sel.minRow) out.push_back('\n');
      if (sel.selY[r] & kMarkSelected) out += BreakpointText(s.axisY, r);
    }
  }
  if (MapeditLanguage() == kLangCzech) ToDecimalComma(out);
  return out;
}

void TTab::Copy() {
  std::string text = CopyText();
  if (!text.empty() && host) host->SetClipboardText(text);
}

void TTab::CopyTableTexts(std::string& text, std::string& sheetText) const {
  text.clear();
  sheetText.clear();
  if (!HasSheets()) return;
  const CSheet& s = Cur();
  const CAxe &x = s.axisX, &y = s.axisY;
  const int cols = s.CellCols(), rows = s.CellRows();
  const int nx = std::min(x.count, kMaxCols), ny = std::min(y.count, kMaxRows);

  std::string& p = sheetText;
  p += LabelLine(s.name);
  p += "LabelX:\t" + x.key + "\n";
  p += "LabelY:\t" + y.key + "\n";
  p += "LabelData:\t" + s.axisData.key + (s.PercentShown() ? "[%]" : "") + "\n";
  p += "SizeX:\t" + FormatValue(x.count, 1.0) + "\n";
  p += "SizeY:\t" + FormatValue(y.count, 1.0) + "\n";
  p += std::string("OnlyXY:\t") + (y.fixed ? "Y" : x.fixed ? "X" : "") + "\n";
  for (int c = 0; c < nx; ++c) {
    p += '\t';
    p += BreakpointText(x, c);
  }
  for (int r = 0; r < rows; ++r) {
    p += "\n";
    if (r < ny) p += BreakpointText(y, r);  // a zone table's extra row has no breakpoint
    for (int c = 0; c < cols; ++c) {
      p += '\t';
      p += CellText(s, c, r);
    }
  }

  // The plain grid shows what the table view shows: a fixed axis only at its index.
  std::string& t = text;
  if (!x.fixed) {
    bool first = true;
    if (!y.fixed) t += "\t";
    for (int c = 0; c < nx; ++c) {
      if (!first) t += "\t";
      t += BreakpointText(x, c);
      first = false;
    }
  }
  int r0 = y.fixed ? std::min(y.fixedIndex, rows - 1) : 0, r1 = y.fixed ? r0 : rows - 1;
  int c0 = x.fixed ? std::min(x.fixedIndex, cols - 1) : 0, c1 = x.fixed ? c0 : cols - 1;
  for (int r = r0; r <= r1; ++r) {
    if (!t.empty()) t += "\n";
    bool first = true;
    if (!y.fixed) {
      if (r < ny) t += BreakpointText(y, r);
      first = false;
    }
    for (int c = c0; c <= c1; ++c) {
      if (!first) t += "\t";
      t += CellText(s, c, r);
      first = false;
    }
  }
  FinishClipText(text);
  FinishClipText(sheetText);
}

void TTab::CopyTable() {
  if (!host) return;
  std::string text, sheetText;
  CopyTableTexts(text, sheetText);
  host->SetClipboardTable(text, sheetText);
}

}  // namespace zeda
