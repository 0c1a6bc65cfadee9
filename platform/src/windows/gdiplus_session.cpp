#include "gdiplus_session.h"

#include <windows.h>
// objidl.h first: WIN32_LEAN_AND_MEAN leaves out what gdiplus.h expects
#include <objidl.h>
#include <gdiplus.h>

namespace kestrix::win {

GdiplusSession::GdiplusSession() {
    // Version 1, no debug callback, background thread and external codecs not suppressed.
    Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    ULONG_PTR token = 0;
    // A failed start is not reported: the program carries on and draws less well.
    started_ = Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    token_ = token;
}

GdiplusSession::~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
}

}  // namespace kestrix::win
