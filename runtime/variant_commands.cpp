// The Variant commands: storing runtime values (scalars, byte sets, arrays)
// into a variant or one of its array elements, copying, clearing, and reading
// a variant back as text or as a byte set.
#include "runtime/variant_commands.h"

#include <cstring>
#include <vector>

#include "oleaut32.h"
#include "runtime/automation_cells.h"
#include "runtime/automation_values.h"
#include "runtime/blocks.h"
#include "runtime/command_args.h"

namespace rt::cmd::variant {
namespace {

using automation::ScalarToVariant;

VariantCell* CellOf(const ValueRecord* args, int32_t count, int32_t index) {
  return index < count ? args[index].AsPointer<VariantCell>() : nullptr;
}

void ZeroVariant(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
}

// The array a variant holds, directly or by reference; null for none.
SAFEARRAY* ArrayOf(const VARIANT& v) {
  if (!(v.vt & VT_ARRAY)) return nullptr;
  if (v.vt & VT_BYREF) return v.pparray ? *v.pparray : nullptr;
  return v.parray;
}

size_t ElementCount(const SAFEARRAY* array) {
  size_t count = 1;
  for (USHORT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
  return count;
}

// Per-dimension indices of a 1-based linear index, the first dimension
// varying fastest; false when it lies outside the array.
bool IndicesOf(const SAFEARRAY* array, int32_t linear, std::vector<LONG>* indices) {
  if (linear < 1 || static_cast<size_t>(linear) > ElementCount(array)) return false;
  size_t rest = static_cast<size_t>(linear - 1);
  indices->resize(array->cDims);
  for (USHORT d = 0; d < array->cDims; ++d) {
    const SAFEARRAYBOUND& bound = array->rgsabound[d];
    (*indices)[d] = static_cast<LONG>(bound.lLbound + static_cast<LONG>(rest % bound.cElements));
    rest /= bound.cElements;
  }
  return true;
}

SAFEARRAY* NewBytesArray(const void* bytes, size_t count) {
  return platform::SafeArrayCreateFrom(VT_UI1, 1, bytes, static_cast<ULONG>(count));
}

// One runtime array member as the value it holds.
ValueRecord MemberValue(const unsigned char* member, TypeCode element) {
  ValueRecord address = ValueRecord::Pointer(element | RefFlag, member);
  return automation::LoadValue(address);
}

// A runtime array as a SAFEARRAY of the mapped element type, lower bound 1,
// flattened in storage order.
bool ArrayToVariant(void* block, TypeCode element, VARIANT* out) {
  VARTYPE type;
  switch (element) {
    case type::ComObject:
      type = VT_UNKNOWN;
      break;
    case type::Variant:
      type = VT_VARIANT;
      break;
    case type::ByteSet:
    case type::SubroutinePointer:
      return false;
    default:
      type = automation::VarTypeOf(element);
      if (type == VT_EMPTY) return false;
  }
  ArrayInfo info = ArrayCountOrZero(block);
  SAFEARRAY* array = SafeArrayCreateVector(type, 1, static_cast<ULONG>(info.count));
  if (!array) return false;
  const int32_t size = MemberSize(element);
  auto* data = static_cast<unsigned char*>(array->pvData);
  for (int32_t i = 0; i < info.count; ++i) {
    ValueRecord value = MemberValue(info.members + static_cast<size_t>(i) * size, element);
    unsigned char* slot = data + static_cast<size_t>(i) * array->cbElements;
    if (element == type::ComObject) {
      const auto* cell = value.AsPointer<const ObjectCell>();
      IUnknown* object = cell ? cell->object : nullptr;
      if (object) object->AddRef();
      std::memcpy(slot, &object, sizeof object);
    } else if (element == type::Variant) {
      const auto* cell = value.AsPointer<const VariantCell>();
      if (cell) VariantCopyInd(reinterpret_cast<VARIANT*>(slot), &cell->value);
    } else {
      VARIANT scalar;
      ScalarToVariant(value, &scalar);
      if (type == VT_BSTR) {
        std::memcpy(slot, &scalar.bstrVal, sizeof scalar.bstrVal);
      } else {
        std::memcpy(slot, &scalar.llVal, array->cbElements);
      }
    }
  }
  ZeroVariant(out);
  out->vt = VT_ARRAY | type;
  out->parray = array;
  return true;
}

// The conversion of Set without an index; `out` holds nothing.
bool ValueToVariant(const ValueRecord& value, VARIANT* out) {
  ZeroVariant(out);
  if (IsByRef(value.type))
    return ArrayToVariant(value.AsPointer<void>(), BaseType(value.type), out);
  switch (value.type) {
    case type::ComObject: {
      const auto* cell = value.AsPointer<const ObjectCell>();
      if (!cell || !cell->object) return true;  // an empty object leaves the variant empty
      IUnknown* object = nullptr;
      if (FAILED(cell->object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&object))))
        return false;
      out->vt = VT_UNKNOWN;
      out->punkVal = object;
      return true;
    }
    case type::Variant: {
      const auto* cell = value.AsPointer<const VariantCell>();
      return cell && SUCCEEDED(VariantCopyInd(out, &cell->value));
    }
    case type::ByteSet: {
      const void* block = value.AsPointer<const void>();
      SAFEARRAY* array =
          NewBytesArray(ByteSetBytes(block), static_cast<size_t>(ByteSetCount(block)));
      if (!array) return false;
      out->vt = VT_ARRAY | VT_UI1;
      out->parray = array;
      return true;
    }
    default:
      return ScalarToVariant(value, out);
  }
}

bool SetElement(VARIANT* target, const ValueRecord& value, int32_t index) {
  SAFEARRAY* array = ArrayOf(*target);
  std::vector<LONG> indices;
  if (!array || !IndicesOf(array, index, &indices)) return false;
  VARTYPE element;
  if (FAILED(SafeArrayGetVartype(array, &element))) return false;
  const bool array_value = IsByRef(value.type) || value.type == type::ByteSet;
  if (array_value && element != VT_VARIANT) return false;
  VARIANT converted;
  if (!ValueToVariant(value, &converted)) return false;
  HRESULT hr;
  if (element == VT_VARIANT) {
    hr = SafeArrayPutElement(array, indices.data(), &converted);
  } else {
    hr = VariantChangeType(&converted, &converted, 0, element);
    if (SUCCEEDED(hr)) {
      void* datum = &converted.llVal;
      if (element == VT_BSTR || element == VT_UNKNOWN || element == VT_DISPATCH)
        datum = converted.byref;
      hr = SafeArrayPutElement(array, indices.data(), datum);
    }
  }
  VariantClear(&converted);
  return SUCCEEDED(hr);
}

// The variant to read (step 1 and 2 of the reads): the variant itself, or
// the element at `index` of its array copied into `element`.
const VARIANT* ReadSource(const VARIANT& v, bool indexed, int32_t index, VARIANT* element) {
  SAFEARRAY* array = ArrayOf(v);
  if (!array || !indexed) return &v;
  std::vector<LONG> indices;
  VARTYPE type;
  if (!IndicesOf(array, index, &indices) || FAILED(SafeArrayGetVartype(array, &type)))
    return nullptr;
  ZeroVariant(element);
  if (type == VT_VARIANT) {
    if (FAILED(SafeArrayGetElement(array, indices.data(), element))) return nullptr;
  } else {
    if (FAILED(SafeArrayGetElement(array, indices.data(), &element->llVal))) return nullptr;
    element->vt = type;
  }
  return element;
}

void* BytesOf(const VARIANT& v) {
  SAFEARRAY* array = ArrayOf(v);
  VARTYPE element;
  if (!array || FAILED(SafeArrayGetVartype(array, &element))) return nullptr;
  if (element != VT_UI1 && element != VT_I1) return nullptr;
  return NewByteSet(array->pvData, ElementCount(array));
}

}  // namespace

