#include "ole32_classes.h"

#include <mutex>
#include <string>
#include <vector>

#include "automation_object.h"
#include "ole32_state.h"
#include "regexp_class.h"
#include "stream_class.h"

namespace {

struct RegisteredClass {
  std::u16string progid;
  CLSID clsid;
  IClassFactory* factory;  // one reference held
};

struct Registry {
  std::mutex mutex;
  std::vector<RegisteredClass> classes;

  Registry() {
    static platform::FunctionClassFactory regexp(platform::CreateRegExpObject);
    static platform::FunctionClassFactory stream(platform::CreateStreamObject);
    classes.push_back({u"VBScript.RegExp", platform::CLSID_RegExp, &regexp});
    classes.push_back({u"Adodb.Stream", platform::CLSID_Stream, &stream});
  }
  ~Registry() {
    for (RegisteredClass& entry : classes) entry.factory->Release();
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// `digits` hexadecimal digits at `text`, or false.
bool ReadHex(const char16_t* text, int digits, uint64_t* value) {
  uint64_t result = 0;
  for (int i = 0; i < digits; ++i) {
    int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<uint64_t>(digit);
  }
  *value = result;
  return true;
}

}  // namespace

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text) return CO_E_CLASSSTRING;
  std::u16string_view view(text);
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (view.size() != 38 || view[0] != u'{' || view[37] != u'}' || view[9] != u'-' ||
      view[14] != u'-' || view[19] != u'-' || view[24] != u'-')
    return CO_E_CLASSSTRING;
  uint64_t part;
  CLSID result{};
  if (!ReadHex(text + 1, 8, &part)) return CO_E_CLASSSTRING;
  result.Data1 = static_cast<uint32_t>(part);
  if (!ReadHex(text + 10, 4, &part)) return CO_E_CLASSSTRING;
  result.Data2 = static_cast<uint16_t>(part);
  if (!ReadHex(text + 15, 4, &part)) return CO_E_CLASSSTRING;
  result.Data3 = static_cast<uint16_t>(part);
  const int byte_offsets[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text + byte_offsets[i], 2, &part)) return CO_E_CLASSSTRING;
    result.Data4[i] = static_cast<uint8_t>(part);
  }
  *clsid = result;
  return S_OK;
}

HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid) {
  if (!progid || !clsid) return E_INVALIDARG;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const RegisteredClass& entry : registry.classes) {
    if (platform::SameMemberName(entry.progid, progid)) {
      *clsid = entry.clsid;
      return S_OK;
    }
  }
  return CO_E_CLASSSTRING;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (platform::CoInitializeDepthForThisThread() == 0) return CO_E_NOTINITIALIZED;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER))) return REGDB_E_CLASSNOTREG;
  IClassFactory* factory = nullptr;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (const RegisteredClass& entry : registry.classes) {
      if (entry.clsid == clsid) {
        factory = entry.factory;
        factory->AddRef();
        break;
      }
    }
  }
  if (!factory) return REGDB_E_CLASSNOTREG;
  HRESULT hr = factory->CreateInstance(nullptr, iid, object);
  factory->Release();
  return hr;
}

HRESULT OleRun(IUnknown* object) {
  if (!object) return E_INVALIDARG;
  IRunnableObject* runnable = nullptr;
  if (FAILED(object->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable))) ||
      !runnable)
    return S_OK;
  HRESULT hr = runnable->Run(nullptr);
  runnable->Release();
  return hr;
}

namespace platform {

bool RegisterClassFactory(std::u16string_view progid, const CLSID& clsid, IClassFactory* factory) {
  if (!factory) return false;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  for (const RegisteredClass& entry : registry.classes) {
    if (entry.clsid == clsid || SameMemberName(entry.progid, progid)) return false;
  }
  factory->AddRef();
  registry.classes.push_back({std::u16string(progid), clsid, factory});
  return true;
}

void UnregisterClassFactory(const CLSID& clsid) {
  IClassFactory* factory = nullptr;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto it = registry.classes.begin(); it != registry.classes.end(); ++it) {
      if (it->clsid == clsid) {
        factory = it->factory;
        registry.classes.erase(it);
        break;
      }
    }
  }
  if (factory) factory->Release();
}

HRESULT FunctionClassFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IClassFactory) {
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT FunctionClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return create_(iid, object);
}

}  // namespace platform
