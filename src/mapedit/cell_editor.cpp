// The in-place editor of one item: its text model, and accepting the typed value.
#include <algorithm>
#include <charconv>

#include "mapedit/number_format.h"
#include "mapedit/tab_model.h"

namespace zeda {
namespace {

bool EditorChar(char c) {
  return (c >= '0' && c <= '9') || c == ' ' || c == ',' || c == '-' || c == '.';
}

bool HasTextSelection(const TCellEditor& e) { return e.selStart >= 0 && e.selEnd > e.selStart; }

void DeleteTextSelection(TCellEditor& e) {
  if (!HasTextSelection(e)) return;
  e.text.erase(e.selStart, e.selEnd - e.selStart);
  e.caret = e.selStart;
  e.selStart = e.selEnd = -1;
}

}  // namespace

bool TTab::ItemEditable(int col, int row) const {
  if (!HasSheets()) return false;
  const CSheet& s = Cur();
  return s.Item(col, row) && s.AxisOf(col, row).editable;
}

std::string TTab::ItemText(int col, int row) const {
  if (!HasSheets()) return {};
  const CSheet& s = Cur();
  const int32_t* v = s.Item(col, row);
  if (!v) return {};
  if (col >= 0 && row >= 0 && s.PercentShown()) return FormatValue(*v, 1.0);
  return FormatValue(*v, s.AxisOf(col, row).scale);
}

bool TTab::OpenEditor(int col, int row, const std::string& text, bool selectAll, int caret) {
  if (!ItemEditable(col, row)) return false;
  if (editor.editing && (editor.col != col || editor.row != row)) AcceptEditor();
  editor.editing = true;
  editor.col = col;
  editor.row = row;
  editor.text = text.substr(0, kEditorMaxChars);
  int len = static_cast<int>(editor.text.size());
  editor.caret = std::clamp(caret < 0 ? len : caret, 0, len);
  editor.selStart = selectAll && len > 0 ? 0 : -1;
  editor.selEnd = selectAll && len > 0 ? len : -1;
  editor.blink = 0;
  if (host) host->RequestRedraw(1);
  return true;
}

void TTab::EditorInsert(char c) {
  if (!editor.editing || !EditorChar(c)) return;
  size_t kept =
      editor.text.size() - (HasTextSelection(editor) ? editor.selEnd - editor.selStart : 0);
  if (kept >= static_cast<size_t>(kEditorMaxChars)) return;
  DeleteTextSelection(editor);
  editor.text.insert(editor.text.begin() + editor.caret, c);
  ++editor.caret;
}

void TTab::EditorBackspace() {
  if (!editor.editing) return;
  if (HasTextSelection(editor)) return DeleteTextSelection(editor);
  if (editor.caret > 0) editor.text.erase(--editor.caret, 1);
}

void TTab::EditorDelete() {
  if (!editor.editing) return;
  if (HasTextSelection(editor)) return DeleteTextSelection(editor);
  if (editor.caret < static_cast<int>(editor.text.size())) editor.text.erase(editor.caret, 1);
}

void TTab::EditorMove(TKey key, bool shift) {
  if (!editor.editing) return;
  int len = static_cast<int>(editor.text.size());
  int anchor = editor.caret;
  if (HasTextSelection(editor))
    anchor = editor.caret == editor.selStart ? editor.selEnd : editor.selStart;
  int to = editor.caret;
  switch (key) {
    case TKey::Left:
      to = std::max(0, to - 1);
      break;
    case TKey::Right:
      to = std::min(len, to + 1);
      break;
    case TKey::Home:
      to = 0;
      break;
    case TKey::End:
      to = len;
      break;
    default:
      return;
  }
  editor.caret = to;
  if (shift && anchor != to) {
    editor.selStart = std::min(anchor, to);
    editor.selEnd = std::max(anchor, to);
  } else {
    editor.selStart = editor.selEnd = -1;
  }
}

void TTab::EditorSetCaret(int pos) {
  if (!editor.editing) return;
  editor.caret = std::clamp(pos, 0, static_cast<int>(editor.text.size()));
  editor.selStart = editor.selEnd = -1;
}

std::string TTab::EditorSelectedText() const {
  if (!editor.editing || !HasTextSelection(editor)) return {};
  return editor.text.substr(editor.selStart, editor.selEnd - editor.selStart);
}

void TTab::EditorPaste(const std::string& clip) {
  if (!editor.editing) return;
  std::string add;
  for (char c : clip) {
    if (c == '\n' || c == '\r' || c == '\t') break;
    if (c == ',') c = '.';
    if ((c >= '0' && c <= '9') || c == '-' || c == '.' || c == ' ') add.push_back(c);
  }
  DeleteTextSelection(editor);
  size_t room = kEditorMaxChars > static_cast<int>(editor.text.size())
                    ? kEditorMaxChars - editor.text.size()
                    : 0;
  add.resize(std::min(add.size(), room));
  editor.text.insert(editor.caret, add);
  editor.caret += static_cast<int>(add.size());
}

bool TTab::AcceptEditor() {
  if (!editor.editing) return false;
  editor.editing = false;
  if (host) host->RequestRedraw(1);
  std::string t;
  bool commaDone = false;
  for (char c : editor.text) {
    if (c == ' ' || c == '\t') continue;
    if (c == ',' && !commaDone) {
      c = '.';
      commaDone = true;
    }
    t.push_back(c);
  }
  double v = 0;
  auto res = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || res.ec != std::errc() || !ItemEditable(editor.col, editor.row)) return false;
  CSheet& s = Cur();
  int col = editor.col, row = editor.row;
  int32_t raw;
  if (col >= 0 && row >= 0 && s.PercentShown()) {
    raw = RoundHalfAway(v);
  } else {
    const CAxe& axis = s.AxisOf(col, row);
    raw = RawWithinLimits(axis.scale == 0 ? v : v / axis.scale, axis);
  }
  *s.Item(col, row) = raw;
  CommitEdit(row == -1 ? kPartX : col == -1 ? kPartY : kPartCells, kKeyNow);
  return true;
}

void TTab::CancelEditor() {
  if (!editor.editing) return;
  editor.editing = false;
  editor.selStart = editor.selEnd = -1;
  if (host) host->RequestRedraw(1);
}

}  // namespace zeda
