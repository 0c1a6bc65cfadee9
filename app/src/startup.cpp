#include "startup.h"

#include "answers.h"
#include "app_events.h"
#include "recent_captures.h"
#include "kestrix/capture_hotkeys.h"
#include "kestrix/hotkey_choice.h"
#include "kestrix/i18n.h"

namespace kestrix {

namespace {

void print_cannot_start(AppEnvironment& env, const PlatformError& error) {
    env.print("Kestrix cannot start: " + error.plain());
}

enum class Claim { First, Other, Failed };

// A new version started by the update waits for the previous copy to let go.
Claim wait_for_previous_copy(AppEnvironment& env) {
    for (int attempt = 0; attempt < kAfterUpdateRetries; ++attempt) {
        env.sleep(kAfterUpdateRetryInterval);
        auto claimed = env.platform.claim_single_instance();
        if (!claimed) {
            print_cannot_start(env, claimed.error());
            return Claim::Failed;
        }
        if (*claimed) return Claim::First;
    }
    return Claim::Other;
}

Language interface_language(const Config& config, Platform& platform) {
    if (config.language != kAutomaticLanguage) return config.language;
    const std::vector<std::string> tags = platform.preferred_languages();
    return preferred_language(tags);
}

}  // namespace

std::string config_warnings_message(const LoadedConfig& loaded) {
    std::string lines;
    for (const ConfigWarning& warning : loaded.warnings) {
        if (!lines.empty()) lines += '\n';
        lines += "  " + warning.text();
    }
    return std::string(msg(Message::config_warnings_heading)) + "\n\n" + lines + "\n\n" + config_file_line(loaded);
}

int run_tray_application(AppEnvironment& env, StartKind kind, std::optional<CaptureRequest> capture) {
    Platform& platform = env.platform;
    const bool after_update = kind == StartKind::AfterUpdate;
    if (auto prepared = platform.prepare(); !prepared) {
        print_cannot_start(env, prepared.error());
        return kExitFailure;
    }

    auto claimed = platform.claim_single_instance();
    if (!claimed) {
        print_cannot_start(env, claimed.error());
        return kExitFailure;
    }
    if (!*claimed) {
        if (!after_update) {
            if (capture)
                platform.signal_capture(*capture);
            else
                platform.signal_running_instance();
            return kExitSuccess;
        }
        switch (wait_for_previous_copy(env)) {
            case Claim::First:
                // The previous copy has gone, so the executable it was parked under can
                // go too: the system refuses to delete a running program's file, and it
                // was still running when prepare first tried.
                (void)platform.prepare();
                break;
            case Claim::Failed:
                return kExitFailure;
            case Claim::Other:
                env.print(msg(Message::update_old_copy_running));
                return kExitSuccess;
        }
    }

    const LoadedConfig loaded = load_config(env.config_dirs);
    set_language(interface_language(loaded.values, platform));
    if (!loaded.warnings.empty()) platform.show_message(kProductName, config_warnings_message(loaded));

    // The hotkey in force: the built-in default gives way where it would type a character.
    const StartHotkey start = start_hotkey(loaded.values.hotkey, loaded.hotkey_written, platform.keyboard_layouts());
    AppState state{loaded.values, false, std::nullopt};
    state.config.hotkey = start.hotkey;
    // The stand-in may be a combination another mode has: the capture hotkey keeps it.
    turn_off_hotkeys_sharing_capture(state.config);
    offer_recent_captures(state, platform);
    const Config& values = state.config;
    const HostSettings settings{values.hotkey,
                                values.show_tray_icon,
                                start_notice(start, kind != StartKind::Normal, catalogue()),
                                values.hotkey_last_region,
                                values.hotkey_screen,
                                values.hotkey_window,
                                capture};
    auto hosted = platform.run(
        settings, [&](AppEvent event) { return handle_app_event(event, state, env); },
        [&](const CaptureRequest& request) { handle_nested_hotkey(state, env, request); });
    if (!hosted) {
        env.print("Kestrix stopped: " + hosted.error().plain());
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kestrix
