#include "update_check.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "core/manifest_signer.h"
#include "kestrix/i18n.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

constexpr std::string_view kFeed = "https://updates.test/updates/windows/release.txt";
constexpr std::string_view kSignatureUrl = "https://updates.test/updates/windows/release.txt.sig";
constexpr std::string_view kExecutableUrl = "https://updates.test/kestrix-1.10.0.exe";

std::vector<uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A feed that offers `version` of the executable `executable`, signed by `signer`.
struct Feed : AppFixture {
    ManifestSigner signer;
    AppState state;
    std::vector<uint8_t> executable = bytes("MZ the new executable");
    std::string public_key = signer.public_key_hex();

    Feed() {
        set_language(kEnglish);
        env.update_feed = UpdateFeed{kFeed, public_key};
        offer("1.10.0");
        answer(kExecutableUrl, executable);
    }
    void offer(std::string_view version, std::string_view digest = {}) {
        const std::string manifest = "version = " + std::string(version) + "\nurl = " + std::string(kExecutableUrl) +
                                     "\nsha256 = " + std::string(digest.empty() ? sha256_hex(executable) : digest) +
                                     "\nnotes = Faster capture.\n";
        answer(kFeed, bytes(manifest));
        answer(kSignatureUrl, bytes("  " + signer.sign(manifest) + "\n"));
    }
    void answer(std::string_view url, Result<std::vector<uint8_t>, PlatformError> body) {
        platform.http_answers.insert_or_assign(std::string(url), std::move(body));
    }
    bool check() { return handle_app_event(AppEvent::CheckForUpdates, state, env); }
    void scheduled() { EXPECT_FALSE(handle_app_event(AppEvent::ScheduledUpdateCheck, state, env)); }

    std::vector<std::string> toasts() const {
        std::vector<std::string> texts;
        for (const auto& toast : platform.toasts) {
            EXPECT_EQ(toast.near, std::nullopt);
            texts.push_back(toast.text);
        }
        return texts;
    }
    std::vector<std::string> message_texts() const {
        std::vector<std::string> texts;
        for (const auto& [title, text] : platform.messages) {
            EXPECT_EQ(title, "Kestrix");
            texts.push_back(text);
        }
        return texts;
    }
};

using Strings = std::vector<std::string>;

}  // namespace

TEST(UpdateCheck, UpToDateSaysSoAfterFetchingManifestAndSignature) {
    for (std::string_view version : {"0.9.22", "0.9.3", "0.1.0"}) {
        Feed f;
        f.offer(version);
        EXPECT_FALSE(f.check());
        EXPECT_EQ(f.platform.fetched, (Strings{std::string(kFeed), std::string(kSignatureUrl)}));
        EXPECT_EQ(f.toasts(), Strings{"Checking for updates…"});
        EXPECT_EQ(f.message_texts(), Strings{"Kestrix is up to date."});
        EXPECT_EQ(f.platform.count("ask_install_update"), 0u);
    }
}

TEST(UpdateCheck, NotNowChangesNothing) {
    Feed f;
    EXPECT_FALSE(f.check());
    ASSERT_EQ(f.platform.install_questions.size(), 1u);
    EXPECT_EQ(f.platform.install_questions[0],
              (PlatformDouble::InstallQuestion{"Kestrix 1.10.0 is available.", "Faster capture.", "Install and Restart",
                                               "Not Now"}));
    EXPECT_EQ(f.platform.fetched.size(), 2u);  // no download
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_TRUE(f.platform.installs.empty());
    EXPECT_FALSE(f.state.update_installed);
}

TEST(UpdateCheck, InstallAndRestartInstallsTheVerifiedDownloadAndQuits) {
    Feed f;
    f.platform.install_question_answer = true;
    EXPECT_TRUE(f.check());
    EXPECT_EQ(f.platform.fetched,
              (Strings{std::string(kFeed), std::string(kSignatureUrl), std::string(kExecutableUrl)}));
    ASSERT_EQ(f.platform.installs.size(), 1u);
    EXPECT_EQ(f.platform.installs[0].first, f.executable);
    EXPECT_EQ(f.platform.installs[0].second, "1.10.0");
    EXPECT_EQ(f.toasts(), (Strings{"Checking for updates…", "Downloading…", "Installing…",
                                   "Kestrix will restart to finish updating."}));
    EXPECT_TRUE(f.platform.messages.empty());
    EXPECT_TRUE(f.state.update_installed);

    // From now on every update event makes way for the new copy, without a network request.
    const size_t calls = f.platform.calls.size();
    EXPECT_TRUE(f.check());
    EXPECT_TRUE(handle_app_event(AppEvent::ScheduledUpdateCheck, f.state, f.env));
    EXPECT_EQ(f.platform.calls.size(), calls);
}

