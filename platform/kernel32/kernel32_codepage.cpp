// MultiByteToWideChar and WideCharToMultiByte over ICU converters. Code page 936
// uses ICU's model of the Windows table so that 0x80, 0xFF, the private-use rows
// and best-fit substitution behave as the original platform's.
//
// Callers ask for the needed size first and then convert the same input. The
// size query therefore converts into a per-thread cache and remembers the
// input (address, length and a copy of its units); a conversion of identical
// input copies the cached result instead of converting a second time; input
// that differs in any way is converted afresh.
//
// Text that is all ASCII (headers, addresses, numbers) is the same
// units in both code pages and in UTF-16: it is widened or narrowed directly,
// without a converter and without the cache.
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "composite_check.h"
#include "kernel32.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// What the substitution callbacks of one converter need and report.
struct Substitution {
  bool utf8 = false;
  char default_char = '?';
  bool used_default = false;   // set when a character had no mapping
  bool invalid_input = false;  // set when the multi-byte input was malformed
};

struct Converter {
  ConverterPtr handle;
  Substitution substitution;
};

void ToUnicodeSubstitute(const void* context, UConverterToUnicodeArgs* args, const char*,
                         int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  auto* substitution = static_cast<Substitution*>(const_cast<void*>(context));
  substitution->invalid_input = true;
  *error = U_ZERO_ERROR;
  if (substitution->utf8) {
    static const UChar kReplacement = 0xFFFD;
    ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
    return;
  }
  // A GBK lead byte followed by a byte that cannot trail it takes that byte
  // along, as the platform's table-driven decoder does, but never swallows a
  // terminator. Either way the pair becomes one '?'.
  if (reason == UCNV_ILLEGAL && length == 1 && args->source < args->sourceLimit &&
      *args->source != '\0') {
    ++args->source;
  }
  static const UChar kQuestionMark = u'?';
  ucnv_cbToUWriteUChars(args, &kQuestionMark, 1, 0, error);
}

void FromUnicodeSubstitute(const void* context, UConverterFromUnicodeArgs* args, const UChar*,
                           int32_t length, UChar32, UConverterCallbackReason reason,
                           UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  auto* substitution = static_cast<Substitution*>(const_cast<void*>(context));
  substitution->used_default = true;
  *error = U_ZERO_ERROR;
  if (substitution->utf8) {
    // Only lone surrogates get here; they become U+FFFD.
    ucnv_cbFromUWriteBytes(args, "\xEF\xBF\xBD", 3, 0, error);
    return;
  }
  // One default character per UTF-16 unit: a character beyond the BMP gives two.
  for (int32_t i = 0; i < length && U_SUCCESS(*error); ++i) {
    ucnv_cbFromUWriteBytes(args, &substitution->default_char, 1, 0, error);
  }
}

bool Open(Converter& converter, UINT code_page) {
  converter.substitution.utf8 = code_page == CP_UTF8;
  UErrorCode error = U_ZERO_ERROR;
  converter.handle.reset(
      ucnv_open(converter.substitution.utf8 ? "UTF-8" : "windows-936-2000", &error));
  if (U_FAILURE(error)) {
    converter.handle.reset();
    return false;
  }
  ucnv_setToUCallBack(converter.handle.get(), ToUnicodeSubstitute, &converter.substitution, nullptr,
                      nullptr, &error);
  ucnv_setFromUCallBack(converter.handle.get(), FromUnicodeSubstitute, &converter.substitution,
                        nullptr, nullptr, &error);
  return U_SUCCESS(error);
}

