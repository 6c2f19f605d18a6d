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

std::string breakpointText(const CAxe& a, int i) {
  if (!a.stringView.empty()) {
    std::string caption, error;
    stringViewCaption(a, i, caption, error);
    return caption.substr(0, kClipCaptionMax);
  }
  return formatValue(a.values[i], a.scale);
}

std::string cellText(const CSheet& s, int c, int r) {
  if (s.percentShown()) return formatValue(s.cell(c, r), 1.0);
  return formatValue(s.cell(c, r), s.axisData.scale);
}

// The sheet name as line 1 of the private format: the current language's part only, on
// one line, short enough that the line stays a header line (a longer line would end the
// header, and the keys after it would never be read, so the copy could not paste back).
std::string labelLine(const std::string& name) {
  static constexpr std::string_view kPrefix = "Label:\t";
  std::string text = mapeditText(name);
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

void finishClipText(std::string& text) {
  if (mapeditLanguage() == kLangCzech) toDecimalComma(text);
  if (text.size() > static_cast<size_t>(kClipBufferSize - 1)) text.resize(kClipBufferSize - 1);
}

}  // namespace

std::string TTab::CopyText() const {
  if (editor.editing) return EditorSelectedText();
  if (!hasSheets()) return {};
  const CSheet& s = cur();
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
        if (sel.cell(c, r) & kMarkSelected) out += cellText(s, c, r);
      }
    }
  } else if (sel.kind == kSelX) {
    for (int c = sel.minCol; c <= sel.maxCol; ++c) {
      if (c > sel.minCol) out.push_back('\t');
      if (sel.selX[c] & kMarkSelected) out += breakpointText(s.axisX, c);
    }
  } else if (sel.kind == kSelY) {
    for (int r = sel.minRow; r <= sel.maxRow; ++r) {
      if (r > sel.minRow) out.push_back('\n');
      if (sel.selY[r] & kMarkSelected) out += breakpointText(s.axisY, r);
    }
  }
  if (mapeditLanguage() == kLangCzech) toDecimalComma(out);
  return out;
}

void TTab::Copy() {
  std::string text = CopyText();
  if (!text.empty() && host) host->setClipboardText(text);
}

void TTab::CopyTableTexts(std::string& text, std::string& sheetText) const {
  text.clear();
  sheetText.clear();
  if (!hasSheets()) return;
  const CSheet& s = cur();
  const CAxe &X = s.axisX, &Y = s.axisY;
  const int cols = s.cellCols(), rows = s.cellRows();
  const int nx = std::min(X.count, kMaxCols), ny = std::min(Y.count, kMaxRows);

  std::string& p = sheetText;
  p += labelLine(s.name);
  p += "LabelX:\t" + X.key + "\n";
  p += "LabelY:\t" + Y.key + "\n";
  p += "LabelData:\t" + s.axisData.key + (s.percentShown() ? "[%]" : "") + "\n";
  p += "SizeX:\t" + formatValue(X.count, 1.0) + "\n";
  p += "SizeY:\t" + formatValue(Y.count, 1.0) + "\n";
  p += std::string("OnlyXY:\t") + (Y.fixed ? "Y" : X.fixed ? "X" : "") + "\n";
  for (int c = 0; c < nx; ++c) {
    p += '\t';
    p += breakpointText(X, c);
  }
  for (int r = 0; r < rows; ++r) {
    p += "\n";
    if (r < ny) p += breakpointText(Y, r);  // a zone table's extra row has no breakpoint
    for (int c = 0; c < cols; ++c) {
      p += '\t';
      p += cellText(s, c, r);
    }
  }

  // The plain grid shows what the table view shows: a fixed axis only at its index.
  std::string& t = text;
  if (!X.fixed) {
    bool first = true;
    if (!Y.fixed) t += "\t";
    for (int c = 0; c < nx; ++c) {
      if (!first) t += "\t";
      t += breakpointText(X, c);
      first = false;
    }
  }
  int r0 = Y.fixed ? std::min(Y.fixedIndex, rows - 1) : 0, r1 = Y.fixed ? r0 : rows - 1;
  int c0 = X.fixed ? std::min(X.fixedIndex, cols - 1) : 0, c1 = X.fixed ? c0 : cols - 1;
  for (int r = r0; r <= r1; ++r) {
    if (!t.empty()) t += "\n";
    bool first = true;
    if (!Y.fixed) {
      if (r < ny) t += breakpointText(Y, r);
      first = false;
    }
    for (int c = c0; c <= c1; ++c) {
      if (!first) t += "\t";
      t += cellText(s, c, r);
      first = false;
    }
  }
  finishClipText(text);
  finishClipText(sheetText);
}

void TTab::CopyTable() {
  if (!host) return;
  std::string text, sheetText;
  CopyTableTexts(text, sheetText);
  host->setClipboardTable(text, sheetText);
}

}  // namespace zeda
