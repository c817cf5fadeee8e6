// A counted reference to an automation object: Release on destruction, so a
// reference cannot leak on an early return. It needs nothing but the object's
// AddRef and Release, so it serves over either platform's interfaces.
#pragma once

#include <utility>

namespace rt {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds.
  explicit ComPtr(T* object) : object_(object) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  // Adds a reference of its own.
  static ComPtr Share(T* object) {
    if (object) object->AddRef();
    return ComPtr(object);
  }

  T* get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  T* release() { return std::exchange(object_, nullptr); }
  void reset(T* object = nullptr) {
    if (T* old = std::exchange(object_, object)) old->Release();
  }
  // For out-parameters: the old reference goes first.
  T** put() {
    reset();
    return &object_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

 private:
  T* object_ = nullptr;
};

}  // namespace rt
