#include "internet_handles.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "kernel32.h"
#include "net_test_seams.h"

namespace platform {
namespace net {
namespace {

constexpr DWORD kIncorrectHandleType = 12018;

struct HandleTable {
  std::mutex mutex;
  // Numbers are never reused, so a closed handle cannot come back to life as
  // someone else's object.
  uintptr_t next = 0x100;
  std::unordered_map<uintptr_t, std::shared_ptr<HandleObject>> open;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // outlives every static destructor
  return *table;
}

bool IsOneOf(HandleKind kind, std::initializer_list<HandleKind> kinds) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

}  // namespace

void* RegisterHandle(std::shared_ptr<HandleObject> object) {
  HandleTable& table = Table();
  std::lock_guard lock(table.mutex);
  uintptr_t number = table.next;
  table.next += 4;
  table.open.emplace(number, std::move(object));
  return reinterpret_cast<void*>(number);
}

std::shared_ptr<HandleObject> LookUpHandle(void* handle, std::initializer_list<HandleKind> kinds) {
  HandleTable& table = Table();
  std::shared_ptr<HandleObject> object;
  {
    std::lock_guard lock(table.mutex);
    auto found = table.open.find(reinterpret_cast<uintptr_t>(handle));
    if (found != table.open.end()) object = found->second;
  }
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!IsOneOf(object->kind(), kinds)) {
    SetLastError(kIncorrectHandleType);
    return nullptr;
  }
  return object;
}

bool CloseHandle(void* handle, std::initializer_list<HandleKind> kinds) {
  HandleTable& table = Table();
  std::shared_ptr<HandleObject> object;
  {
    std::lock_guard lock(table.mutex);
    auto found = table.open.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.open.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    if (!IsOneOf(found->second->kind(), kinds)) {
      SetLastError(kIncorrectHandleType);
      return false;
    }
    object = std::move(found->second);
    table.open.erase(found);
  }
  // Outside the lock: waking a blocked call must not wait for the table.
  object->Closed();
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace net

int OpenInternetHandleCount() {
  net::HandleTable& table = net::Table();
  std::lock_guard lock(table.mutex);
  return static_cast<int>(table.open.size());
}

}  // namespace platform
