#pragma once
// How the overlay takes the keyboard once it is shown. Windows brings a window
// to the front only under conditions, and not at all while another program has
// a menu open; an overlay left behind the foreground covers the screen while
// Esc, Enter and the arrows go to the program under it. An open menu also keeps
// the mouse. The picture is frozen by then, menu included, so such a menu is
// ended, and a foreground refused otherwise is taken by attaching to the input
// of the thread in front for a moment. Each remedy is tried once.

namespace kestrix {

// What the platform sees after its last attempt.
struct ForegroundView {
    bool overlay_in_front = false;      // the overlay is the foreground window
    bool menu_open_elsewhere = false;   // another thread is in menu mode, with a menu owner to tell
    bool other_thread_in_front = false; // the foreground window belongs to another thread
};

enum class ForegroundStep {
    Done,         // the overlay has the keyboard
    EndMenu,      // tell the menu's owner to end it (WM_CANCELMODE), then bring the overlay forward again
    AttachInput,  // share the front thread's input state, bring the overlay forward, then detach
    GiveUp,       // nothing left to try
};

// The remedies used so far in one opening of the overlay.
struct ForegroundTried {
    bool ended_menu = false;
    bool attached_input = false;
};

// The next step, which is recorded in `tried`.
ForegroundStep next_foreground_step(const ForegroundView& view, ForegroundTried& tried);

}  // namespace kestrix
