#include "kestrix/update_transfer.h"

#include <optional>

#include "kestrix/i18n.h"

namespace kestrix {

TransferFailure transfer_failure(const PlatformError& error) {
    const auto* os = std::get_if<PlatformError::Os>(&error.value);
    if (!os) return TransferFailure::Other;
    if (os->call == kHttpStatusCall) {
        if (os->code == 404) return TransferFailure::NotFound;
        if (os->code == 407) return TransferFailure::ProxyCredentials;
        return TransferFailure::Other;
    }
    switch (os->code) {
    case winhttp::kNameNotResolved: return TransferFailure::NameNotResolved;
    case winhttp::kCannotConnect:
    case winsock::kRefused:
    case winsock::kNetworkUnreachable:
    case winsock::kHostUnreachable: return TransferFailure::CannotConnect;
    case winhttp::kTimeout:
    case winsock::kTimedOut: return TransferFailure::TimedOut;
    case winhttp::kSecureFailure:
    case winhttp::kSecureChannelError:
    case winhttp::kInvalidCa:
    case winhttp::kInvalidCertificate:
    case winhttp::kCertificateNameInvalid:
    case winhttp::kCertificateDateInvalid:
    case winhttp::kCertificateRevoked:
    case winhttp::kRevocationFailed:
    case winhttp::kCertificateWrongUsage: return TransferFailure::SecureChannel;
    default: return TransferFailure::Other;
    }
}

namespace {

std::optional<Message> words_for(TransferFailure failure) {
    switch (failure) {
    case TransferFailure::NameNotResolved: return Message::update_error_name_not_resolved;
    case TransferFailure::CannotConnect: return Message::update_error_cannot_connect;
    case TransferFailure::TimedOut: return Message::update_error_timed_out;
    case TransferFailure::SecureChannel: return Message::update_error_secure_channel;
    case TransferFailure::ProxyCredentials: return Message::update_error_proxy_credentials;
    case TransferFailure::NotFound: return Message::update_error_not_found;
    case TransferFailure::Other: break;
    }
    return std::nullopt;
}

}  // namespace

std::string transfer_failure_text(const PlatformError& error) {
    const std::optional<Message> words = words_for(transfer_failure(error));
    if (!words) return error.plain();
    const auto& os = std::get<PlatformError::Os>(error.value);
    const std::string technical = os.call == kHttpStatusCall ? "HTTP " + std::to_string(os.code) : error.plain();
    return std::string(msg(*words)) + "\n\n" + technical;
}

}  // namespace kestrix
