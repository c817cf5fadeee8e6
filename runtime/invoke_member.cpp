#include "runtime/invoke_member.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "kernel32.h"
#include "oleaut32.h"
#include "runtime/automation_cells.h"
#include "runtime/automation_values.h"
#include "runtime/com_ptr.h"
#include "runtime/last_call_status.h"

namespace rt {
namespace {

constexpr WORD kReadKinds[] = {INVOKE_PROPERTYGET, INVOKE_FUNC};
constexpr WORD kWriteKinds[] = {INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF, INVOKE_FUNC};
constexpr WORD kCallKinds[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
                               INVOKE_PROPERTYPUTREF};

int32_t StatusOf(HRESULT hr) {
  switch (hr) {
    case DISP_E_BADPARAMCOUNT:
      return status::BadParamCount;
    case DISP_E_BADVARTYPE:
      return status::BadVarType;
    case DISP_E_EXCEPTION:
      return status::Exception;
    case DISP_E_MEMBERNOTFOUND:
      return status::MemberNotFound;
    case DISP_E_NONAMEDARGS:
      return status::NoNamedArgs;
    case DISP_E_OVERFLOW:
      return status::Overflow;
    case DISP_E_PARAMNOTFOUND:
      return status::ParamNotFound;
    case DISP_E_TYPEMISMATCH:
      return status::TypeMismatch;
    case DISP_E_PARAMNOTOPTIONAL:
      return status::ParamNotOptional;
    default:
      return status::OtherFailure;
  }
}

// The member name in UTF-16, on the stack unless it is unusually long.
class WideName {
 public:
  explicit WideName(const char* text) {
    int bytes = text ? static_cast<int>(std::strlen(text)) : 0;
    // Member names are nearly always ASCII, which needs no converter.
    const bool ascii = automation::IsAscii(text ? text : "", static_cast<size_t>(bytes));
    int units = ascii || !bytes ? bytes : MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    if (units < 0) units = 0;
    OLECHAR* out = buffer_.data();
    if (static_cast<size_t>(units) >= buffer_.size()) {
      heap_.resize(static_cast<size_t>(units) + 1);
      out = heap_.data();
    }
    if (ascii) {
      std::copy(text, text + bytes, out);
    } else if (units) {
      MultiByteToWideChar(CP_ACP, 0, text, bytes, out, units);
    }
    out[units] = OLECHAR{0};
    name_ = out;
  }
  LPOLESTR get() const { return name_; }

 private:
  std::array<OLECHAR, 128> buffer_;
  std::basic_string<OLECHAR> heap_;
  LPOLESTR name_;
};

// What the binding tells about the member, and the descriptions to give back.
struct Binding {
  ComPtr<ITypeInfo> info;
  DESCKIND kind = DESCKIND_NONE;
  BINDPTR bound{};

  ~Binding() {
    if (!info) return;
    if (kind == DESCKIND_FUNCDESC) info->ReleaseFuncDesc(bound.lpfuncdesc);
    if (kind == DESCKIND_VARDESC || kind == DESCKIND_IMPLICITAPPOBJ)
      info->ReleaseVarDesc(bound.lpvardesc);
  }
};

// Argument and shadow VARIANTs of one call: on the stack for the usual few.
class ArgumentBlock {
 public:
  explicit ArgumentBlock(size_t count) : count_(count) {
    VARIANT* block = inline_.data();
    if (2 * count > inline_.size()) {
      heap_.resize(2 * count);
      block = heap_.data();
    }
    std::memset(static_cast<void*>(block), 0, 2 * count * sizeof(VARIANT));
    arguments_ = block;
    shadows_ = block + count;
  }
  ~ArgumentBlock() {
    for (size_t i = 0; i < 2 * count_; ++i) VariantClear(&arguments_[i]);
  }
  VARIANT* arguments() { return arguments_; }
  VARIANT* shadows() { return shadows_; }

