// Table-driven automation objects: a class lists its members once, and gets
// type information and type binding built from that list and a standard
// Invoke that checks and converts the arguments before the class's own code
// sees them.
#pragma once

#include <atomic>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "oleaut32.h"

namespace platform {

struct ParamSpec {
  // The declared type; VT_BYREF and VT_ARRAY may be added. VT_USERDEFINED
  // names a user type of kind `user_kind` (for an alias, of type `alias`).
  VARTYPE type;
  USHORT flags = PARAMFLAG_FIN;
  TYPEKIND user_kind = TKIND_ENUM;
  VARTYPE alias = VT_EMPTY;
};

inline constexpr WORD kVariable = 0;  // a member that is a variable, not a function

struct MemberSpec {
  std::u16string name;
  DISPID id;
  WORD kind;       // INVOKE_FUNC, INVOKE_PROPERTYGET, _PUT, _PUTREF, or kVariable
  VARTYPE result;  // VT_VOID for none; a variable's own type
  std::vector<ParamSpec> params = {};
  SHORT optional_count = 0;  // trailing optional parameters; -1 for a variable argument list
};

// Type information, type binding and the member list of one class. Lives as
// long as the program (one static per class), so its references are not counted.
class TypeInfoTable : public ITypeInfo {
 public:
  explicit TypeInfoTable(std::vector<MemberSpec> members);
  TypeInfoTable(const TypeInfoTable&) = delete;
  TypeInfoTable& operator=(const TypeInfoTable&) = delete;

  const std::vector<MemberSpec>& members() const { return members_; }
  // The member with this id whose kind `flags` allows; null when there is none.
  const MemberSpec* Find(DISPID id, WORD flags) const;
  const MemberSpec* FindByName(std::u16string_view name) const;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetTypeAttr(TYPEATTR** attributes) override;
  HRESULT GetTypeComp(ITypeComp** comp) override;
  HRESULT GetFuncDesc(UINT index, FUNCDESC** description) override;
  HRESULT GetVarDesc(UINT index, VARDESC** description) override;
  HRESULT GetRefTypeInfo(HREFTYPE reference, ITypeInfo** info) override;
  void ReleaseTypeAttr(TYPEATTR*) override {}
  void ReleaseFuncDesc(FUNCDESC*) override {}
  void ReleaseVarDesc(VARDESC*) override {}

 private:
  class Binder : public ITypeComp {
   public:
    explicit Binder(TypeInfoTable* owner) : owner_(owner) {}
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Bind(LPOLESTR name, ULONG hash, WORD flags, ITypeInfo** info, DESCKIND* kind,
                 BINDPTR* bound) override;

   private:
    TypeInfoTable* owner_;
  };

  TYPEDESC Describe(const ParamSpec& param);

  std::vector<MemberSpec> members_;
  std::deque<TYPEDESC> type_nodes_;  // stable addresses for the pointed-to types
  std::vector<std::vector<ELEMDESC>> params_;
  std::vector<FUNCDESC> functions_;  // per member; unused for variables
  std::vector<VARDESC> variables_;   // per member; unused for functions
  std::vector<size_t> function_index_, variable_index_;
  TYPEATTR attributes_{};
  Binder binder_{this};
};

// The reference counting, QueryInterface and standard Invoke of a class
// described by a TypeInfoTable.
class DispatchObject : public IDispatch {
 public:
  explicit DispatchObject(const TypeInfoTable& type) : type_(type) {}
  virtual ~DispatchObject() = default;

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  // Finds the member, checks named arguments and the argument count, and
  // converts each argument to its declared type (a by-reference parameter
  // takes only a reference of exactly that type; a missing argument reaches
  // the class as VT_ERROR / DISP_E_PARAMNOTFOUND only where it is optional).
  HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* arg_error) override;

 protected:
  // The class's own code for one member: `args` in declared order, already
  // converted; `kind` is the invoke kind chosen; `result` starts VT_EMPTY.
  virtual HRESULT CallMember(const MemberSpec& member, WORD kind, std::span<VARIANT> args,
                             VARIANT* result) = 0;
  // Interfaces beyond IUnknown and IDispatch; none by default.
  virtual void* OtherInterface(REFIID) { return nullptr; }
  const TypeInfoTable& type() const { return type_; }

 private:
  const TypeInfoTable& type_;
  std::atomic<ULONG> references_{1};
};

// Case-insensitive comparison of member names (ASCII letters fold).
bool SameMemberName(std::u16string_view a, std::u16string_view b);

// Helpers for members' code.
bool IsMissing(const VARIANT& argument);
HRESULT SetString(VARIANT* out, std::u16string_view text);
void SetBool(VARIANT* out, bool value);
void SetInt(VARIANT* out, LONG value);
// Hands over one reference held by the caller.
void SetObject(VARIANT* out, IDispatch* object);

}  // namespace platform
