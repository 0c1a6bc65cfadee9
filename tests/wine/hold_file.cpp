// Holds a file open the way a virus scanner or a second program might, so that it
// can be neither deleted nor renamed, until a stop file appears:
//   hold_file FILE STOP_FILE
// Prints "held" once the file is open; exits with 1 when it cannot be opened.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: hold_file FILE STOP_FILE\n");
        return 2;
    }
    // Readers are welcome; deleting and renaming are not.
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    CloseHandle(file);
    return 0;
}
