#include "recent_captures.h"

#include <memory>
#include <optional>
#include <string>

#include "capture_session.h"
#include "kestrix/i18n.h"
#include "kestrix/image.h"
#include "kestrix/selection.h"

namespace kestrix {

namespace {

// The kept PNG back as a picture; the bytes were made by this process, so a failure
// here means memory ran out.
Result<Image, PlatformError> picture_of(const RecentCapture& capture) {
    auto image = decodePng(capture.png);
    if (!image) return fail(PlatformError::image(std::move(image.error())));
    return std::move(*image);
}

void copy_again(AppState& state, Platform& platform, const RecentCapture& capture, Image& image) {
    if (auto copied = platform.copy_image(image, capture.png); !copied) {
        platform.show_error(copied.error());
        return;
    }
    if (state.config.show_confirmation) {
        const Rect size{0, 0, int32_t(capture.width), int32_t(capture.height)};
        (void)platform.show_toast(msg(Message::toast_copied, size_label(size)), std::nullopt);
    }
}

void save_again(Platform& platform, const RecentCapture& capture, const Image& image) {
    // The dialog is the confirmation; cancelling it is no failure.
    if (auto saved = save_picture(platform, image, capture.png); !saved) platform.show_error(saved.error());
}

}  // namespace

std::vector<RecentMenuEntry> recent_menu_entries(const RecentCaptures& captures) {
    std::vector<RecentMenuEntry> entries;
    for (uint32_t id : captures.ids()) {
        const std::shared_ptr<const RecentCapture> capture = captures.find(id);
        if (!capture) continue;
        RecentMenuEntry entry{id, recent_capture_label(capture->time, capture->width, capture->height),
                              capture->editable.has_value(), nullptr};
        // The thumbnail lives in the capture, and keeps it alive while the menu shows it.
        if (capture->thumbnail) entry.thumbnail = std::shared_ptr<const Image>(capture, &*capture->thumbnail);
        entries.push_back(std::move(entry));
    }
    return entries;
}

void offer_recent_captures(AppState& state, Platform& platform) {
    state.recent.set_max_count(state.config.recent_captures);
    if (state.config.recent_captures == 0)
        platform.set_recent_captures(std::nullopt);
    else
        platform.set_recent_captures(recent_menu_entries(state.recent));
}

void use_recent_capture(AppState& state, AppEnvironment& env, const RecentCommand& command) {
    Platform& platform = env.platform;
    // Held for the length of the command, so that a nested capture pushing it out of
    // the list cannot wipe it meanwhile.
    const std::shared_ptr<const RecentCapture> capture = state.recent.find(command.id);
    if (!capture) {
        offer_recent_captures(state, platform);
        return;
    }
    if (command.action == RecentAction::EditAgain) {
        if (!capture->editable) return;
        (void)edit_again_session(platform, state.config, *capture->editable, KeepRecent{&state.recent, command.id});
        offer_recent_captures(state, platform);
        return;
    }
    auto image = picture_of(*capture);
    if (!image) {
        platform.show_error(image.error());
        return;
    }
    switch (command.action) {
        case RecentAction::CopyAgain:
            copy_again(state, platform, *capture, *image);
            break;
        case RecentAction::Pin:
            if (auto pinned = platform.pin_image(*image, capture->shown_at); !pinned) platform.show_error(pinned.error());
            break;
        case RecentAction::SaveAs:
            save_again(platform, *capture, *image);
            break;
        case RecentAction::EditAgain:
            break;
    }
    image->wipe();
}

void clear_recent_captures(AppState& state, Platform& platform) {
    state.recent.clear();
    offer_recent_captures(state, platform);
}

}  // namespace kestrix
