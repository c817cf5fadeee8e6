// SAFEARRAYs: a descriptor with its bounds, the element type kept in the
// word just before it, and the elements in one zero-filled block (so strings
// and interfaces start null and variants VT_EMPTY).
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "oleaut32.h"

namespace {

// Room before the descriptor for the element type, keeping the descriptor's
// pointer member aligned.
constexpr size_t kTypeSlot = alignof(std::max_align_t);

size_t ElementSize(VARTYPE type) {
  if (size_t size = platform::ScalarSize(type)) return size;
  switch (type) {
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

USHORT FeaturesOf(VARTYPE type) {
  switch (type) {
    case VT_BSTR:
      return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
      return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH:
      return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT:
      return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
      return FADF_HAVEVARTYPE;
  }
}

char* BlockOf(SAFEARRAY* array) {
  return reinterpret_cast<char*>(array) - kTypeSlot;
}

VARTYPE TypeOf(const SAFEARRAY* array) {
  VARTYPE type;
  std::memcpy(&type, reinterpret_cast<const char*>(array) - kTypeSlot, sizeof type);
  return type;
}

size_t ElementCount(const SAFEARRAY* array) {
  size_t count = 1;
  for (USHORT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
  return count;
}

// Storage offset in elements of `indices`, or false when one is out of range.
bool OffsetOf(const SAFEARRAY* array, const LONG* indices, size_t* offset) {
  size_t result = 0;
  size_t stride = 1;
  for (USHORT d = 0; d < array->cDims; ++d) {
    const SAFEARRAYBOUND& bound = array->rgsabound[d];
    int64_t index = int64_t{indices[d]} - bound.lLbound;
    if (index < 0 || index >= int64_t{bound.cElements}) return false;
    result += static_cast<size_t>(index) * stride;
    stride *= bound.cElements;
  }
  *offset = result;
  return true;
}

void ReleaseElements(SAFEARRAY* array) {
  VARTYPE type = TypeOf(array);
  size_t count = ElementCount(array);
  auto* data = static_cast<char*>(array->pvData);
  if (!data) return;
  for (size_t i = 0; i < count; ++i) {
    char* element = data + i * array->cbElements;
    if (type == VT_BSTR) {
      BSTR text;
      std::memcpy(&text, element, sizeof text);
      SysFreeString(text);
    } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
      IUnknown* object;
      std::memcpy(&object, element, sizeof object);
      if (object) object->Release();
    } else if (type == VT_VARIANT) {
      VariantClear(reinterpret_cast<VARIANT*>(element));
    }
  }
}

// Copies one element in: strings are duplicated, references added, variants copied.
HRESULT CopyElementIn(VARTYPE type, char* element, const void* value, size_t size) {
  if (type == VT_BSTR) {
    BSTR old;
    std::memcpy(&old, element, sizeof old);
    auto source = static_cast<BSTR>(const_cast<void*>(value));
    BSTR copy = source ? SysAllocStringByteLen(reinterpret_cast<const char*>(source),
                                               SysStringByteLen(source))
                       : nullptr;
    if (source && !copy) return E_OUTOFMEMORY;
    std::memcpy(element, &copy, sizeof copy);
    SysFreeString(old);
  } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
    IUnknown* old;
    std::memcpy(&old, element, sizeof old);
    auto* object = static_cast<IUnknown*>(const_cast<void*>(value));
    if (object) object->AddRef();
    std::memcpy(element, &object, sizeof object);
    if (old) old->Release();
  } else if (type == VT_VARIANT) {
    return VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<const VARIANT*>(value));
  } else {
    std::memcpy(element, value, size);
  }
  return S_OK;
}

HRESULT CopyElementOut(VARTYPE type, const char* element, void* value, size_t size) {
  if (type == VT_BSTR) {
    BSTR source;
    std::memcpy(&source, element, sizeof source);
    BSTR copy = source ? SysAllocStringByteLen(reinterpret_cast<const char*>(source),
                                               SysStringByteLen(source))
                       : nullptr;
    if (source && !copy) return E_OUTOFMEMORY;
    *static_cast<BSTR*>(value) = copy;
  } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
    IUnknown* object;
    std::memcpy(&object, element, sizeof object);
    if (object) object->AddRef();
    *static_cast<IUnknown**>(value) = object;
  } else if (type == VT_VARIANT) {
    auto* out = static_cast<VARIANT*>(value);
    VariantInit(out);
    return VariantCopy(out, reinterpret_cast<const VARIANT*>(element));
  } else {
    std::memcpy(value, element, size);
  }
  return S_OK;
}

}  // namespace

