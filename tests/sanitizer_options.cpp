// Address and leak sanitizer options for the test programs, read by the
// sanitizer runtime at start-up; ASAN_OPTIONS and LSAN_OPTIONS in the
// environment still add to or override them. Built in, they hold however a
// test program is run (by `make test`, by hand, or through ctest directly).
extern "C" const char* __asan_default_options() {
  return "detect_leaks=1";
}

extern "C" const char* __lsan_default_options() {
  return "suppressions=" QUOTEVIEW_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
