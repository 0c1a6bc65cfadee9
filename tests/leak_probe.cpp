// Leaks one block on purpose. The test command runs it before the sanitized tests:
// when LeakSanitizer reports the leak it works here and stays on; when it cannot
// run (under ptrace, or where the kernel refuses what it needs) leak checking is
// turned off with a message instead of failing every test.
#include <cstdlib>

void* volatile kept;

int main() {
    kept = std::malloc(64);
    kept = nullptr;
    return 0;
}
