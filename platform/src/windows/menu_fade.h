#pragma once
// A capture chosen in a menu waits for the menu to leave the screen: with the
// selection fade on, Windows keeps the chosen item on screen in a "SysFader" window
// while it fades out, and a picture frozen at once would contain it.

namespace kestrix::win {

// Returns once no fading item is visible (at most 500 ms) and the compositor has
// shown a frame without it.
void wait_for_menu_fade();

}  // namespace kestrix::win
