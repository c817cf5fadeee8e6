#include "oleaut32.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

// An owned VARIANT for tests.
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
};

Var String(std::u16string_view text) {
  Var out;
  out.v.vt = VT_BSTR;
  out.v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return out;
}

// `from` changed to a string, or "<failed hr>".
std::u16string AsString(const VARIANT& from, USHORT flags = 0) {
  Var out;
  HRESULT hr = VariantChangeType(&out.v, &from, flags, VT_BSTR);
  if (FAILED(hr)) return u"<failed>";
  return std::u16string(out.v.bstrVal, SysStringLen(out.v.bstrVal));
}

std::u16string RealString(double value) {
  Var in;
  in.v.vt = VT_R8;
  in.v.dblVal = value;
  return AsString(in.v);
}

HRESULT ToInt(std::u16string_view text, LONG* value) {
  Var in = String(text);
  Var out;
  HRESULT hr = VariantChangeType(&out.v, &in.v, 0, VT_I4);
  *value = out.v.lVal;
  return hr;
}

HRESULT ToReal(std::u16string_view text, double* value) {
  Var in = String(text);
  Var out;
  HRESULT hr = VariantChangeType(&out.v, &in.v, 0, VT_R8);
  *value = out.v.dblVal;
  return hr;
}

TEST(Bstr, LengthsComeFromThePrefixNotFromNul) {
  BSTR text = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(text[3], u'\0');
  SysFreeString(text);
  BSTR odd = SysAllocStringByteLen("abc", 3);
  EXPECT_EQ(SysStringByteLen(odd), 3u);
  EXPECT_EQ(SysStringLen(odd), 1u);
  SysFreeString(odd);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

TEST(SafeArray, BoundsElementsAndCopies) {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {3, 0}};
  SAFEARRAY* array = SafeArrayCreate(VT_BSTR, 2, bounds);
  ASSERT_NE(array, nullptr);
  LONG bound;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &bound), S_OK);
  EXPECT_EQ(bound, 1);
  EXPECT_EQ(SafeArrayGetUBound(array, 2, &bound), S_OK);
  EXPECT_EQ(bound, 2);
  LONG at[2] = {2, 2};
  BSTR value = SysAllocString(u"last");
  EXPECT_EQ(SafeArrayPutElement(array, at, value), S_OK);
  SysFreeString(value);  // the array keeps its own copy
  LONG outside[2] = {3, 0};
  EXPECT_EQ(SafeArrayPutElement(array, outside, value), DISP_E_BADINDEX);

  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  SafeArrayDestroy(array);
  BSTR read = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy, at, &read), S_OK);
  EXPECT_EQ(std::u16string(read), u"last");
  // Storage order: the first dimension varies fastest, so {2, 2} is last.
  BSTR stored;
  std::memcpy(&stored, static_cast<char*>(copy->pvData) + 5 * sizeof(BSTR), sizeof stored);
  EXPECT_EQ(std::u16string(stored), u"last");
  SysFreeString(read);
  SafeArrayDestroy(copy);
}

TEST(VariantChangeType, LogicalValuesAndIntegersToStrings) {
  Var b;
  b.v.vt = VT_BOOL;
  b.v.boolVal = VARIANT_TRUE;
  EXPECT_EQ(AsString(b.v), u"-1");
  EXPECT_EQ(AsString(b.v, VARIANT_ALPHABOOL), u"True");
  b.v.boolVal = VARIANT_FALSE;
  EXPECT_EQ(AsString(b.v), u"0");
  Var i;
  i.v.vt = VT_I4;
  i.v.lVal = -123;
  EXPECT_EQ(AsString(i.v), u"-123");
  Var empty;
  EXPECT_EQ(AsString(empty.v), u"");
  Var null;
  null.v.vt = VT_NULL;
  EXPECT_EQ(AsString(null.v), u"<failed>");
}

TEST(VariantChangeType, DoublesUseFifteenSignificantDigits) {
  EXPECT_EQ(RealString(3.14159265358979), u"3.14159265358979");
  EXPECT_EQ(RealString(999999999999999.0), u"999999999999999");
  EXPECT_EQ(RealString(1e15), u"1E+15");
  EXPECT_EQ(RealString(1.2e15), u"1.2E+15");
  EXPECT_EQ(RealString(5.6789e-11), u"0.000000000056789");
  EXPECT_EQ(RealString(5.6789e-12), u"5.6789E-12");
  EXPECT_EQ(RealString(-0.5), u"-0.5");
  EXPECT_EQ(RealString(0.1 + 0.2), u"0.3");
  Var f;
  f.v.vt = VT_R4;
  f.v.fltVal = 1e8f;
  EXPECT_EQ(AsString(f.v), u"1E+08");
}

// The process switched to a locale whose decimal point is a comma, as the
// window library does from the environment, and back to what it was.
class CommaDecimalLocale {
 public:
  CommaDecimalLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr &&
              std::string(std::localeconv()->decimal_point) == ",";
  }
  ~CommaDecimalLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

