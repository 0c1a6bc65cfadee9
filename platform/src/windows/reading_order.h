#pragma once
// The right-to-left reading flags for the current interface language, one per way
// the system lays out our texts. Without them an Arabic message that starts or ends
// with Latin text, a number or punctuation comes out in left-to-right order, and
// the right-to-left marks at the start of some Arabic messages change nothing.
#include <windows.h>
#include <commctrl.h>

#include "kestrix/i18n.h"

namespace kestrix::win {

// MessageBoxW: read right to left, aligned to the right.
inline UINT message_box_reading_flags() { return current_language_is_right_to_left() ? MB_RTLREADING | MB_RIGHT : 0; }

// DrawTextW, measuring included, so that the measured box fits the drawn text.
inline UINT draw_text_reading_flags() { return current_language_is_right_to_left() ? DT_RTLREADING : 0; }

// TrackPopupMenu: items read right to left, the menu laid out from the right.
inline UINT popup_menu_reading_flags() { return current_language_is_right_to_left() ? TPM_LAYOUTRTL : 0; }

// TaskDialogIndirect: the whole dialog mirrored.
inline TASKDIALOG_FLAGS task_dialog_reading_flags() { return current_language_is_right_to_left() ? TDF_RTL_LAYOUT : 0; }

}  // namespace kestrix::win
