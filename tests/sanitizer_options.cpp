// Defaults for the sanitized test executables; ASAN_OPTIONS and UBSAN_OPTIONS in
// the environment still override them (the test command turns leak checking off
// where LeakSanitizer cannot run).
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1";
}

extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
