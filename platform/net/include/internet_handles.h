// Handles of the internet layers (WinHTTP and WinINet). A handle is an opaque
// number naming a shared object, so a stale, foreign or wrong-kind handle is
// refused with an error instead of followed, and handles close in any order:
// a child holds on to what it needs of its parent.
#pragma once

#include <initializer_list>
#include <memory>

#include "win32_types.h"

namespace platform::net {

enum class HandleKind {
  kHttpSession,
  kHttpConnection,
  kHttpRequest,
  kInetSession,
  kInetConnection,
  kInetRequest,
};

class HandleObject {
 public:
  explicit HandleObject(HandleKind kind) : kind_(kind) {}
  virtual ~HandleObject() = default;
  HandleKind kind() const { return kind_; }
  // Runs once when the handle is closed, possibly while another thread is
  // still inside a call on the object (which keeps it alive): a request uses
  // it to wake and cancel that call.
  virtual void Closed() {}

 private:
  HandleKind kind_;
};

void* RegisterHandle(std::shared_ptr<HandleObject> object);

// The open object behind `handle` if it is one of `kinds`; otherwise null with
// the last error set: ERROR_INVALID_HANDLE for a handle that is not open, 12018
// (incorrect handle type) for one of another kind.
std::shared_ptr<HandleObject> LookUpHandle(void* handle, std::initializer_list<HandleKind> kinds);

template <class T>
std::shared_ptr<T> LookUp(void* handle, HandleKind kind) {
  return std::static_pointer_cast<T>(LookUpHandle(handle, {kind}));
}

// Closes a handle of one of `kinds`; false with the last error set as above.
bool CloseHandle(void* handle, std::initializer_list<HandleKind> kinds);

}  // namespace platform::net
