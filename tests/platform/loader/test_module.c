/* A tiny shared object for the loader tests: one exported function. */
__attribute__((visibility("default"))) int QvTestModuleAnswer(void) { return 42; }