void Set(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetInt(result, 0);
  VariantCell* cell = CellOf(args, arg_count, 0);
  if (!cell || arg_count < 2) return;
  const ValueRecord& value = args[1];
  if (args::Given(args, arg_count, 2)) {
    args::SetInt(result, SetElement(&cell->value, value, args::Int(args, arg_count, 2)) ? 1 : 0);
    return;
  }
  VariantClear(&cell->value);
  ZeroVariant(&cell->value);
  VARIANT converted;
  if (!ValueToVariant(value, &converted)) return;
  cell->value = converted;
  args::SetInt(result, 1);
}

void CopyFrom(ValueRecord*, int32_t arg_count, ValueRecord* args) {
  VariantCell* destination = CellOf(args, arg_count, 0);
  VariantCell* source = CellOf(args, arg_count, 1);
  if (!destination) return;
  // A destination that still held something gives it up rather than leak it.
  VariantClear(&destination->value);
  ZeroVariant(&destination->value);
  if (source) VariantCopy(&destination->value, &source->value);
}

void Clear(ValueRecord*, int32_t arg_count, ValueRecord* args) {
  VariantCell* cell = CellOf(args, arg_count, 0);
  if (!cell) return;
  VariantClear(&cell->value);
  ZeroVariant(&cell->value);
}

void ToText(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetPointer(result, nullptr);
  VariantCell* cell = CellOf(args, arg_count, 0);
  if (!cell) return;
  const bool indexed = args::Given(args, arg_count, 1);
  if (ArrayOf(cell->value) && !indexed) return;
  VARIANT element;
  const VARIANT* source = ReadSource(cell->value, indexed, args::Int(args, arg_count, 1), &element);
  if (!source) return;
  if (source->vt == VT_BSTR) {
    args::SetPointer(result, automation::StringToText(source->bstrVal));
  } else {
    VARIANT text;
    VariantInit(&text);
    if (SUCCEEDED(VariantChangeType(&text, source, 0, VT_BSTR)))
      args::SetPointer(result, automation::StringToText(text.bstrVal));
    VariantClear(&text);
  }
  if (source == &element) VariantClear(&element);
}

void ToByteSet(ValueRecord* result, int32_t arg_count, ValueRecord* args) {
  args::SetPointer(result, nullptr);
  VariantCell* cell = CellOf(args, arg_count, 0);
  if (!cell) return;
  const bool indexed = args::Given(args, arg_count, 1);
  VARIANT element;
  const VARIANT* source = ReadSource(cell->value, indexed, args::Int(args, arg_count, 1), &element);
  if (!source) return;
  if (ArrayOf(*source)) {
    args::SetPointer(result, BytesOf(*source));
  } else {
    VARIANT bytes;
    VariantInit(&bytes);
    if (SUCCEEDED(VariantChangeType(&bytes, source, 0, VT_ARRAY | VT_UI1)))
      args::SetPointer(result, BytesOf(bytes));
    VariantClear(&bytes);
  }
  if (source == &element) VariantClear(&element);
}

}  // namespace rt::cmd::variant
