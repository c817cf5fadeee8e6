#include "runtime/invoke_member.h"

#include <gtest/gtest.h>

#include <functional>

#include "ole32.h"
#include "runtime/automation_owned.h"
#include "runtime/blocks.h"
#include "runtime/last_call_status.h"
#include "tests/runtime/probe_class.h"

namespace {

using rt::ComObject;
using rt::ValueRecord;
namespace status = rt::status;

class InvokeMemberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    probe::RegisterClasses();
    ASSERT_TRUE(probe_.Create("Test.Probe"));
  }
  void TearDown() override { CoUninitialize(); }

  ValueRecord Hr(HRESULT hr) { return ValueRecord::Int(hr); }

  ComObject probe_;
};

TEST_F(InvokeMemberTest, ReachesEveryStatusTheObjectModelProduces) {
  ComObject empty, plain, untyped, nested;
  ASSERT_TRUE(plain.Create("Test.Plain"));
  ASSERT_TRUE(untyped.Create("Test.Untyped"));
  ASSERT_TRUE(nested.Create("Test.Nested"));
  rt::ByteSet bytes = rt::ByteSet::Copy("ab", 2);
  probe_.WriteProperty("Name", {ValueRecord::Text("abc")});

  struct Case {
    const char* what;
    int32_t expected;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"a readable property", status::Success, [&] { probe_.ReadNumberProperty("ReadOnly"); }},
      {"an empty object", status::EmptyObject, [&] { empty.ReadTextProperty("Name"); }},
      {"no IDispatch", status::NoDispatch, [&] { plain.ReadTextProperty("Name"); }},
      {"an unknown name", status::NoMember, [&] { probe_.ReadTextProperty("Nothing"); }},
      {"a write to a read-only property", status::NoMember,
       [&] { probe_.WriteProperty("ReadOnly", {ValueRecord::Int(1)}); }},
      {"a nested type", status::NoMember, [&] { nested.ReadTextProperty("Inner"); }},
      {"no type information", status::NoTypeInfo, [&] { untyped.ReadTextProperty("Name"); }},
      {"one argument too many", status::TooManyArguments,
       [&] {
         probe_.CallMethod("Increment", {ValueRecord::Int(1), ValueRecord::Int(2)});
       }},
      {"a byte-set argument", status::UnsupportedArgument,
       [&] { probe_.CallMethod("Record", {ValueRecord::ByteSet(bytes.get())}); }},
      {"a text result read as a number", status::ResultNotConvertible,
       [&] { probe_.ReadNumberProperty("Name"); }},
      {"too few arguments", status::BadParamCount,
       [&] { probe_.CallMethod("Required", {ValueRecord::Int(1)}); }},
      {"DISP_E_BADVARTYPE", status::BadVarType,
       [&] { probe_.CallMethod("Fail", {Hr(DISP_E_BADVARTYPE)}); }},
      {"DISP_E_EXCEPTION", status::Exception,
       [&] { probe_.CallMethod("Fail", {Hr(DISP_E_EXCEPTION)}); }},
      {"DISP_E_MEMBERNOTFOUND", status::MemberNotFound,
       [&] { probe_.CallMethod("Fail", {Hr(DISP_E_MEMBERNOTFOUND)}); }},
      {"DISP_E_NONAMEDARGS", status::NoNamedArgs,
       [&] { probe_.CallMethod("Fail", {Hr(DISP_E_NONAMEDARGS)}); }},
      {"a value beyond a Short parameter", status::Overflow,
       [&] { probe_.CallMethod("Short", {ValueRecord::Int(100000)}); }},
      {"DISP_E_PARAMNOTFOUND", status::ParamNotFound,
       [&] { probe_.CallMethod("Fail", {Hr(DISP_E_PARAMNOTFOUND)}); }},
      {"a text for an Int parameter", status::TypeMismatch,
       [&] { probe_.CallMethod("Sum", {ValueRecord::Text("abc")}); }},
      {"an omitted required argument", status::ParamNotOptional,
       [&] {
         probe_.CallMethod("Required", {ValueRecord{}, ValueRecord::Int(5)});
       }},
      {"any other failure", status::OtherFailure, [&] { probe_.CallMethod("Fail", {Hr(E_FAIL)}); }},
  };
  for (const Case& c : cases) {
    rt::SetLastCallStatus(12345);
    c.call();
    EXPECT_EQ(rt::LastCallStatus(), c.expected) << c.what;
  }
}

TEST_F(InvokeMemberTest, FailuresGiveTheEmptyValueOfThePromisedType) {
  ComObject empty;
  EXPECT_EQ(empty.ReadTextProperty("Name").get(), nullptr);
  EXPECT_EQ(empty.ReadNumberProperty("Count"), 0.0);
  EXPECT_TRUE(empty.ReadObjectProperty("Items").IsEmpty());
  rt::Variant value = empty.ReadProperty("Name");
  EXPECT_EQ(value.value().vt, VT_EMPTY);
  EXPECT_EQ(rt::LastCallStatus(), status::EmptyObject);
  ASSERT_TRUE(probe_.WriteProperty("Count", {ValueRecord::Int(5)}));
  EXPECT_FALSE(probe_.WriteProperty("Counts", {ValueRecord::Int(1)}));
  EXPECT_EQ(rt::LastCallStatus(), status::NoMember);
  EXPECT_EQ(probe_.ReadNumberProperty("Count"), 5.0) << "a member the type lacks changes nothing";
}

TEST_F(InvokeMemberTest, NestedTypeBindingIsReleased) {
  ComObject nested;
  ASSERT_TRUE(nested.Create("Test.Nested"));
  nested.ReadTextProperty("Inner");
  EXPECT_EQ(rt::LastCallStatus(), status::NoMember);
  // The binding interface and the nested type it bound both went back.
  EXPECT_EQ(probe::NestedBindingReferences(), 0);
}

