#define PCRE2_CODE_UNIT_WIDTH 16
#include "regexp_pattern_cache.h"

#include <pcre2.h>

#include <list>
#include <mutex>

namespace platform {
namespace {

constexpr size_t kCachedPatterns = 32;

struct Entry {
  std::u16string pattern;
  uint32_t options;
  std::shared_ptr<const CompiledPattern> compiled;
};

struct Cache {
  std::mutex mutex;
  std::list<Entry> entries;  // most recently used first
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

std::shared_ptr<const CompiledPattern> Compile(std::u16string_view pattern, uint32_t options) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (!context) return nullptr;
  // "." and the line anchors know only the line feed.
  pcre2_set_newline(context, PCRE2_NEWLINE_LF);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   options, &error, &offset, context);
  pcre2_compile_context_free(context);
  if (!code) return nullptr;
  // Without JIT support (or if it fails) the interpreter matches instead.
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  auto compiled = std::make_shared<CompiledPattern>();
  compiled->code = code;
  compiled->group_count = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &compiled->group_count);
  return compiled;
}

}  // namespace

CompiledPattern::~CompiledPattern() {
  pcre2_code_free(code);
}

std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      uint32_t options) {
  Cache& cache = TheCache();
  {
    std::lock_guard lock(cache.mutex);
    for (auto it = cache.entries.begin(); it != cache.entries.end(); ++it) {
      if (it->options == options && it->pattern == pattern) {
        cache.entries.splice(cache.entries.begin(), cache.entries, it);
        return it->compiled;
      }
    }
  }
  // Compiled outside the lock; two threads may compile the same pattern once each.
  std::shared_ptr<const CompiledPattern> compiled = Compile(pattern, options);
  if (!compiled) return nullptr;
  std::lock_guard lock(cache.mutex);
  cache.entries.push_front({std::u16string(pattern), options, compiled});
  if (cache.entries.size() > kCachedPatterns) cache.entries.pop_back();
  return compiled;
}

}  // namespace platform
