// The Settings window's children: made, labelled in the interface language, and
// placed from their measured texts.
#include <string>
#include <vector>

#include "kestrix/i18n.h"
#include "kestrix/settings_layout.h"
#include "kestrix/ui_scale.h"
#include "reading_order.h"
#include "settings_window.h"
#include "start_at_login.h"
#include "wide_text.h"
#include "window_dpi.h"

namespace kestrix::win {

namespace {

constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kListStyle = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr DWORD kSwitchStyle = WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX;

constexpr std::array<Message, 5> kSwitchTexts = {Message::settings_confirmation, Message::send_allow,
                                                 Message::settings_start_at_login, Message::settings_show_icon,
                                                 Message::settings_check_updates};

HWND make_child(const SettingsWindow& settings, const wchar_t* window_class, DWORD style, uint16_t id,
                std::string_view text) {
    HWND child = CreateWindowExW(0, window_class, wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 settings.window, reinterpret_cast<HMENU>(uintptr_t(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(settings.font.get()), FALSE);
    return child;
}

HWND make_control(const SettingsWindow& settings, const wchar_t* window_class, DWORD style, SettingsControl id,
                  std::string_view text) {
    return make_child(settings, window_class, style, uint16_t(id), text);
}

void add_item(HWND list, std::string_view text) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
}

// Item 0 of the language list names "Follow the system" in the interface language.
void relabel_follow_system(HWND list) {
    const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
    SendMessageW(list, CB_DELETESTRING, 0, 0);
    SendMessageW(list, CB_INSERTSTRING, 0,
                 reinterpret_cast<LPARAM>(wide(catalogue()[Message::settings_follow_system]).c_str()));
    SendMessageW(list, CB_SETCURSEL, WPARAM(selected), 0);
}

void place(HWND child, const Rect& rect) {
    SetWindowPos(child, nullptr, rect.x, rect.y, rect.width, rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Text widths and wrapped heights in the window's font.
class FontMeasure {
public:
    explicit FontMeasure(HFONT font) : screen_(), dc_(screen_.get()), selected_(dc_.get(), font) {}

    // Measured with the reading order the controls draw in, so Arabic rows fit.
    int32_t width(std::string_view text) const {
        const std::wstring wide_text = wide(text);
        RECT rect{};
        DrawTextW(dc_.get(), wide_text.c_str(), int(wide_text.size()), &rect, kLineFormat | DT_CALCRECT | draw_text_reading_flags());
        return rect.right - rect.left;
    }

    int32_t wrapped_height(std::string_view text, int32_t width) const {
        const std::wstring wide_text = wide(text);
        RECT rect{0, 0, width, 0};
        DrawTextW(dc_.get(), wide_text.c_str(), int(wide_text.size()), &rect, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT | draw_text_reading_flags());
        return rect.bottom - rect.top;
    }

private:
    ScreenDc screen_;
    MemoryDc dc_;
    SelectGuard selected_;
};

}  // namespace

std::vector<HWND> SettingsChildren::all() const {
    std::vector<HWND> children = {hotkey_label, language_label, dim_label, hotkey_button, language_list, dim_list,
                                  folder_label, folder_path, folder_choose, folder_off, note, done};
    children.insert(children.end(), mode_labels.begin(), mode_labels.end());
    children.insert(children.end(), mode_buttons.begin(), mode_buttons.end());
    children.insert(children.end(), switches.begin(), switches.end());
    return children;
}

void show_save_folder(const SettingsWindow& settings) {
    set_text(settings.children.folder_path, save_folder_text(settings.state, catalogue()));
    EnableWindow(settings.children.folder_off, !settings.state.save_folder.empty());
}

void set_text(HWND window, std::string_view text) { SetWindowTextW(window, wide(text).c_str()); }

bool is_checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void set_checked(HWND box, bool checked) { SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

void create_children(SettingsWindow& settings, WNDPROC procedure) {
    const Catalogue& texts = catalogue();
    const SettingsState& state = settings.state;
    SettingsChildren& c = settings.children;

    c.hotkey_label = make_child(settings, L"STATIC", kLabelStyle, 0, texts[Message::settings_hotkey_label]);
    c.language_label = make_child(settings, L"STATIC", kLabelStyle, 0, texts[Message::settings_language_label]);
    c.dim_label = make_child(settings, L"STATIC", kLabelStyle, 0, texts[Message::settings_dim]);

    // Each mode's hotkey button, subclassed for recording; the capture hotkey's first.
    for (CaptureMode mode : kHotkeyModes) {
        const bool recording = state.recording && state.recording_mode == mode;
        if (mode != CaptureMode::Region) {
            c.mode_labels[size_t(mode) - 1] =
                make_child(settings, L"STATIC", kLabelStyle, 0, texts[hotkey_row_label(mode)]);
        }
        HWND button = make_control(settings, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, hotkey_button_control(mode),
                                   recording ? std::string(texts[Message::settings_recording])
                                             : hotkey_button_text(state, mode, texts));
        if (mode == CaptureMode::Region)
            c.hotkey_button = button;
        else
            c.mode_buttons[size_t(mode) - 1] = button;
        settings.button_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    }

    c.language_list = make_control(settings, L"COMBOBOX", kListStyle, SettingsControl::LanguageList, "");
    for (const std::string& item : language_list_items(texts)) add_item(c.language_list, item);
    SendMessageW(c.language_list, CB_SETCURSEL, language_list_index(state.language), 0);

    c.dim_list = make_control(settings, L"COMBOBOX", kListStyle, SettingsControl::DimList, "");
    for (uint8_t percent : kDimChoices) add_item(c.dim_list, dim_choice_text(percent));
    SendMessageW(c.dim_list, CB_SETCURSEL, dim_list_index(state.overlay_dim_percent), 0);

    for (size_t row = 0; row < c.switches.size(); ++row)
        c.switches[row] = make_control(settings, L"BUTTON", kSwitchStyle, kSwitchControls[row], texts[kSwitchTexts[row]]);
    set_checked(c.switches[0], state.show_confirmation);
    set_checked(c.switches[1], state.transfer_enabled);
    set_checked(c.switches[3], state.show_tray_icon);
    set_checked(c.switches[4], state.check_for_updates);

    const LoginState login = read_login_state();
    set_checked(c.switches[2], login_view(login, texts).checked);
    EnableWindow(c.switches[2], !settings.login_unavailable);

    c.folder_label = make_child(settings, L"STATIC", kLabelStyle, 0, texts[Message::settings_save_folder]);
    // A long folder ends in "…". Not SS_PATHELLIPSIS: Wine's path shortening aborts the
    // process on a right-to-left text without a backslash.
    c.folder_path = make_child(settings, L"STATIC", kLabelStyle | SS_ENDELLIPSIS, 0, "");
    c.folder_choose = make_control(settings, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, SettingsControl::ChooseSaveFolder,
                                   texts[Message::settings_choose_folder]);
    c.folder_off = make_control(settings, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, SettingsControl::SaveFolderOff,
                                texts[Message::settings_save_folder_off]);
    show_save_folder(settings);

    c.note = make_child(settings, L"STATIC", kLabelStyle, 0, opening_note(state, login, texts));
    c.done = make_control(settings, L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, SettingsControl::Done,
                          texts[Message::settings_done]);
}

HWND hotkey_button(const SettingsWindow& settings, CaptureMode mode) {
    const SettingsChildren& c = settings.children;
    return mode == CaptureMode::Region ? c.hotkey_button : c.mode_buttons[(size_t(mode) - 1) % c.mode_buttons.size()];
}

void destroy_children(SettingsWindow& settings) {
    for (HWND child : settings.children.all())
        if (child) DestroyWindow(child);
    settings.children = SettingsChildren{};
}

void relabel_children(SettingsWindow& settings) {
    const Catalogue& texts = catalogue();
    const SettingsChildren& c = settings.children;
    set_text(c.hotkey_label, texts[Message::settings_hotkey_label]);
    set_text(c.language_label, texts[Message::settings_language_label]);
    set_text(c.dim_label, texts[Message::settings_dim]);
    for (size_t row = 0; row < c.switches.size(); ++row) set_text(c.switches[row], texts[kSwitchTexts[row]]);
    set_text(c.done, texts[Message::settings_done]);
    set_text(c.folder_label, texts[Message::settings_save_folder]);
    set_text(c.folder_choose, texts[Message::settings_choose_folder]);
    set_text(c.folder_off, texts[Message::settings_save_folder_off]);
    show_save_folder(settings);
    for (CaptureMode mode : kHotkeyModes) {
        if (mode != CaptureMode::Region) set_text(c.mode_labels[size_t(mode) - 1], texts[hotkey_row_label(mode)]);
        const bool recording = settings.state.recording && settings.state.recording_mode == mode;
        set_text(hotkey_button(settings, mode), recording ? std::string(texts[Message::settings_recording])
                                                          : hotkey_button_text(settings.state, mode, texts));
    }
    relabel_follow_system(c.language_list);
}

void apply_font(SettingsWindow& settings) {
    settings.font.reset(CreateFontW(settings_font_height(settings.scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
    const auto font = reinterpret_cast<WPARAM>(settings.font.get());
    for (HWND child : settings.children.all())
        if (child) SendMessageW(child, WM_SETFONT, font, TRUE);
}

void place_children(SettingsWindow& settings) {
    const FontMeasure font(settings.font.get());
    const SettingsTextMeasure measure{
        [&font](std::string_view text) { return font.width(text); },
        [&font](std::string_view text, int32_t width) { return font.wrapped_height(text, width); },
    };
    const SettingsLayout layout = layout_settings(catalogue(), measure, settings.scale);
    const SettingsChildren& c = settings.children;
    place(c.hotkey_label, layout.hotkey_label);
    place(c.language_label, layout.language_label);
    place(c.dim_label, layout.dim_label);
    place(c.hotkey_button, layout.hotkey_button);
    for (size_t row = 0; row < c.mode_buttons.size(); ++row) {
        place(c.mode_labels[row], layout.mode_labels[row]);
        place(c.mode_buttons[row], layout.mode_buttons[row]);
    }
    place(c.language_list, layout.language_list);
    place(c.dim_list, layout.dim_list);
    for (size_t row = 0; row < c.switches.size(); ++row) place(c.switches[row], layout.switches[row]);
    place(c.folder_label, layout.folder_label);
    place(c.folder_path, layout.folder_path);
    place(c.folder_choose, layout.folder_choose);
    place(c.folder_off, layout.folder_off);
    place(c.note, layout.note);
    place(c.done, layout.done);

    // The frame around that client area, whatever the caption and border sizes are
    // at the window's own DPI (the system's metrics are those of the primary monitor).
    const auto style = DWORD(GetWindowLongPtrW(settings.window, GWL_STYLE));
    const auto ex_style = DWORD(GetWindowLongPtrW(settings.window, GWL_EXSTYLE));
    const SIZE frame = frame_size(layout.client_width, layout.client_height, style, ex_style,
                                  dpi_for_ui_scale(settings.scale));
    SetWindowPos(settings.window, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(settings.window, nullptr, TRUE);
}

}  // namespace kestrix::win
