#include "mapedit/paste_parser.h"

#include <charconv>
#include <cmath>

namespace zeda {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<double> ReadNumber(const std::string& s) {
  if (s.empty()) return std::nullopt;
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// Collects fields and lines within the kept limits.
class GridBuilder {
 public:
  explicit GridBuilder(PasteGrid& g) : grid_(g) {}
  void Field(const std::string& text) {
    if (line_.size() < static_cast<size_t>(kPasteMaxFields)) line_.push_back(ReadNumber(text));
    hasFields_ = true;
  }
  void EndLine() {
    if (grid_.lines.size() < static_cast<size_t>(kPasteMaxLines)) grid_.lines.push_back(line_);
    line_.clear();
    hasFields_ = false;
  }
  bool LineHasFields() const { return hasFields_; }
  void Finish() {
    if (hasFields_) EndLine();
    while (!grid_.lines.empty() && grid_.lines.back().empty()) grid_.lines.pop_back();
  }

 private:
  PasteGrid& grid_;
  std::vector<std::optional<double>> line_;
  bool hasFields_ = false;
};

std::string_view TrimCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

int ReadInt(std::string_view v) {
  size_t i = 0;
  while (i < v.size() && (v[i] == ' ' || v[i] == '\t')) ++i;
  int out = 0;
  auto res = std::from_chars(v.data() + i, v.data() + v.size(), out);
  return res.ec == std::errc() ? out : 0;
}

PasteGrid ParseBraces(std::string_view text) {
  PasteGrid g;
  GridBuilder b(g);
  std::string field;
  for (char c : text) {
    if (IsDigit(c) || c == '-' || c == '.') {
      field.push_back(c);
    } else if (c == ',') {
      if (!field.empty()) b.Field(field), field.clear();
    } else if (c == '}') {
      if (!field.empty()) b.Field(field), field.clear();
      if (b.LineHasFields()) b.EndLine();
    }
  }
  if (!field.empty()) b.Field(field);
  b.Finish();
  return g;
}

PasteGrid ParseDelimited(std::string_view text) {
  PasteGrid g;
  GridBuilder b(g);
  std::string field;
  bool endedBySpace = false;  // the last field was closed by spaces; a tab adds none
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c == '\r') continue;
    if (c == '\n') {
      if (!field.empty() || (b.LineHasFields() && !endedBySpace)) b.Field(field);
      field.clear();
      endedBySpace = false;
      b.EndLine();
    } else if (c == '\t') {
      if (!endedBySpace) b.Field(field);
      field.clear();
      endedBySpace = false;
    } else if (c == ' ') {
      bool group = i + 3 < n && IsDigit(text[i + 1]) && IsDigit(text[i + 2]) &&
                   IsDigit(text[i + 3]) && (i + 4 >= n || !IsDigit(text[i + 4]));
      if (group && !field.empty()) continue;  // "25 000"
      while (i + 1 < n && text[i + 1] == ' ') ++i;
      if (!field.empty()) {
        b.Field(field);
        field.clear();
        endedBySpace = true;
      }
    } else if (c == ',') {
      field.push_back('.');
      endedBySpace = false;
    } else if (IsDigit(c) || c == '-' || c == '.') {
      field.push_back(c);
      endedBySpace = false;
    }
  }
  if (!field.empty() || (b.LineHasFields() && !endedBySpace)) b.Field(field);
  b.Finish();
  return g;
}

}  // namespace

std::optional<double> ReadPasteField(std::string_view f) {
  std::string s;
  for (char c : f) {
    if (IsDigit(c) || c == '-' || c == '.')
      s.push_back(c);
    else if (c == ',')
      s.push_back('.');
  }
  return ReadNumber(s);
}

TablePaste ParseTablePaste(std::string_view text) {
  TablePaste out;
  size_t pos = 0;
  bool inHeader = true;
  // Header lines up to the first line that starts with a tab.
  while (pos < text.size()) {
    size_t eol = text.find('\n', pos);
    std::string_view line = TrimCr(
        text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos));
    if (!line.empty() && line[0] == '\t') break;
    pos = eol == std::string_view::npos ? text.size() : eol + 1;
    if (!inHeader) continue;
    if (line.size() > kPasteHeaderLineMax) {
      inHeader = false;
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = line.substr(0, colon);
    std::string_view value = line.substr(colon + 1);
    if (!value.empty() && value[0] == '\t') value.remove_prefix(1);
    TablePasteHeader& h = out.header;
    if (name == "Label")
      h.label = value;
    else if (name == "LabelX")
      h.labelX = value;
    else if (name == "LabelY")
      h.labelY = value;
    else if (name == "LabelData")
      h.labelData = value;
    else if (name == "SizeX")
      h.sizeX = ReadInt(value);
    else if (name == "SizeY")
      h.sizeY = ReadInt(value);
    else if (name == "OnlyXY")
      h.onlyXY = (!value.empty() && (value[0] == 'X' || value[0] == 'Y')) ? value[0] : 0;
  }
  // The grid: tab-separated fields, one line per row.
  while (pos < text.size() && out.grid.lines.size() < static_cast<size_t>(kPasteMaxLines)) {
    size_t eol = text.find('\n', pos);
    std::string_view line = TrimCr(
        text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos));
    pos = eol == std::string_view::npos ? text.size() : eol + 1;
    std::vector<std::optional<double>> fields;
    size_t f = 0;
    while (fields.size() < static_cast<size_t>(kPasteMaxFields)) {
      size_t tab = line.find('\t', f);
      fields.push_back(ReadPasteField(
          line.substr(f, tab == std::string_view::npos ? std::string_view::npos : tab - f)));
      if (tab == std::string_view::npos) break;
      f = tab + 1;
    }
    out.grid.lines.push_back(std::move(fields));
  }
  return out;
}

PasteGrid ParsePlainPaste(std::string_view text) {
  size_t brace = text.find('{');
  if (brace != std::string_view::npos) return ParseBraces(text.substr(brace));
  return ParseDelimited(text);
}

}  // namespace zeda
