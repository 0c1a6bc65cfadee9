#pragma once
// One running copy per user: a named mutex in the session's namespace.
#include "kernel_handle.h"

namespace kestrix::win {

class SingleInstance {
public:
    // True when this process is the first copy. The first copy keeps the mutex for the
    // rest of its life; a later copy lets go at once, so the name disappears as soon
    // as the first copy ends.
    bool claim();

private:
    KernelHandle mutex_;
};

}  // namespace kestrix::win
