// The platform library functions the application calls, bound on first use.
// Application code calls an entry by index through CallPlatformFunction<Index>,
// a typed function pointer: the compiler checks every argument against the
// declared signature, so no run-time stack check is needed after the call.
#pragma once

#include <atomic>
#include <span>
#include <utility>

#include "kernel32.h"
#include "ole32.h"
#include "win32_types.h"
#include "winhttp.h"

namespace rt {

struct PlatformFunctionEntry {
  const char* library;      // file name as declared; may be empty
  const char* export_name;  // a name, or "#" and a decimal ordinal
};

// Per-entry run-time state: bound address and the module that supplied it.
struct PlatformBinding {
  std::atomic<FARPROC> address{nullptr};
  std::atomic<HMODULE> module{nullptr};
};

inline constexpr int kPlatformFunctionCount = 21;
extern const PlatformFunctionEntry PlatformFunctionTable[kPlatformFunctionCount];
// Tried in order for an entry whose library name is empty.
extern const char* const SystemLibrarySearchList[6];

// Index names of the program's table.
enum PlatformFunction : int {
  kCreateThread = 0,
  kWinHttpCheckPlatform = 1,
  kWinHttpCrackUrl = 2,
  kWinHttpOpen = 3,
  kWinHttpConnect = 4,
  kWinHttpOpenRequest = 5,
  kWinHttpSetTimeouts = 6,
  kWinHttpSetCredentials = 7,
  kWinHttpCloseHandle = 8,
  kWinHttpSetOption = 9,
  kWinHttpAddRequestHeaders = 10,
  kWinHttpSendRequest = 11,
  kWinHttpReceiveResponse = 12,
  kWinHttpQueryDataAvailable = 13,
  kWinHttpReadData = 14,
  kWinHttpQueryHeaders = 15,
  kCoInitialize = 16,
  kCoUninitialize = 17,
  kMultiByteToWideChar = 18,
  kWideCharToMultiByteSize = 19,  // for size queries; WideToAnsi sizes its block from the input
  kWideCharToMultiByte = 20,
};

// Binds an entry of the program's table on its first call and returns the
// address; a failure is fatal (it never returns null).
FARPROC BindPlatformFunction(int index);
// The same over any table and state, for tests and other tables.
FARPROC BindPlatformFunction(std::span<const PlatformFunctionEntry> table,
                             std::span<PlatformBinding> state, int index);
// Releases every module handle the program's table holds, once each.
void ReleasePlatformLibraries();
void ReleasePlatformLibraries(std::span<PlatformBinding> state);

// The program's per-entry state, zero at start. Inline so that a call of a
// bound entry costs one load and an indirect call.
extern PlatformBinding program_platform_bindings[kPlatformFunctionCount];
inline PlatformBinding& ProgramBinding(int index) {
  return program_platform_bindings[index];
}

template <int Index>
struct PlatformSignature;
template <>
struct PlatformSignature<kCreateThread> {
  using type = decltype(&::CreateThread);
};
#define QV_PLATFORM_SIGNATURE(index, function) \
  template <>                                  \
  struct PlatformSignature<index> {            \
    using type = decltype(&::function);        \
  }
QV_PLATFORM_SIGNATURE(kWinHttpCheckPlatform, WinHttpCheckPlatform);
QV_PLATFORM_SIGNATURE(kWinHttpCrackUrl, WinHttpCrackUrl);
QV_PLATFORM_SIGNATURE(kWinHttpOpen, WinHttpOpen);
QV_PLATFORM_SIGNATURE(kWinHttpConnect, WinHttpConnect);
QV_PLATFORM_SIGNATURE(kWinHttpOpenRequest, WinHttpOpenRequest);
QV_PLATFORM_SIGNATURE(kWinHttpSetTimeouts, WinHttpSetTimeouts);
QV_PLATFORM_SIGNATURE(kWinHttpSetCredentials, WinHttpSetCredentials);
QV_PLATFORM_SIGNATURE(kWinHttpCloseHandle, WinHttpCloseHandle);
QV_PLATFORM_SIGNATURE(kWinHttpSetOption, WinHttpSetOption);
QV_PLATFORM_SIGNATURE(kWinHttpAddRequestHeaders, WinHttpAddRequestHeaders);
QV_PLATFORM_SIGNATURE(kWinHttpSendRequest, WinHttpSendRequest);
QV_PLATFORM_SIGNATURE(kWinHttpReceiveResponse, WinHttpReceiveResponse);
QV_PLATFORM_SIGNATURE(kWinHttpQueryDataAvailable, WinHttpQueryDataAvailable);
QV_PLATFORM_SIGNATURE(kWinHttpReadData, WinHttpReadData);
QV_PLATFORM_SIGNATURE(kWinHttpQueryHeaders, WinHttpQueryHeaders);
#undef QV_PLATFORM_SIGNATURE
template <>
struct PlatformSignature<kCoInitialize> {
  using type = decltype(&::CoInitialize);
};
template <>
struct PlatformSignature<kCoUninitialize> {
  using type = decltype(&::CoUninitialize);
};
template <>
struct PlatformSignature<kMultiByteToWideChar> {
  using type = decltype(&::MultiByteToWideChar);
};
template <>
struct PlatformSignature<kWideCharToMultiByteSize> {
  using type = decltype(&::WideCharToMultiByte);
};
template <>
struct PlatformSignature<kWideCharToMultiByte> {
  using type = decltype(&::WideCharToMultiByte);
};

// Calls entry `Index` with its declared signature, binding it on first use.
// After binding this is one atomic load and an indirect call. The call goes
// through a function pointer of the declared type, so the arguments and the
// calling convention always match the callee and the stack cannot come back
// unbalanced: no stack check follows the call.
template <int Index, class... Args>
auto CallPlatformFunction(Args&&... args) {
  using Fn = typename PlatformSignature<Index>::type;
  FARPROC address = ProgramBinding(Index).address.load(std::memory_order_acquire);
  if (!address) address = BindPlatformFunction(Index);
  // Through the generic function pointer type, which any function pointer
  // type converts from without a complaint about the parameters.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address))(std::forward<Args>(args)...);
}

}  // namespace rt
