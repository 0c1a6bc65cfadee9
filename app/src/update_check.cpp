#include "update_check.h"

#include "answers.h"
#include "kestrix/i18n.h"
#include "kestrix/update.h"
#include "kestrix/update_transfer.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace {

// The manifest and its signature from the feed, verified; a failure as the text
// the interactive check shows.
Result<ReleaseManifest, std::string> fetch_manifest(Platform& platform, const UpdateFeed& feed) {
    auto manifest = platform.http_get(feed.manifest_url, kFeedTimeouts);
    if (!manifest) return fail(transfer_failure_text(manifest.error()));
    auto signature = platform.http_get(signature_url(feed.manifest_url), kFeedTimeouts);
    if (!signature) return fail(transfer_failure_text(signature.error()));
    const std::string_view signature_text(reinterpret_cast<const char*>(signature->data()), signature->size());
    if (!is_valid_utf8(signature_text)) return fail(std::string("the signature is not text"));
    auto verified = verify_manifest(*manifest, trim_space(signature_text), feed.public_key);
    if (!verified) return fail(verified.error().text());
    return std::move(*verified);
}

// A progress note; the check goes on whether or not it could be shown.
void note(Platform& platform, Message message) { (void)platform.show_toast(msg(message), std::nullopt); }

}  // namespace

bool check_for_updates(AppState& state, AppEnvironment& env) {
    Platform& platform = env.platform;
    if (env.update_feed.manifest_url.empty()) {
        platform.show_message(kProductName, msg(Message::update_no_feed));
        return false;
    }
    const auto report = [&](std::string_view failure) {
        platform.show_message(kProductName, msg(Message::update_failed, failure));
        return false;
    };

    note(platform, Message::update_checking);
    auto offered = fetch_manifest(platform, env.update_feed);
    if (!offered) return report(offered.error());
    if (!is_newer(*offered)) {
        platform.show_message(kProductName, msg(Message::update_up_to_date));
        return false;
    }

    const std::string version = offered->version.text();
    // Asked before anything is downloaded: a folder that takes no new file (Program
    // Files, a protected folder, a read-only share) would only fail at the end.
    if (auto folder = platform.check_install_folder(); !folder) {
        platform.show_message(kProductName, msg(Message::update_available, version) + "\n\n" +
                                                msg(Message::update_cannot_update_here, folder.error().plain()));
        return false;
    }
    auto install = platform.ask_install_update(msg(Message::update_available, version), offered->notes,
                                               msg(Message::update_install_and_restart), msg(Message::update_not_now));
    if (!install) return report(install.error().plain());
    if (!*install) return false;

    note(platform, Message::update_downloading);
    auto executable = platform.http_get(offered->url, kDownloadTimeouts);
    if (!executable) return report(transfer_failure_text(executable.error()));
    // Checked before anything on disk changes.
    if (sha256_hex(*executable) != offered->sha256) return report(UpdateError{UpdateError::ChecksumMismatch{}}.text());

    note(platform, Message::update_installing);
    if (auto installed = platform.install_update(*executable, version); !installed)
        return report(installed.error().plain());
    note(platform, Message::update_restarting);
    // The new copy is waiting for this one to let go of the single-instance lock.
    state.update_installed = true;
    return true;
}

void scheduled_update_check(const AppState& state, AppEnvironment& env) {
    if (!state.config.check_for_updates || env.update_feed.manifest_url.empty()) return;
    auto offered = fetch_manifest(env.platform, env.update_feed);
    if (offered && is_newer(*offered)) env.platform.set_available_update(offered->version.text());
}

}  // namespace kestrix
