// The stream class. Misuse fails as the platform's stream does, with an
// exception status: writing bytes in text mode, reading text in binary mode,
// any transfer while closed, changing Type or Charset away from position 0,
// Mode while open, a position past the end.
//
// Decoding choices: a byte-order mark at the start of UTF-8 or UTF-16 text is
// dropped; each byte sequence that does not decode becomes U+FFFD; after a
// Charset write that named no known charset the stream yields empty text.
#include "stream_class.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "automation_object.h"
#include "charset_names.h"

namespace platform {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

void SubstituteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  *error = U_ZERO_ERROR;
  static const UChar kReplacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
}

using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(const std::string& name) {
  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name.c_str(), &error));
  if (U_FAILURE(error)) return nullptr;
  ucnv_setToUCallBack(converter.get(), SubstituteReplacement, nullptr, nullptr, nullptr, &error);
  if (U_FAILURE(error)) return nullptr;
  return converter;
}

// The bytes decoded with `converter_name` as a new string, or null when ICU
// cannot. A leading byte-order mark of a Unicode charset is dropped.
BSTR Decode(const std::string& converter_name, const uint8_t* bytes, size_t size) {
  // One unit per byte is enough for nearly every charset; more is asked for
  // only when a conversion says so.
  size_t capacity = size + 1;
  auto out = std::make_unique_for_overwrite<char16_t[]>(capacity);
  size_t length = 0;
  if (converter_name == "UTF-8") {
    // ICU's direct UTF-8 path: each maximal part of an ill-formed sequence
    // becomes one U+FFFD, as the converter would make it, without a
    // converter's state to open and reset.
    UErrorCode error = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.get()), static_cast<int32_t>(capacity),
                         &needed, reinterpret_cast<const char*>(bytes),
                         static_cast<int32_t>(size), 0xFFFD, nullptr, &error);
    if (U_FAILURE(error)) return nullptr;
    length = static_cast<size_t>(needed);
  } else {
    ConverterPtr converter = OpenConverter(converter_name);
    if (!converter) return nullptr;
    UErrorCode error = U_ZERO_ERROR;
    auto convert = [&] {
      error = U_ZERO_ERROR;
      ucnv_reset(converter.get());
      return ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.get()),
                           static_cast<int32_t>(capacity), reinterpret_cast<const char*>(bytes),
                           static_cast<int32_t>(size), &error);
    };
    int32_t needed = convert();
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      capacity = static_cast<size_t>(needed) + 1;
      out = std::make_unique_for_overwrite<char16_t[]>(capacity);
      needed = convert();
    }
    if (U_FAILURE(error)) return nullptr;
    length = static_cast<size_t>(needed);
  }
  const char16_t* start = out.get();
  if (IsUnicodeConverter(converter_name) && length > 0 && start[0] == 0xFEFF) {
    ++start;
    --length;
  }
  return SysAllocStringLen(start, static_cast<UINT>(length));
}

const TypeInfoTable& StreamType() {
  // Type and Mode are declared with enumeration types, which carry Int32 values.
  const ParamSpec type_enum{VT_USERDEFINED, PARAMFLAG_FIN, TKIND_ENUM};
  const ParamSpec optional_variant{VT_VARIANT, PARAMFLAG_FIN | PARAMFLAG_FOPT};
  const ParamSpec optional_enum{VT_USERDEFINED, PARAMFLAG_FIN | PARAMFLAG_FOPT, TKIND_ENUM};
  const ParamSpec optional_string{VT_BSTR, PARAMFLAG_FIN | PARAMFLAG_FOPT};
  static const TypeInfoTable type({
      {u"Type", stream_id::Type, INVOKE_PROPERTYGET, VT_I4},
      {u"Type", stream_id::Type, INVOKE_PROPERTYPUT, VT_VOID, {type_enum}},
      {u"Mode", stream_id::Mode, INVOKE_PROPERTYGET, VT_I4},
      {u"Mode", stream_id::Mode, INVOKE_PROPERTYPUT, VT_VOID, {type_enum}},
      {u"Position", stream_id::Position, INVOKE_PROPERTYGET, VT_I4},
      {u"Position", stream_id::Position, INVOKE_PROPERTYPUT, VT_VOID, {ParamSpec{VT_I4}}},
      {u"Charset", stream_id::Charset, INVOKE_PROPERTYGET, VT_BSTR},
      {u"Charset", stream_id::Charset, INVOKE_PROPERTYPUT, VT_VOID, {ParamSpec{VT_BSTR}}},
      {u"Open",
       stream_id::Open,
       INVOKE_FUNC,
       VT_VOID,
       {optional_variant, optional_enum, optional_enum, optional_string, optional_string},
       5},
      {u"Write", stream_id::Write, INVOKE_FUNC, VT_VOID, {ParamSpec{VT_VARIANT}}},
      {u"ReadText",
       stream_id::ReadText,
       INVOKE_FUNC,
       VT_BSTR,
       {ParamSpec{VT_I4, PARAMFLAG_FIN | PARAMFLAG_FOPT}},
       1},
      {u"Close", stream_id::Close, INVOKE_FUNC, VT_VOID},
  });
  return type;
}