TEST(VariantChangeType, NumbersAndTextIgnoreTheProcessLocale) {
  CommaDecimalLocale locale;
  ASSERT_TRUE(locale.Active()) << "de_DE.UTF-8 is missing; scripts/install-deps installs it";
  const std::pair<std::u16string_view, double> readings[] = {
      {u"1.5", 1.5}, {u"1,234.5", 1234.5}, {u"-2.5E-3", -0.0025}, {u"1e-400", 0}};
  double value;
  for (const auto& [text, expected] : readings) {
    EXPECT_EQ(ToReal(text, &value), S_OK) << std::string(text.begin(), text.end());
    EXPECT_EQ(value, expected) << std::string(text.begin(), text.end());
  }
  EXPECT_EQ(ToReal(u"1e400", &value), DISP_E_OVERFLOW);
  EXPECT_EQ(RealString(1.5), u"1.5");
  EXPECT_EQ(RealString(-1234.5), u"-1234.5");
  EXPECT_EQ(RealString(5.6789e-12), u"5.6789E-12");
  Var f;
  f.v.vt = VT_R4;
  f.v.fltVal = 0.25f;
  EXPECT_EQ(AsString(f.v), u"0.25");
}

TEST(VariantChangeType, StringsToIntegersRoundHalfToEven) {
  LONG value;
  const std::pair<std::u16string_view, LONG> cases[] = {
      {u"0.5", 0},      {u"-0.5", 0},  {u"1.5", 2},    {u"2.5", 2},   {u"-1.5", -2},
      {u"0.6", 1},      {u" 42 ", 42}, {u"&H10", 16},  {u"&O17", 15}, {u"(5)", -5},
      {u"1,234", 1234}, {u"+7", 7},    {u"1e3", 1000},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ToInt(text, &value), S_OK) << std::string(text.begin(), text.end());
    EXPECT_EQ(value, expected) << std::string(text.begin(), text.end());
  }
  for (std::u16string_view bad : {u"", u" ", u"abc", u"1.2.3", u",1", u"&Hxyz"})
    EXPECT_EQ(ToInt(bad, &value), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(ToInt(u"2147483648", &value), DISP_E_OVERFLOW);
  EXPECT_EQ(ToInt(u"2147483647", &value), S_OK);
}

TEST(VariantChangeType, StringsToLogicalValues) {
  for (auto [text, expected] : {std::pair{u"True", VARIANT_TRUE},
                                {u"FALSE", VARIANT_FALSE},
                                {u"0", VARIANT_FALSE},
                                {u"-1", VARIANT_TRUE},
                                {u"0.1", VARIANT_TRUE}}) {
    Var in = String(text);
    Var out;
    ASSERT_EQ(VariantChangeType(&out.v, &in.v, 0, VT_BOOL), S_OK);
    EXPECT_EQ(out.v.boolVal, expected);
  }
}

TEST(VariantChangeType, ByteArraysAndStringsAreRawUtf16) {
  Var text = String(u"ab");
  Var bytes;
  ASSERT_EQ(VariantChangeType(&bytes.v, &text.v, 0, VT_ARRAY | VT_UI1), S_OK);
  ASSERT_EQ(bytes.v.parray->rgsabound[0].cElements, 4u);
  EXPECT_EQ(bytes.v.parray->rgsabound[0].lLbound, 0);
  EXPECT_EQ(std::memcmp(bytes.v.parray->pvData, "a\0b\0", 4), 0);
  // Back from an array of any lower bound, NULs and all.
  Var array;
  array.v.vt = VT_ARRAY | VT_UI1;
  array.v.parray = SafeArrayCreateVector(VT_UI1, 1, 6);
  std::memcpy(array.v.parray->pvData, "x\0\0\0y\0", 6);
  EXPECT_EQ(AsString(array.v), std::u16string(u"x\0y", 3));
  // In place, and a failure leaves the destination alone.
  ASSERT_EQ(VariantChangeType(&array.v, &array.v, 0, VT_BSTR), S_OK);
  EXPECT_EQ(array.v.vt, VT_BSTR);
  Var words;
  words.v.vt = VT_ARRAY | VT_I4;
  words.v.parray = SafeArrayCreateVector(VT_I4, 0, 1);
  EXPECT_EQ(VariantChangeType(&words.v, &words.v, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(words.v.vt, VT_ARRAY | VT_I4);
}

TEST(VariantChangeType, NumbersOverflowAndIndirection) {
  Var big;
  big.v.vt = VT_R8;
  big.v.dblVal = 40000;
  Var out;
  EXPECT_EQ(VariantChangeType(&out.v, &big.v, 0, VT_I2), DISP_E_OVERFLOW);
  LONG target = 77;
  Var reference;
  reference.v.vt = VT_BYREF | VT_I4;
  reference.v.plVal = &target;
  EXPECT_EQ(AsString(reference.v), u"77");
  EXPECT_EQ(VariantChangeType(&out.v, &big.v, 0, 0x7F), DISP_E_BADVARTYPE);
}

}  // namespace
