#include "runtime/automation_values.h"

#include <algorithm>
#include <cstring>

#include "kernel32.h"
#include "runtime/blocks.h"
#include "runtime/heap.h"
#include "runtime/last_call_status.h"

namespace rt {

namespace automation {
namespace {

// The value a by-reference variant points at, without taking ownership;
// false when that is another reference.
bool ShallowValue(const VARIANT& source, VARIANT* out) {
  std::memset(out, 0, sizeof *out);
  if (!(source.vt & VT_BYREF)) {
    *out = source;
    return true;
  }
  VARTYPE type = source.vt & ~VT_BYREF;
  if (!source.byref) return false;
  if (type == VT_VARIANT) {
    if (source.pvarVal->vt & VT_BYREF) return false;
    *out = *source.pvarVal;
    return true;
  }
  out->vt = type;
  // Strings, interfaces and arrays are pointers.
  size_t size = platform::ScalarSize(type & VT_TYPEMASK);
  if (size == 0 || (type & VT_ARRAY)) size = sizeof(void*);
  std::memcpy(&out->llVal, source.byref, size);
  return true;
}

// The converted value of `source` as `wanted`: the source itself when it
// already has that type (no copy), else a converted copy in `storage`.
const VARIANT* Converted(const VARIANT& source, VARTYPE wanted, VARIANT* shallow, VARIANT* storage,
                         bool* owned) {
  *owned = false;
  if (ShallowValue(source, shallow)) {
    if ((shallow->vt & VT_TYPEMASK) == VT_RECORD) return nullptr;
    if (shallow->vt == wanted) return shallow;
  }
  VariantInit(storage);
  if (FAILED(VariantChangeType(storage, &source, 0, wanted))) return nullptr;
  *owned = true;
  return storage;
}

bool IsResultType(TypeCode code) {
  switch (code) {
    case type::ComObject:
    case type::Bool:
    case type::DateTime:
    case type::Text:
    case type::Byte:
    case type::Short:
    case type::Int:
    case type::Int64:
    case type::Float:
    case type::Double:
      return true;
    default:
      return false;
  }
}

ValueRecord ScalarResult(const VARIANT& value, TypeCode code) {
  switch (code) {
    case type::Byte:
      return ValueRecord::Of(code, value.bVal);
    case type::Short:
      return ValueRecord::Of(code, static_cast<uint16_t>(value.iVal));
    case type::Int:
      return ValueRecord::Int(value.lVal);
    case type::Int64:
      return ValueRecord::Int64(value.lVal);  // sign-extended
    case type::Float:
      return ValueRecord::Float(value.fltVal);
    case type::Double:
      return ValueRecord::Double(value.dblVal);
    case type::DateTime: {
      ValueRecord record = ValueRecord::Double(value.date);
      record.type = type::DateTime;
      return record;
    }
    case type::Bool:
      return ValueRecord::Bool(value.boolVal != 0);
    default:
      return {};
  }
}

void StoreScalar(const ValueRecord& value, TypeCode code, void* address) {
  switch (code) {
    case type::Byte: {
      auto v = static_cast<uint8_t>(value.low);
      std::memcpy(address, &v, sizeof v);
      break;
    }
    case type::Short: {
      auto v = static_cast<int16_t>(value.low);
      std::memcpy(address, &v, sizeof v);
      break;
    }
    case type::Int:
    case type::Bool:
    case type::Float:
      std::memcpy(address, &value.low, sizeof value.low);
      break;
    default: {
      uint64_t v = value.Value();
      std::memcpy(address, &v, sizeof v);
    }
  }
}

void SetMissing(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
  v->vt = VT_ERROR;
  v->scode = DISP_E_PARAMNOTFOUND;
}

// Moves the shadow into the argument, leaving the shadow empty.
void PassByValue(VARIANT* argument, VARIANT* shadow) {
  *argument = *shadow;
  std::memset(shadow, 0, sizeof *shadow);
}

bool TakesReference(VARTYPE base) {
  return (base >= VT_I2 && base <= VT_BOOL) || base == VT_UNKNOWN ||
         (base >= VT_I1 && base <= VT_UI4) || base == VT_INT || base == VT_UINT ||
         base == VT_HRESULT;
}

}  // namespace

void ClearObjectCell(ObjectCell* cell) {
  if (cell->object) {
    if (cell->record) {
      static_cast<IRecordInfo*>(cell->object)->RecordDestroy(cell->record);
      cell->record = nullptr;
    }
    cell->object->Release();
    cell->object = nullptr;
  } else if (cell->record) {
    RtFree(cell->record);
    cell->record = nullptr;
  }
}

VARTYPE VarTypeOf(TypeCode code) {
  switch (code) {
    case type::Byte:
      return VT_UI1;
    case type::Short:
      return VT_I2;
    case type::Int:
    case type::Int64:
      return VT_I4;
    case type::Float:
      return VT_R4;
    case type::Double:
      return VT_R8;
    case type::Bool:
      return VT_BOOL;
    case type::DateTime:
      return VT_DATE;
    case type::Text:
      return VT_BSTR;
    case type::ByteSet:
      return VT_ARRAY | VT_UI1;
    case type::ComObject:
      return VT_UNKNOWN;
    default:
      return VT_EMPTY;
  }
}

ValueRecord LoadValue(const ValueRecord& argument) {
  const TypeCode base = BaseType(argument.type);
  if (!IsByRef(argument.type)) return ValueRecord::Of(base, argument.Value());
  ValueRecord value;
  value.type = base;
  const auto* address = argument.AsPointer<const unsigned char>();
  if (!address) return value;
  switch (base) {
    case type::Byte:
      value.low = *address;
      break;
    case type::Short: {
      int16_t v;
      std::memcpy(&v, address, sizeof v);
      value.low = static_cast<uint16_t>(v);
      break;
    }
    case type::Int:
    case type::Bool:
    case type::Float:
      std::memcpy(&value.low, address, sizeof value.low);
      break;
    case type::Int64:
    case type::Double:
    case type::DateTime: {
      uint64_t v;
      std::memcpy(&v, address, sizeof v);
      value.SetValue(v);
      break;
    }
    default: {
      void* pointer;
      std::memcpy(&pointer, address, sizeof pointer);
      value.SetValue(reinterpret_cast<uintptr_t>(pointer));
    }
  }
  return value;
}

bool IsAscii(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(const OLECHAR* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] >= 0x80) return false;
  }
  return true;
}

