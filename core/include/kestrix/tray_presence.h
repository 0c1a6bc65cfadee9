#pragma once
// Whether the notification-area icon is wanted and whether the shell shows it. Started
// at sign-in, Kestrix can be quicker than the shell, which then refuses the icon; the
// icon stays wanted, a refused add is tried again every 2 s for 2 minutes, and again
// whenever the shell announces that it has (re)started. A notice meant for the icon's
// balloon waits until the icon is shown, and goes elsewhere when it will not be.
#include <chrono>
#include <functional>
#include <optional>

#include "kestrix/host_timer.h"

namespace kestrix {

inline constexpr std::chrono::milliseconds kTrayRetryInterval{2000};
inline constexpr std::chrono::seconds kTrayRetryPeriod{120};

// What the host does with its retry timer after a step.
enum class TrayTimer { Keep, Arm, Stop };
// Where a pending notice goes: the icon's balloon, or the confirmation toast when
// there is no icon to show it at.
enum class TrayNotice { None, Balloon, Toast };

struct TrayStep {
    TrayTimer timer = TrayTimer::Keep;
    TrayNotice notice = TrayNotice::None;
    friend bool operator==(const TrayStep&, const TrayStep&) = default;
};

// Adds the icon (or updates one the shell already has); true when it is shown.
using TrayAdd = std::function<bool()>;

struct TrayPresence {
    bool wanted = false;
    bool shown = false;
    bool notice_pending = false;
    std::optional<HostClock::time_point> retry_until;  // set while failed adds are retried

    // The icon is wanted from now on: add it.
    TrayStep show(HostClock::time_point now, const TrayAdd& add);
    // It is not wanted any more; the caller removes it from the shell.
    TrayStep hide();
    // The retry timer fired.
    TrayStep retry(HostClock::time_point now, const TrayAdd& add);
    // The shell (re)started and has no icons: add it again if it is wanted.
    TrayStep shell_started(HostClock::time_point now, const TrayAdd& add);
    // A notice to give once: in the balloon when the icon is or will be shown.
    TrayStep announce();

private:
    TrayStep attempt(HostClock::time_point now, const TrayAdd& add);
};

}  // namespace kestrix
