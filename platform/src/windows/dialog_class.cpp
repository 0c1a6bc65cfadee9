#include "dialog_class.h"

#include "last_error.h"

namespace kestrix::win {

Result<void, PlatformError> register_dialog_class(const wchar_t* name, WNDPROC procedure, const char* call) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = name;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return fail(last_error(call));
    return {};
}

}  // namespace kestrix::win
