// MultiByteToWideChar and WideCharToMultiByte over ICU converters. Code page 936
// uses ICU's model of the Windows table so that 0x80, 0xFF, the private-use rows
// and best-fit substitution behave as the original platform's.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/unorm2.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/kernel32.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Invalid or truncated multi-byte input becomes one '?' per bad sequence, the
// platform's substitute, instead of ICU's U+FFFD.
void ToUnicodeQuestionMark(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                           UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  static const UChar kQuestionMark = u'?';
  *error = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kQuestionMark, 1, 0, error);
}

UConverter* OpenConverter(UINT code_page) {
  const char* name = code_page == CP_UTF8 ? "UTF-8" : "windows-936-2000";
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(name, &error);
  if (U_FAILURE(error)) return nullptr;
  ucnv_setToUCallBack(converter, ToUnicodeQuestionMark, nullptr, nullptr, nullptr, &error);
  error = U_ZERO_ERROR;
  ucnv_setSubstChars(converter, "?", 1, &error);
  // Best-fit mappings (U+00B2 to '2' and the like) are the platform's default.
  ucnv_setFallback(converter, true);
  return converter;
}

// ICU converters are not thread-safe; each thread keeps its own.
UConverter* ConverterFor(UINT code_page) {
  if (code_page == CP_ACP) code_page = CP_GBK;
  if (code_page != CP_GBK && code_page != CP_UTF8) return nullptr;
  thread_local ConverterPtr gbk, utf8;
  ConverterPtr& slot = code_page == CP_UTF8 ? utf8 : gbk;
  if (!slot) slot.reset(OpenConverter(code_page));
  if (slot) ucnv_reset(slot.get());
  return slot.get();
}

thread_local DWORD last_error = ERROR_SUCCESS;

int Fail(DWORD error) {
  last_error = error;
  return 0;
}

// Composes base characters with following combining marks where a precomposed
// character exists, as WC_COMPOSITECHECK asks.
std::u16string Compose(const char16_t* wide, int count) {
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  std::u16string out(static_cast<size_t>(count) + 16, u'\0');
  int32_t length = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(wide), count,
                                    reinterpret_cast<UChar*>(out.data()),
                                    static_cast<int32_t>(out.size()), &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) {
    out.assign(static_cast<size_t>(length), u'\0');
    error = U_ZERO_ERROR;
    length = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(wide), count,
                              reinterpret_cast<UChar*>(out.data()), length, &error);
  }
  if (U_FAILURE(error)) return std::u16string(wide, static_cast<size_t>(count));
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD, LPCSTR text, int byte_count, LPWSTR wide,
                        int wide_count) {
  if (!text || byte_count == 0 || byte_count < -1 || wide_count < 0 || (wide_count > 0 && !wide))
    return Fail(ERROR_INVALID_PARAMETER);
  UConverter* converter = ConverterFor(code_page);
  if (!converter) return Fail(ERROR_INVALID_PARAMETER);
  // With -1 the terminator is converted and counted too.
  int32_t length = byte_count == -1 ? static_cast<int32_t>(std::strlen(text)) + 1 : byte_count;
  UErrorCode error = U_ZERO_ERROR;
  int32_t needed = ucnv_toUChars(converter, nullptr, 0, text, length, &error);
  if (error != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(error)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (wide_count == 0) return needed;
  if (needed > wide_count) return Fail(ERROR_INSUFFICIENT_BUFFER);
  error = U_ZERO_ERROR;
  ucnv_reset(converter);
  // ucnv_toUChars always wants room for a terminator it adds; convert into a
  // scratch buffer when the caller's has exactly the needed size.
  std::vector<UChar> scratch(static_cast<size_t>(needed) + 1);
  ucnv_toUChars(converter, scratch.data(), needed + 1, text, length, &error);
  if (U_FAILURE(error)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  std::memcpy(wide, scratch.data(), static_cast<size_t>(needed) * sizeof(char16_t));
  return needed;
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_count, LPSTR text,
                        int byte_count, LPCSTR, LPBOOL used_default_char) {
  if (!wide || wide_count == 0 || wide_count < -1 || byte_count < 0 || (byte_count > 0 && !text))
    return Fail(ERROR_INVALID_PARAMETER);
  UConverter* converter = ConverterFor(code_page);
  if (!converter) return Fail(ERROR_INVALID_PARAMETER);
  int32_t length = wide_count;
  if (wide_count == -1) length = static_cast<int32_t>(std::char_traits<char16_t>::length(wide)) + 1;
  std::u16string composed;
  const char16_t* source = wide;
  if ((flags & WC_COMPOSITECHECK) && code_page != CP_UTF8) {
    composed = Compose(wide, length);
    source = composed.data();
    length = static_cast<int32_t>(composed.size());
  }
  if (used_default_char) *used_default_char = FALSE;
  UErrorCode error = U_ZERO_ERROR;
  int32_t needed = ucnv_fromUChars(converter, nullptr, 0, reinterpret_cast<const UChar*>(source),
                                   length, &error);
  if (error != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(error)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (byte_count == 0) return needed;
  if (needed > byte_count) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::vector<char> scratch(static_cast<size_t>(needed) + 1);
  error = U_ZERO_ERROR;
  ucnv_reset(converter);
  ucnv_fromUChars(converter, scratch.data(), needed + 1, reinterpret_cast<const UChar*>(source),
                  length, &error);
  if (U_FAILURE(error)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  std::memcpy(text, scratch.data(), static_cast<size_t>(needed));
  return needed;
}

DWORD GetLastError() { return last_error; }
void SetLastError(DWORD error) { last_error = error; }