class StreamObject final : public DispatchObject {
 public:
  StreamObject() : DispatchObject(StreamType()) {}

 protected:
  HRESULT CallMember(const MemberSpec& member, WORD kind, std::span<VARIANT> args,
                     VARIANT* result) override {
    const bool get = kind == DISPATCH_PROPERTYGET;
    switch (member.id) {
      case stream_id::Type:
        if (get) {
          SetInt(result, type_);
          return S_OK;
        }
        if (args[0].lVal != kStreamTypeBinary && args[0].lVal != kStreamTypeText)
          return DISP_E_EXCEPTION;
        if (open_ && position_ != 0) return DISP_E_EXCEPTION;
        type_ = args[0].lVal;
        return S_OK;
      case stream_id::Mode:
        if (get) {
          SetInt(result, mode_);
          return S_OK;
        }
        if (open_) return DISP_E_EXCEPTION;
        mode_ = args[0].lVal;
        return S_OK;
      case stream_id::Position:
        if (!open_) return DISP_E_EXCEPTION;
        if (get) {
          SetInt(result, static_cast<LONG>(position_));
          return S_OK;
        }
        if (args[0].lVal < 0 || static_cast<size_t>(args[0].lVal) > bytes_.size())
          return DISP_E_EXCEPTION;
        position_ = static_cast<size_t>(args[0].lVal);
        return S_OK;
      case stream_id::Charset:
        if (get) return SetString(result, charset_);
        return PutCharset(args[0]);
      case stream_id::Open:
        // Only an empty memory stream: no source to open from.
        if (open_ || !IsMissing(args.empty() ? Missing() : args[0])) return DISP_E_EXCEPTION;
        open_ = true;
        bytes_.clear();
        position_ = 0;
        return S_OK;
      case stream_id::Write:
        return Write(args[0]);
      case stream_id::ReadText:
        return ReadText(args.empty() ? Missing() : args[0], result);
      default:
        if (!open_) return DISP_E_EXCEPTION;
        open_ = false;
        bytes_.clear();
        bytes_.shrink_to_fit();
        position_ = 0;
        return S_OK;
    }
  }

 private:
  static VARIANT Missing() {
    VARIANT missing;
    VariantInit(&missing);
    missing.vt = VT_ERROR;
    missing.scode = DISP_E_PARAMNOTFOUND;
    return missing;
  }

  HRESULT PutCharset(const VARIANT& name) {
    if (open_ && position_ != 0) return DISP_E_EXCEPTION;
    std::u16string_view text(name.bstrVal ? name.bstrVal : u"", SysStringLen(name.bstrVal));
    std::string converter = ConverterForCharset(text);
    if (converter.empty()) {
      converter_.clear();
      return DISP_E_EXCEPTION;
    }
    charset_ = text;
    converter_ = std::move(converter);
    return S_OK;
  }

  HRESULT Write(const VARIANT& buffer) {
    if (!open_ || type_ != kStreamTypeBinary) return DISP_E_EXCEPTION;
    const VARIANT* value = &buffer;
    if (value->vt == (VT_BYREF | VT_VARIANT)) value = value->pvarVal;
    SAFEARRAY* array = nullptr;
    if (value->vt == (VT_ARRAY | VT_UI1) || value->vt == (VT_ARRAY | VT_I1)) {
      array = value->parray;
    } else if (value->vt == (VT_BYREF | VT_ARRAY | VT_UI1)) {
      array = *value->pparray;
    } else {
      return DISP_E_TYPEMISMATCH;
    }
    if (!array || array->cbElements != 1) return DISP_E_TYPEMISMATCH;
    size_t count = 1;
    for (USHORT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
    const auto* data = static_cast<const uint8_t*>(array->pvData);
    // Overwrite from the position, then append what goes past the end.
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
    std::copy(data, data + count, bytes_.begin() + static_cast<ptrdiff_t>(position_));
    position_ += count;
    return S_OK;
  }

  HRESULT ReadText(const VARIANT& count, VARIANT* result) {
    if (!open_ || type_ != kStreamTypeText) return DISP_E_EXCEPTION;
    // Only whole-stream reads.
    if (!IsMissing(count) && count.lVal != kReadAll) return DISP_E_EXCEPTION;
    BSTR text = converter_.empty()
                    ? nullptr
                    : Decode(converter_, bytes_.data() + position_, bytes_.size() - position_);
    position_ = bytes_.size();
    if (!text) return SetString(result, u"");
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = text;
    return S_OK;
  }

  bool open_ = false;
  LONG type_ = kStreamTypeText;
  LONG mode_ = 0;
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  std::u16string charset_ = u"Unicode";
  std::string converter_ = "UTF-16LE";
};

}  // namespace

HRESULT CreateStreamObject(REFIID iid, void** object) {
  auto* created = new StreamObject();
  HRESULT hr = created->QueryInterface(iid, object);
  created->Release();
  return hr;
}

}  // namespace platform
