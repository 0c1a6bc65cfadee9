// The Settings window: its class, its own modal loop, the reactions of its controls,
// the hotkey recorder on the subclassed button, and what closing applies.
#include "settings.h"

#include <string>

#include "dialog_class.h"
#include "folder_dialog.h"
#include "host.h"
#include "kestrix/capture_hotkeys.h"
#include "kestrix/frame.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"
#include "keyboard_layouts.h"
#include "languages.h"
#include "settings_window.h"
#include "start_at_login.h"
#include "wide_text.h"
#include "window_dpi.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kSettingsClass[] = L"KestrixSettings";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// Posted when the interface language changes direction: the children are made again mirrored.
constexpr UINT kRebuild = WM_APP + 1;

// The open window, for its window procedures; null while none is open.
thread_local SettingsWindow* open_window = nullptr;


bool key_is_down(uint32_t virtual_key) { return GetKeyState(int(virtual_key)) < 0; }

void set_mirrored(HWND window, bool mirrored) {
    const auto ex_style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, mirrored ? (ex_style | WS_EX_LAYOUTRTL) : (ex_style & ~LONG_PTR(WS_EX_LAYOUTRTL)));
}

// Makes the children again, for the other reading direction, keeping what they show.
void rebuild_children(SettingsWindow& settings, WNDPROC button_procedure) {
    const int length = GetWindowTextLengthW(settings.children.note);
    std::wstring note(size_t(length) + 1, L'\0');
    GetWindowTextW(settings.children.note, note.data(), length + 1);
    note.resize(size_t(length));

    destroy_children(settings);
    settings.right_to_left = current_language_is_right_to_left();
    set_mirrored(settings.window, settings.right_to_left);
    create_children(settings, button_procedure);
    SetWindowTextW(settings.children.note, note.c_str());
    place_children(settings);
    SetFocus(settings.children.language_list);
}

// Registers every hotkey the state holds; false when the system refused this mode's.
bool register_hotkeys(const SettingsState& state, CaptureMode mode) {
    bool taken = false;
    for (CaptureMode each : kHotkeyModes)
        if (!register_capture_hotkey(each, capture_hotkey(state, each)) && each == mode) taken = true;
    return !taken;
}

void apply(SettingsWindow& settings, const SettingsEffect& effect) {
    if (effect.registration == HotkeyRegistration::Unregister) unregister_capture_hotkeys();
    bool refused = false;
    if (effect.registration == HotkeyRegistration::Register)
        refused = !register_hotkeys(settings.state, effect.button) && effect.recorded;
    if (effect.button_text) set_text(hotkey_button(settings, effect.button), *effect.button_text);
    if (effect.note) set_text(settings.children.note, *effect.note);
    // A combination just recorded that another program holds: said at once (the capture
    // hotkey's is said again when the window closes).
    if (refused) set_text(settings.children.note, msg(Message::settings_hotkey_taken));
    if (effect.interface_language) {
        set_language(*effect.interface_language);
        if (current_language_is_right_to_left() != settings.right_to_left) {
            // Not from inside the list's own notification: it is one of the windows made again.
            PostMessageW(settings.window, kRebuild, 0, 0);
            return;
        }
        relabel_children(settings);
        place_children(settings);
    }
}

void on_switch_clicked(SettingsWindow& settings, SettingsControl control, HWND box) {
    if (control == SettingsControl::StartAtLogin) {
        // Written at once; what the registry then says is what the box shows.
        const LoginView view = login_view(set_start_at_login(is_checked(box)), catalogue());
        set_checked(box, view.checked);
        set_text(settings.children.note, view.note);
        return;
    }
    apply(settings, set_switch(settings.state, control, is_checked(box), catalogue()));
}

// "Choose…" opens the picker at the folder set now; a cancelled picker changes nothing.
void choose_save_folder(SettingsWindow& settings) {
    const auto chosen = ask_folder(settings.window, path_from_utf8(settings.state.save_folder));
    if (!chosen) return;
    apply(settings, kestrix::choose_save_folder(settings.state, utf8_from_path(*chosen), catalogue()));
    show_save_folder(settings);
}