 private:
  size_t count_;
  std::array<VARIANT, 16> inline_;
  std::vector<VARIANT> heap_;
  VARIANT* arguments_;
  VARIANT* shadows_;
};

bool IsReferenceType(VARTYPE type) {
  return (type & VT_ARRAY) || type == VT_UNKNOWN || type == VT_DISPATCH;
}

}  // namespace

VARTYPE ResolveDeclaredType(const TYPEDESC& type, ITypeInfo* info) {
  switch (type.vt) {
    case VT_PTR:
      return type.lptdesc ? ResolveDeclaredType(*type.lptdesc, info) | VT_BYREF : VT_BYREF;
    case VT_SAFEARRAY:
      return type.lptdesc ? ResolveDeclaredType(*type.lptdesc, info) | VT_ARRAY : VT_ARRAY;
    case VT_CARRAY:
      return type.lpadesc ? ResolveDeclaredType(type.lpadesc->tdescElem, info) | VT_ARRAY
                          : VT_ARRAY;
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> referenced;
      if (!info || FAILED(info->GetRefTypeInfo(type.hreftype, referenced.put())) || !referenced)
        return VT_UNKNOWN;
      TYPEATTR* attributes = nullptr;
      if (FAILED(referenced->GetTypeAttr(&attributes)) || !attributes) return VT_UNKNOWN;
      VARTYPE resolved;
      switch (attributes->typekind) {
        case TKIND_ENUM:
          resolved = VT_I4;
          break;
        case TKIND_DISPATCH:
          resolved = VT_DISPATCH;
          break;
        case TKIND_ALIAS:
          resolved = ResolveDeclaredType(attributes->tdescAlias, referenced.get());
          break;
        default:
          resolved = VT_UNKNOWN;
      }
      referenced->ReleaseTypeAttr(attributes);
      return resolved;
    }
    case VT_INT:
      return VT_I4;
    case VT_UINT:
      return VT_UI4;
    default:
      return type.vt;
  }
}