namespace {

// A new array; its elements are zeroed unless the caller fills them at once.
SAFEARRAY* CreateArray(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds, bool zeroed) {
  size_t element_size = ElementSize(type);
  if (dims == 0 || dims > 0xFFFF || !bounds || element_size == 0) return nullptr;
  size_t count = 1;
  for (UINT d = 0; d < dims; ++d) {
    if (bounds[d].cElements && count > SIZE_MAX / element_size / bounds[d].cElements)
      return nullptr;
    count *= bounds[d].cElements;
  }
  size_t descriptor = offsetof(SAFEARRAY, rgsabound) + dims * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<char*>(std::calloc(1, kTypeSlot + descriptor));
  if (!block) return nullptr;
  std::memcpy(block, &type, sizeof type);
  auto* array = reinterpret_cast<SAFEARRAY*>(block + kTypeSlot);
  array->cDims = static_cast<USHORT>(dims);
  array->fFeatures = FeaturesOf(type);
  array->cbElements = static_cast<ULONG>(element_size);
  std::memcpy(array->rgsabound, bounds, dims * sizeof(SAFEARRAYBOUND));
  size_t bytes = (count ? count : 1) * element_size;
  array->pvData = zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
  if (!array->pvData) {
    std::free(block);
    return nullptr;
  }
  return array;
}

bool IsPlain(VARTYPE type) {
  return type != VT_BSTR && type != VT_UNKNOWN && type != VT_DISPATCH && type != VT_VARIANT;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds) {
  return CreateArray(type, dims, bounds, true);
}

namespace platform {

SAFEARRAY* SafeArrayCreateFrom(VARTYPE type, LONG lower_bound, const void* data, ULONG count) {
  if (!IsPlain(type)) return nullptr;
  SAFEARRAYBOUND bound{count, lower_bound};
  SAFEARRAY* array = CreateArray(type, 1, &bound, false);
  if (array && count) std::memcpy(array->pvData, data, size_t{count} * array->cbElements);
  return array;
}

}  // namespace platform

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lower_bound, ULONG count) {
  SAFEARRAYBOUND bound{count, lower_bound};
  return SafeArrayCreate(type, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks) return DISP_E_ARRAYISLOCKED;
  ReleaseElements(array);
  std::free(array->pvData);
  std::free(BlockOf(array));
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) {
  return array ? array->cDims : 0;
}

UINT SafeArrayGetElemsize(SAFEARRAY* array) {
  return array ? array->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type) {
  if (!array || !type) return E_INVALIDARG;
  *type = TypeOf(array);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  *bound = array->rgsabound[dim - 1].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim == 0 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = array->rgsabound[dim - 1];
  *bound = static_cast<LONG>(int64_t{b.lLbound} + b.cElements - 1);
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices) return E_INVALIDARG;
  size_t offset;
  if (!OffsetOf(array, indices, &offset)) return DISP_E_BADINDEX;
  VARTYPE type = TypeOf(array);
  if (!value && type != VT_BSTR && type != VT_UNKNOWN && type != VT_DISPATCH) return E_INVALIDARG;
  char* element = static_cast<char*>(array->pvData) + offset * array->cbElements;
  return CopyElementIn(type, element, value, array->cbElements);
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (!array || !indices || !value) return E_INVALIDARG;
  size_t offset;
  if (!OffsetOf(array, indices, &offset)) return DISP_E_BADINDEX;
  const char* element = static_cast<const char*>(array->pvData) + offset * array->cbElements;
  return CopyElementOut(TypeOf(array), element, value, array->cbElements);
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (!copy) return E_INVALIDARG;
  *copy = nullptr;
  if (!array) return S_OK;
  VARTYPE type = TypeOf(array);
  // Plain values are copied as one block over elements left unzeroed.
  SAFEARRAY* result = CreateArray(type, array->cDims, array->rgsabound, !IsPlain(type));
  if (!result) return E_OUTOFMEMORY;
  size_t count = ElementCount(array);
  auto* from = static_cast<const char*>(array->pvData);
  auto* to = static_cast<char*>(result->pvData);
  if (IsPlain(type)) {
    if (count) std::memcpy(to, from, count * array->cbElements);
    *copy = result;
    return S_OK;
  }
  for (size_t i = 0; i < count; ++i) {
    const char* source = from + i * array->cbElements;
    const void* value = source;
    if (type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH) {
      void* pointer;
      std::memcpy(&pointer, source, sizeof pointer);
      value = pointer;
    }
    HRESULT hr = CopyElementIn(type, to + i * array->cbElements, value, array->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(result);
      return hr;
    }
  }
  *copy = result;
  return S_OK;
}
