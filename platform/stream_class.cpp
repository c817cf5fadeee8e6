// The stream class. Misuse fails as the platform's stream does, with an
// exception status: writing bytes in text mode, reading text in binary mode,
// any transfer while closed, changing Type or Charset away from position 0,
// Mode while open, a position past the end.
//
// Decoding choices: a byte-order mark at the start of UTF-8 or UTF-16 text is
// dropped; each byte sequence that does not decode becomes U+FFFD; after a
// Charset write that named no known charset the stream yields empty text.
#include "platform/stream_class.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation_object.h"
#include "platform/charset_names.h"

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

// UTF-8 into `out`, which has room for one unit per byte (never exceeded,
// substitutes included). Each maximal part of an ill-formed sequence becomes
// one U+FFFD, as ICU's converter does; decoding it here avoids a converter
// call per run of non-ASCII text.
size_t DecodeUtf8(const uint8_t* bytes, size_t size, char16_t* out) {
  char16_t* target = out;
  size_t i = 0;
  while (i < size) {
    const uint8_t lead = bytes[i];
    if (lead < 0x80) {
      *target++ = lead;
      ++i;
      continue;
    }
    size_t length;
    uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
    uint32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
      *target++ = 0xFFFD;
      ++i;
      continue;
    }
    size_t j = i + 1;
    for (; j < i + length && j < size; ++j) {
      const uint8_t trail = bytes[j];
      if (trail < low || trail > high) break;
      low = 0x80;
      high = 0xBF;
      code = (code << 6) | (trail & 0x3F);
    }
    if (j < i + length) {
      *target++ = 0xFFFD;  // the well-formed start so far is one substitute
      i = j;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      *target++ = static_cast<char16_t>(0xD800 + (code >> 10));
      *target++ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      *target++ = static_cast<char16_t>(code);
    }
    i = j;
  }
  return static_cast<size_t>(target - out);
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
    length = DecodeUtf8(bytes, size, out.get());
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