BSTR TextToString(const char* text) {
  if (!text) return nullptr;
  int bytes = static_cast<int>(std::strlen(text));
  if (bytes == 0) return SysAllocStringLen(nullptr, 0);
  // ASCII is the same in the ANSI code page and in UTF-16: no converter needed.
  if (IsAscii(text, static_cast<size_t>(bytes))) {
    BSTR string = SysAllocStringLen(nullptr, static_cast<UINT>(bytes));
    if (string) std::copy(text, text + bytes, string);
    return string;
  }
  int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
  BSTR string = SysAllocStringLen(nullptr, static_cast<UINT>(units > 0 ? units : 0));
  if (string && units > 0) MultiByteToWideChar(CP_ACP, 0, text, bytes, string, units);
  return string;
}

char* StringToText(BSTR text) {
  UINT units = SysStringLen(text);
  if (units == 0) return nullptr;
  // The whole string is converted and a NUL put after it, so the text ends
  // at the string's first NUL without a search for it.
  if (IsAscii(text, units)) {
    // ASCII is the same in the ANSI code page and in UTF-16: no converter needed.
    if (text[0] == OLECHAR{0}) return nullptr;
    auto* block = static_cast<char*>(RtAllocSize(static_cast<size_t>(units) + 1));
    std::copy(text, text + units, block);
    block[units] = '\0';
    return block;
  }
  // A unit gives at most two bytes in the ANSI code page, so one conversion
  // into a block of that size needs no size query; the block is cut back
  // afterwards. Only a string whose bound would not fit in a block asks for
  // its size first.
  size_t capacity = 2 * static_cast<size_t>(units);
  if (capacity >= kMaxBlockSize) {
    int needed =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return nullptr;
    capacity = static_cast<size_t>(needed);
  }
  auto* block = static_cast<char*>(RtAllocSize(capacity + 1));
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), block,
                                  static_cast<int>(capacity), nullptr, nullptr);
  if (bytes <= 0 || block[0] == '\0') {
    RtFree(block);
    return nullptr;
  }
  block[bytes] = '\0';
  return static_cast<char*>(RtReallocSize(block, static_cast<size_t>(bytes) + 1));
}

