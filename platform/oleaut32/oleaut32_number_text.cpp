#include "oleaut32_number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform {
namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}
bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

std::u16string Widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

HRESULT ParseRadix(std::u16string_view digits, int radix, AutomationNumber* number) {
  if (digits.empty()) return DISP_E_TYPEMISMATCH;
  uint64_t value = 0;
  for (char16_t c : digits) {
    int digit;
    if (IsDigit(c)) {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      return DISP_E_TYPEMISMATCH;
    }
    if (digit >= radix) return DISP_E_TYPEMISMATCH;
    if (value > (std::numeric_limits<uint64_t>::max() - digit) / radix) return DISP_E_OVERFLOW;
    value = value * radix + digit;
  }
  if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return DISP_E_OVERFLOW;
  *number = {true, static_cast<int64_t>(value), 0};
  return S_OK;
}

// Whether the ASCII number `ascii` (sign, digits, point, exponent) is at least
// 1 in magnitude. A number too large or too small for a double is read as out
// of range either way, and only this tells an overflow from an underflow.
bool MagnitudeAtLeastOne(std::string_view ascii) {
  size_t e = std::min(ascii.find('e'), ascii.size());
  std::string_view mantissa = ascii.substr(0, e);
  // The exponent saturates: far beyond a double's range either way is enough.
  int64_t exponent = 0;
  if (e < ascii.size()) {
    std::string_view digits = ascii.substr(e + 1);
    bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
      digits.remove_prefix(1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), exponent);
    if (error != std::errc()) exponent = std::numeric_limits<int32_t>::max();
    if (negative) exponent = -exponent;
  }
  size_t point = std::min(mantissa.find('.'), mantissa.size());
  size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return false;
  // The power of ten of the first significant digit.
  auto lead = first < point ? static_cast<int64_t>(point - first - 1)
                            : -static_cast<int64_t>(first - point);
  return lead + exponent >= 0;
}

}  // namespace

HRESULT ParseAutomationNumber(std::u16string_view text, AutomationNumber* number) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text[0] == u'&') {
    if (text[1] == u'H' || text[1] == u'h') return ParseRadix(text.substr(2), 16, number);
    if (text[1] == u'O' || text[1] == u'o') return ParseRadix(text.substr(2), 8, number);
  }
  bool negative = false;
  if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
    negative = true;
    text = text.substr(1, text.size() - 2);
  } else if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  // Digits with separators dropped, the point and the exponent, in ASCII. The
  // reading that follows ignores the process locale, whose decimal point may be
  // a comma.
  std::string clean = negative ? "-" : "";
  size_t i = 0;
  int digits = 0;
  bool integral = true;
  for (; i < text.size() && (IsDigit(text[i]) || text[i] == u','); ++i) {
    if (text[i] == u',') {
      if (digits == 0) return DISP_E_TYPEMISMATCH;
      continue;
    }
    clean += static_cast<char>(text[i]);
    ++digits;
  }
  if (i < text.size() && text[i] == u'.') {
    integral = false;
    clean += '.';
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      clean += static_cast<char>(text[i]);
      ++digits;
    }
  }
  if (digits == 0) return DISP_E_TYPEMISMATCH;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    integral = false;
    clean += 'e';
    ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
      clean += static_cast<char>(text[i++]);
    size_t exponent_start = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) clean += static_cast<char>(text[i]);
    if (i == exponent_start) return DISP_E_TYPEMISMATCH;
  }
  if (i != text.size()) return DISP_E_TYPEMISMATCH;
  const char* begin = clean.data();
  const char* end = begin + clean.size();
  if (integral) {
    int64_t value = 0;
    if (std::from_chars(begin, end, value).ec == std::errc()) {
      *number = {true, value, 0};
      return S_OK;
    }
    // Too long for an integer: read it as a double.
  }
  double value = 0;
  if (std::from_chars(begin, end, value, std::chars_format::general).ec != std::errc()) {
    // Out of range: too large overflows, too small is a zero of its sign.
    if (MagnitudeAtLeastOne(clean)) return DISP_E_OVERFLOW;
    value = negative ? -0.0 : 0.0;
  }
  *number = {false, 0, value};
  return S_OK;
}

std::u16string FormatAutomationReal(double value, int significant) {
  if (value == 0) return u"0";
  if (!std::isfinite(value)) return Widen(std::isnan(value) ? "NaN" : value < 0 ? "-Inf" : "Inf");
  // The scientific form rounds to the wanted significant digits and tells the
  // exponent; unlike formatted printing it always writes a point, whatever the
  // process locale says.
  char buffer[64];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::scientific, significant - 1);
  if (error != std::errc()) return u"0";
  std::string text(buffer, end);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t e = text.find('e');
  const char* exponent_text = text.c_str() + e + 1;
  if (*exponent_text == '+') ++exponent_text;
  int exponent = 0;
  std::from_chars(exponent_text, text.c_str() + text.size(), exponent);
  std::string mantissa;
  for (size_t k = 0; k < e; ++k) {
    if (text[k] != '.') mantissa += text[k];
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= significant || exponent < -11) {
    out += mantissa[0];
    if (mantissa.size() > 1) out.append(".").append(mantissa, 1);
    out += exponent < 0 ? "E-" : "E+";
    // At least two exponent digits, as in "1E+08".
    if (std::abs(exponent) < 10) out += '0';
    out += std::to_string(std::abs(exponent));
  } else if (exponent < 0) {
    out.append("0.").append(static_cast<size_t>(-exponent - 1), '0').append(mantissa);
  } else {
    auto whole = static_cast<size_t>(exponent) + 1;
    if (mantissa.size() <= whole) {
      out += mantissa + std::string(whole - mantissa.size(), '0');
    } else {
      out += mantissa.substr(0, whole) + "." + mantissa.substr(whole);
    }
  }
  return Widen(out);
}

std::u16string FormatAutomationInteger(int64_t value) {
  return Widen(std::to_string(value));
}

}  // namespace platform
