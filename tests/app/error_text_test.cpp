#include "error_text.h"

#include <gtest/gtest.h>

#include "kestrix/i18n.h"

using namespace kestrix;

TEST(ErrorText, EveryVariantInItsCatalogueMessage) {
    set_language(kEnglish);
    using E = PlatformError;
    EXPECT_EQ(error_text(E{E::Unsupported{"Pinning"}}), "The capture failed: Pinning is not supported by this build");
    EXPECT_EQ(error_text(E::os("CreateWindowExW(host)", 5)),
              "The capture failed: CreateWindowExW(host) failed (os error 5)");
    EXPECT_EQ(error_text(E::os("BitBlt", -2147024882)), "The capture failed: BitBlt failed (os error -2147024882)");
    EXPECT_EQ(error_text(E{E::HotkeyTaken{"Ctrl+Alt+A"}}),
              "Ctrl+Alt+A is already in use by another application. Use the Kestrix menu to capture, or set a "
              "different hotkey in the config file.");
    EXPECT_EQ(error_text(E{E::Permission{"Screen Recording", "Open System Settings and allow Kestrix."}}),
              "Open System Settings and allow Kestrix.");
    EXPECT_EQ(error_text(E{E::ClipboardBusy{}}), "Another application is holding the clipboard. Try again.");
    EXPECT_EQ(error_text(E::image(ImageError{ImageError::Kind::ZeroSized})),
              "The capture failed: " + ImageError{ImageError::Kind::ZeroSized}.text());
    EXPECT_EQ(error_text(E{E::Io{"Access is denied."}}), "Kestrix could not write the file: Access is denied.");
    EXPECT_EQ(error_text(E::message("the signature does not match")),
              "The update failed: the signature does not match");
    EXPECT_EQ(error_text(E::capture("expected one desktop-wide tile")),
              "The capture failed: expected one desktop-wide tile");
}

TEST(ErrorText, FollowsTheCurrentLanguage) {
    const Language german = match_language_tag("de");
    set_language(german);
    EXPECT_EQ(error_text(PlatformError{PlatformError::ClipboardBusy{}}),
              std::string(catalogue_for(german)[Message::error_clipboard_busy]));
    EXPECT_EQ(error_text(PlatformError::os("OpenClipboard", 5)),
              format_message(catalogue_for(german)[Message::error_capture_failed], "OpenClipboard failed (os error 5)"));
    set_language(kEnglish);
}

TEST(ErrorText, PlaceholderTextInsideTheErrorIsNotExpandedAgain) {
    set_language(kEnglish);
    EXPECT_EQ(error_text(PlatformError{PlatformError::Io{"bad {} name"}}), "Kestrix could not write the file: bad {} name");
}
