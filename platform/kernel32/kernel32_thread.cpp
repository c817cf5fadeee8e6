// CreateThread over std::thread, and the user locale.
#include <atomic>
#include <system_error>
#include <thread>

#include "kernel32.h"

namespace {

inline constexpr DWORD kCreateSuspended = 0x4;
inline constexpr LCID kChineseSimplifiedPrc = 0x0804;

std::atomic<DWORD> next_thread_id{1};

}  // namespace

HANDLE CreateThread(LPVOID, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    DWORD* thread_id) {
  // A thread that waits to be resumed would need a handle that means something.
  if (!start || (flags & kCreateSuspended)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  DWORD id = next_thread_id.fetch_add(1, std::memory_order_relaxed);
  try {
    std::thread(start, parameter).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (thread_id) *thread_id = id;
  // The thread runs detached; the handle only tells the caller it started and
  // never needs closing.
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(id));
}

LCID GetUserDefaultLCID() {
  return kChineseSimplifiedPrc;
}
