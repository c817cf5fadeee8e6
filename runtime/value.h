// Type codes and the 12-byte value record that every runtime value travels in.
#pragma once

#include <cstdint>
#include <cstring>

namespace rt {

using TypeCode = uint32_t;

namespace type {
inline constexpr TypeCode None = 0;  // omitted argument, or a command without result
inline constexpr TypeCode Byte = 0x80000101;
inline constexpr TypeCode Short = 0x80000201;
inline constexpr TypeCode Int = 0x80000301;
inline constexpr TypeCode Int64 = 0x80000401;
inline constexpr TypeCode Float = 0x80000501;
inline constexpr TypeCode Double = 0x80000601;
inline constexpr TypeCode Bool = 0x80000002;
inline constexpr TypeCode DateTime = 0x80000003;
inline constexpr TypeCode Text = 0x80000004;
inline constexpr TypeCode ByteSet = 0x80000005;
inline constexpr TypeCode SubroutinePointer = 0x80000006;
inline constexpr TypeCode ComObject = 0x00010030;
inline constexpr TypeCode Variant = 0x00010031;
}  // namespace type

// Marks an array argument (the value is the array block) or a by-reference
// argument (the value is the address of the caller's variable).
inline constexpr TypeCode RefFlag = 0x20000000;

inline constexpr TypeCode BaseType(TypeCode code) {
  return code & ~RefFlag;
}
inline constexpr bool IsByRef(TypeCode code) {
  return (code & RefFlag) != 0;
}
// Basic types have the two top bits 10; numeric ones also have low byte 0x01.
inline constexpr bool IsBasicType(TypeCode code) {
  return (BaseType(code) & 0xC0000000u) == 0x80000000u;
}
inline constexpr bool IsNumericType(TypeCode code) {
  return IsBasicType(code) && (code & 0xFFu) == 0x01u;
}

// Size of one member of an array of this base type (pointers for texts and byte sets).
int32_t MemberSize(TypeCode code);

// One argument or result: value low dword, value high dword, type code. Pointers
// occupy both dwords, so a 64-bit address fits.
struct ValueRecord {
  uint32_t low = 0;
  uint32_t high = 0;
  TypeCode type = type::None;

  uint64_t Value() const { return (uint64_t{high} << 32) | low; }
  void SetValue(uint64_t value) {
    low = static_cast<uint32_t>(value);
    high = static_cast<uint32_t>(value >> 32);
  }
  bool Omitted() const { return type == type::None; }

  int32_t AsInt() const { return static_cast<int32_t>(low); }
  int64_t AsInt64() const { return static_cast<int64_t>(Value()); }
  double AsDouble() const {
    double d;
    uint64_t v = Value();
    std::memcpy(&d, &v, sizeof d);
    return d;
  }
  float AsFloat() const {
    float f;
    std::memcpy(&f, &low, sizeof f);
    return f;
  }
  template <class T>
  T* AsPointer() const {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(Value()));
  }

  static ValueRecord Of(TypeCode code, uint64_t value) {
    ValueRecord record;
    record.SetValue(value);
    record.type = code;
    return record;
  }
  static ValueRecord Int(int32_t v) { return Of(type::Int, static_cast<uint32_t>(v)); }
  static ValueRecord Int64(int64_t v) { return Of(type::Int64, static_cast<uint64_t>(v)); }
  static ValueRecord Bool(bool v) { return Of(type::Bool, v ? 1 : 0); }
  static ValueRecord Double(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return Of(type::Double, bits);
  }
  static ValueRecord Float(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return Of(type::Float, bits);
  }
  static ValueRecord Pointer(TypeCode code, const void* p) {
    return Of(code, reinterpret_cast<uintptr_t>(p));
  }
  static ValueRecord Text(const char* text) { return Pointer(type::Text, text); }
  static ValueRecord ByteSet(const void* block) { return Pointer(type::ByteSet, block); }
};
static_assert(sizeof(ValueRecord) == 12, "value records are 12 bytes");

}  // namespace rt
