#pragma once
// "Send to a device": one finished capture served over plain HTTP on the local
// network, at an unguessable address, for two minutes.
//
// The protocol (reading a request within its limits, routing, the responses, the
// page, counting) is plain code over the small socket interface of
// transfer_socket.h; DeliverySession runs it on a thread of its own.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "kestrix/result.h"
#include "kestrix/transfer_socket.h"

namespace kestrix {

inline constexpr size_t kTokenBytes = 16;
inline constexpr size_t kTokenLength = 22;
inline constexpr int kListenBacklog = 128;
inline constexpr size_t kRequestLineLimit = 8192;
inline constexpr size_t kHeaderBlockLimit = 32768;
inline constexpr size_t kReaderBuffer = 8192;

// The server's clock limits. The defaults are the product's; tests shorten them.
struct DeliveryLimits {
    std::chrono::milliseconds life{120000};             // the session's whole life
    std::chrono::milliseconds idle_poll{50};            // longest wait for a connection between two looks at the clock
    std::chrono::milliseconds receive_timeout{1000};    // one read waiting for bytes
    std::chrono::milliseconds send_timeout{15000};      // one write making no progress
    std::chrono::milliseconds request_deadline{5000};   // request line and headers of one connection, in all
    std::chrono::milliseconds wait_slice{50};           // socket waits are cut into these to notice a stop
    uint32_t failed_attempts = 20;                      // the session ends at this many
};

// ---- the protocol, free of sockets --------------------------------------------

// URL-safe Base64 without padding (RFC 4648 section 5): 16 bytes give 22 characters.
std::string base64url(std::span<const uint8_t> bytes);

// "&", "<", ">", the double quote and the apostrophe as entities; everything else as it is.
std::string html_escape(std::string_view text);

// Equal lengths are compared byte by byte without stopping at the first difference,
// so the time taken does not tell where a guess went wrong.
bool constant_time_equal(std::string_view a, std::string_view b);

// The method and the target: the first two words of the request line (missing ones empty).
struct RequestLine {
    std::string method;
    std::string target;
};
RequestLine split_request_line(std::string_view line);

enum class Route : uint8_t { Page, Image, NotFound };

// What one request is answered with and what it counts.
struct Routing {
    Route route = Route::NotFound;
    bool head_only = false;      // "HEAD": the head alone
    bool delivered = false;      // one image served
    bool failed_attempt = false; // a wrong token or a wrong path under the right one
};
Routing route_request(std::string_view method, std::string_view target, std::string_view token);

// "HTTP/1.1 {status}\r\nContent-Type: ...\r\n\r\n" with the full body length.
std::string response_head(std::string_view status, std::string_view content_type, size_t length,
                          std::string_view extra_header = {});

// The image's "Content-Disposition" line, the file name stripped of quotes, CR and LF.
std::string content_disposition(std::string_view file_name);

// The page that shows the image on the device. lang and the token are inserted as
// they are; the title, hint and size are escaped.
std::string delivery_page(std::string_view lang, std::string_view file_name, std::string_view token,
                          std::string_view hint, size_t png_size);

// Everything the server answers with, built once per session.
struct ServedContent {
    std::string token;
    std::vector<uint8_t> png;
    std::string page;
    std::string image_head;     // 200 with the PNG's type, length and file name
    std::string page_head;      // 200 with the page's type and length
    std::string not_found_head; // 404 with the 10-byte text
};
inline constexpr std::string_view kNotFoundBody = "Not found\n";
ServedContent serve_content(std::vector<uint8_t> png, std::string_view file_name, std::string token,
                            std::string_view lang, std::string_view hint);

// ---- one connection and the server loop ---------------------------------------

// What the server thread and the session's owner share.
struct DeliveryShared {
    std::atomic<bool> stop_requested{false};
    std::atomic<uint32_t> delivered{0};
    std::atomic<uint32_t> connections{0};  // every connection accepted, answered or not
};

enum class ConnectionOutcome : uint8_t { Answered, Delivered, FailedAttempt, Abandoned };

// Reads one request from `stream`, answers it and shuts the stream down. `ends` is
// the session's end: nothing is read or sent after it, nor after a stop request.
ConnectionOutcome serve_connection(net::Stream& stream, const ServedContent& content, const DeliveryShared& shared,
                                   const DeliveryLimits& limits, std::chrono::steady_clock::time_point ends);

// Accepts and serves connections one at a time (counting each in `connections`)
// until a stop request, the end of
// the session's life, the last allowed failed attempt or an accept error; then
// sets `stop_requested`.
void run_delivery_server(net::Listener& listener, const ServedContent& content, DeliveryShared& shared,
                         const DeliveryLimits& limits);

// ---- the session ---------------------------------------------------------------

struct DeliveryError {
    enum class Kind : uint8_t { NoRandomness, Network };
    Kind kind = Kind::Network;
    std::string text;  // "no randomness source", "not on a local network", or the failing step
};

class DeliverySession {
public:
    DeliverySession(DeliverySession&&) noexcept = default;
    DeliverySession& operator=(DeliverySession&&) = delete;
    DeliverySession(const DeliverySession&) = delete;
    DeliverySession& operator=(const DeliverySession&) = delete;
    // Ends the session: asks the server to stop and waits for its thread.
    ~DeliverySession();

    // "http://{address}/s/{token}"
    std::string url() const;
    const std::string& token() const { return token_; }
    uint16_t port() const { return port_; }
    bool is_active() const;
    std::chrono::milliseconds remaining() const;
    uint32_t delivered_count() const { return shared_->delivered.load(); }
    // True once anything at all has connected: a browser, a scanner, a wrong guess.
    bool reached() const { return shared_->connections.load() > 0; }
    // The address served on and the adapter it belongs to.
    const LocalAddress& local_address() const { return local_; }

private:
    friend Result<DeliverySession, DeliveryError> start_delivery(std::span<const uint8_t>, std::string_view,
                                                                  net::Services&, const DeliveryLimits&);
    DeliverySession(LocalAddress local, std::string address, std::string token, uint16_t port,
                    std::shared_ptr<DeliveryShared> shared, std::chrono::milliseconds life)
        : local_(std::move(local)), address_(std::move(address)), token_(std::move(token)), port_(port),
          shared_(std::move(shared)), life_(life) {}

    LocalAddress local_;
    std::string address_;
    std::string token_;
    uint16_t port_ = 0;
    std::shared_ptr<DeliveryShared> shared_;
    std::chrono::milliseconds life_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::thread server_;
};

// Starts serving `png` under a fresh token on a port the system picks, on the
// address choose_local_address finds among the services' adapters. The page is
// in the language current at this call. `services` must outlive the session.
Result<DeliverySession, DeliveryError> start_delivery(std::span<const uint8_t> png, std::string_view file_name,
                                                      net::Services& services, const DeliveryLimits& limits = {});

}  // namespace kestrix
