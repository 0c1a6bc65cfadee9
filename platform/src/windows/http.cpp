#include "http.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <string>
#include <utility>

#include "wide_text.h"

namespace kestrix::win {

namespace {

static_assert(sizeof(URL_COMPONENTS) == 104, "WinHttpCrackUrl takes the 104-byte structure");

// Owner of a session, connection or request handle.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() {
        if (handle_) WinHttpCloseHandle(handle_);
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

Unexpected<PlatformError> os_failure(const char* call) {
    return fail(PlatformError::os(call, int32_t(GetLastError())));
}

int milliseconds(std::chrono::milliseconds wait) { return int(std::clamp<int64_t>(wait.count(), 1, INT_MAX)); }

}  // namespace

Result<std::vector<uint8_t>, PlatformError> http_get(std::string_view url, const TransferTimeouts& timeouts) {
    const std::wstring wide_url = wide(url);
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = DWORD(std::size(host));
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = DWORD(std::size(path));
    if (!WinHttpCrackUrl(wide_url.c_str(), DWORD(wide_url.size()), 0, &parts)) return os_failure("WinHttpCrackUrl");

    const std::wstring agent = L"Kestrix/" + wide(KESTRIX_VERSION);
    const InternetHandle session(WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                             WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return os_failure("WinHttpOpen");
    // Without these a stalled name server or a portal that swallows the request
    // holds the caller (the tray) for a minute or more: resolving has no limit by
    // default, connecting 60 s, each receive 30 s.
    if (!WinHttpSetTimeouts(session.get(), milliseconds(timeouts.resolve), milliseconds(timeouts.connect),
                            milliseconds(timeouts.send), milliseconds(timeouts.receive)))
        return os_failure("WinHttpSetTimeouts");
    const InternetHandle connection(WinHttpConnect(session.get(), host, parts.nPort, 0));
    if (!connection) return os_failure("WinHttpConnect");
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                                    WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    if (!request) return os_failure("WinHttpOpenRequest");
    // The whole head, which otherwise may trickle in for 90 s.
    DWORD head_timeout = DWORD(milliseconds(timeouts.receive));
    WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &head_timeout, sizeof head_timeout);

    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return os_failure("WinHttpSendRequest");
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return os_failure("WinHttpReceiveResponse");

    DWORD status = 0;
    DWORD status_size = sizeof status;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &status_size, WINHTTP_NO_HEADER_INDEX);
    if (status != 200) return fail(PlatformError::os(std::string(kHttpStatusCall), int32_t(status)));

    std::vector<uint8_t> body;
    std::vector<uint8_t> chunk(65536);
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), chunk.data(), DWORD(chunk.size()), &read))
            return os_failure("WinHttpReadData");
        if (read == 0) return body;
        if (body.size() + read > kMaxHttpBody)
            return fail(PlatformError::os("the download is larger than Kestrix will accept", 0));
        body.insert(body.end(), chunk.begin(), chunk.begin() + read);
    }
}

}  // namespace kestrix::win
