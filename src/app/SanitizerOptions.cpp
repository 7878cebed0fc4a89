// Built into every program and test when the sanitizers are on, so that their settings hold
// however a program is started: by CTest, by a test that starts the editor, or by hand.

extern "C" {

// A picture too large for memory is refused with a message; the allocator must say so by
// returning null instead of ending the program.
const char* __asan_default_options()
{
    return "allocator_may_return_null=1:detect_stack_use_after_return=1";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1";
}

// Leaks of the system libraries beneath Qt, not of this program: D-Bus keeps a buffer for the
// life of its connection.
const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}
}
