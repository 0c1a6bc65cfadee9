// Message boxes and the task dialogs of the tray host: About and the update question.
// The host window is hidden, so nothing it owns has a taskbar button: opened without
// the foreground (after a network delay, at sign-in) such a dialog could sit unseen
// behind other windows while every tray command waits for it. Message boxes ask for
// the foreground, errors also stay on top; task dialogs have no owner, so they get a
// taskbar button of their own, and ask for the foreground once shown.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "host.h"
#include "reading_order.h"
#include "tray_icon.h"
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

// What a task dialog's callback needs while it is open.
struct TaskDialogContext {
    const wchar_t* link = nullptr;  // the address About's link opens, if any
    IconHandle icon;                // the dialog's own icon on its taskbar button
};

HRESULT CALLBACK task_dialog_callback(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR data) {
    auto* context = reinterpret_cast<TaskDialogContext*>(data);
    switch (notification) {
    case TDN_CREATED:
        if (context->icon) {
            SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(context->icon.get()));
            SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(context->icon.get()));
        }
        SetForegroundWindow(dialog);  // refused under the foreground lock: the button flashes instead
        break;
    case TDN_HYPERLINK_CLICKED:
        // Open our own address rather than whatever the link's target text says.
        if (context->link) ShellExecuteW(nullptr, L"open", context->link, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        break;
    }
    return S_OK;
}

// Shows the dialog without an owner, in the reading order of the language; false when
// there is no task dialog or it could not be shown.
bool run_task_dialog(TASKDIALOGCONFIG& config, TaskDialogContext& context, int* pressed) {
    TaskDialogIndirectFn task_dialog = task_dialog_function();
    if (!task_dialog) return false;
    context.icon = make_tray_icon();
    config.cbSize = sizeof config;
    config.hwndParent = nullptr;
    config.dwFlags |= task_dialog_reading_flags();
    config.pszWindowTitle = L"Kestrix";
    config.pszMainIcon = TD_INFORMATION_ICON;
    config.pfCallback = task_dialog_callback;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&context);
    return SUCCEEDED(task_dialog(&config, pressed, nullptr, nullptr));
}

int message_box(std::string_view title, std::string_view text, UINT flags) {
    return MessageBoxW(host_window(), wide(text).c_str(), wide(title).c_str(),
                       flags | MB_SETFOREGROUND | message_box_reading_flags());
}

}  // namespace

void show_message(std::string_view title, std::string_view text) { message_box(title, text, MB_OK | MB_ICONINFORMATION); }

void show_error_message(std::string_view title, std::string_view text) {
    message_box(title, text, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

void show_about(std::string_view text, std::string_view address) {
    const std::wstring wide_address = wide(address);
    const std::wstring content =
        wide(text) + L"\n<a href=\"" + wide_address + L"\">" + wide_address + L"</a>";

    TASKDIALOGCONFIG config{};
    config.dwFlags = TDF_ENABLE_HYPERLINKS;
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.pszMainInstruction = L"Kestrix";
    config.pszContent = content.c_str();
    TaskDialogContext context;
    context.link = wide_address.c_str();
    if (run_task_dialog(config, context, nullptr)) return;

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

    const std::wstring yes = wide(yes_label);
    const std::wstring no = wide(no_label);
    const TASKDIALOG_BUTTON buttons[] = {{kYes, yes.c_str()}, {kNo, no.c_str()}};
    TASKDIALOGCONFIG config{};
    config.pszMainInstruction = wide_question.c_str();
    config.pszContent = wide_details.c_str();
    config.cButtons = UINT(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kYes;
    TaskDialogContext context;
    int pressed = 0;
    if (run_task_dialog(config, context, &pressed)) return pressed == kYes;

    // Without a task dialog: the question as the caption, the choices spelt out.
    const std::wstring text = wide_details + L"\n\n" + wide(yes_label) + L" / " + wide(no_label);
    const int answer = MessageBoxW(host_window(), text.c_str(), wide_question.c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | message_box_reading_flags());
    if (answer == 0) return fail(PlatformError::os("MessageBoxW", int32_t(GetLastError())));
    return answer == IDYES;
}

}  // namespace kestrix::win
