#include "automation_object.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

// A user type's kind and, for an alias, its aliased type, carried in the
// reference number so that GetRefTypeInfo needs no table.
HREFTYPE EncodeUserType(TYPEKIND kind, VARTYPE alias) {
  return (HREFTYPE{alias} << 8) | static_cast<HREFTYPE>(kind + 1);
}

// The type information behind a VT_USERDEFINED parameter: only its kind and,
// for an alias, the aliased type.
class ReferencedType : public ITypeInfo {
 public:
  ReferencedType(TYPEKIND kind, VARTYPE alias) {
    attributes_.typekind = kind;
    attributes_.tdescAlias.vt = alias;
  }
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_ITypeInfo) {
      AddRef();
      *object = static_cast<ITypeInfo*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT GetTypeAttr(TYPEATTR** attributes) override {
    *attributes = &attributes_;
    return S_OK;
  }
  HRESULT GetTypeComp(ITypeComp** comp) override {
    *comp = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetFuncDesc(UINT, FUNCDESC**) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetVarDesc(UINT, VARDESC**) override { return TYPE_E_ELEMENTNOTFOUND; }
  HRESULT GetRefTypeInfo(HREFTYPE, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
  void ReleaseTypeAttr(TYPEATTR*) override {}
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

 private:
  virtual ~ReferencedType() = default;
  std::atomic<ULONG> references_{1};
  TYPEATTR attributes_{};
};

// The type a parameter's value is converted to before the class sees it.
struct ResolvedType {
  VARTYPE type;  // with VT_ARRAY for an array
  bool by_reference;
};

ResolvedType Resolve(const ParamSpec& param) {
  VARTYPE base = param.type & VT_TYPEMASK;
  if (base == VT_USERDEFINED) {
    switch (param.user_kind) {
      case TKIND_ENUM:
        base = VT_I4;
        break;
      case TKIND_DISPATCH:
        base = VT_DISPATCH;
        break;
      case TKIND_ALIAS:
        base = param.alias;
        break;
      default:
        base = VT_UNKNOWN;
    }
  }
  return {static_cast<VARTYPE>(base | (param.type & VT_ARRAY)), (param.type & VT_BYREF) != 0};
}

bool IsFunctionKind(WORD kind) {
  return kind != kVariable;
}

}  // namespace

bool SameMemberName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char16_t c) -> char16_t { return c >= u'A' && c <= u'Z' ? c + 32 : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// --- TypeInfoTable ---

TypeInfoTable::TypeInfoTable(std::vector<MemberSpec> members) : members_(std::move(members)) {
  params_.resize(members_.size());
  functions_.resize(members_.size());
  variables_.resize(members_.size());
  for (size_t i = 0; i < members_.size(); ++i) {
    const MemberSpec& member = members_[i];
    for (const ParamSpec& param : member.params) {
      ELEMDESC element{};
      element.tdesc = Describe(param);
      element.paramdesc.wParamFlags = param.flags;
      params_[i].push_back(element);
    }
    ELEMDESC result{};
    result.tdesc = Describe(ParamSpec{member.result});
    if (IsFunctionKind(member.kind)) {
      FUNCDESC& f = functions_[i];
      f.memid = member.id;
      f.lprgelemdescParam = params_[i].empty() ? nullptr : params_[i].data();
      f.funckind = FUNC_DISPATCH;
      f.invkind = static_cast<INVOKEKIND>(member.kind);
      f.callconv = CC_STDCALL;
      f.cParams = static_cast<SHORT>(params_[i].size());
      f.cParamsOpt = member.optional_count;
      f.elemdescFunc = result;
      function_index_.push_back(i);
    } else {
      VARDESC& v = variables_[i];
      v.memid = member.id;
      v.elemdescVar = result;
      v.varkind = VAR_DISPATCH;
      variable_index_.push_back(i);
    }
  }
  attributes_.typekind = TKIND_DISPATCH;
  attributes_.cFuncs = static_cast<WORD>(function_index_.size());
  attributes_.cVars = static_cast<WORD>(variable_index_.size());
}

TYPEDESC TypeInfoTable::Describe(const ParamSpec& param) {
  TYPEDESC base{};
  base.vt = param.type & VT_TYPEMASK;
  if (base.vt == VT_USERDEFINED) base.hreftype = EncodeUserType(param.user_kind, param.alias);
  TYPEDESC described = base;
  if (param.type & VT_ARRAY) {
    type_nodes_.push_back(described);
    described = TYPEDESC{};
    described.vt = VT_SAFEARRAY;
    described.lptdesc = &type_nodes_.back();
  }
  if (param.type & VT_BYREF) {
    type_nodes_.push_back(described);
    described = TYPEDESC{};
    described.vt = VT_PTR;
    described.lptdesc = &type_nodes_.back();
  }
  return described;
}

const MemberSpec* TypeInfoTable::Find(DISPID id, WORD flags) const {
  for (const MemberSpec& member : members_) {
    if (member.id != id) continue;
    if (member.kind == kVariable) {
      if (flags & (DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
        return &member;
    } else if (member.kind & flags) {
      return &member;
    }
  }
  return nullptr;
}

const MemberSpec* TypeInfoTable::FindByName(std::u16string_view name) const {
  for (const MemberSpec& member : members_) {
    if (SameMemberName(member.name, name)) return &member;
  }
  return nullptr;
}

HRESULT TypeInfoTable::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_ITypeInfo) {
    *object = static_cast<ITypeInfo*>(this);
    return S_OK;
  }
  if (iid == IID_ITypeComp) {
    *object = static_cast<ITypeComp*>(&binder_);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT TypeInfoTable::GetTypeAttr(TYPEATTR** attributes) {
  if (!attributes) return E_INVALIDARG;
  *attributes = &attributes_;
  return S_OK;
}

HRESULT TypeInfoTable::GetTypeComp(ITypeComp** comp) {
  if (!comp) return E_INVALIDARG;
  *comp = &binder_;
  return S_OK;
}

HRESULT TypeInfoTable::GetFuncDesc(UINT index, FUNCDESC** description) {
  if (!description) return E_INVALIDARG;
  if (index >= function_index_.size()) return TYPE_E_ELEMENTNOTFOUND;
  *description = &functions_[function_index_[index]];
  return S_OK;
}

HRESULT TypeInfoTable::GetVarDesc(UINT index, VARDESC** description) {
  if (!description) return E_INVALIDARG;
  if (index >= variable_index_.size()) return TYPE_E_ELEMENTNOTFOUND;
  *description = &variables_[variable_index_[index]];
  return S_OK;
}

HRESULT TypeInfoTable::GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  HREFTYPE kind = reference & 0xFF;
  if (kind == 0 || kind > TKIND_MAX) {
    *info = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  *info = new ReferencedType(static_cast<TYPEKIND>(kind - 1), static_cast<VARTYPE>(reference >> 8));
  return S_OK;
}

HRESULT TypeInfoTable::Binder::QueryInterface(REFIID iid, void** object) {
  if (iid == IID_IUnknown || iid == IID_ITypeComp) {
    *object = static_cast<ITypeComp*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT TypeInfoTable::Binder::Bind(LPOLESTR name, ULONG, WORD flags, ITypeInfo** info,
                                    DESCKIND* kind, BINDPTR* bound) {
  if (!name || !info || !kind || !bound) return E_INVALIDARG;
  *info = nullptr;
  *kind = DESCKIND_NONE;
  bound->lpfuncdesc = nullptr;
  std::u16string_view wanted(name);
  for (size_t i = 0; i < owner_->members_.size(); ++i) {
    const MemberSpec& member = owner_->members_[i];
    if (!SameMemberName(member.name, wanted)) continue;
    if (member.kind == kVariable) {
      *kind = DESCKIND_VARDESC;
      bound->lpvardesc = &owner_->variables_[i];
    } else if (flags == 0 || (member.kind & flags)) {
      *kind = DESCKIND_FUNCDESC;
      bound->lpfuncdesc = &owner_->functions_[i];
    } else {
      continue;
    }
    *info = owner_;
    return S_OK;
  }
  return S_OK;
}

// --- DispatchObject ---

HRESULT DispatchObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  void* found = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    found = static_cast<IDispatch*>(this);
  } else {
    found = OtherInterface(iid);
  }
  *object = found;
  if (!found) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG DispatchObject::AddRef() {
  return ++references_;
}

ULONG DispatchObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  *count = 1;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  *info = const_cast<TypeInfoTable*>(&type_);
  return S_OK;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  const MemberSpec* member = type_.FindByName(names[0] ? names[0] : u"");
  ids[0] = member ? member->id : DISPID_UNKNOWN;
  for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return member && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* arg_error) {
  if (!params || (params->cArgs && !params->rgvarg)) return E_INVALIDARG;
  if (exception) std::memset(exception, 0, sizeof *exception);
  const MemberSpec* member = type_.Find(id, flags);
  if (!member) return DISP_E_MEMBERNOTFOUND;
  WORD kind = member->kind;
  std::vector<ParamSpec> variable_param;
  const std::vector<ParamSpec>* declared = &member->params;
  if (kind == kVariable) {
    kind = (flags & DISPATCH_PROPERTYGET)
               ? DISPATCH_PROPERTYGET
               : (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF));
    if (kind != DISPATCH_PROPERTYGET) variable_param.push_back(ParamSpec{member->result});
    declared = &variable_param;
  }
  bool put = kind == DISPATCH_PROPERTYPUT || kind == DISPATCH_PROPERTYPUTREF;
  if (put) {
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTOPTIONAL;
  } else if (params->cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }

  const UINT count = params->cArgs;
  const size_t declared_count = declared->size();
  const bool variable_list = member->optional_count == -1 && declared_count > 0;
  const size_t required =
      variable_list ? declared_count - 1
                    : declared_count - std::min<size_t>(declared_count, member->optional_count);
  if ((count > declared_count && !variable_list) || count < required) return DISP_E_BADPARAMCOUNT;

  std::vector<VARIANT> args(count);
  for (VARIANT& arg : args) VariantInit(&arg);
  // Arguments the class sees as given (VARIANT parameters, references,
  // missing markers) stay the caller's; only converted copies are cleared.
  std::vector<bool> owned(count, false);
  auto clear_all = [&] {
    for (UINT i = 0; i < count; ++i) {
      if (owned[i]) VariantClear(&args[i]);
    }
  };
  for (UINT i = 0; i < count; ++i) {
    const UINT position = count - 1 - i;  // rgvarg holds the last argument first
    const VARIANT& given = params->rgvarg[position];
    const ParamSpec& param = (*declared)[std::min<size_t>(i, declared_count - 1)];
    auto fail = [&](HRESULT hr) {
      if (arg_error) *arg_error = position;
      clear_all();
      return hr;
    };
    if (given.vt == VT_ERROR && given.scode == DISP_E_PARAMNOTFOUND) {
      bool optional = i >= required || (param.flags & PARAMFLAG_FOPT);
      if (!optional) return fail(DISP_E_PARAMNOTOPTIONAL);
      args[i] = given;
      continue;
    }
    ResolvedType wanted = Resolve(param);
    if (wanted.by_reference) {
      // The class writes through the reference, so it must be of the exact type.
      if (given.vt != (VT_BYREF | wanted.type) || !given.byref) return fail(DISP_E_TYPEMISMATCH);
      args[i] = given;
      continue;
    }
    if (wanted.type == VT_VARIANT) {
      args[i] = given;
      continue;
    }
    HRESULT hr = VariantChangeType(&args[i], &given, 0, wanted.type);
    if (FAILED(hr)) return fail(hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH);
    owned[i] = true;
  }

  VARIANT value;
  VariantInit(&value);
  HRESULT hr = CallMember(*member, kind, args, &value);
  clear_all();
  if (SUCCEEDED(hr) && result) {
    VariantClear(result);
    *result = value;
  } else {
    VariantClear(&value);
  }
  if (hr == DISP_E_EXCEPTION && exception) exception->scode = hr;
  return hr;
}

// --- helpers ---

bool IsMissing(const VARIANT& argument) {
  return argument.vt == VT_ERROR && argument.scode == DISP_E_PARAMNOTFOUND;
}

HRESULT SetString(VARIANT* out, std::u16string_view text) {
  VariantClear(out);
  BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!value) return E_OUTOFMEMORY;
  out->vt = VT_BSTR;
  out->bstrVal = value;
  return S_OK;
}

void SetBool(VARIANT* out, bool value) {
  VariantClear(out);
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetInt(VARIANT* out, LONG value) {
  VariantClear(out);
  out->vt = VT_I4;
  out->lVal = value;
}

void SetObject(VARIANT* out, IDispatch* object) {
  VariantClear(out);
  out->vt = VT_DISPATCH;
  out->pdispVal = object;
}

}  // namespace platform
