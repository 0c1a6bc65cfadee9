#pragma once
// Where a capture's first frame spends its time, seen from inside the program:
// when KESTRIX_FIRST_FRAME_LOG names a file, every hotkey capture whose overlay
// paints appends one line to it,
//   hotkey-to-capture 2.1 capture 40.3 capture-to-painted 24.0
// (milliseconds: the hotkey's message to the start of the capture, the capture's
// bitmap and copy of the screen, and its end to the end of the overlay's first
// paint). tools/bench/first-frame-bench.sh reads it beside what it times from
// outside. Without the variable nothing is recorded.
namespace kestrix::win {

enum class FirstFrameStage { Hotkey, CaptureBegun, CaptureEnded, Painted };

void mark_first_frame(FirstFrameStage stage);

}  // namespace kestrix::win
