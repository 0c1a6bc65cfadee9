// Stands in for the web browser: registered as the "open" command of https links in
// the test prefix, it writes the address it was given to opened-link.txt beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"opened-link.txt";
    FILE* out = _wfopen(file.c_str(), L"w");
    if (!out) return 1;
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%ls\n", argv[i]);
    std::fclose(out);
    return 0;
}
