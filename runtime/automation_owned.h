// Owners for ComObject and Variant cells with typed forms of their commands.
// Each call builds the argument records and goes through CallCommand like
// compiled application code; results come back as owners.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "runtime/automation.h"
#include "runtime/owned.h"
#include "runtime/value.h"

namespace rt {

class Variant;

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
  // As a member argument: the cell, or (by reference) the variable holding it.
  ValueRecord Arg() const { return ValueRecord::Pointer(type::ComObject, cell_); }
  ValueRecord RefArg() { return ValueRecord::Pointer(type::ComObject | RefFlag, &cell_); }

  bool Create(TextRef name, std::optional<TextRef> type_library = {});
  void Clear();
  bool IsEmpty() const;
  // Clears this cell, then shares the source's object (one reference added).
  void AssignFrom(const ComObject& source);

  using Args = std::initializer_list<ValueRecord>;
  Text ReadTextProperty(TextRef name, Args args = {}) const;
  double ReadNumberProperty(TextRef name, Args args = {}) const;
  ComObject ReadObjectProperty(TextRef name, Args args = {}) const;
  Variant ReadProperty(TextRef name, Args args = {}) const;
  // The value is the last of `args`.
  bool WriteProperty(TextRef name, Args args) const;
  void CallMethod(TextRef name, Args args = {}) const;
  Text CallTextMethod(TextRef name, Args args = {}) const;
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
  const VARIANT& value() const { return cell_->value; }
  ValueRecord Arg() const { return ValueRecord::Pointer(type::Variant, cell_); }
  ValueRecord RefArg() { return ValueRecord::Pointer(type::Variant | RefFlag, &cell_); }

  // 1 on success, 0 on failure. `value` is any runtime value record (an
  // array as its block with RefFlag on the element type).
  int32_t Set(const ValueRecord& value, std::optional<int32_t> index = {});
  void CopyFrom(const Variant& source);
  void Clear();
  Text ToText(std::optional<int32_t> index = {}) const;
  ByteSet ToByteSet(std::optional<int32_t> index = {}) const;

 private:
  VariantCell* cell_;
};

}  // namespace rt