void on_command(SettingsWindow& settings, uint16_t id, uint16_t notification, HWND control) {
    switch (id) {
        case IDOK:      // Enter, from the dialog keys
        case IDCANCEL:  // Esc: like the close box, it keeps the edits
            settings.state.done = true;
            return;
        default:
            break;
    }
    if (const auto mode = hotkey_button_mode(SettingsControl(id))) {
        if (notification == BN_CLICKED) apply(settings, click_hotkey_button(settings.state, catalogue(), *mode));
        return;
    }
    switch (SettingsControl(id)) {
        case SettingsControl::LanguageList:
            if (notification == CBN_SELCHANGE) {
                const auto position = int64_t(SendMessageW(control, CB_GETCURSEL, 0, 0));
                apply(settings, choose_language(settings.state, position, preferred_languages()));
            }
            return;
        case SettingsControl::DimList:
            if (notification == CBN_SELCHANGE)
                apply(settings, choose_dim(settings.state, int64_t(SendMessageW(control, CB_GETCURSEL, 0, 0))));
            return;
        case SettingsControl::Confirmation:
        case SettingsControl::Transfer:
        case SettingsControl::StartAtLogin:
        case SettingsControl::ShowIcon:
        case SettingsControl::CheckForUpdates:
            if (notification == BN_CLICKED) on_switch_clicked(settings, SettingsControl(id), control);
            return;
        case SettingsControl::ChooseSaveFolder:
            if (notification == BN_CLICKED) choose_save_folder(settings);
            return;
        case SettingsControl::SaveFolderOff:
            if (notification == BN_CLICKED) {
                settings.state.save_folder.clear();
                // The button goes grey under the focus: Choose… takes it.
                SetFocus(settings.children.folder_choose);
                show_save_folder(settings);
            }
            return;
        case SettingsControl::Done:
            if (notification == BN_CLICKED) settings.state.done = true;
            return;
        default:
            return;
    }
}

// A hotkey button while it records takes every key itself; otherwise it is a plain button.
LRESULT CALLBACK hotkey_button_procedure(HWND button, UINT message, WPARAM wparam, LPARAM lparam) {
    SettingsWindow* settings = open_window;
    if (!settings) return DefWindowProcW(button, message, wparam, lparam);
    const WNDPROC original = settings->button_procedure;
    const auto mode = hotkey_button_mode(SettingsControl(GetDlgCtrlID(button)));
    const bool recording = settings->state.recording && mode == settings->state.recording_mode;
    switch (message) {
        case WM_GETDLGCODE:
            // Tab, Enter and Esc too, instead of the dialog keys.
            if (recording) return DLGC_WANTALLKEYS;
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!recording) break;
            apply(*settings, press_key_while_recording(settings->state, uint32_t(wparam), key_is_down,
                                                      installed_keyboard_layouts(), catalogue()));
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            if (!recording) break;
            // PrintScreen tells only of its release.
            if (wparam == VK_SNAPSHOT)
                apply(*settings, press_key_while_recording(settings->state, VK_SNAPSHOT, key_is_down,
                                                          installed_keyboard_layouts(), catalogue()));
            return 0;
        case WM_CHAR:
        case WM_DEADCHAR:
        case WM_SYSDEADCHAR:
            if (recording) return 0;
            break;
        case WM_SYSCHAR:
            // The character of a combination just recorded with Alt: no menu, no beep.
            // Alt+Space still opens the window menu.
            if (recording || wparam != L' ') return 0;
            break;
        case WM_KILLFOCUS: {
            // Leaving the button ends a recording, so the hotkeys are never left unregistered.
            const LRESULT result = CallWindowProcW(original, button, message, wparam, lparam);
            if (open_window && recording) apply(*open_window, stop_recording(open_window->state, catalogue()));
            return result;
        }
        default:
            break;
    }
    return CallWindowProcW(original, button, message, wparam, lparam);
}

