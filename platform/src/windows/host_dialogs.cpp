// Message boxes and the task dialogs of the tray host: About and the update question.
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

Result<bool, PlatformError> ask_install_update(std::string_view question, std::string_view details,
                                               std::string_view yes_label, std::string_view no_label) {
    constexpr int kYes = 1000;
    constexpr int kNo = 1001;
    const std::wstring wide_question = wide(question);
    const std::wstring wide_details = wide(details);

    if (TaskDialogIndirectFn task_dialog = task_dialog_function()) {
        const std::wstring yes = wide(yes_label);
        const std::wstring no = wide(no_label);
        const TASKDIALOG_BUTTON buttons[] = {{kYes, yes.c_str()}, {kNo, no.c_str()}};
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = host_window();
        config.dwFlags = task_dialog_reading_flags();
        config.pszWindowTitle = L"Kestrix";
        config.pszMainIcon = TD_INFORMATION_ICON;
        config.pszMainInstruction = wide_question.c_str();
        config.pszContent = wide_details.c_str();
        config.cButtons = UINT(std::size(buttons));
        config.pButtons = buttons;
        config.nDefaultButton = kYes;
        int pressed = 0;
        if (SUCCEEDED(task_dialog(&config, &pressed, nullptr, nullptr))) return pressed == kYes;
    }
    // Without a task dialog: the question as the caption, the choices spelt out.
    const std::wstring text = wide_details + L"\n\n" + wide(yes_label) + L" / " + wide(no_label);
    const int answer = MessageBoxW(host_window(), text.c_str(), wide_question.c_str(),
                                   MB_YESNO | MB_ICONQUESTION | message_box_reading_flags());
    if (answer == 0) return fail(PlatformError::os("MessageBoxW", int32_t(GetLastError())));
    return answer == IDYES;
}

}  // namespace kestrix::win
