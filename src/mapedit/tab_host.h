#pragma once
// What the table model needs from the control around it: message boxes, the clipboard
// and view requests. The widget implements it; tests use a fake.
#include <string>

namespace zeda {

inline constexpr int kClipText = 1;   // plain text present
inline constexpr int kClipSheet = 2;  // the private table format present
inline constexpr const char* kClipSheetFormat = "CF_TORVELIX_SHEET";

class TTabHost {
 public:
  virtual ~TTabHost() = default;
  // A message box with an OK button; the text is already in the interface language.
  virtual void ShowMessage(const std::string& text) = 0;
  // An error message of the program's diagnostics (programming errors).
  virtual void ShowError(const std::string& text) = 0;
  // Bits kClipText / kClipSheet for the formats the clipboard holds.
  virtual int ClipboardFormats() = 0;
  virtual std::string ClipboardText() = 0;
  virtual std::string ClipboardSheet() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  // Both items in one operation.
  virtual void SetClipboardTable(const std::string& text, const std::string& sheet) = 0;
  // Redraw request bits: 1 repaint, 2 re-render.
  virtual void RequestRedraw(int bits) { (void)bits; }
  // An edit of a sheet was committed (after the owner's onTableChanged ran).
  virtual void Committed(int sheet) { (void)sheet; }
  // The layout must be rebuilt (counts, fixed flags or sheet changed).
  virtual void LayoutChanged() {}
  // Width in pixels of a text at a font size (sheet tab widths).
  virtual int TextWidth(const std::string& text, int fontSize) {
    return static_cast<int>(text.size()) * fontSize * 6 / 10;
  }
};

}  // namespace zeda
