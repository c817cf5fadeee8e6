#include "runtime/constant_pool.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "runtime/gbk.h"

namespace rt {
namespace {

// One fixed area: the three empty constants first, then literals appended as
// they are first used. Nothing in it is ever freed or written after interning.
constexpr size_t kPoolSize = 1 << 20;
alignas(16) unsigned char pool[kPoolSize] = {
    0, 0, 0, 0, 0, 0, 0, 0,  // "" at 0
    1, 0, 0, 0, 0, 0, 0, 0,  // empty byte set at 8: one dimension, count 0
    1, 0, 0, 0, 0, 0, 0, 0,  // empty array at 16: one dimension, size 0
};
constexpr size_t kFirstLiteral = 24;

struct Interned {
  std::mutex mutex;
  std::unordered_map<std::string, const char*> by_utf8;
  size_t used = kFirstLiteral;
};

Interned& Literals() {
  static Interned interned;
  return interned;
}

}  // namespace

bool InConstantPool(const void* pointer) {
  auto address = reinterpret_cast<uintptr_t>(pointer);
  auto start = reinterpret_cast<uintptr_t>(pool);
  return address >= start && address < start + kPoolSize;
}

const char* EmptyText() {
  return reinterpret_cast<const char*>(pool);
}
const void* EmptyByteSet() {
  return pool + 8;
}
const void* EmptyArray() {
  return pool + 16;
}
const void* ConstantPoolStart() {
  return pool;
}
size_t ConstantPoolSize() {
  return kPoolSize;
}

const char* Literal(std::string_view utf8) {
  Interned& interned = Literals();
  std::lock_guard lock(interned.mutex);
  auto found = interned.by_utf8.find(std::string(utf8));
  if (found != interned.by_utf8.end()) return found->second;
  std::string gbk = Utf8ToGbk(utf8);
  // Literals are short and few; running out means a programming error, and an
  // empty text is the safest answer that keeps the process alive.
  if (interned.used + gbk.size() + 1 > kPoolSize) return EmptyText();
  char* slot = reinterpret_cast<char*>(pool + interned.used);
  std::memcpy(slot, gbk.data(), gbk.size());
  slot[gbk.size()] = '\0';
  interned.used += gbk.size() + 1;
  interned.by_utf8.emplace(std::string(utf8), slot);
  return slot;
}

}  // namespace rt
