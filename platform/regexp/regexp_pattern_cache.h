// Compiled patterns shared by every regular-expression object of the process.
// The request routine builds a new object for each request with the same
// pattern; sharing the compiled (and JIT-compiled) code spares a compile per
// request and makes each search several times faster.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_16;

namespace platform {

struct CompiledPattern {
  pcre2_real_code_16* code;  // read-only once published; matched from any thread
  uint32_t group_count;
  ~CompiledPattern();
};

// The compiled form of a PCRE2 pattern with these compile options, from the
// cache or compiled now; null when it does not compile. The cache keeps the
// most recently used few.
std::shared_ptr<const CompiledPattern> CompilePattern(std::u16string_view pattern,
                                                      uint32_t options);

}  // namespace platform
