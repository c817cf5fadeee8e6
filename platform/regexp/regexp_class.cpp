// The regular-expression class and its result objects. A search copies the
// matched texts out, so the result objects stay valid whatever the class
// object does next.
#include "regexp_class.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation_object.h"
#include "regexp_engine.h"

namespace platform {
namespace {

struct FoundMatch {
  std::u16string value;
  LONG first_index;
  std::vector<std::optional<std::u16string>> groups;  // empty for a group that took no part
};
using FoundMatches = std::shared_ptr<const std::vector<FoundMatch>>;

std::u16string_view StringOf(const VARIANT& v) {
  return {v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)};
}

const ParamSpec kString{VT_BSTR};
const ParamSpec kBool{VT_BOOL};
const ParamSpec kIndex{VT_I4};

// --- submatch collection ---

const TypeInfoTable& SubMatchesType() {
  static const TypeInfoTable type({
      {u"Item", regexp_id::Item, INVOKE_PROPERTYGET, VT_VARIANT, {kIndex}},
      {u"Count", regexp_id::Count, INVOKE_PROPERTYGET, VT_I4},
  });
  return type;
}

class SubMatchesObject final : public DispatchObject {
 public:
  SubMatchesObject(FoundMatches matches, size_t index)
      : DispatchObject(SubMatchesType()), matches_(std::move(matches)), index_(index) {}

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD, std::span<VARIANT> args,
                     VARIANT* result) override {
    const auto& groups = (*matches_)[index_].groups;
    if (member.id == regexp_id::Count) {
      SetInt(result, static_cast<LONG>(groups.size()));
      return S_OK;
    }
    LONG i = args[0].lVal;
    if (i < 0 || static_cast<size_t>(i) >= groups.size()) return E_INVALIDARG;
    // A group that took no part reads as an empty variant.
    if (!groups[static_cast<size_t>(i)]) return S_OK;
    return SetString(result, *groups[static_cast<size_t>(i)]);
  }

 private:
  FoundMatches matches_;
  size_t index_;
};

// --- match ---

const TypeInfoTable& MatchType() {
  static const TypeInfoTable type({
      {u"Value", regexp_id::Value, INVOKE_PROPERTYGET, VT_BSTR},
      {u"FirstIndex", regexp_id::FirstIndex, INVOKE_PROPERTYGET, VT_I4},
      {u"Length", regexp_id::Length, INVOKE_PROPERTYGET, VT_I4},
      {u"SubMatches", regexp_id::SubMatches, INVOKE_PROPERTYGET, VT_DISPATCH},
  });
  return type;
}

class MatchObject final : public DispatchObject {
 public:
  MatchObject(FoundMatches matches, size_t index)
      : DispatchObject(MatchType()), matches_(std::move(matches)), index_(index) {}

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD, std::span<VARIANT>, VARIANT* result) override {
    const FoundMatch& match = (*matches_)[index_];
    switch (member.id) {
      case regexp_id::Value:
        return SetString(result, match.value);
      case regexp_id::FirstIndex:
        SetInt(result, match.first_index);
        return S_OK;
      case regexp_id::Length:
        SetInt(result, static_cast<LONG>(match.value.size()));
        return S_OK;
      default:
        SetObject(result, new SubMatchesObject(matches_, index_));
        return S_OK;
    }
  }

 private:
  FoundMatches matches_;
  size_t index_;
};

// --- match collection ---

const TypeInfoTable& MatchCollectionType() {
  static const TypeInfoTable type({
      {u"Item", regexp_id::Item, INVOKE_PROPERTYGET, VT_DISPATCH, {kIndex}},
      {u"Count", regexp_id::Count, INVOKE_PROPERTYGET, VT_I4},
  });
  return type;
}

class MatchCollectionObject final : public DispatchObject {
 public:
  explicit MatchCollectionObject(FoundMatches matches)
      : DispatchObject(MatchCollectionType()), matches_(std::move(matches)) {}

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD, std::span<VARIANT> args,
                     VARIANT* result) override {
    if (member.id == regexp_id::Count) {
      SetInt(result, static_cast<LONG>(matches_->size()));
      return S_OK;
    }
    LONG i = args[0].lVal;
    if (i < 0 || static_cast<size_t>(i) >= matches_->size()) return E_INVALIDARG;
    SetObject(result, new MatchObject(matches_, static_cast<size_t>(i)));
    return S_OK;
  }

 private:
  FoundMatches matches_;
};