TEST_F(InvokeMemberTest, TrailingOmittedArgumentsAreDroppedAndInnerOnesMarked) {
  ValueRecord none{};
  probe_.CallMethod("Record", {ValueRecord::Int(1), none, ValueRecord::Int(3), none, none});
  ASSERT_EQ(rt::LastCallStatus(), status::Success);
  const auto& args = probe::LastReceived().args;
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].vt, VT_I4);
  EXPECT_EQ(args[1].vt, VT_ERROR);
  EXPECT_EQ(args[1].scode, DISP_E_PARAMNOTFOUND);
  EXPECT_EQ(args[2].lVal, 3);

  rt::Variant empty;
  empty.Clear();
  probe_.CallMethod("Record", {ValueRecord::Int(1), empty.Arg(), ValueRecord::Int(3)});
  ASSERT_EQ(probe::LastReceived().args.size(), 3u);
  EXPECT_EQ(probe::LastReceived().args[1].vt, VT_ERROR);

  probe_.CallMethod("Record", {ValueRecord::Int(1), none, none});
  EXPECT_EQ(probe::LastReceived().args.size(), 1u);
}

TEST_F(InvokeMemberTest, BoolAndInt64TravelAsThePlatformTypes) {
  probe_.CallMethod("Record", {ValueRecord::Bool(true), ValueRecord::Int64(0x100000001LL),
                               ValueRecord::Of(rt::type::Bool, 7)});
  const auto& args = probe::LastReceived().args;
  ASSERT_EQ(args.size(), 3u);
  EXPECT_EQ(args[0].vt, VT_BOOL);
  EXPECT_EQ(args[0].boolVal, VARIANT_TRUE);
  EXPECT_EQ(args[1].vt, VT_I4);
  EXPECT_EQ(args[1].lVal, 1);
  EXPECT_EQ(args[2].boolVal, VARIANT_TRUE);
  // Any non-zero VT_BOOL reads back as the runtime's true.
  EXPECT_EQ(probe_.ReadNumberProperty("Echo", {ValueRecord::Bool(true)}), -1.0);
}

TEST_F(InvokeMemberTest, OutParametersAreWrittenBackThroughReferences) {
  int32_t counter = 41;
  probe_.CallMethod("Increment", {ValueRecord::Pointer(rt::type::Int | rt::RefFlag, &counter)});
  EXPECT_EQ(counter, 42);
  // A value argument is passed, but there is no variable to write back to.
  probe_.CallMethod("Increment", {ValueRecord::Int(counter)});
  EXPECT_EQ(rt::LastCallStatus(), status::Success);
  EXPECT_EQ(counter, 42);

  // Only the low 32 bits travel; the result comes back sign-extended.
  int64_t wide = 0x2FFFFFFFELL;
  probe_.CallMethod("Increment", {ValueRecord::Pointer(rt::type::Int64 | rt::RefFlag, &wide)});
  EXPECT_EQ(wide, -1);

  char* text = rt::NewText("in");
  probe_.CallMethod("SetText", {ValueRecord::Pointer(rt::type::Text | rt::RefFlag, &text)});
  EXPECT_STREQ(text, "out");
  rt::RtFree(text);

  // The parameter is an alias of Double: an Int variable goes as 5.0 and the
  // halved 2.5 comes back rounded half to even.
  int32_t odd = 5;
  probe_.CallMethod("Halve", {ValueRecord::Pointer(rt::type::Int | rt::RefFlag, &odd)});
  EXPECT_EQ(odd, 2);
  double real = 5;
  probe_.CallMethod("Halve", {ValueRecord::Pointer(rt::type::Double | rt::RefFlag, &real)});
  EXPECT_EQ(real, 2.5);
}

TEST_F(InvokeMemberTest, VariableArgumentListsRepeatTheLastParameter) {
  rt::Text sum = probe_.CallTextMethod(
      "Sum", {ValueRecord::Int(1), ValueRecord::Int(2), ValueRecord::Int(3), ValueRecord::Int(4)});
  EXPECT_EQ(sum.str(), "10");
}

TEST_F(InvokeMemberTest, VariablesAreReadAndWrittenObjectsByReferencePut) {
  EXPECT_TRUE(probe_.WriteProperty("Count", {ValueRecord::Int(5)}));
  EXPECT_EQ(probe_.ReadNumberProperty("Count"), 5.0);
  EXPECT_EQ(rt::LastCallStatus(), status::Success);

  ComObject other;
  ASSERT_TRUE(other.Create("Test.Probe"));
  EXPECT_TRUE(probe_.WriteProperty("Items", {other.Arg()}));
  ComObject back = probe_.ReadObjectProperty("Items");
  EXPECT_EQ(back.ReadNumberProperty("ReadOnly"), 7.0);
}

TEST_F(InvokeMemberTest, ObjectArgumentsAndReferencesAreBalanced) {
  const int before = probe::LiveProbes();
  {
    ComObject other, empty;
    ASSERT_TRUE(other.Create("Test.Probe"));
    EXPECT_EQ(probe_.ReadNumberProperty("TakeObject", {other.Arg()}), 1.0);
    EXPECT_EQ(probe_.ReadNumberProperty("TakeObject", {empty.Arg()}), 0.0);
    rt::Variant echoed = probe_.ReadProperty("Echo", {other.Arg()});
    EXPECT_EQ(echoed.value().vt, VT_DISPATCH);
    EXPECT_EQ(probe::LiveProbes(), before + 1);
  }
  EXPECT_EQ(probe::LiveProbes(), before);
}

}  // namespace
