#include "kestrix/tray_presence.h"

namespace kestrix {

namespace {

// A notice that was waiting for the icon goes to the toast instead.
TrayNotice release(bool& pending, TrayNotice to) {
    const bool was_pending = pending;
    pending = false;
    return was_pending ? to : TrayNotice::None;
}

}  // namespace

TrayStep TrayPresence::attempt(HostClock::time_point now, const TrayAdd& add) {
    if (add()) {
        shown = true;
        retry_until.reset();
        return {TrayTimer::Stop, release(notice_pending, TrayNotice::Balloon)};
    }
    shown = false;
    if (!retry_until) retry_until = now + kTrayRetryPeriod;
    if (now < *retry_until) return {TrayTimer::Arm, TrayNotice::None};
    // Given up until the shell says it has started.
    retry_until.reset();
    return {TrayTimer::Stop, release(notice_pending, TrayNotice::Toast)};
}

TrayStep TrayPresence::show(HostClock::time_point now, const TrayAdd& add) {
    wanted = true;
    retry_until.reset();
    return attempt(now, add);
}

TrayStep TrayPresence::hide() {
    wanted = false;
    shown = false;
    retry_until.reset();
    return {TrayTimer::Stop, release(notice_pending, TrayNotice::Toast)};
}

TrayStep TrayPresence::retry(HostClock::time_point now, const TrayAdd& add) {
    if (!wanted || shown || !retry_until) return {TrayTimer::Stop, TrayNotice::None};
    return attempt(now, add);
}

TrayStep TrayPresence::shell_started(HostClock::time_point now, const TrayAdd& add) {
    if (!wanted) return {};
    // A new shell knows no icons, whatever the old one showed; it may be slow too.
    retry_until.reset();
    return attempt(now, add);
}

TrayStep TrayPresence::announce() {
    if (!wanted) return {TrayTimer::Keep, TrayNotice::Toast};
    if (shown) return {TrayTimer::Keep, TrayNotice::Balloon};
    if (!retry_until) return {TrayTimer::Keep, TrayNotice::Toast};  // given up for now
    notice_pending = true;
    return {};
}

}  // namespace kestrix
