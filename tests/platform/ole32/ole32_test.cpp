#include "ole32.h"

#include <gtest/gtest.h>

#include <thread>

#include "ole32_classes.h"
#include "ole32_state.h"

namespace {

using platform::CoInitializeDepthForThisThread;

TEST(Ole32Test, InitialisationNestsInBalancedPairs) {
  ASSERT_EQ(CoInitializeDepthForThisThread(), 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitializeDepthForThisThread(), 2);
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 1);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 0);
  // One too many is harmless, and the next initialisation is a first one again.
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST(Ole32Test, EachThreadCountsForItself) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  HRESULT other_first = -1;
  int other_depth = -1;
  std::thread other([&] {
    other_first = CoInitialize(nullptr);
    other_depth = CoInitializeDepthForThisThread();
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(other_first, S_OK);
  EXPECT_EQ(other_depth, 1);
  EXPECT_EQ(CoInitializeDepthForThisThread(), 1);
  CoUninitialize();
}

TEST(ClassRegistry, ParsesClsidStringsStrictly) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromString(u"{3F4DACA4-160D-11D2-A8E9-00104B365C9F}", &clsid), S_OK);
  EXPECT_EQ(clsid.Data1, 0x3F4DACA4u);
  EXPECT_EQ(clsid.Data4[0], 0xA8);
  EXPECT_EQ(clsid.Data4[7], 0x9F);
  for (const char16_t* bad :
       {u"", u"{3F4DACA4-160D-11D2-A8E9-00104B365C9}", u"3F4DACA4-160D-11D2-A8E9-00104B365C9F",
        u"{3F4DACA4-160D-11D2-A8E9-00104B365C9G}"})
    EXPECT_EQ(CLSIDFromString(bad, &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(u"vbscript.regexp", &clsid), S_OK);
  EXPECT_EQ(CLSIDFromProgID(u"No.Such", &clsid), CO_E_CLASSSTRING);
  IUnknown* object = nullptr;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            CO_E_NOTINITIALIZED);
}

}  // namespace
