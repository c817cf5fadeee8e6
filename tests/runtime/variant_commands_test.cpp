#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "oleaut32.h"
#include "runtime/automation_owned.h"
#include "runtime/blocks.h"
#include "tests/support/gbk_literals.h"

namespace {

using rt::ValueRecord;
using rt::Variant;

std::string Bytes(const rt::ByteSet& set) {
  return std::string(set.view());
}

// A one-dimensional runtime array of Int.
struct IntArray {
  void* block;
  explicit IntArray(std::initializer_list<int32_t> values)
      : block(rt::NewArray(static_cast<int32_t>(values.size()), 4)) {
    rt::ArrayInfo info = rt::ArrayCount(block);
    std::memcpy(info.members, values.begin(), values.size() * 4);
  }
  ~IntArray() { rt::RtFree(block); }
  ValueRecord Arg() const { return ValueRecord::Pointer(rt::type::Int | rt::RefFlag, block); }
};

TEST(VariantCommands, NewHoldsIntZeroAndClearZeroesEveryByte) {
  Variant v;
  EXPECT_EQ(v.ToText().str(), "0");
  v.Set(ValueRecord::Text("x"));
  v.Clear();
  EXPECT_EQ(v.ToText().get(), nullptr);
  VARIANT zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&v.value(), &zero, sizeof zero), 0);
}

TEST(VariantCommands, ByteSetsRoundTripAsOneBasedByteArrays) {
  Variant v;
  rt::ByteSet bytes = rt::ByteSet::Copy("\x01\x00\xFF", 3);
  EXPECT_EQ(v.Set(ValueRecord::ByteSet(bytes.get())), 1);
  ASSERT_EQ(v.value().vt, VT_ARRAY | VT_UI1);
  SAFEARRAY* array = v.value().parray;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  VARTYPE element = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetVartype(array, &element), S_OK);
  EXPECT_EQ(element, VT_UI1);
  EXPECT_EQ(SafeArrayGetElemsize(array), 1u);
  LONG lower = 0, upper = 0;
  EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(Bytes(v.ToByteSet()), std::string("\x01\x00\xFF", 3));

  Variant text;
  text.Set(ValueRecord::Text("ab"));
  EXPECT_EQ(Bytes(text.ToByteSet()), std::string("a\0b\0", 4));
}

TEST(VariantCommands, TextsGoThroughTheAnsiCodePage) {
  std::string gbk = test::Gbk("股票");
  Variant v;
  v.Set(ValueRecord::Text(gbk.c_str()));
  ASSERT_EQ(v.value().vt, VT_BSTR);
  EXPECT_EQ(std::basic_string<OLECHAR>(v.value().bstrVal, SysStringLen(v.value().bstrVal)),
            OLESTR("股票"));
  EXPECT_EQ(v.ToText().str(), gbk);
}

TEST(VariantCommands, UnsupportedValueLeavesTheVariantEmpty) {
  Variant v;
  EXPECT_EQ(v.Set(ValueRecord::Of(rt::type::SubroutinePointer, 0x1234)), 0);
  EXPECT_EQ(v.value().vt, VT_EMPTY);
  void* byte_sets = rt::NewArray(1, sizeof(void*));
  EXPECT_EQ(v.Set(ValueRecord::Pointer(rt::type::ByteSet | rt::RefFlag, byte_sets)), 0);
  EXPECT_EQ(v.value().vt, VT_EMPTY);
  rt::RtFree(byte_sets);
}

TEST(VariantCommands, ArraysAndIndexedElements) {
  IntArray numbers{10, 20, 30};
  Variant v;
  ASSERT_EQ(v.Set(numbers.Arg()), 1);
  ASSERT_EQ(v.value().vt, VT_ARRAY | VT_I4);
  EXPECT_EQ(v.value().parray->rgsabound[0].lLbound, 1);
  EXPECT_EQ(v.ToText(2).str(), "20");
  EXPECT_EQ(v.ToText().get(), nullptr);  // a whole array has no text

  EXPECT_EQ(v.Set(ValueRecord::Double(4.5), 3), 1);  // changed to the element type
  EXPECT_EQ(v.ToText(3).str(), "4");
  for (int32_t outside : {0, 4}) EXPECT_EQ(v.Set(ValueRecord::Int(1), outside), 0);
  EXPECT_EQ(v.Set(ValueRecord::Text("x"), 1), 0);
  rt::ByteSet bytes = rt::ByteSet::Copy("ab", 2);
  EXPECT_EQ(v.Set(ValueRecord::ByteSet(bytes.get()), 1), 0);  // arrays go only into variants
  EXPECT_EQ(v.ToText(1).str(), "10");
}

TEST(VariantCommands, VariantArraysTakeArrayElements) {
  Variant element, list;
  element.Set(ValueRecord::Int(1));
  void* cells = rt::NewArray(2, sizeof(void*));
  rt::VariantCell* pointer = element.cell();
  std::memcpy(rt::ArrayCount(cells).members, &pointer, sizeof pointer);
  std::memcpy(rt::ArrayCount(cells).members + sizeof pointer, &pointer, sizeof pointer);
  ASSERT_EQ(list.Set(ValueRecord::Pointer(rt::type::Variant | rt::RefFlag, cells)), 1);
  rt::RtFree(cells);
  ASSERT_EQ(list.value().vt, VT_ARRAY | VT_VARIANT);
  rt::ByteSet bytes = rt::ByteSet::Copy("ab", 2);
  EXPECT_EQ(list.Set(ValueRecord::ByteSet(bytes.get()), 2), 1);
  EXPECT_EQ(Bytes(list.ToByteSet(2)), "ab");
  EXPECT_EQ(list.ToText(1).str(), "1");
}

TEST(VariantCommands, CopyFromIsDeep) {
  Variant source, copy;
  source.Set(ValueRecord::Text("abc"));
  copy.Set(ValueRecord::Text("old"));  // released, not leaked
  copy.CopyFrom(source);
  source.Set(ValueRecord::Int(1));
  EXPECT_EQ(copy.ToText().str(), "abc");
}

}  // namespace
