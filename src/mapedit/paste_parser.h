#pragma once
// Parsers of pasted text: the private table format and plain text from any program.
// Pure functions: they only read the text; the table applies the result.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeda {

// Lines of fields; a field that does not read as a number is empty. Only the first
// kPasteMaxLines lines and kPasteMaxFields fields of a line are kept (a sheet never uses more).
inline constexpr int kPasteMaxLines = 64;
inline constexpr int kPasteMaxFields = 64;
struct PasteGrid {
  std::vector<std::vector<std::optional<double>>> lines;
};

struct TablePasteHeader {
  std::string label, labelX, labelY, labelData;
  int sizeX = 0, sizeY = 0;
  char onlyXY = 0;  // 'X', 'Y' or 0
};

struct TablePaste {
  TablePasteHeader header;
  PasteGrid grid;  // line 0: the corner field, then the X breakpoints
};

// A header line longer than this ends the header.
inline constexpr size_t kPasteHeaderLineMax = 64;

// The digits, "-" and "." of a field (a "," counts as "."), read as a number.
std::optional<double> ReadPasteField(std::string_view field);

// The private table format: header lines "Name:<TAB>value" up to the first line starting
// with a tab, then the grid of tab-separated fields.
TablePaste ParseTablePaste(std::string_view text);

// Plain text: with a "{" nested brace lists ("," separates, "}" ends a line); otherwise
// tabs, line feeds and runs of spaces separate, "," is the decimal comma, and a space before
// exactly three digits is a digit-group separator.
PasteGrid ParsePlainPaste(std::string_view text);

}  // namespace zeda
