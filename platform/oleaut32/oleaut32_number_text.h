// Numbers to and from the automation string forms: what VariantChangeType
// uses between VT_BSTR and the numeric types. The decimal mark is always the
// point, whatever locale the process runs under.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "oleaut32_types.h"

namespace platform {

// A number on its way between two variant types: exact while integral.
struct AutomationNumber {
  bool integral = true;
  int64_t integer = 0;
  double real = 0;
  double AsDouble() const { return integral ? static_cast<double>(integer) : real; }
};

// Reads a number the way the automation rules read strings: surrounding
// spaces, a sign or enclosing parentheses (negative), thousands separators,
// a decimal point, an exponent, and "&H" / "&O" integers. Empty or malformed
// text gives DISP_E_TYPEMISMATCH, a value beyond a double DISP_E_OVERFLOW.
HRESULT ParseAutomationNumber(std::u16string_view text, AutomationNumber* number);

// `significant` digits (15 for doubles, 7 for floats), trailing zeros dropped,
// no grouping; exponent form ("1E+15", "5.6789E-12", "1E+08") from 10^significant up
// and below 10^-11, plain otherwise.
std::u16string FormatAutomationReal(double value, int significant);
std::u16string FormatAutomationInteger(int64_t value);

}  // namespace platform
