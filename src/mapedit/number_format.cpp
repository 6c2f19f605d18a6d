#include "mapedit/number_format.h"

#include <charconv>
#include <cmath>

namespace zeda {

int DecimalsForScale(double scale) {
  if (!(scale < 1.0)) return 0;
  double mag = std::fabs(scale);
  if (mag == 0.0 || !std::isfinite(mag)) return 0;  // a zero scale would ask for infinite decimals
  double p = std::trunc(0.99 - std::log10(mag));
  if (p < 0) return 0;
  return p > 12 ? 12 : static_cast<int>(p);
}

std::string FormatValue(int raw, double scale, std::string_view unit) {
  int decimals = DecimalsForScale(scale);
  char buf[400];
  // to_chars does not depend on the C locale, unlike printf.
  auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(raw) * scale,
                           std::chars_format::fixed, decimals);
  std::string digits(buf, res.ec == std::errc() ? res.ptr : buf);
  size_t point = digits.find('.');
  size_t intEnd = point == std::string::npos ? digits.size() : point;
  size_t intStart = (!digits.empty() && digits[0] == '-') ? 1 : 0;
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + unit.size() + 2);
  out.append(digits, 0, intStart);
  for (size_t i = intStart; i < intEnd; ++i) {
    size_t left = intEnd - i;  // digits from here to the point
    if (i > intStart && left % 3 == 0) out.push_back(' ');
    out.push_back(digits[i]);
  }
  if (point != std::string::npos) {
    std::string frac = digits.substr(point + 1);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) {
      out.push_back('.');
      out += frac;
    }
  }
  if (out.size() == 2 && out[0] == '-' && out[1] == '0') out.erase(0, 1);  // never "-0"
  if (!unit.empty()) {
    out.push_back(' ');
    out.append(unit);
  }
  return out;
}

void ToDecimalComma(std::string& text) {
  for (char& c : text)
    if (c == '.') c = ',';
}

}  // namespace zeda
