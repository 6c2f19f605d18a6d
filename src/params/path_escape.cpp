#include "params/path_escape.h"

#include <cstdint>

namespace zeda {

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    auto b0 = static_cast<uint8_t>(s[i]);
    uint32_t cp = 0;
    size_t len = 0;
    if (b0 < 0x80) {
      cp = b0;
      len = 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      cp = b0 & 0x1Fu;
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      cp = b0 & 0x0Fu;
      len = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      cp = b0 & 0x07u;
      len = 4;
    }
    bool valid = len > 0 && i + len <= s.size();
    for (size_t k = 1; valid && k < len; ++k) {
      auto b = static_cast<uint8_t>(s[i + k]);
      if ((b & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (b & 0x3Fu);
    }
    if (valid) {
      // Reject overlong forms, surrogates and values past U+10FFFF.
      if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
          (cp >= 0xD800 && cp <= 0xDFFF))
        valid = false;
    }
    if (!valid) {
      out.push_back(static_cast<char16_t>(0xDC00 + b0));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

namespace {

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool LooksUnescaped(std::string_view v) {
  if (v.size() >= 3 && v[0] == '\\' && v[1] == '\\' && v[2] != '\\') return true;
  bool letter = v.size() >= 3 && ((v[0] >= 'A' && v[0] <= 'Z') || (v[0] >= 'a' && v[0] <= 'z'));
  if (letter && v[1] == ':' && v[2] == '\\' && (v.size() == 3 || v[3] != '\\')) return true;
  return false;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      uint32_t cp = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
      AppendUtf8(out, cp);
      ++i;
    } else if (u >= 0xDC80 && u <= 0xDCFF) {
      out += static_cast<char>(u - 0xDC00);  // a byte that was not valid UTF-8
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::string EscapePath(std::string_view utf8Path) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::u16string units = Utf8ToUtf16(utf8Path);
  auto hexUnit = [](std::string& out, char16_t u) {
    out += "\\x";
    out += kHex[(u >> 12) & 15];
    out += kHex[(u >> 8) & 15];
    out += kHex[(u >> 4) & 15];
    out += kHex[u & 15];
  };
  auto escape = [&](bool firstAsHex) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
      const char16_t u = units[i];
      // Control characters are escaped too, so that no path can break its ini line; so is
      // a blank at either end, which ini readers and editors trim away.
      const bool edgeBlank = u == u' ' && (i == 0 || i + 1 == units.size());
      if (u > 0xFF || u < 0x20 || edgeBlank || (i == 0 && firstAsHex)) {
        hexUnit(out, u);
      } else if (u == u'\\') {
        out += "\\\\";
      } else {
        out += static_cast<char>(u);
      }
    }
    return out;
  };
  std::string out = escape(false);
  // A value that starts like an unescaped path ("\\x..." or "C:\x...") would be read back
  // literally; writing the first character as a hex unit keeps it unambiguous.
  if (LooksUnescaped(out)) out = escape(true);
  return out;
}

std::string UnescapePath(std::string_view v) {
  std::u16string units;
  if (LooksUnescaped(v)) {
    for (char c : v) units.push_back(static_cast<char16_t>(static_cast<uint8_t>(c)));
    return Utf16ToUtf8(units);
  }
  for (size_t i = 0; i < v.size(); ++i) {
    char c = v[i];
    if (c == '\\' && i + 1 < v.size() && v[i + 1] == '\\') {
      units.push_back(u'\\');
      ++i;
      continue;
    }
    if (c == '\\' && i + 5 < v.size() && (v[i + 1] == 'x' || v[i + 1] == 'X')) {
      int h[4] = {HexValue(v[i + 2]), HexValue(v[i + 3]), HexValue(v[i + 4]), HexValue(v[i + 5])};
      if (h[0] >= 0 && h[1] >= 0 && h[2] >= 0 && h[3] >= 0) {
        units.push_back(static_cast<char16_t>((h[0] << 12) | (h[1] << 8) | (h[2] << 4) | h[3]));
        i += 5;
        continue;
      }
    }
    // A lone backslash is kept as it stands.
    units.push_back(static_cast<char16_t>(static_cast<uint8_t>(c)));
  }
  return Utf16ToUtf8(units);
}

}  // namespace zeda
