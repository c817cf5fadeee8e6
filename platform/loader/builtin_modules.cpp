// Every built-in module and its exports, listed in this one place. A function
// that is not implemented is not listed, so binding it fails cleanly by name
// instead of crashing later. Ordinals are fixed once given out.
#include "builtin_modules.h"

#include "kernel32.h"
#include "loader.h"
#include "ole32.h"
#include "ole32_classes.h"
#include "oleaut32.h"
#include "user32.h"
#include "winhttp.h"
#include "wininet.h"

namespace platform {
namespace {

#define QV_EXPORT(function, ordinal)                             \
  ModuleExport {                                                 \
#function, ordinal, reinterpret_cast < FARPROC>(&::function) \
  }

const ModuleExport kKernel32[] = {
    QV_EXPORT(CreateThread, 1),        QV_EXPORT(FreeLibrary, 2),
    QV_EXPORT(GetLastError, 3),        QV_EXPORT(GetProcAddress, 4),
    QV_EXPORT(GetUserDefaultLCID, 5),  QV_EXPORT(LoadLibraryA, 6),
    QV_EXPORT(MultiByteToWideChar, 7), QV_EXPORT(SetLastError, 8),
    QV_EXPORT(WideCharToMultiByte, 9),
};
const ModuleExport kUser32[] = {
    QV_EXPORT(CharNextA, 1),
};
const ModuleExport kOle32[] = {
    QV_EXPORT(CoInitialize, 1),    QV_EXPORT(CoUninitialize, 2),  QV_EXPORT(CoCreateInstance, 3),
    QV_EXPORT(CLSIDFromProgID, 4), QV_EXPORT(CLSIDFromString, 5), QV_EXPORT(OleRun, 6),
};
const ModuleExport kOleAut32[] = {
    QV_EXPORT(SysAllocString, 1),        QV_EXPORT(SysAllocStringLen, 2),
    QV_EXPORT(SysAllocStringByteLen, 3), QV_EXPORT(SysFreeString, 4),
    QV_EXPORT(SysStringLen, 5),          QV_EXPORT(SysStringByteLen, 6),
    QV_EXPORT(SafeArrayCreate, 7),       QV_EXPORT(SafeArrayCreateVector, 8),
    QV_EXPORT(SafeArrayDestroy, 9),      QV_EXPORT(SafeArrayGetDim, 10),
    QV_EXPORT(SafeArrayGetElemsize, 11), QV_EXPORT(SafeArrayGetVartype, 12),
    QV_EXPORT(SafeArrayGetLBound, 13),   QV_EXPORT(SafeArrayGetUBound, 14),
    QV_EXPORT(SafeArrayAccessData, 15),  QV_EXPORT(SafeArrayUnaccessData, 16),
    QV_EXPORT(SafeArrayPutElement, 17),  QV_EXPORT(SafeArrayGetElement, 18),
    QV_EXPORT(SafeArrayCopy, 19),        QV_EXPORT(VariantInit, 20),
    QV_EXPORT(VariantClear, 21),         QV_EXPORT(VariantCopy, 22),
    QV_EXPORT(VariantCopyInd, 23),       QV_EXPORT(VariantChangeType, 24),
    QV_EXPORT(VariantChangeTypeEx, 25),  QV_EXPORT(LHashValOfNameSys, 26),
};
const ModuleExport kWinHttp[] = {
    QV_EXPORT(WinHttpCheckPlatform, 1),
    QV_EXPORT(WinHttpCrackUrl, 2),
    QV_EXPORT(WinHttpOpen, 3),
    QV_EXPORT(WinHttpConnect, 4),
    QV_EXPORT(WinHttpOpenRequest, 5),
    QV_EXPORT(WinHttpSetTimeouts, 6),
    QV_EXPORT(WinHttpSetCredentials, 7),
    QV_EXPORT(WinHttpCloseHandle, 8),
    QV_EXPORT(WinHttpSetOption, 9),
    QV_EXPORT(WinHttpAddRequestHeaders, 10),
    QV_EXPORT(WinHttpSendRequest, 11),
    QV_EXPORT(WinHttpReceiveResponse, 12),
    QV_EXPORT(WinHttpQueryDataAvailable, 13),
    QV_EXPORT(WinHttpReadData, 14),
    QV_EXPORT(WinHttpQueryHeaders, 15),
};
const ModuleExport kWinInet[] = {
    QV_EXPORT(InternetOpenA, 1),
    QV_EXPORT(InternetConnectA, 2),
    QV_EXPORT(InternetSetOptionA, 3),
    QV_EXPORT(HttpOpenRequestA, 4),
    QV_EXPORT(HttpSendRequestA, 5),
    QV_EXPORT(HttpQueryInfoA, 6),
    QV_EXPORT(InternetReadFile, 7),
    QV_EXPORT(InternetCloseHandle, 8),
    QV_EXPORT(InternetCanonicalizeUrlA, 9),
    QV_EXPORT(InternetCrackUrlA, 10),
};

#undef QV_EXPORT

const BuiltinModule kModules[] = {
    {"kernel32.dll", kKernel32},
    {"user32.dll", kUser32},
    {"gdi32.dll", {}},
    {"advapi32.dll", {}},
    {"mpr.dll", {}},
    {"shell32.dll", {}},
    {"ole32.dll", kOle32},
    {"oleaut32.dll", kOleAut32},
    {"winhttp.dll", kWinHttp},
    {"wininet.dll", kWinInet},
};

}  // namespace

std::span<const BuiltinModule> BuiltinModules() {
  return kModules;
}

}  // namespace platform