bool ScalarToVariant(const ValueRecord& value, VARIANT* out) {
  std::memset(out, 0, sizeof *out);
  switch (value.type) {
    case type::Byte:
      out->vt = VT_UI1;
      out->bVal = static_cast<BYTE>(value.low);
      return true;
    case type::Short:
      out->vt = VT_I2;
      out->iVal = static_cast<SHORT>(value.low);
      return true;
    case type::Int:
    case type::Int64:  // only the low 32 bits travel
      out->vt = VT_I4;
      out->lVal = static_cast<LONG>(value.low);
      return true;
    case type::Float:
      out->vt = VT_R4;
      out->fltVal = value.AsFloat();
      return true;
    case type::Double:
      out->vt = VT_R8;
      out->dblVal = value.AsDouble();
      return true;
    case type::DateTime:
      out->vt = VT_DATE;
      out->date = value.AsDouble();
      return true;
    case type::Bool:
      out->vt = VT_BOOL;
      out->boolVal = value.low ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case type::Text:
      out->vt = VT_BSTR;
      out->bstrVal = TextToString(value.AsPointer<const char>());
      return true;
    default:
      return false;
  }
}

HRESULT ObjectToVariant(const ObjectCell* cell, VARTYPE base, VARIANT* out) {
  std::memset(out, 0, sizeof *out);
  out->vt = VT_UNKNOWN;
  if (!cell) return S_OK;
  if (cell->record && cell->object) {
    // The argument gets a copy of its own: clearing the argument after the
    // call destroys that copy, not the record the caller's cell holds.
    auto* info = static_cast<IRecordInfo*>(cell->object);
    void* copy = nullptr;
    if (FAILED(info->RecordCreateCopy(cell->record, &copy))) return S_OK;
    info->AddRef();
    out->vt = VT_RECORD;
    out->pvRecord = copy;
    out->pRecInfo = info;
    return S_OK;
  }
  if (!cell->object) return S_OK;
  if (base == VT_UNKNOWN) {
    cell->object->AddRef();
    out->punkVal = cell->object;
  } else if (base == VT_DISPATCH) {
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(
            cell->object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
      out->vt = VT_DISPATCH;
      out->pdispVal = dispatch;
    }
  } else if (base == VT_VARIANT) {
    // A VARIANT parameter receives the object itself, as its dispatch
    // interface where it has one.
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(
            cell->object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
      out->vt = VT_DISPATCH;
      out->pdispVal = dispatch;
    } else {
      cell->object->AddRef();
      out->punkVal = cell->object;
    }
  }
  return S_OK;
}

int32_t ValueToVariant(const ValueRecord& argument, VARTYPE resolved, VARIANT* argument_variant,
                       VARIANT* shadow) {
  if (argument.type == type::None) {
    SetMissing(argument_variant);
    return status::Success;
  }
  const VARTYPE base = resolved & VT_TYPEMASK;
  const bool by_reference = (resolved & VT_BYREF) != 0;
  VARIANT* target = by_reference ? shadow : argument_variant;
  const ValueRecord value = LoadValue(argument);
  if (value.type == type::ComObject) {
    ObjectToVariant(value.AsPointer<const ObjectCell>(), base, target);
  } else if (value.type == type::Variant) {
    const auto* cell = value.AsPointer<const VariantCell>();
    if (cell && FAILED(VariantCopyInd(target, &cell->value))) return status::UnsupportedArgument;
  } else if (!ScalarToVariant(value, target)) {
    return status::UnsupportedArgument;
  }
  if (target->vt == VT_EMPTY) SetMissing(target);
  if (!by_reference) return status::Success;

  if (shadow->vt == VT_ERROR) {
    PassByValue(argument_variant, shadow);
  } else if (resolved & VT_ARRAY) {
    if ((shadow->vt & VT_ARRAY) && !(shadow->vt & VT_BYREF)) {
      std::memset(argument_variant, 0, sizeof *argument_variant);
      argument_variant->vt = VT_BYREF | VT_ARRAY | (shadow->vt & VT_TYPEMASK);
      argument_variant->pparray = &shadow->parray;
    } else {
      PassByValue(argument_variant, shadow);
    }
  } else if (base == VT_VARIANT) {
    std::memset(argument_variant, 0, sizeof *argument_variant);
    argument_variant->vt = VT_BYREF | VT_VARIANT;
    argument_variant->pvarVal = shadow;
  } else if (base == VT_RECORD) {
    PassByValue(argument_variant, shadow);
  } else if (SUCCEEDED(VariantChangeType(shadow, shadow, 0, base)) && TakesReference(base)) {
    std::memset(argument_variant, 0, sizeof *argument_variant);
    argument_variant->vt = VT_BYREF | base;
    argument_variant->byref = &shadow->llVal;
  } else {
    PassByValue(argument_variant, shadow);
  }
  return status::Success;
}

