// Message boxes and the About dialog of the tray host.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "host.h"
#include "reading_order.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

static_assert(sizeof(TASKDIALOGCONFIG) == 160, "the task dialog takes its 160-byte configuration");

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up at run time: without common controls 6 there is no task dialog, and the
// plain message box stands in for it instead of the program failing to start.
TaskDialogIndirectFn task_dialog_function() {
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    if (!comctl) comctl = LoadLibraryW(L"comctl32.dll");
    if (!comctl) return nullptr;
    return reinterpret_cast<TaskDialogIndirectFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "TaskDialogIndirect")));
}

HRESULT CALLBACK about_callback(HWND, UINT notification, WPARAM, LPARAM, LONG_PTR address) {
    // Open our own address rather than whatever the link's target text says.
    if (notification == TDN_HYPERLINK_CLICKED)
        ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(address), nullptr, nullptr, SW_SHOWNORMAL);
    return S_OK;
}

}  // namespace

void show_message(std::string_view title, std::string_view text) {
    MessageBoxW(host_window(), wide(text).c_str(), wide(title).c_str(), MB_OK | MB_ICONINFORMATION | message_box_reading_flags());
}

void show_about(std::string_view text, std::string_view address) {
    const std::wstring wide_address = wide(address);
    const std::wstring content =
        wide(text) + L"\n<a href=\"" + wide_address + L"\">" + wide_address + L"</a>";

    if (TaskDialogIndirectFn task_dialog = task_dialog_function()) {
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = host_window();
        config.dwFlags = TDF_ENABLE_HYPERLINKS | task_dialog_reading_flags();
        config.dwCommonButtons = TDCBF_OK_BUTTON;
        config.pszWindowTitle = L"Kestrix";
        config.pszMainIcon = TD_INFORMATION_ICON;
        config.pszMainInstruction = L"Kestrix";
        config.pszContent = content.c_str();
        config.pfCallback = about_callback;
        config.lpCallbackData = reinterpret_cast<LONG_PTR>(wide_address.c_str());
        if (SUCCEEDED(task_dialog(&config, nullptr, nullptr, nullptr))) return;
    }
    std::string fallback(text);
    fallback += '\n';
    fallback += address;
    show_message("Kestrix", fallback);
}

}  // namespace kestrix::win
