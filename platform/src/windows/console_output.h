#pragma once
// Standard output of a windowed program: text reaches a redirected stdout (file or
// pipe) or the console of the program that started it, and is dropped silently
// when there is neither. A new file gets a UTF-8 byte-order mark first.
#include <string_view>

#include "kernel_handle.h"

namespace kestrix::win {

class ConsoleOutput {
public:
    // Writes the text and one line feed.
    void print(std::string_view text);

private:
    enum class Target { Unknown, Redirected, Console, None };
    void find_target();

    Target target_ = Target::Unknown;
    HANDLE handle_ = nullptr;  // the standard handle, or console_ below
    KernelHandle console_;     // CONOUT$ of the parent's console when attached
};

}  // namespace kestrix::win
