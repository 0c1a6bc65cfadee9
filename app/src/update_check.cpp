#include "update_check.h"

#include "answers.h"
#include "kestrix/i18n.h"
#include "kestrix/update.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace {

// The manifest and its signature from the feed, verified; a failure as its plain text.
Result<ReleaseManifest, std::string> fetch_manifest(Platform& platform, const UpdateFeed& feed) {
    auto manifest = platform.http_get(feed.manifest_url);
    if (!manifest) return fail(manifest.error().plain());
    auto signature = platform.http_get(signature_url(feed.manifest_url));
    if (!signature) return fail(signature.error().plain());
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
    auto install = platform.ask_install_update(msg(Message::update_available, version), offered->notes,
                                               msg(Message::update_install_and_restart), msg(Message::update_not_now));
    if (!install) return report(install.error().plain());
    if (!*install) return false;

    note(platform, Message::update_downloading);
    auto executable = platform.http_get(offered->url);
    if (!executable) return report(executable.error().plain());
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
