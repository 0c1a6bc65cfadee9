// Watches Kestrix's single-instance mutex from outside, for the end-to-end test:
//   mutex_probe held   [SECONDS]   waits until a running copy holds it
//   mutex_probe absent [SECONDS]   waits until no copy holds it
// Exits with 0 when the state was reached in time, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

bool mutex_exists() {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\Kestrix.SingleInstance");
    if (!mutex) return false;
    CloseHandle(mutex);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3 || (std::wstring(argv[1]) != L"held" && std::wstring(argv[1]) != L"absent")) {
        std::fprintf(stderr, "usage: mutex_probe held|absent [seconds]\n");
        return 2;
    }
    const bool want_held = std::wstring(argv[1]) == L"held";
    const ULONGLONG seconds = argc == 3 ? std::wcstoull(argv[2], nullptr, 10) : 20;
    const ULONGLONG until = GetTickCount64() + seconds * 1000;
    do {
        if (mutex_exists() == want_held) return 0;
        Sleep(50);
    } while (GetTickCount64() < until);
    return 1;
}
