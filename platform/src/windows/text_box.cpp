// The in-place text box: a child edit control of the overlay in the text's
// colour and size on a dark background, or for text on a background box in the
// box's colour with the ink the text gets on it. Enter commits, Escape cancels,
// unless an input-method composition is in progress.
#include <windows.h>
// imm.h needs the Windows types first
#include <imm.h>

#include <cmath>
#include <string>

#include "gdiplus_canvas.h"
#include "kestrix/annotate.h"
#include "kestrix/overlay_layout.h"
#include "overlay_state.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

constexpr COLORREF kTextBoxBackground = 0x1C1C1C;
constexpr DWORD kEditStyle = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL;  // 0x50000084

COLORREF colour_ref(Colour c) { return RGB(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
COLORREF colour_ref_of_argb(Argb c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

bool composing(HWND edit) {
    HIMC context = ImmGetContext(edit);
    if (!context) return false;
    const LONG length = ImmGetCompositionStringW(context, GCS_COMPSTR, nullptr, 0);
    ImmReleaseContext(edit, context);
    return length > 0;
}

bool is_enter_or_escape(WPARAM key) { return key == VK_RETURN || key == VK_ESCAPE; }

// Enter and Escape go to the overlay as posted requests; during a composition
// they stay with the input method. The characters the two keys produce are
// dropped as well, or the multi-line edit would take Enter as a line break.
LRESULT CALLBACK text_box_proc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (message == WM_KEYDOWN && is_enter_or_escape(wparam) && !composing(edit)) {
        PostMessageW(GetParent(edit), wparam == VK_RETURN ? kTextBoxCommit : kTextBoxCancel, 0, 0);
        return 0;
    }
    if (message == WM_CHAR && (wparam == L'\r' || wparam == L'\n' || wparam == 0x1B) && !composing(edit)) return 0;
    return CallWindowProcW(previous, edit, message, wparam, lparam);
}

std::string edit_text(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(size_t(std::max(got, 0)));
    return narrow(text);
}

}  // namespace

TextBox::~TextBox() {
    if (edit && IsWindow(edit)) DestroyWindow(edit);
}

void open_text_box(OverlayState& state, const TextBoxRequest& request) {
    if (!state.editing() || state.text_box) return;
    auto box = std::make_unique<TextBox>();
    box->index = request.index;
    box->anchor = request.anchor;
    box->colour = colour_ref(request.colour);
    box->background = kTextBoxBackground;
    if (request.background) {
        box->background = box->colour;
        box->colour = colour_ref_of_argb(markerLabelColour(request.colour));
    }

    // The edit shows the text at the size the mark will have.
    const double font = text_size(request.size_step) * request.scale;
    const Rect r = text_box_rect(request.anchor, state.editor->selection(), state.desktop, font, request.scale);
    const auto pixels = int(std::lround(font));
    box->font.reset(CreateFontW(-pixels, 0, 0, 0, 600, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
    // The edit takes the mouse while it is open.
    ReleaseCapture();
    const std::wstring initial = wide(request.text);
    box->edit = CreateWindowExW(0, L"EDIT", initial.c_str(), kEditStyle, r.x, r.y, r.width, r.height, state.window,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!box->edit) {
        SetCapture(state.window);
        state.editor->text_cancelled();
        return;
    }
    box->brush.reset(CreateSolidBrush(box->background));
    if (box->font) SendMessageW(box->edit, WM_SETFONT, WPARAM(box->font.get()), TRUE);
    if (!initial.empty()) SendMessageW(box->edit, EM_SETSEL, 0, -1);
    SetWindowLongPtrW(box->edit, GWLP_USERDATA, GetWindowLongPtrW(box->edit, GWLP_WNDPROC));
    SetWindowLongPtrW(box->edit, GWLP_WNDPROC, LONG_PTR(text_box_proc));
    state.text_box = std::move(box);
    SetFocus(state.text_box->edit);
    invalidate_editing(state);
}

void close_text_box(OverlayState& state, bool commit) {
    if (!state.text_box) return;
    std::unique_ptr<TextBox> box = std::move(state.text_box);
    std::string text = edit_text(box->edit);
    const Point anchor = box->anchor;
    const std::optional<std::size_t> index = box->index;

    // The overlay takes the focus back before the edit goes, so that the focus
    // never passes to another window.
    SetFocus(state.window);
    box.reset();  // the edit, its font and brush
    SetCapture(state.window);

    if (state.editing()) {
        if (commit) {
            const MeasureText measure = [](std::string_view utf8, double pixel_size) {
                return measureAnnotationText(utf8, pixel_size);
            };
            apply_editor_outcome(state, state.editor->text_committed(std::move(text), anchor, index, measure));
        } else {
            state.editor->text_cancelled();
        }
    }
    invalidate_editing(state);
}

LRESULT text_box_colours(OverlayState& state, HDC dc) {
    SetTextColor(dc, state.text_box->colour);
    SetBkColor(dc, state.text_box->background);
    return LRESULT(state.text_box->brush.get());
}

}  // namespace kestrix::win
