#include <gtest/gtest.h>

#include <atomic>

#include "ole32.h"
#include "runtime/automation_owned.h"
#include "runtime/heap.h"
#include "tests/runtime/probe_class.h"

namespace {

using rt::ComObject;
using rt::ValueRecord;

class ObjectCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    probe::RegisterClasses();
  }
  void TearDown() override { CoUninitialize(); }
};

// Records of one int, counting how many live.
class IntRecords : public IRecordInfo {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT RecordClear(void* record) override {
    *static_cast<int*>(record) = 0;
    return S_OK;
  }
  HRESULT RecordCopy(void* source, void* destination) override {
    *static_cast<int*>(destination) = *static_cast<int*>(source);
    return S_OK;
  }
  void* RecordCreate() override {
    ++live;
    return new int(0);
  }
  HRESULT RecordCreateCopy(void* source, void** copy) override {
    ++live;
    *copy = new int(*static_cast<int*>(source));
    return S_OK;
  }
  HRESULT RecordDestroy(void* record) override {
    --live;
    delete static_cast<int*>(record);
    return S_OK;
  }
  std::atomic<int> references{0};
  std::atomic<int> live{0};
};

TEST_F(ObjectCommandsTest, CreatesByProgIdOrClsid) {
  ComObject by_name, by_clsid, by_any_case;
  EXPECT_TRUE(by_name.Create("Test.Probe"));
  EXPECT_FALSE(by_name.IsEmpty());
  EXPECT_TRUE(by_clsid.Create("{51E0B001-0000-0000-0000-000000000001}"));
  EXPECT_EQ(by_clsid.ReadNumberProperty("ReadOnly"), 7.0);
  EXPECT_TRUE(by_any_case.Create("test.PROBE"));
  // No type libraries exist here; a ProgID still creates with one named.
  ComObject with_library;
  EXPECT_TRUE(with_library.Create("Test.Probe", "C:\\types\\probe.tlb"));
}

TEST_F(ObjectCommandsTest, FailedCreationKeepsTheOldObject) {
  const int before = probe::LiveProbes();
  ComObject object;
  ASSERT_TRUE(object.Create("Test.Probe"));
  for (const char* name : {"{51E0B001-0000-0000-0000-00000000000", "{nonsense}", "No.Such.Class",
                           "", "Test.Stubborn"}) {
    EXPECT_FALSE(object.Create(name)) << name;
    EXPECT_EQ(object.ReadNumberProperty("ReadOnly"), 7.0) << name;
  }
  // The stubborn object was released when it would not run.
  EXPECT_EQ(probe::LiveProbes(), before + 1);
  // A successful creation releases the old object.
  ASSERT_TRUE(object.Create("Test.Probe"));
  EXPECT_EQ(probe::LiveProbes(), before + 1);
}

TEST_F(ObjectCommandsTest, RetriesWithoutTheRemoteServerOnInvalidArgument) {
  probe::RefuseRemoteContextOnce();
  ComObject object;
  EXPECT_TRUE(object.Create("Test.Probe"));
}

TEST_F(ObjectCommandsTest, CreationNeedsComOnTheThread) {
  CoUninitialize();
  ComObject object;
  EXPECT_FALSE(object.Create("Test.Probe"));
  CoInitialize(nullptr);
}

TEST_F(ObjectCommandsTest, AssignSharesOneMoreReference) {
  const int before = probe::LiveProbes();
  {
    ComObject first;
    ASSERT_TRUE(first.Create("Test.Probe"));
    ComObject second;
    second.AssignFrom(first);
    first.Clear();
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(second.ReadNumberProperty("ReadOnly"), 7.0);
    EXPECT_EQ(probe::LiveProbes(), before + 1);
  }
  EXPECT_EQ(probe::LiveProbes(), before);
}

TEST_F(ObjectCommandsTest, RecordsAreDestroyedAndPassedAsCopies) {
  IntRecords records;
  ComObject probe;
  ASSERT_TRUE(probe.Create("Test.Probe"));
  {
    ComObject record;
    record.cell()->object = &records;
    record.cell()->record = records.RecordCreate();
    records.AddRef();
    *static_cast<int*>(record.cell()->record) = 9;
    EXPECT_FALSE(record.IsEmpty());

    probe.CallMethod("Record", {record.Arg()});
    const auto& args = probe::LastReceived().args;
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].vt, VT_RECORD);
    EXPECT_EQ(*static_cast<int*>(args[0].pvRecord), 9);
    probe::LastReceived().Clear();
    // The argument's copy is gone; the cell's record is intact.
    EXPECT_EQ(*static_cast<int*>(record.cell()->record), 9);
    EXPECT_EQ(records.live, 1);
  }
  EXPECT_EQ(records.live, 0);
  EXPECT_EQ(records.references, 0);
}

TEST_F(ObjectCommandsTest, CellWithOnlyRecordDataCountsAsEmpty) {
  ComObject object;
  object.cell()->record = rt::RtAlloc(16);
  EXPECT_TRUE(object.IsEmpty());
  object.Clear();  // frees the lone record data
  EXPECT_EQ(object.cell()->record, nullptr);
}

}  // namespace
