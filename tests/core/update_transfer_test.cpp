// The update feed's failures in words.
#include "kestrix/update_transfer.h"

#include <gtest/gtest.h>

#include "kestrix/i18n.h"

using namespace kestrix;

namespace {

PlatformError os(std::string call, int32_t code) { return PlatformError::os(std::move(call), code); }
PlatformError status(int32_t code) { return os(std::string(kHttpStatusCall), code); }

}  // namespace

TEST(UpdateTransfer, FailuresSortedByWhatTheUserCanDo) {
    using enum TransferFailure;
    EXPECT_EQ(transfer_failure(status(404)), NotFound);
    EXPECT_EQ(transfer_failure(status(407)), ProxyCredentials);
    EXPECT_EQ(transfer_failure(status(503)), Other);
    EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", 12007)), NameNotResolved);
    EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", 12029)), CannotConnect);
    EXPECT_EQ(transfer_failure(os("WinHttpReceiveResponse", 12002)), TimedOut);
    EXPECT_EQ(transfer_failure(os("WinHttpReadData", 12002)), TimedOut);
    // Wine passes the socket's own errors on.
    EXPECT_EQ(transfer_failure(os("WinHttpReceiveResponse", 10060)), TimedOut);
    EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", 10061)), CannotConnect);
    EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", 10051)), CannotConnect);
    // Windows says 12175 where Wine says 12157; certificate faults have codes of their own.
    for (int32_t code : {12175, 12157, 12045, 12038, 12037, 12169, 12170, 12057, 12179})
        EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", code)), SecureChannel) << code;
    EXPECT_EQ(transfer_failure(os("WinHttpSendRequest", 12030)), Other);
    // 404 is a status only from the status check; a system call's code 404 is just a code.
    EXPECT_EQ(transfer_failure(os("WinHttpOpen", 404)), Other);
    EXPECT_EQ(transfer_failure(PlatformError::message("the signature is not text")), Other);
}

TEST(UpdateTransfer, WordsThenTheTechnicalLine) {
    set_language(kEnglish);
    EXPECT_EQ(transfer_failure_text(status(404)), "the update server does not have the file Kestrix asked for.\n\nHTTP 404");
    EXPECT_EQ(transfer_failure_text(status(407)),
              "the proxy server of this network asks for a user name and password, which Kestrix cannot give it.\n\n"
              "HTTP 407");
    EXPECT_EQ(transfer_failure_text(os("WinHttpReceiveResponse", 12002)),
              "the update server did not answer in time. Try again later.\n\n"
              "WinHttpReceiveResponse failed (os error 12002)");
    const std::string tls = transfer_failure_text(os("WinHttpSendRequest", 12175));
    EXPECT_TRUE(tls.starts_with(msg(Message::update_error_secure_channel))) << tls;
    EXPECT_TRUE(tls.ends_with("\n\nWinHttpSendRequest failed (os error 12175)")) << tls;
    // Codes without words keep their plain rendering alone.
    EXPECT_EQ(transfer_failure_text(status(503)), "the update server did not return the file failed (os error 503)");
    EXPECT_EQ(transfer_failure_text(os("WinHttpReadData", 12030)), "WinHttpReadData failed (os error 12030)");
    // In the interface's language.
    set_language(match_language_tag("de"));
    EXPECT_TRUE(transfer_failure_text(os("WinHttpSendRequest", 12007)).starts_with("Der Name des Updateservers"));
    set_language(kEnglish);
}