bool VariantToNewValue(const VARIANT& source, TypeCode code, ValueRecord* result) {
  VARIANT shallow;
  if (ShallowValue(source, &shallow) && (shallow.vt & VT_TYPEMASK) == VT_RECORD) return false;
  if (code == type::Variant) {
    VariantCell* cell = NewVariantCell();
    std::memset(cell, 0, sizeof *cell);
    if (FAILED(VariantCopyInd(&cell->value, &source))) {
      RtFree(cell);
      return false;
    }
    *result = ValueRecord::Pointer(type::Variant, cell);
    return true;
  }
  if (!IsResultType(code)) return false;
  VARIANT storage;
  bool owned;
  const VARIANT* value = Converted(source, VarTypeOf(code), &shallow, &storage, &owned);
  if (!value) return false;
  if (code == type::Text) {
    *result = ValueRecord::Text(StringToText(value->bstrVal));
  } else if (code == type::ComObject) {
    ObjectCell* cell = NewObjectCell();
    cell->object = value->punkVal;
    if (cell->object) cell->object->AddRef();
    *result = ValueRecord::Pointer(type::ComObject, cell);
  } else {
    *result = ScalarResult(*value, code);
  }
  if (owned) VariantClear(&storage);
  return true;
}

bool VariantToVariable(const VARIANT& source, TypeCode code, void* address) {
  VARIANT shallow;
  if (ShallowValue(source, &shallow) && (shallow.vt & VT_TYPEMASK) == VT_RECORD) return false;
  if (code == type::Variant) {
    VariantCell* cell;
    std::memcpy(&cell, address, sizeof cell);
    if (!cell) {
      cell = NewVariantCell();
      std::memcpy(address, &cell, sizeof cell);
    }
    VariantClear(&cell->value);
    std::memset(&cell->value, 0, sizeof cell->value);
    return SUCCEEDED(VariantCopyInd(&cell->value, &source));
  }
  if (!IsResultType(code)) return false;
  VARIANT storage;
  bool owned;
  const VARIANT* value = Converted(source, VarTypeOf(code), &shallow, &storage, &owned);
  if (!value) return false;
  if (code == type::Text) {
    char* text = StringToText(value->bstrVal);
    char* old;
    std::memcpy(&old, address, sizeof old);
    std::memcpy(address, &text, sizeof text);
    RtFree(old);
  } else if (code == type::ComObject) {
    ObjectCell* cell;
    std::memcpy(&cell, address, sizeof cell);
    if (!cell) {
      cell = NewObjectCell();
      std::memcpy(address, &cell, sizeof cell);
    }
    IUnknown* object = value->punkVal;
    if (object) object->AddRef();
    ClearObjectCell(cell);
    cell->object = object;
  } else {
    StoreScalar(ScalarResult(*value, code), code, address);
  }
  if (owned) VariantClear(&storage);
  return true;
}

ValueRecord EmptyResult(TypeCode code) {
  switch (code) {
    case type::Double:
      return ValueRecord::Double(0.0);
    case type::ComObject:
      return ValueRecord::Pointer(type::ComObject, NewObjectCell());
    case type::Variant: {
      VariantCell* cell = NewVariantCell();
      std::memset(cell, 0, sizeof *cell);
      return ValueRecord::Pointer(type::Variant, cell);
    }
    default:
      return ValueRecord::Of(code, 0);
  }
}

}  // namespace automation
}  // namespace rt