TEST(UpdateCheck, AToastThatCannotBeShownDoesNotStopTheUpdate) {
    Feed f;
    f.platform.install_question_answer = true;
    f.platform.toast_answer = fail(PlatformError::os("CreateWindowExW(toast)", 8));
    EXPECT_TRUE(f.check());
    EXPECT_EQ(f.platform.installs.size(), 1u);
    EXPECT_TRUE(f.platform.messages.empty());
}

TEST(UpdateCheck, EveryFailureIsReportedOnceAndNothingIsInstalled) {
    struct Case {
        const char* name;
        std::function<void(Feed&)> arrange;
        std::string message;
    };
    const std::string failed = "The update failed: ";
    const std::vector<Case> cases = {
        {"manifest 404", [](Feed& f) { f.platform.http_answers.erase(std::string(kFeed)); },
         failed + "the update server does not have the file Kestrix asked for.\n\nHTTP 404"},
        {"signature unreachable",
         [](Feed& f) { f.answer(kSignatureUrl, fail(PlatformError::os("WinHttpSendRequest", 12029))); },
         failed + "the update server could not be reached. Check that this computer is connected to the internet."
                  "\n\nWinHttpSendRequest failed (os error 12029)"},
        {"manifest never answers",
         [](Feed& f) { f.answer(kFeed, fail(PlatformError::os("WinHttpReceiveResponse", 12002))); },
         failed + "the update server did not answer in time. Try again later.\n\n"
                  "WinHttpReceiveResponse failed (os error 12002)"},
        {"a proxy wants a password for the download",
         [](Feed& f) { f.answer(kExecutableUrl, fail(PlatformError::os(std::string(kHttpStatusCall), 407))); },
         failed + "the proxy server of this network asks for a user name and password, which Kestrix cannot give it."
                  "\n\nHTTP 407"},
        {"the manifest's server answers 503",
         [](Feed& f) { f.answer(kFeed, fail(PlatformError::os(std::string(kHttpStatusCall), 503))); },
         failed + "the update server did not return the file failed (os error 503)"},
        {"signature not text", [](Feed& f) { f.answer(kSignatureUrl, bytes("\xFF\xFE")); },
         failed + "the signature is not text"},
        {"another key",
         [](Feed& f) {
             f.signer = ManifestSigner(42);
             f.offer("1.10.0");
         },
         failed + "the release manifest is not signed by this application's key"},
        {"tampered manifest",
         [](Feed& f) {
             auto& manifest = f.platform.http_answers.at(std::string(kFeed)).value();
             manifest[10] ^= 0x01;
         },
         failed + "the release manifest is not signed by this application's key"},
        {"malformed manifest", [](Feed& f) { f.offer("1.2"); },
         failed + "the release manifest is malformed: no usable version"},
        {"question fails",
         [](Feed& f) { f.platform.install_question_answer = fail(PlatformError::os("MessageBoxW", 1400)); },
         failed + "MessageBoxW failed (os error 1400)"},
        {"download too large",
         [](Feed& f) {
             const char* call = "the download is larger than Kestrix will accept";
             f.answer(kExecutableUrl, fail(PlatformError::os(call, 0)));
         },
         failed + "the download is larger than Kestrix will accept failed (os error 0)"},
        {"digest mismatch", [](Feed& f) { f.offer("1.10.0", std::string(64, 'a')); },
         failed + "the download does not match the signed checksum"},
        {"download differs from the signed one",
         [](Feed& f) { f.answer(kExecutableUrl, bytes("MZ something else")); },
         failed + "the download does not match the signed checksum"},
        {"install fails",
         [](Feed& f) {
             f.platform.install_answer = fail(PlatformError::os("the downloaded file is not a Windows executable", 0));
         },
         failed + "the downloaded file is not a Windows executable failed (os error 0)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Feed f;
        f.platform.install_question_answer = true;
        c.arrange(f);
        EXPECT_FALSE(f.check());
        EXPECT_EQ(f.message_texts(), Strings{c.message});
        EXPECT_FALSE(f.state.update_installed);
        // Only a failure of the installer itself got as far as installing.
        EXPECT_EQ(f.platform.installs.size(), std::string(c.name) == "install fails" ? 1u : 0u);
    }
}

TEST(UpdateCheck, ScheduledCheckMarksTheMenuSilentlyAndOnlyWhenAllowed) {
    {
        Feed f;
        f.state.config.check_for_updates = false;
        f.scheduled();
        EXPECT_TRUE(f.platform.calls.empty());  // not even a request
    }
    {
        Feed f;
        f.scheduled();
        EXPECT_EQ(f.platform.fetched, (Strings{std::string(kFeed), std::string(kSignatureUrl)}));
        EXPECT_EQ(f.platform.available_updates, (std::vector<std::optional<std::string>>{"1.10.0"}));
        EXPECT_TRUE(f.platform.messages.empty());
        EXPECT_TRUE(f.platform.toasts.empty());
        EXPECT_EQ(f.platform.count("ask_install_update"), 0u);
        EXPECT_EQ(f.platform.fetched.size(), 2u);  // nothing downloaded
    }
    for (auto spoil : std::vector<std::function<void(Feed&)>>{
             [](Feed& f) { f.offer("0.9.22"); },
             [](Feed& f) { f.platform.http_answers.clear(); },
             [](Feed& f) { f.signer = ManifestSigner(42); f.offer("2.0.0"); },
         }) {
        Feed f;
        spoil(f);
        f.scheduled();
        EXPECT_TRUE(f.platform.available_updates.empty());
        EXPECT_TRUE(f.platform.messages.empty());
        EXPECT_TRUE(f.platform.toasts.empty());
    }
}

TEST(UpdateCheck, ABuildWithoutAFeedSaysSoAndNeverFetches) {
    Feed f;
    f.env.update_feed = UpdateFeed{};
    EXPECT_FALSE(f.check());
    EXPECT_EQ(f.message_texts(), Strings{"This build has no update feed, so it cannot check for updates."});
    f.scheduled();
    EXPECT_TRUE(f.platform.fetched.empty());
    EXPECT_EQ(f.platform.messages.size(), 1u);
}

TEST(UpdateCheck, FeedRequestsWaitLessThanTheDownload) {
    Feed f;
    f.platform.install_question_answer = true;
    EXPECT_TRUE(f.check());
    ASSERT_EQ(f.platform.fetch_timeouts.size(), 3u);
    EXPECT_EQ(f.platform.fetch_timeouts[0], kFeedTimeouts) << "the manifest";
    EXPECT_EQ(f.platform.fetch_timeouts[1], kFeedTimeouts) << "its signature";
    EXPECT_EQ(f.platform.fetch_timeouts[2], kDownloadTimeouts) << "the executable";

    Feed scheduled;
    scheduled.scheduled();
    EXPECT_EQ(scheduled.platform.fetch_timeouts, (std::vector<TransferTimeouts>{kFeedTimeouts, kFeedTimeouts}));
}

TEST(UpdateCheck, AFolderThatTakesNoNewFileIsSaidBeforeAnythingIsDownloaded) {
    Feed f;
    f.platform.install_question_answer = true;
    f.platform.install_folder_answer = fail(PlatformError{PlatformError::Io{"Access is denied."}});
    EXPECT_FALSE(f.check());
    EXPECT_EQ(f.message_texts(),
              Strings{"Kestrix 1.10.0 is available.\n\nKestrix cannot update itself in this folder: Access is denied."});
    EXPECT_EQ(f.platform.fetched, (Strings{std::string(kFeed), std::string(kSignatureUrl)})) << "nothing downloaded";
    EXPECT_EQ(f.platform.count("ask_install_update"), 0u) << "Install and Restart is not offered";
    EXPECT_TRUE(f.platform.installs.empty());
    EXPECT_FALSE(f.state.update_installed);

    // Up to date: the folder does not matter and is not looked at.
    Feed current;
    current.offer("0.9.22");
    current.platform.install_folder_answer = fail(PlatformError{PlatformError::Io{"Access is denied."}});
    EXPECT_FALSE(current.check());
    EXPECT_EQ(current.message_texts(), Strings{"Kestrix is up to date."});
    EXPECT_EQ(current.platform.count("check_install_folder"), 0u);

    // The scheduled check marks the menu all the same; choosing it then explains.
    Feed scheduled;
    scheduled.platform.install_folder_answer = fail(PlatformError{PlatformError::Io{"Access is denied."}});
    scheduled.scheduled();
    EXPECT_EQ(scheduled.platform.available_updates, (std::vector<std::optional<std::string>>{"1.10.0"}));
    EXPECT_TRUE(scheduled.platform.messages.empty());
}
