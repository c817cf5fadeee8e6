// Creating automation objects by name: the class registry behind ProgIDs and
// CLSIDs, CoCreateInstance and the running-state step. The built-in classes
// ("VBScript.RegExp", "Adodb.Stream") are always registered; tests may add
// their own.
#pragma once

#include <string_view>

#include "oleaut32_interfaces.h"

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;

// ProgIDs compare case-insensitively; an unknown one gives CO_E_CLASSSTRING.
HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in hexadecimal; anything else
// gives CO_E_CLASSSTRING.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
// Every class is an in-process server: `context` must allow one. Needs COM
// initialised on the calling thread (CO_E_NOTINITIALIZED otherwise); no
// aggregation (CLASS_E_NOAGGREGATION); an unregistered CLSID gives
// REGDB_E_CLASSNOTREG; otherwise the factory's answer.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
// Runs an object that has a running step (IRunnableObject); any other object
// already runs.
HRESULT OleRun(IUnknown* object);

namespace platform {

// The registry holds one reference to `factory` until the class is removed.
// A ProgID or CLSID that is already registered is refused.
bool RegisterClassFactory(std::u16string_view progid, const CLSID& clsid, IClassFactory* factory);
void UnregisterClassFactory(const CLSID& clsid);

// A factory that lives as long as the program (a static object, whose
// references are not counted) and creates through a function.
class FunctionClassFactory final : public IClassFactory {
 public:
  using CreateFunction = HRESULT (*)(REFIID iid, void** object);
  explicit constexpr FunctionClassFactory(CreateFunction create) : create_(create) {}
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  CreateFunction create_;
};

}  // namespace platform
