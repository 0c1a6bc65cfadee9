#pragma once
// GDI+ for the life of the process: started once by the platform object, shut down
// when it goes, and only when the start succeeded.
#include <cstdint>

namespace kestrix::win {

class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool started() const { return started_; }

private:
    uintptr_t token_ = 0;
    bool started_ = false;
};

}  // namespace kestrix::win
