// Linked into every program of a sanitizer build (tests, fuzz targets, the
// program itself), so that each report ends the program with a failure, also
// when it is started by hand or by ctest's test discovery. Options set in the
// environment (ASAN_OPTIONS, UBSAN_OPTIONS, LSAN_OPTIONS) still win.

#define VEXORIN_SANITIZER_HOOK                                                                     \
    extern "C" __attribute__((visibility("default"), used, no_sanitize_address))

VEXORIN_SANITIZER_HOOK const char* __asan_default_options()
{
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:"
           "detect_stack_use_after_return=1";
}

// Without halt_on_error a fault of undefined behaviour is printed and the
// program goes on to exit 0 (the code is also built without recovery).
VEXORIN_SANITIZER_HOOK const char* __ubsan_default_options()
{
    return "halt_on_error=1:print_stacktrace=1";
}

VEXORIN_SANITIZER_HOOK const char* __lsan_default_options()
{
    return "suppressions=" VEXORIN_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
