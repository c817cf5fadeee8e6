// The fuzz targets' assertion: a failed property names its file and line and
// aborts, which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Check(bool condition, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed at %s:%d\n", file, line);
  std::abort();
}

}  // namespace fuzz