// ICU converters are not thread-safe; each thread keeps its own. Null for a
// code page we do not serve.
Converter* ConverterFor(UINT code_page) {
  if (code_page == CP_ACP) code_page = CP_GBK;
  if (code_page != CP_GBK && code_page != CP_UTF8) return nullptr;
  thread_local Converter gbk, utf8;
  Converter& converter = code_page == CP_UTF8 ? utf8 : gbk;
  if (!converter.handle && !Open(converter, code_page)) return nullptr;
  ucnv_reset(converter.handle.get());
  converter.substitution.used_default = false;
  converter.substitution.invalid_input = false;
  return &converter;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Whether every unit is below 0x80, eight bytes at a time.
bool IsAscii(const char* text, size_t length) {
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    if (word & 0x8080808080808080u) return false;
  }
  for (; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

bool IsAscii(const char16_t* text, size_t length) {
  size_t i = 0;
  for (; i + 4 <= length; i += 4) {
    uint64_t word;
    std::memcpy(&word, text + i, sizeof word);
    if (word & 0xFF80FF80FF80FF80u) return false;
  }
  for (; i < length; ++i) {
    if (text[i] >= 0x80) return false;
  }
  return true;
}

// The size, or the conversion of ASCII text unit for unit.
template <class In, class Out>
int CopyAscii(const In* in, size_t length, Out* out, int capacity) {
  if (capacity == 0) return static_cast<int>(length);
  if (length > static_cast<size_t>(capacity)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<Out>(static_cast<uint16_t>(in[i]));
  return static_cast<int>(length);
}

// Code pages served here; CP_ACP is 936.
bool IsServed(UINT code_page) {
  return code_page == CP_ACP || code_page == CP_GBK || code_page == CP_UTF8;
}

constexpr int32_t kDoesNotFit = -1;
constexpr int32_t kFailed = -2;

// Converts the whole input into [out, out + capacity) without a terminator of
// its own; the count written, kDoesNotFit or kFailed.
int32_t ToUnicode(UConverter* converter, const char* in, size_t length, char16_t* out,
                  size_t capacity) {
  UErrorCode error = U_ZERO_ERROR;
  UChar* target = reinterpret_cast<UChar*>(out);
  const char* source = in;
  ucnv_toUnicode(converter, &target, target + capacity, &source, in + length, nullptr, true,
                 &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) return kDoesNotFit;
  if (U_FAILURE(error)) return kFailed;
  return static_cast<int32_t>(target - reinterpret_cast<UChar*>(out));
}

int32_t FromUnicode(UConverter* converter, const char16_t* in, size_t length, char* out,
                    size_t capacity) {
  UErrorCode error = U_ZERO_ERROR;
  char* target = out;
  const UChar* source = reinterpret_cast<const UChar*>(in);
  ucnv_fromUnicode(converter, &target, target + capacity, &source,
                   reinterpret_cast<const UChar*>(in) + length, nullptr, true, &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) return kDoesNotFit;
  if (U_FAILURE(error)) return kFailed;
  return static_cast<int32_t>(target - out);
}

// The result of this thread's last size query in one direction, kept until
// the matching conversion takes it.
template <class In, class Out>
class SizeQueryCache {
 public:
  struct Call {
    UINT code_page;
    DWORD flags;
    char default_char;
    const In* source;
    size_t length;
  };

  // Room for `count` output units, valid until the next call.
  Out* OutputBuffer(size_t count) {
    valid_ = false;
    if (count > output_capacity_) {
      output_ = std::make_unique_for_overwrite<Out[]>(count);
      output_capacity_ = count;
    }
    return output_.get();
  }

  // Room for the copy of `count` input units that the caller fills before Remember.
  In* InputBuffer(size_t count) {
    valid_ = false;
    if (count > input_capacity_) {
      input_ = std::make_unique_for_overwrite<In[]>(count);
      input_capacity_ = count;
    }
    return input_.get();
  }

  void Remember(const Call& call, size_t output_length, bool flag) {
    call_ = call;
    output_length_ = output_length;
    flag_ = flag;
    valid_ = true;
  }

  // The cached result when `call` repeats the size query's input exactly.
  bool Matches(const Call& call) const {
    return valid_ && call.code_page == call_.code_page && call.flags == call_.flags &&
           call.default_char == call_.default_char && call.source == call_.source &&
           call.length == call_.length &&
           std::memcmp(input_.get(), call.source, call.length * sizeof(In)) == 0;
  }
  // The same for a NUL-terminated input whose length is not known yet: it is
  // found in the pass that compares, a block at a time, instead of measuring
  // the text first. strnlen stops at the text's own NUL, so a shorter text is
  // never read past its end.
  bool MatchesTerminated(const Call& call) const {
    if (!valid_ || call.code_page != call_.code_page || call.flags != call_.flags ||
        call.default_char != call_.default_char || call.source != call_.source) {
      return false;
    }
    constexpr size_t kBlock = 4096;
    for (size_t offset = 0; offset < call_.length; offset += kBlock) {
      size_t block = std::min(kBlock, call_.length - offset);
      size_t run = strnlen(call.source + offset, block);
      size_t compared = std::min(block, run + 1);
      if (std::memcmp(call.source + offset, input_.get() + offset, compared) != 0) return false;
      // Equal up to the text's first NUL: the same text only if that NUL
      // ended the query's input too (a query of an explicit length may have
      // held NULs before its end).
      if (run < block) return offset + run + 1 == call_.length;
    }
    return false;
  }
  const Out* output() const { return output_.get(); }
  size_t output_length() const { return output_length_; }
  bool flag() const { return flag_; }

  // One size query serves one conversion. Large buffers are not kept.
  void Consume() {
    valid_ = false;
    constexpr size_t kKeepBytes = 16 << 20;
    if (input_capacity_ * sizeof(In) + output_capacity_ * sizeof(Out) > kKeepBytes) {
      input_.reset();
      output_.reset();
      input_capacity_ = output_capacity_ = 0;
    }
  }

 private:
  std::unique_ptr<In[]> input_;
  size_t input_capacity_ = 0;
  std::unique_ptr<Out[]> output_;
  size_t output_capacity_ = 0;
  Call call_{};
  size_t output_length_ = 0;
  bool flag_ = false;
  bool valid_ = false;
};

thread_local SizeQueryCache<char, char16_t> to_wide_cache;
thread_local SizeQueryCache<char16_t, char> to_bytes_cache;

int Finish(int32_t count) {
  if (count == kDoesNotFit) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (count == kFailed) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return count;
}

// Hands out the size query's cached result to the conversion that matches it.
template <class In, class Out>
int CopyCached(SizeQueryCache<In, Out>& cache, Out* out, int capacity, LPBOOL used_default_char) {
  size_t count = cache.output_length();
  if (count > static_cast<size_t>(capacity)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, cache.output(), count * sizeof(Out));
  if (used_default_char) *used_default_char = cache.flag();
  cache.Consume();
  return static_cast<int>(count);
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int byte_count, LPWSTR wide,
                        int wide_count) {
  if (!text || byte_count == 0 || byte_count < -1 || wide_count < 0 || (wide_count > 0 && !wide))
    return Fail(ERROR_INVALID_PARAMETER);
  if (!IsServed(code_page)) return Fail(ERROR_INVALID_PARAMETER);
  // The conversion after a size query of the same NUL-terminated text takes
  // the cached result without measuring the text again.
  if (byte_count == -1 && wide_count > 0 &&
      to_wide_cache.MatchesTerminated({code_page, flags, '?', text, 0})) {
    return CopyCached(to_wide_cache, wide, wide_count, nullptr);
  }
  // With -1 the terminator is converted and counted too.
  size_t length = byte_count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(byte_count);
  if (IsAscii(text, length)) return CopyAscii(text, length, wide, wide_count);
  Converter* converter = ConverterFor(code_page);
  if (!converter) return Fail(ERROR_INVALID_PARAMETER);
  UConverter* handle = converter->handle.get();
  const bool strict = flags & MB_ERR_INVALID_CHARS;
  SizeQueryCache<char, char16_t>::Call call{code_page, flags, '?', text, length};

  if (wide_count == 0) {
    // Every input byte yields at most one UTF-16 unit in both code pages.
    int32_t count = ToUnicode(handle, text, length, to_wide_cache.OutputBuffer(length), length);
    if (count < 0) return Finish(count);
    std::memcpy(to_wide_cache.InputBuffer(length), text, length);
    if (strict && converter->substitution.invalid_input) return Fail(ERROR_NO_UNICODE_TRANSLATION);
    to_wide_cache.Remember(call, static_cast<size_t>(count), false);
    return count;
  }
  if (to_wide_cache.Matches(call)) return CopyCached(to_wide_cache, wide, wide_count, nullptr);
  int32_t count = ToUnicode(handle, text, length, wide, static_cast<size_t>(wide_count));
  if (count >= 0 && strict && converter->substitution.invalid_input)
    return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return Finish(count);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, LPCWSTR wide, int wide_count, LPSTR text,
                        int byte_count, LPCSTR default_char, LPBOOL used_default_char) {
  if (!wide || wide_count == 0 || wide_count < -1 || byte_count < 0 || (byte_count > 0 && !text))
    return Fail(ERROR_INVALID_PARAMETER);
  if (!IsServed(code_page)) return Fail(ERROR_INVALID_PARAMETER);
  // UTF-8 has no default character to substitute or report.
  if (code_page == CP_UTF8 && (default_char || used_default_char))
    return Fail(ERROR_INVALID_PARAMETER);
  size_t length = wide_count == -1 ? std::char_traits<char16_t>::length(wide) + 1
                                   : static_cast<size_t>(wide_count);
  // ASCII needs no default character and has no marks to compose.
  if (IsAscii(wide, length)) {
    int count = CopyAscii(wide, length, text, byte_count);
    if (count > 0 && used_default_char) *used_default_char = FALSE;
    return count;
  }
  Converter* converter = ConverterFor(code_page);
  if (!converter) return Fail(ERROR_INVALID_PARAMETER);
  UConverter* handle = converter->handle.get();
  char substitute = default_char ? *default_char : '?';
  SizeQueryCache<char16_t, char>::Call call{code_page, flags, substitute, wide, length};

  if (byte_count != 0 && to_bytes_cache.Matches(call)) {
    return CopyCached(to_bytes_cache, text, byte_count, used_default_char);
  }

  converter->substitution.default_char = substitute;
  // Best fit (U+00B2 to '2' and the like) is the platform's default.
  ucnv_setFallback(handle, !(flags & WC_NO_BEST_FIT_CHARS));
  const bool compose = (flags & WC_COMPOSITECHECK) && !converter->substitution.utf8;
  std::u16string_view source(wide, length);
  thread_local std::u16string composed;
  int32_t count;
  if (byte_count == 0) {
    // The size query keeps a copy of its input, and checks it for marks to
    // compose in the same pass.
    bool marks = platform::CopyAndCheckForMarks(source, to_bytes_cache.InputBuffer(length));
    if (compose && marks && platform::ComposeMarks(source, composed)) source = composed;
    // A UTF-16 unit yields at most two bytes of GBK or three of UTF-8.
    size_t capacity = source.size() * (converter->substitution.utf8 ? 3 : 2);
    count = FromUnicode(handle, source.data(), source.size(), to_bytes_cache.OutputBuffer(capacity),
                        capacity);
    if (count >= 0) {
      to_bytes_cache.Remember(call, static_cast<size_t>(count),
                              converter->substitution.used_default);
    }
  } else {
    if (compose && platform::ComposeMarks(source, composed)) source = composed;
    count =
        FromUnicode(handle, source.data(), source.size(), text, static_cast<size_t>(byte_count));
  }
  if (count >= 0 && used_default_char) *used_default_char = converter->substitution.used_default;
  return Finish(count);
}
