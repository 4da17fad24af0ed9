// Built into the tests of a sanitizer build: the options hold however the tests are started
// (ctest, by hand, under a debugger), and an ASAN_OPTIONS or UBSAN_OPTIONS of the caller's
// still adds to them.

extern "C" const char* __asan_default_options()
{
    return "halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1";
}

extern "C" const char* __ubsan_default_options()
{
    return "halt_on_error=1:abort_on_error=1:print_stacktrace=1";
}

extern "C" const char* __tsan_default_options()
{
    return "halt_on_error=1:abort_on_error=1:second_deadlock_stack=1";
}
