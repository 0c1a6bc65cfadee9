#pragma once
// The update feed's transfers as the user meets them: how long each step may wait
// before the check gives up, and a failure told in words where its code alone
// says nothing (a proxy that wants a password, an inspecting proxy, a name that
// does not resolve, a server that does not answer).
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "kestrix/platform_error.h"

namespace kestrix {

// The longest wait of each step of one request.
struct TransferTimeouts {
    std::chrono::milliseconds resolve;  // the host's name
    std::chrono::milliseconds connect;
    std::chrono::milliseconds send;     // the request
    std::chrono::milliseconds receive;  // the response's head, and each piece of the body
    friend bool operator==(const TransferTimeouts&, const TransferTimeouts&) = default;
};

// The manifest and its signature: small files, so a feed that does not answer
// within seconds is not going to.
inline constexpr TransferTimeouts kFeedTimeouts{std::chrono::seconds(5), std::chrono::seconds(5),
                                                std::chrono::seconds(10), std::chrono::seconds(10)};
// The executable: megabytes, over connections that may be slow, but never silent
// for half a minute.
inline constexpr TransferTimeouts kDownloadTimeouts{std::chrono::seconds(5), std::chrono::seconds(5),
                                                    std::chrono::seconds(10), std::chrono::seconds(30)};

// The call name of the error for an answer other than 200; its code is the status.
inline constexpr std::string_view kHttpStatusCall = "the update server did not return the file";

// The codes the transfer reports, as WinHTTP numbers them (winhttp.h).
namespace winhttp {
inline constexpr int32_t kTimeout = 12002;
inline constexpr int32_t kNameNotResolved = 12007;
inline constexpr int32_t kCannotConnect = 12029;
inline constexpr int32_t kCertificateDateInvalid = 12037;
inline constexpr int32_t kCertificateNameInvalid = 12038;
inline constexpr int32_t kInvalidCa = 12045;
inline constexpr int32_t kRevocationFailed = 12057;
inline constexpr int32_t kSecureChannelError = 12157;
inline constexpr int32_t kInvalidCertificate = 12169;
inline constexpr int32_t kCertificateRevoked = 12170;
inline constexpr int32_t kSecureFailure = 12175;
inline constexpr int32_t kCertificateWrongUsage = 12179;
}  // namespace winhttp
// Socket errors WinHTTP may pass on as they are (Wine does, for time-outs).
namespace winsock {
inline constexpr int32_t kNetworkUnreachable = 10051;
inline constexpr int32_t kTimedOut = 10060;
inline constexpr int32_t kRefused = 10061;
inline constexpr int32_t kHostUnreachable = 10065;
}  // namespace winsock

enum class TransferFailure : uint8_t {
    Other,             // told by its code alone
    NameNotResolved,   // no such host, or no name server answering
    CannotConnect,     // refused, or no route
    TimedOut,
    SecureChannel,     // the certificate or the TLS exchange failed
    ProxyCredentials,  // 407
    NotFound,          // 404
};
TransferFailure transfer_failure(const PlatformError& error);

// For the interactive check's message: the failure in words and, on a line of its
// own, the technical rendering ("HTTP 407" for a status); the plain rendering
// alone for any other failure.
std::string transfer_failure_text(const PlatformError& error);

}  // namespace kestrix
