#include "tests/runtime/probe_class.h"

#include <atomic>
#include <mutex>

#include "automation_object.h"
#include "ole32_classes.h"

namespace probe {
namespace {

using platform::DispatchObject;
using platform::MemberSpec;
using platform::ParamSpec;
using platform::TypeInfoTable;

std::atomic<int> live_probes{0};
std::atomic<bool> refuse_once{false};

enum Id : DISPID {
  kRecord = 1,
  kIncrement,
  kSetText,
  kSum,
  kFail,
  kShort,
  kRequired,
  kName,
  kReadOnly,
  kCount,
  kItems,
  kHalve,
  kTakeObject,
  kEcho,
};

const ParamSpec kOptionalVariant{VT_VARIANT, PARAMFLAG_FIN | PARAMFLAG_FOPT};
const ParamSpec kInOutInt{VT_BYREF | VT_I4, PARAMFLAG_FIN | PARAMFLAG_FOUT};
const ParamSpec kOutText{VT_BYREF | VT_BSTR, PARAMFLAG_FOUT};
const ParamSpec kInOutRealAlias{VT_BYREF | VT_USERDEFINED, PARAMFLAG_FIN | PARAMFLAG_FOUT,
                                TKIND_ALIAS, VT_R8};

const TypeInfoTable& ProbeType() {
  static const TypeInfoTable type({
      {u"Record",
       kRecord,
       INVOKE_FUNC,
       VT_VOID,
       {kOptionalVariant, kOptionalVariant, kOptionalVariant},
       3},
      {u"Increment", kIncrement, INVOKE_FUNC, VT_VOID, {kInOutInt}},
      {u"SetText", kSetText, INVOKE_FUNC, VT_VOID, {kOutText}},
      {u"Sum", kSum, INVOKE_FUNC, VT_I4, {ParamSpec{VT_I4}}, -1},
      {u"Fail", kFail, INVOKE_FUNC, VT_VOID, {ParamSpec{VT_I4}}},
      {u"Short", kShort, INVOKE_FUNC, VT_I2, {ParamSpec{VT_I2}}},
      {u"Required", kRequired, INVOKE_FUNC, VT_I4, {ParamSpec{VT_I4}, ParamSpec{VT_I4}}},
      {u"Name", kName, INVOKE_PROPERTYGET, VT_BSTR},
      {u"Name", kName, INVOKE_PROPERTYPUT, VT_VOID, {ParamSpec{VT_BSTR}}},
      {u"ReadOnly", kReadOnly, INVOKE_PROPERTYGET, VT_I4},
      {u"Count", kCount, platform::kVariable, VT_I4},
      {u"Items", kItems, platform::kVariable, VT_DISPATCH},
      {u"Halve", kHalve, INVOKE_FUNC, VT_VOID, {kInOutRealAlias}},
      {u"TakeObject", kTakeObject, INVOKE_FUNC, VT_I4, {ParamSpec{VT_DISPATCH}}},
      {u"Echo", kEcho, INVOKE_FUNC, VT_VARIANT, {ParamSpec{VT_VARIANT}}},
  });
  return type;
}

class Probe : public DispatchObject {
 public:
  Probe() : DispatchObject(ProbeType()) {
    ++live_probes;
    VariantInit(&items_);
  }
  ~Probe() override {
    VariantClear(&items_);
    --live_probes;
  }

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD kind, std::span<VARIANT> args,
                     VARIANT* result) override {
    switch (member.id) {
      case kRecord:
        LastReceived().Clear();
        for (const VARIANT& arg : args) {
          VARIANT copy;
          VariantInit(&copy);
          VariantCopy(&copy, &arg);
          LastReceived().args.push_back(copy);
        }
        return S_OK;
      case kIncrement:
        *args[0].plVal += 1;
        return S_OK;
      case kSetText:
        SysFreeString(*args[0].pbstrVal);
        *args[0].pbstrVal = SysAllocString(u"out");
        return S_OK;
      case kSum: {
        LONG sum = 0;
        for (const VARIANT& arg : args) sum += arg.lVal;
        platform::SetInt(result, sum);
        return S_OK;
      }
      case kFail:
        return static_cast<HRESULT>(args[0].lVal);
      case kShort:
      case kRequired:
        platform::SetInt(result, 1);
        return S_OK;
      case kName:
        if (kind == DISPATCH_PROPERTYGET) return platform::SetString(result, name_);
        name_.assign(args[0].bstrVal, SysStringLen(args[0].bstrVal));
        return S_OK;
      case kReadOnly:
        platform::SetInt(result, 7);
        return S_OK;
      case kCount:
        if (kind == DISPATCH_PROPERTYGET)
          platform::SetInt(result, count_);
        else
          count_ = args[0].lVal;
        return S_OK;
      case kItems:
        // Objects arrive by reference-put only.
        if (kind == DISPATCH_PROPERTYGET) return VariantCopy(result, &items_);
        if (kind != DISPATCH_PROPERTYPUTREF) return DISP_E_MEMBERNOTFOUND;
        return VariantCopy(&items_, &args[0]);
      case kHalve:
        *args[0].pdblVal /= 2;
        return S_OK;
      case kTakeObject:
        platform::SetInt(result, args[0].pdispVal ? 1 : 0);
        return S_OK;
      default:
        return VariantCopy(result, &args[0]);
    }
  }

