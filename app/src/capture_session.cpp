#include "capture_session.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "answers.h"
#include "kestrix/capture_name.h"
#include "frozen_desktop.h"
#include "kestrix/file_io.h"
#include "kestrix/i18n.h"
#include "kestrix/image_scale.h"
#include "kestrix/local_time.h"
#include "kestrix/selection.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace {

namespace fs = std::filesystem;

// What a session ended with; each variant decides its own confirmation.
struct Nothing {};
struct Pinned {
    Rect selection;
};
struct Copied {
    Rect selection;
};
struct CopiedAndSaved {
    fs::path path;
    Rect selection;
};
struct CopiedText {
    std::string text;
};
// Copied, but the capture folder could not take it: that alone is said.
struct CopiedNotKept {
    std::string why;
    Rect selection;
};
using SessionOutcome = std::variant<Nothing, Pinned, Copied, CopiedAndSaved, CopiedText, CopiedNotKept, PlatformError>;

using PngBytes = std::vector<uint8_t>;

Result<void, PlatformError> send(Platform& platform, const PngBytes& png) {
    return platform.send_to_device(png, default_file_name(platform.local_time()));
}

// Every copy also goes to the capture folder, when one is set, under a name no file
// there has yet.
Result<fs::path, std::string> keep_in_folder(Platform& platform, const Config& config, const PngBytes& png) {
    const fs::path folder = path_from_utf8(config.save_folder);
    const size_t budget = file_name_budget(folder.u16string().size());
    const LocalTime time = platform.local_time();
    return write_new_file(
        folder,
        [&](uint32_t attempt) { return capture_file_name(config.file_name_pattern, time, attempt, ".png", budget); },
        {reinterpret_cast<const char*>(png.data()), png.size()});
}

// A copied capture joins the recent ones (in place of the one edited again, if so).
void keep_recent(Platform& platform, const KeepRecent& keep, const OverlayOutcome& overlay, const Image& image,
                 const PngBytes& png, const Rect& selection) {
    if (!keep.captures) return;
    RecentCapture capture;
    capture.time = platform.local_time();
    capture.png = png;
    capture.width = image.width();
    capture.height = image.height();
    capture.shown_at = selection;
    capture.thumbnail = thumbnail(image, kRecentThumbnailWidth, kRecentThumbnailHeight);
    capture.editable = overlay.editable;
    if (keep.replaces)
        keep.captures->replace(*keep.replaces, std::move(capture));
    else
        keep.captures->add(std::move(capture));
}

// Pin, or copy and then send and save as requested.
SessionOutcome deliver(Platform& platform, const Config& config, const OverlayOutcome& overlay, const Image& image,
                       const Rect& selection, const KeepRecent& keep) {
    if (overlay.pin) {
        // A pinned capture is only pinned, whatever else was asked for.
        if (auto pinned = platform.pin_image(image, selection); !pinned) return pinned.error();
        return Pinned{selection};
    }
    // Encoded once: the clipboard carries these bytes, and sending and saving use them too.
    auto png = encodePng(image);
    if (!png) return PlatformError::image(png.error());
    if (auto copied = platform.copy_image(image, *png); !copied) return copied.error();
    keep_recent(platform, keep, overlay, image, *png, selection);
    std::optional<SessionOutcome> kept;
    if (!config.save_folder.empty()) {
        auto written = keep_in_folder(platform, config, *png);
        if (written)
            kept = CopiedAndSaved{std::move(*written), selection};
        else
            kept = CopiedNotKept{std::move(written.error()), selection};
    }
    if (overlay.send) {
        if (auto sent = send(platform, *png); !sent) return sent.error();
    }
    // Cancelling Save As is not a failure: the picture is on the clipboard.
    if (overlay.save) {
        auto saved = save_picture(platform, image, *png);
        if (!saved) return saved.error();
        if (saved->has_value()) return CopiedAndSaved{std::move(**saved), selection};
    }
    return kept ? std::move(*kept) : SessionOutcome{Copied{selection}};
}

SessionOutcome decide(Platform& platform, const Config& config, const OverlayOutcome& overlay, const KeepRecent& keep) {
    if (overlay.image && overlay.selection)
        return deliver(platform, config, overlay, *overlay.image, *overlay.selection, keep);
    // Finished, but the picture could not be made: the user must hear that nothing was copied.
    if (overlay.selection) return overlay.failure.value_or(PlatformError::capture("the picture could not be made"));
    if (overlay.colour_text) return CopiedText{*overlay.colour_text};
    return Nothing{};
}

// The overlay's pictures, once carried out: the recent captures hold copies of their own.
void wipe_pictures(OverlayOutcome& overlay) {
    if (overlay.image) overlay.image->wipe();
    if (overlay.editable) overlay.editable->crop.wipe();
}

