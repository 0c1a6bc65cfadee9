// Prints what the running Kestrix (found by its host window) holds, for comparing
// before and after a series of captures:
//   pid 32
//   gui-gdi 0            GetGuiResources(GR_GDIOBJECTS)
//   gui-user 0           GetGuiResources(GR_USEROBJECTS)
//   gdi-table 171        live entries of the process's GDI handle table
//   windows 3            windows of the process, children included
//   handles 58           kernel handles (GetProcessHandleCount), "-" when unavailable
//   private 10231808     GetProcessMemoryInfo's PrivateUsage in bytes, "-" when unavailable
// GetGuiResources may be a stub answering 0 (Wine), so the GDI objects are also
// counted in the handle table the process's PEB points at (GdiSharedHandleTable):
// 65536 entries of 24 bytes on 64-bit, a non-zero type byte marking a live object.
#include <windows.h>
#include <winternl.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct Count {
    DWORD pid;
    int windows = 0;
};

BOOL CALLBACK count_child(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<Count*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == count->pid) ++count->windows;
    return TRUE;
}

BOOL CALLBACK count_top_level(HWND window, LPARAM param) {
    count_child(window, param);
    EnumChildWindows(window, count_child, param);
    return TRUE;
}

// -1 when the table cannot be read.
long gdi_table_entries(HANDLE process) {
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    constexpr size_t kTableOffset = 0xF8;  // PEB64.GdiSharedHandleTable
    uintptr_t table = 0;
    SIZE_T got = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kTableOffset, &table,
                           sizeof table, &got) ||
        !table)
        return -1;
    constexpr size_t kEntries = 0x10000, kEntrySize = 24, kTypeOffset = 14;
    std::vector<uint8_t> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), &got) ||
        got != entries.size())
        return -1;
    long live = 0;
    for (size_t i = 0; i < kEntries; ++i)
        if (entries[i * kEntrySize + kTypeOffset] != 0) ++live;
    return live;
}

}  // namespace

int main() {
    HWND host = FindWindowW(L"SnapHostWindow", L"Kestrix");
    DWORD pid = 0;
    if (!host || !GetWindowThreadProcessId(host, &pid)) {
        std::printf("error: no Kestrix host window\n");
        return 1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) {
        std::printf("error: OpenProcess failed (%lu)\n", GetLastError());
        return 1;
    }
    Count count{pid};
    EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&count));
    // A figure that cannot be had prints as "-".
    DWORD handles = 0;
    const bool have_handles = GetProcessHandleCount(process, &handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    const bool have_memory =
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    std::printf("pid %lu\n", pid);
    std::printf("gui-gdi %lu\n", GetGuiResources(process, GR_GDIOBJECTS));
    std::printf("gui-user %lu\n", GetGuiResources(process, GR_USEROBJECTS));
    std::printf("gdi-table %ld\n", gdi_table_entries(process));
    std::printf("windows %d\n", count.windows);
    std::printf(have_handles ? "handles %lu\n" : "handles -\n", handles);
    std::printf(have_memory ? "private %llu\n" : "private -\n", static_cast<unsigned long long>(memory.PrivateUsage));
    CloseHandle(process);
    return 0;
}
