// Owners for ComObject and Variant cells with typed forms of their commands.
// Each call builds the argument records and goes through CallCommand like
// compiled application code; results come back as owners.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "runtime/automation_cells.h"
#include "runtime/owned.h"
#include "runtime/value.h"

namespace rt {

class ComObject;
class Variant;

// Typed forms of the commands over cells that someone else owns.
namespace com {
using Args = std::initializer_list<ValueRecord>;
bool Create(ObjectCell* object, TextRef name, std::optional<TextRef> type_library = {});
void Clear(ObjectCell* object);
bool IsEmpty(const ObjectCell* object);
// The destination's old contents are not released (the command's contract).
void Assign(ObjectCell* destination, const ObjectCell* source);
Text ReadTextProperty(const ObjectCell* object, TextRef name, Args args = {});
double ReadNumberProperty(const ObjectCell* object, TextRef name, Args args = {});
ComObject ReadObjectProperty(const ObjectCell* object, TextRef name, Args args = {});
Variant ReadProperty(const ObjectCell* object, TextRef name, Args args = {});
bool WriteProperty(const ObjectCell* object, TextRef name, Args args);
void CallMethod(const ObjectCell* object, TextRef name, Args args = {});
Text CallTextMethod(const ObjectCell* object, TextRef name, Args args = {});
ComObject CallObjectMethod(const ObjectCell* object, TextRef name, Args args = {});

int32_t Set(VariantCell* variant, const ValueRecord& value, std::optional<int32_t> index = {});
void CopyFrom(VariantCell* destination, const VariantCell* source);
void Clear(VariantCell* variant);
Text ToText(const VariantCell* variant, std::optional<int32_t> index = {});
ByteSet ToByteSet(const VariantCell* variant, std::optional<int32_t> index = {});
}  // namespace com

// An owned ObjectCell: cleared and freed with its owner.
class ComObject {
 public:
  ComObject() : cell_(NewObjectCell()) {}
  // Takes over a cell a command returned.
  explicit ComObject(ObjectCell* cell) : cell_(cell ? cell : NewObjectCell()) {}
  ComObject(ComObject&& other) noexcept : cell_(std::exchange(other.cell_, nullptr)) {}
  ComObject& operator=(ComObject&& other) noexcept {
    // The old cell goes after the new one is in place, as for any variable.
    FreeObjectCell(std::exchange(cell_, std::exchange(other.cell_, nullptr)));
    return *this;
  }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  ~ComObject() { FreeObjectCell(cell_); }

  ObjectCell* cell() const { return cell_; }
  // Hands the cell over; the owner holds nothing afterwards.
  ObjectCell* release() { return std::exchange(cell_, nullptr); }
  // As a member argument: the cell, or (by reference) the variable holding it.
  ValueRecord Arg() const { return ValueRecord::Pointer(type::ComObject, cell_); }
  ValueRecord RefArg() { return ValueRecord::Pointer(type::ComObject | RefFlag, &cell_); }

  bool Create(TextRef name, std::optional<TextRef> type_library = {}) {
    return com::Create(cell_, name, type_library);
  }
  void Clear() { com::Clear(cell_); }
  bool IsEmpty() const { return com::IsEmpty(cell_); }
  // Clears this cell, then shares the source's object (one reference added).
  void AssignFrom(const ComObject& source) {
    if (source.cell_ == cell_) return;
    Clear();
    com::Assign(cell_, source.cell_);
  }

  using Args = com::Args;
  Text ReadTextProperty(TextRef name, Args args = {}) const {
    return com::ReadTextProperty(cell_, name, args);
  }
  double ReadNumberProperty(TextRef name, Args args = {}) const {
    return com::ReadNumberProperty(cell_, name, args);
  }
  ComObject ReadObjectProperty(TextRef name, Args args = {}) const;
  Variant ReadProperty(TextRef name, Args args = {}) const;
  // The value is the last of `args`.
  bool WriteProperty(TextRef name, Args args) const {
    return com::WriteProperty(cell_, name, args);
  }
  void CallMethod(TextRef name, Args args = {}) const { com::CallMethod(cell_, name, args); }
  Text CallTextMethod(TextRef name, Args args = {}) const {
    return com::CallTextMethod(cell_, name, args);
  }
  ComObject CallObjectMethod(TextRef name, Args args = {}) const;

 private:
  ObjectCell* cell_;
};

// An owned VariantCell: a new one holds VT_I4 0.
class Variant {
 public:
  Variant() : cell_(NewVariantCell()) {}
  explicit Variant(VariantCell* cell) : cell_(cell ? cell : NewVariantCell()) {}
  Variant(Variant&& other) noexcept : cell_(std::exchange(other.cell_, nullptr)) {}
  Variant& operator=(Variant&& other) noexcept {
    FreeVariantCell(std::exchange(cell_, std::exchange(other.cell_, nullptr)));
    return *this;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { FreeVariantCell(cell_); }

  VariantCell* cell() const { return cell_; }
  VariantCell* release() { return std::exchange(cell_, nullptr); }
  const VARIANT& value() const { return cell_->value; }
  ValueRecord Arg() const { return ValueRecord::Pointer(type::Variant, cell_); }
  ValueRecord RefArg() { return ValueRecord::Pointer(type::Variant | RefFlag, &cell_); }

  // 1 on success, 0 on failure. `value` is any runtime value record (an
  // array as its block with RefFlag on the element type).
  int32_t Set(const ValueRecord& value, std::optional<int32_t> index = {}) {
    return com::Set(cell_, value, index);
  }
  void CopyFrom(const Variant& source) {
    if (source.cell_ != cell_) com::CopyFrom(cell_, source.cell_);
  }
  void Clear() { com::Clear(cell_); }
  Text ToText(std::optional<int32_t> index = {}) const { return com::ToText(cell_, index); }
  ByteSet ToByteSet(std::optional<int32_t> index = {}) const {
    return com::ToByteSet(cell_, index);
  }

 private:
  VariantCell* cell_;
};

inline ComObject ComObject::ReadObjectProperty(TextRef name, Args args) const {
  return com::ReadObjectProperty(cell_, name, args);
}
inline Variant ComObject::ReadProperty(TextRef name, Args args) const {
  return com::ReadProperty(cell_, name, args);
}
inline ComObject ComObject::CallObjectMethod(TextRef name, Args args) const {
  return com::CallObjectMethod(cell_, name, args);
}

}  // namespace rt