// --- the class ---

const TypeInfoTable& RegExpType() {
  static const TypeInfoTable type({
      {u"Pattern", regexp_id::Pattern, INVOKE_PROPERTYGET, VT_BSTR},
      {u"Pattern", regexp_id::Pattern, INVOKE_PROPERTYPUT, VT_VOID, {kString}},
      {u"IgnoreCase", regexp_id::IgnoreCase, INVOKE_PROPERTYGET, VT_BOOL},
      {u"IgnoreCase", regexp_id::IgnoreCase, INVOKE_PROPERTYPUT, VT_VOID, {kBool}},
      {u"Global", regexp_id::Global, INVOKE_PROPERTYGET, VT_BOOL},
      {u"Global", regexp_id::Global, INVOKE_PROPERTYPUT, VT_VOID, {kBool}},
      {u"Multiline", regexp_id::Multiline, INVOKE_PROPERTYGET, VT_BOOL},
      {u"Multiline", regexp_id::Multiline, INVOKE_PROPERTYPUT, VT_VOID, {kBool}},
      {u"Execute", regexp_id::Execute, INVOKE_FUNC, VT_DISPATCH, {kString}},
      {u"Test", regexp_id::Test, INVOKE_FUNC, VT_BOOL, {kString}},
      {u"Replace", regexp_id::Replace, INVOKE_FUNC, VT_BSTR, {kString, ParamSpec{VT_VARIANT}}},
  });
  return type;
}

class RegExpObject final : public DispatchObject {
 public:
  RegExpObject() : DispatchObject(RegExpType()) {}

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD kind, std::span<VARIANT> args,
                     VARIANT* result) override {
    const bool get = kind == DISPATCH_PROPERTYGET;
    switch (member.id) {
      case regexp_id::Pattern:
        if (get) return SetString(result, engine_.pattern());
        engine_.SetPattern(StringOf(args[0]));
        return S_OK;
      case regexp_id::IgnoreCase:
        if (get)
          SetBool(result, engine_.ignore_case());
        else
          engine_.SetIgnoreCase(args[0].boolVal != 0);
        return S_OK;
      case regexp_id::Global:
        if (get)
          SetBool(result, global_);
        else
          global_ = args[0].boolVal != 0;
        return S_OK;
      case regexp_id::Multiline:
        if (get)
          SetBool(result, engine_.multiline());
        else
          engine_.SetMultiline(args[0].boolVal != 0);
        return S_OK;
      case regexp_id::Execute:
        return Execute(StringOf(args[0]), result);
      case regexp_id::Test: {
        // Test asks for one match whatever Global says.
        std::vector<RegexMatch> matches;
        if (!engine_.Execute(StringOf(args[0]), false, &matches)) return DISP_E_EXCEPTION;
        SetBool(result, !matches.empty());
        return S_OK;
      }
      default:
        return Replace(StringOf(args[0]), args[1], result);
    }
  }

 private:
  HRESULT Execute(std::u16string_view subject, VARIANT* result) {
    std::vector<RegexMatch> found;
    if (!engine_.Execute(subject, global_, &found)) return DISP_E_EXCEPTION;
    auto matches = std::make_shared<std::vector<FoundMatch>>();
    matches->reserve(found.size());
    for (const RegexMatch& match : found) {
      FoundMatch copy{std::u16string(subject.substr(match[0].start, match[0].length)),
                      static_cast<LONG>(match[0].start),
                      {}};
      for (size_t g = 1; g < match.size(); ++g) {
        if (match[g].set) {
          copy.groups.emplace_back(std::u16string(subject.substr(match[g].start, match[g].length)));
        } else {
          copy.groups.emplace_back();
        }
      }
      matches->push_back(std::move(copy));
    }
    SetObject(result, new MatchCollectionObject(std::move(matches)));
    return S_OK;
  }

  HRESULT Replace(std::u16string_view subject, const VARIANT& replacement, VARIANT* result) {
    // Any value converts to its string form first (true gives "-1").
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &replacement, 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    std::u16string replaced;
    bool ok = engine_.Replace(subject, StringOf(text), global_, &replaced);
    VariantClear(&text);
    if (!ok) return DISP_E_EXCEPTION;
    return SetString(result, replaced);
  }

  RegexEngine engine_;
  bool global_ = false;
};

}  // namespace

HRESULT CreateRegExpObject(REFIID iid, void** object) {
  auto* created = new RegExpObject();
  HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

}  // namespace platform
