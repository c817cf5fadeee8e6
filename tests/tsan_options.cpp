// ThreadSanitizer's options for the threaded tests, read by its runtime at
// start-up; TSAN_OPTIONS in the environment still adds to or overrides them.
//
// Qt and the other libraries are not built with the sanitizer: their own
// memory accesses are invisible to it, so the allocations and copies they make
// on their threads are left out too instead of being reported as races. The
// hand-offs through Qt that our code relies on are declared to the sanitizer
// in ui/qt/window_thread.h.
extern "C" const char* __tsan_default_options() {
  return "halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1";
}