 private:
  std::u16string name_;
  LONG count_ = 0;
  VARIANT items_;
};

// Answers IUnknown only.
class Plain : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (!(iid == IID_IUnknown)) return E_NOINTERFACE;
    AddRef();
    *object = this;
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  virtual ~Plain() = default;
  std::atomic<ULONG> references_{1};
};

class Untyped : public Probe {
 public:
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
};

// Type binding that finds "Inner" as a nested type; counts its references
// so tests can see that the binding's result is released.
class NestedComp : public ITypeComp {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }
  HRESULT Bind(LPOLESTR name, ULONG, WORD, ITypeInfo** info, DESCKIND* kind,
               BINDPTR* bound) override {
    *info = nullptr;
    *kind = DESCKIND_NONE;
    if (platform::SameMemberName(name, u"Inner")) {
      AddRef();
      *kind = DESCKIND_TYPECOMP;
      bound->lptcomp = this;
    }
    return S_OK;
  }
  std::atomic<ULONG> references{0};
};

class NestedInfo : public TypeInfoTable {
 public:
  NestedInfo() : TypeInfoTable({}) {}
  HRESULT GetTypeComp(ITypeComp** comp) override {
    comp_.AddRef();
    *comp = &comp_;
    return S_OK;
  }
  NestedComp comp_;
};

class Nested : public DispatchObject {
 public:
  Nested() : DispatchObject(Info()) {}
  static NestedInfo& Info() {
    static NestedInfo info;
    return info;
  }

 protected:
  HRESULT CallMember(const MemberSpec&, WORD, std::span<VARIANT>, VARIANT*) override {
    return E_FAIL;
  }
};

class Stubborn : public Probe {
 protected:
  void* OtherInterface(REFIID iid) override {
    return iid == IID_IRunnableObject ? static_cast<IRunnableObject*>(&runner_) : nullptr;
  }

 private:
  struct Runner : IRunnableObject {
    Stubborn* owner;
    explicit Runner(Stubborn* o) : owner(o) {}
    HRESULT QueryInterface(REFIID iid, void** object) override {
      return owner->QueryInterface(iid, object);
    }
    ULONG AddRef() override { return owner->AddRef(); }
    ULONG Release() override { return owner->Release(); }
    HRESULT Run(void*) override { return E_FAIL; }
  };
  Runner runner_{this};
};

template <class T>
HRESULT Create(REFIID iid, void** object) {
  auto* created = new T();
  HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

HRESULT CreateProbe(REFIID iid, void** object) {
  if (refuse_once.exchange(false)) return E_INVALIDARG;
  return Create<Probe>(iid, object);
}

}  // namespace

void RegisterClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    static platform::FunctionClassFactory probe(CreateProbe);
    static platform::FunctionClassFactory plain(Create<Plain>);
    static platform::FunctionClassFactory untyped(Create<Untyped>);
    static platform::FunctionClassFactory nested(Create<Nested>);
    static platform::FunctionClassFactory stubborn(Create<Stubborn>);
    platform::RegisterClassFactory(u"Test.Probe", kProbeClass, &probe);
    platform::RegisterClassFactory(u"Test.Plain", kPlainClass, &plain);
    platform::RegisterClassFactory(u"Test.Untyped", kUntypedClass, &untyped);
    platform::RegisterClassFactory(u"Test.Nested", kNestedClass, &nested);
    platform::RegisterClassFactory(u"Test.Stubborn", kStubbornClass, &stubborn);
  });
}

Received::~Received() {
  Clear();
}
void Received::Clear() {
  for (VARIANT& arg : args) VariantClear(&arg);
  args.clear();
}
Received& LastReceived() {
  static Received received;
  return received;
}

int NestedBindingReferences() {
  return static_cast<int>(Nested::Info().comp_.references);
}

int LiveProbes() {
  return live_probes;
}
void RefuseRemoteContextOnce() {
  refuse_once = true;
}

}  // namespace probe