SessionOutcome run(Platform& platform, const Config& config, const SessionStart& start) {
    auto frozen = freeze_desktop(platform, start.request, start.last_region, AfterFreeze::Overlay);
    if (!frozen) return frozen.error();
    if (!frozen->has_value()) return Nothing{};  // the countdown was cancelled
    FrozenDesktop& desktop = **frozen;
    auto overlay = platform.open_overlay(desktop.frame, desktop.monitors, config, start.save_as, desktop.selection);
    // The frozen desktop is no longer needed; its pixels go before anything else opens
    // (a nested capture started from the Save As dialog freezes a desktop of its own).
    desktop.frame.wipe();
    desktop.frame = Frame{};
    if (!overlay) return overlay.error();
    SessionOutcome outcome = decide(platform, config, *overlay, start.keep);
    wipe_pictures(*overlay);
    return outcome;
}

// The crop over the desktop frozen now, on the monitor under the pointer.
SessionOutcome run_edit_again(Platform& platform, const Config& config, const EditableCapture& editable,
                              const KeepRecent& keep) {
    auto monitors = platform.enumerate_monitors();
    if (!monitors) return monitors.error();
    const DesktopPoint pointer = platform.pointer_position();
    const std::optional<EditPlacement> placement =
        place_for_editing(*monitors, pointer.x, pointer.y, editable.crop.width(), editable.crop.height());
    if (!placement) return PlatformError::capture("no monitor to show the capture on");
    platform.prepare_overlay(*monitors);
    auto frame = platform.capture_desktop(*monitors);
    if (!frame) return frame.error();
    show_in_frame(*frame, editable.crop, *placement);
    auto overlay = platform.open_overlay_for_editing(*frame, *monitors, config, EditAgainStart{*placement, editable});
    frame->wipe();
    if (!overlay) return overlay.error();
    SessionOutcome outcome = decide(platform, config, *overlay, keep);
    wipe_pictures(*overlay);
    return outcome;
}

// The saved file's name as UTF-8; anything that is not valid Unicode reads as U+FFFD.
std::string file_name_text(const fs::path& path) {
    const fs::path name = path.filename();
    return name.empty() ? std::string("file") : utf8_from_path(name);
}

void confirm(Platform& platform, const SessionOutcome& outcome) {
    std::optional<std::string> text;
    std::optional<Rect> near;
    if (const auto* copied = std::get_if<Copied>(&outcome)) {
        text = msg(Message::toast_copied, size_label(copied->selection));
        near = copied->selection;
    } else if (const auto* saved = std::get_if<CopiedAndSaved>(&outcome)) {
        text = msg(Message::toast_copied_and_saved, file_name_text(saved->path));
        near = saved->selection;
    } else if (const auto* colour = std::get_if<CopiedText>(&outcome)) {
        text = msg(Message::toast_copied, colour->text);
    }
    // A confirmation that cannot be shown is not worth a message of its own.
    if (text) (void)platform.show_toast(*text, near);
}

// The selection of a finished capture; a cancel, a colour or a failure has none.
std::optional<Rect> finished_selection(const SessionOutcome& outcome) {
    if (const auto* copied = std::get_if<Copied>(&outcome)) return copied->selection;
    if (const auto* saved = std::get_if<CopiedAndSaved>(&outcome)) return saved->selection;
    if (const auto* pinned = std::get_if<Pinned>(&outcome)) return pinned->selection;
    return std::nullopt;
}

// Exactly one error message, or the one message of a capture folder that failed, or
// the confirmation.
std::optional<Rect> conclude(Platform& platform, const Config& config, const SessionOutcome& outcome) {
    if (const auto* error = std::get_if<PlatformError>(&outcome)) {
        platform.show_error(*error);
        return std::nullopt;
    }
    if (const auto* not_kept = std::get_if<CopiedNotKept>(&outcome)) {
        platform.show_message(kProductName, msg(Message::error_capture_folder, not_kept->why));
        return not_kept->selection;
    }
    if (config.show_confirmation) confirm(platform, outcome);
    return finished_selection(outcome);
}

}  // namespace

Result<std::optional<fs::path>, PlatformError> save_picture(Platform& platform, const Image& image,
                                                           const std::vector<uint8_t>& png) {
    // A fresh clock reading: the send panel may have been open for minutes.
    auto path = platform.ask_save_path(default_file_name(platform.local_time()));
    if (!path || !path->has_value()) return path;
    std::optional<std::vector<uint8_t>> jpeg;
    if (picture_format_for(utf8_from_path((*path)->filename())) == PictureFormat::Jpeg) {
        auto encoded = platform.encode_jpeg(image, kJpegQuality);
        if (!encoded) return fail(std::move(encoded.error()));
        jpeg = std::move(*encoded);
    }
    const std::vector<uint8_t>& bytes = jpeg ? *jpeg : png;
    // Written beside the target and renamed into place, so a full disk never leaves a
    // half-written picture where an earlier file was.
    auto written = write_file_atomically(**path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    if (!written) return fail(PlatformError{PlatformError::Io{written.error()}});
    return path;
}

std::optional<Rect> capture_session(Platform& platform, const Config& config, const SessionStart& start) {
    return conclude(platform, config, run(platform, config, start));
}

std::optional<Rect> edit_again_session(Platform& platform, const Config& config, const EditableCapture& editable,
                                       const KeepRecent& keep) {
    return conclude(platform, config, run_edit_again(platform, config, editable, keep));
}

}  // namespace kestrix