LRESULT CALLBACK settings_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    SettingsWindow* settings = open_window;
    if (!settings || settings->window != window) return DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case WM_COMMAND:
            on_command(*settings, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
            return 0;
        case WM_CLOSE:
            settings->state.done = true;
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(uint16_t(SettingsControl::Done), DC_HASDEFID);
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
            settings->scale = ui_scale_for_dpi(LOWORD(wparam));
            apply_font(*settings);
            SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            place_children(*settings);
            return 0;
        }
        case kRebuild:
            rebuild_children(*settings, hotkey_button_procedure);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Runs until the window is done; the exit code of a quit request that arrived meanwhile.
std::optional<int> run_modal_loop(SettingsWindow& settings) {
    while (!settings.state.done) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return int(msg.wParam);
        if (got == -1) return std::nullopt;
        // The dialog keys: Tab between controls, Enter for Done, Esc to close.
        if (IsDialogMessageW(settings.window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return std::nullopt;
}

// Shows or hides the status icon and registers the hotkey as the result says.
void apply_result(const Config& result, const Config& given, bool quitting) {
    if (result.show_tray_icon != tray_icon_wanted()) {
        if (result.show_tray_icon)
            show_tray_icon();  // a refusal of the shell is retried there
        else
            remove_tray_icon();
    }
    if (result.hotkey != given.hotkey || result.language != given.language) set_tray_tooltip(result.hotkey);
    // A program on its way out does not need to hear that a hotkey is taken.
    for (CaptureMode mode : kHotkeyModes) {
        const std::optional<Hotkey> hotkey = capture_hotkey(result, mode);
        if (!register_capture_hotkey(mode, hotkey) && hotkey && !quitting)
            show_error_message("Kestrix", hotkey_unavailable_message(*hotkey));
    }
}

void centre_on_primary_screen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Result<std::optional<Config>, PlatformError> open_settings(const Config& config) {
    if (open_window) {
        bring_settings_forward();
        return std::optional<Config>{};
    }
    auto registered = register_dialog_class(kSettingsClass, settings_procedure, "RegisterClassExW(settings)");
    if (!registered) return fail(registered.error());

    SettingsWindow settings;
    settings.given = config;
    settings.state = settings_state(config);
    settings.right_to_left = current_language_is_right_to_left();
    settings.window = CreateWindowExW(kExStyle | (settings.right_to_left ? WS_EX_LAYOUTRTL : 0), kSettingsClass,
                                      wide(msg(Message::settings_title)).c_str(), kStyle, 0, 0, 480, 320, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!settings.window) return fail(PlatformError::os("CreateWindowExW(settings)", int32_t(GetLastError())));

    open_window = &settings;
    settings.scale = window_ui_scale(settings.window);
    apply_font(settings);
    settings.icon = make_tray_icon();
    SendMessageW(settings.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(settings.icon.get()));
    SendMessageW(settings.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(settings.icon.get()));
    settings.login_unavailable = read_login_state() == LoginState::Unavailable;
    create_children(settings, hotkey_button_procedure);
    place_children(settings);
    centre_on_primary_screen(settings.window);
    ShowWindow(settings.window, SW_SHOW);
    SetForegroundWindow(settings.window);
    SetFocus(settings.children.done);

    const std::optional<int> quit_code = run_modal_loop(settings);

    // A recording cut short by the close keeps the earlier hotkey; the button losing the
    // focus as it goes then has nothing to end.
    settings.state.recording = false;
    const SettingsState edited = settings.state;
    DestroyWindow(settings.window);
    settings.window = nullptr;
    open_window = nullptr;

    const std::optional<Config> result = settings_result(config, edited);
    apply_result(result.value_or(config), config, quit_code.has_value());
    // The host must still see the quit request.
    if (quit_code) PostQuitMessage(*quit_code);
    return result;
}

bool settings_window_open() { return open_window != nullptr && open_window->window != nullptr; }

bool bring_settings_forward() {
    if (!settings_window_open()) return false;
    const HWND window = open_window->window;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    return true;
}

}  // namespace kestrix::win