int32_t InvokeMember(ValueRecord* result, TypeCode promised, int32_t arg_count,
                     const ValueRecord* args, InvokeMode mode) {
  int32_t outcome = status::Success;
  ComPtr<IDispatch> dispatch;
  Binding binding;
  std::vector<ELEMDESC> lengthened;

  // Each failing step leaves its status and skips to the end.
  auto run = [&]() -> int32_t {
    if (arg_count < 2) return status::NoMember;
    WideName name(args[1].AsPointer<const char>());
    const auto* cell = args[0].AsPointer<const ObjectCell>();
    if (!cell || !cell->object) return status::EmptyObject;
    if (FAILED(cell->object->QueryInterface(IID_IDispatch, dispatch.put_void())) || !dispatch)
      return status::NoDispatch;

    const LCID locale = GetUserDefaultLCID();
    ComPtr<ITypeComp> comp;
    {
      ComPtr<ITypeInfo> type;
      if (FAILED(dispatch->GetTypeInfo(0, locale, type.put())) || !type) return status::NoTypeInfo;
      if (FAILED(type->GetTypeComp(comp.put())) || !comp) return status::NoTypeInfo;
    }

    std::span<const WORD> kinds = mode == InvokeMode::Read    ? std::span<const WORD>(kReadKinds)
                                  : mode == InvokeMode::Write ? std::span<const WORD>(kWriteKinds)
                                                              : std::span<const WORD>(kCallKinds);
    const ULONG hash = LHashValOfNameSys(SYS_WIN32, locale, name.get());
    bool bound = false;
    for (WORD kind : kinds) {
      ITypeInfo* info = nullptr;
      DESCKIND desc = DESCKIND_NONE;
      BINDPTR pointer{};
      HRESULT hr = comp->Bind(name.get(), hash, kind, &info, &desc, &pointer);
      if (SUCCEEDED(hr) && desc != DESCKIND_NONE) {
        binding.info.reset(info);
        binding.kind = desc;
        binding.bound = pointer;
        bound = true;
        break;
      }
      if (info) info->Release();
    }
    comp.reset();
    if (!bound) return status::NoMember;

    DISPID member;
    WORD flags;
    const ELEMDESC* declared = nullptr;
    size_t declared_count = 0;
    bool variable_list = false;
    ELEMDESC variable_param{};
    if (binding.kind == DESCKIND_FUNCDESC) {
      const FUNCDESC* function = binding.bound.lpfuncdesc;
      member = function->memid;
      flags = static_cast<WORD>(function->invkind);
      declared = function->lprgelemdescParam;
      declared_count = function->cParams > 0 ? static_cast<size_t>(function->cParams) : 0;
      variable_list = function->cParamsOpt == -1 && declared_count > 0;
    } else if (binding.kind == DESCKIND_VARDESC || binding.kind == DESCKIND_IMPLICITAPPOBJ) {
      const VARDESC* variable = binding.bound.lpvardesc;
      member = variable->memid;
      if (mode == InvokeMode::Write) {
        VARTYPE type = ResolveDeclaredType(variable->elemdescVar.tdesc, binding.info.get());
        flags = IsReferenceType(type) ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
        variable_param = variable->elemdescVar;
        declared = &variable_param;
        declared_count = 1;
      } else {
        flags = DISPATCH_PROPERTYGET;
      }
    } else {
      // A nested type or nothing usable: give back what came with it.
      if (binding.kind == DESCKIND_TYPECOMP && binding.bound.lptcomp)
        binding.bound.lptcomp->Release();
      binding.kind = DESCKIND_NONE;
      return status::NoMember;
    }

    // Trailing omitted arguments are not sent at all.
    size_t count = static_cast<size_t>(arg_count - 2);
    const ValueRecord* member_args = args + 2;
    while (count > 0 && member_args[count - 1].type == type::None) --count;
    if (count > declared_count) {
      if (!variable_list) return status::TooManyArguments;
      lengthened.assign(declared, declared + declared_count);
      lengthened.resize(count, declared[declared_count - 1]);
      declared = lengthened.data();
      declared_count = count;
    }

    ArgumentBlock block(count);
    VARIANT* arguments = block.arguments();
    VARIANT* shadows = block.shadows();
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params{count ? arguments : nullptr, put ? &named : nullptr, static_cast<UINT>(count),
                      put ? 1u : 0u};
    for (size_t i = 0; i < count; ++i) {
      // The last argument goes first.
      size_t slot = count - 1 - i;
      VARTYPE type = ResolveDeclaredType(declared[i].tdesc, binding.info.get());
      int32_t converted =
          automation::ValueToVariant(member_args[i], type, &arguments[slot], &shadows[slot]);
      if (converted != status::Success) return converted;
    }

    VARIANT value;
    VariantInit(&value);
    UINT arg_error = static_cast<UINT>(-1);
    HRESULT hr =
        dispatch->Invoke(member, IID_NULL, locale, flags, &params, &value, nullptr, &arg_error);
    if (FAILED(hr)) {
      VariantClear(&value);
      return StatusOf(hr);
    }
    for (size_t i = 0; i < count; ++i) {
      const VARIANT& sent = arguments[count - 1 - i];
      if ((sent.vt & VT_BYREF) && (declared[i].paramdesc.wParamFlags & PARAMFLAG_FOUT) &&
          IsByRef(member_args[i].type)) {
        automation::VariantToVariable(sent, BaseType(member_args[i].type),
                                      member_args[i].AsPointer<void>());
      }
    }
    int32_t converted = status::Success;
    if (promised != type::None && !automation::VariantToNewValue(value, promised, result))
      converted = status::ResultNotConvertible;
    VariantClear(&value);
    return converted;
  };

  outcome = run();
  if (outcome != status::Success && promised != type::None)
    *result = automation::EmptyResult(promised);
  SetLastCallStatus(outcome);
  return outcome;
}

}  // namespace rt
