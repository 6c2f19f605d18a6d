#include "update/rtf_text.h"

#include <array>
#include <cstdint>
#include <vector>

#include "lang/lang_string.h"

namespace zeda {
namespace {

// Groups whose content is never shown.
constexpr std::array<std::string_view, 24> kSkippedDestinations = {
    "fonttbl",      "colortbl",
    "stylesheet",   "info",
    "pict",         "object",
    "objdata",      "header",
    "footer",       "footnote",
    "fldinst",      "themedata",
    "listtable",    "listoverridetable",
    "rsidtbl",      "generator",
    "xmlnstbl",     "datastore",
    "latentstyles", "colorschememapping",
    "headerl",      "headerr",
    "footerl",      "footerr",
};

struct Format {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool skip = false;  // inside a group whose content is not shown
  int ucSkip = 1;     // characters after \uN that stand in for it
  bool operator==(const Format&) const = default;
};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp == 0) return;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendEscaped(std::string& out, uint32_t cp) {
  switch (cp) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      AppendUtf8(out, cp);
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

class RtfReader {
 public:
  explicit RtfReader(std::string_view in) : in_(in) {}

  std::string Run() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        Push();
      } else if (c == '}') {
        Pop();
      } else if (c == '\\') {
        Control();
      } else if (c == '\r' || c == '\n' || c == '\0') {
        // Line ends in the source are not text.
      } else {
        Char(Cp1250ToUnicode(static_cast<unsigned char>(c)));
      }
    }
    CloseTags();
    return out_;
  }

 private:
  void Push() {
    groupStart_ = true;
    // Deeper groups are only counted, and shown no more.
    if (stack_.size() >= static_cast<size_t>(kRtfMaxDepth)) {
      ++excessDepth_;
      cur_.skip = true;
      return;
    }
    stack_.push_back(cur_);
  }
  void Pop() {
    groupStart_ = false;
    if (excessDepth_ > 0) {
      --excessDepth_;
      return;
    }
    if (stack_.empty()) return;
    cur_ = stack_.back();
    stack_.pop_back();
    groupStart_ = false;
  }

  void Control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      groupStart_ = false;
      switch (c) {
        case '\\':
        case '{':
        case '}':
          Char(static_cast<unsigned char>(c));
          break;
        case '~':
          Char(0xA0);
          break;
        case '_':
          Char('-');
          break;
        case '*':
          cur_.skip = true;
          break;  // an optional destination this reader skips
        case '\'': {
          if (pos_ + 2 <= in_.size() && HexDigit(in_[pos_]) >= 0 && HexDigit(in_[pos_ + 1]) >= 0) {
            const int byte = HexDigit(in_[pos_]) * 16 + HexDigit(in_[pos_ + 1]);
            pos_ += 2;
            Char(Cp1250ToUnicode(static_cast<unsigned char>(byte)));
          } else {
            // A broken escape shows nothing, not half of itself.
            for (int k = 0; k < 2 && pos_ < in_.size() && HexDigit(in_[pos_]) >= 0; ++k) ++pos_;
          }
          break;
        }
        case '\r':
        case '\n':
          Break();
          break;  // "\" at a line end is a paragraph
        default:
          break;  // \- \| \: and others: nothing shown
      }
      return;
    }
    std::string word;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && word.size() < 32)
      word.push_back(in_[pos_++]);
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;  // an overlong word is cut
    bool hasParam = false, negative = false;
    int64_t param = 0;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
      if (param < 100000000) param = param * 10 + (in_[pos_] - '0');
      hasParam = true;
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    const bool first = groupStart_;
    groupStart_ = false;
    Word(word, hasParam, param, first);
  }

  void Word(const std::string& w, bool hasParam, int64_t param, bool first) {
    const bool on = !hasParam || param != 0;
    if (first) {
      for (std::string_view d : kSkippedDestinations) {
        if (w == d) {
          cur_.skip = true;
          return;
        }
      }
    }
    if (w == "bin") {
      // Binary data: skipped whole, bounded by what is left.
      const size_t n = param > 0 ? static_cast<size_t>(param) : 0;
      pos_ += std::min(n, in_.size() - pos_);
    } else if (w == "par" || w == "line" || w == "sect" || w == "page") {
      Break();
    } else if (w == "tab") {
      Char(' ');
    } else if (w == "b") {
      cur_.bold = on;
    } else if (w == "i") {
      cur_.italic = on;
    } else if (w == "ul") {
      cur_.underline = on;
    } else if (w == "ulnone") {
      cur_.underline = false;
    } else if (w == "plain") {
      cur_.bold = cur_.italic = cur_.underline = false;
    } else if (w == "uc") {
      cur_.ucSkip = hasParam && param >= 0 && param < 16 ? static_cast<int>(param) : 1;
    } else if (w == "u" && hasParam) {
      Char(static_cast<uint32_t>(param < 0 ? param + 65536 : param) & 0xFFFF);
      SkipFallback();
    } else if (w == "emdash") {
      Char(0x2014);
    } else if (w == "endash") {
      Char(0x2013);
    } else if (w == "bullet") {
      Char(0x2022);
    } else if (w == "lquote") {
      Char(0x2018);
    } else if (w == "rquote") {
      Char(0x2019);
    } else if (w == "ldblquote") {
      Char(0x201C);
    } else if (w == "rdblquote") {
      Char(0x201D);
    }
  }

  // The characters after \uN that stand in for readers without Unicode.
  void SkipFallback() {
    for (int k = 0; k < cur_.ucSkip && pos_ < in_.size(); ++k) {
      if (in_[pos_] == '\\' && pos_ + 1 < in_.size() && in_[pos_ + 1] == '\'') {
        pos_ = std::min(in_.size(), pos_ + 4);
      } else if (in_[pos_] == '{' || in_[pos_] == '}' || in_[pos_] == '\\') {
        break;
      } else {
        ++pos_;
      }
    }
  }

  void Break() {
    if (cur_.skip) return;
    SyncTags();
    out_ += "<br>";
  }

  void Char(uint32_t cp) {
    if (cur_.skip || cp == 0) return;
    SyncTags();
    AppendEscaped(out_, cp);
  }

  void SyncTags() {
    if (open_.bold == cur_.bold && open_.italic == cur_.italic && open_.underline == cur_.underline)
      return;
    CloseTags();
    if (cur_.bold) out_ += "<b>";
    if (cur_.italic) out_ += "<i>";
    if (cur_.underline) out_ += "<u>";
    open_.bold = cur_.bold;
    open_.italic = cur_.italic;
    open_.underline = cur_.underline;
  }

  void CloseTags() {
    if (open_.underline) out_ += "</u>";
    if (open_.italic) out_ += "</i>";
    if (open_.bold) out_ += "</b>";
    open_ = Format{};
  }

  std::string_view in_;
  size_t pos_ = 0;
  Format cur_;
  Format open_;
  bool groupStart_ = false;
  std::vector<Format> stack_;
  size_t excessDepth_ = 0;
  std::string out_;
};

}  // namespace

std::string RtfToRichText(std::string_view rtf) { return RtfReader(rtf).Run(); }

std::string PlainToRichText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += "<br>";
    } else if (c == '\n') {
      out += "<br>";
    } else if (c == '&' || c == '<' || c == '>' || c == '"') {
      AppendEscaped(out, static_cast<unsigned char>(c));
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace zeda
