// The delivery server's protocol without sockets: the token's text, routing and
// its counts, the exact response heads and page, and reading a request within
// its limits from a scripted client.
#include "kestrix/transfer.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace kestrix;
using namespace std::chrono_literals;

namespace {

std::string bytes_text(std::initializer_list<uint8_t> bytes) { return base64url(std::vector<uint8_t>(bytes)); }

struct Case {
    const char* method;
    std::string target;
    Route route;
    bool head_only, delivered, failed;
};

}  // namespace

TEST(Transfer, TokenTextIsUrlSafeBase64WithoutPadding) {
    // RFC 4648's vectors, padding dropped.
    EXPECT_EQ(base64url(std::vector<uint8_t>{}), "");
    EXPECT_EQ(bytes_text({'f'}), "Zg");
    EXPECT_EQ(bytes_text({'f', 'o'}), "Zm8");
    EXPECT_EQ(bytes_text({'f', 'o', 'o'}), "Zm9v");
    EXPECT_EQ(bytes_text({'f', 'o', 'o', 'b', 'a', 'r'}), "Zm9vYmFy");
    // The two characters that differ from standard Base64.
    EXPECT_EQ(bytes_text({0xFB, 0xFF, 0xBF}), "-_-_");
    const std::string token = base64url(std::vector<uint8_t>(kTokenBytes, 0xA7));
    EXPECT_EQ(token.size(), kTokenLength);
    EXPECT_EQ(token.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
              std::string::npos);
}

TEST(Transfer, TokenComparisonNeedsEveryByteAndTheLength) {
    const std::string token = "abcdefghijklmnopqrstuv";
    EXPECT_TRUE(constant_time_equal(token, token));
    EXPECT_FALSE(constant_time_equal(token, "Abcdefghijklmnopqrstuv"));
    EXPECT_FALSE(constant_time_equal(token, "abcdefghijklmnopqrstuV"));
    EXPECT_FALSE(constant_time_equal(token, "abcdefghijklmnopqrstu"));
    EXPECT_FALSE(constant_time_equal(token, token + "v"));
    EXPECT_FALSE(constant_time_equal(token, ""));
    EXPECT_TRUE(constant_time_equal("", ""));
}

TEST(Transfer, RequestLineGivesMethodAndTarget) {
    auto line = split_request_line("GET /s/abc HTTP/1.1\r\n");
    EXPECT_EQ(line.method, "GET");
    EXPECT_EQ(line.target, "/s/abc");
    line = split_request_line("  HEAD\t/x  \n");
    EXPECT_EQ(line.method, "HEAD");
    EXPECT_EQ(line.target, "/x");
    line = split_request_line("GET\r\n");
    EXPECT_EQ(line.method, "GET");
    EXPECT_EQ(line.target, "");
    line = split_request_line("");
    EXPECT_EQ(line.method, "");
    EXPECT_EQ(line.target, "");
}

TEST(Transfer, RoutesAndWhatEachRequestCounts) {
    const std::string token = "0123456789abcdefghijkl";
    const std::string page = "/s/" + token;
    const std::vector<Case> cases = {
        {"GET", page, Route::Page, false, false, false},
        {"GET", page + "/", Route::Page, false, false, false},
        {"HEAD", page, Route::Page, true, false, false},
        {"GET", page + "?utm=1", Route::Page, false, false, false},
        {"GET", page + "/i", Route::Image, false, true, false},
        {"GET", page + "/i?x=/y", Route::Image, false, true, false},
        {"GET", page + "/i#top", Route::Image, false, true, false},
        {"HEAD", page + "/i", Route::Image, true, false, false},
        // Methods are compared exactly; other methods on the right paths count nothing.
        {"get", page + "/i", Route::NotFound, false, false, false},
        {"POST", page + "/i", Route::NotFound, false, false, false},
        {"OPTIONS", page, Route::NotFound, false, false, false},
        // Outside /s/: a browser's icon request, a scan.
        {"GET", "/favicon.ico", Route::NotFound, false, false, false},
        {"GET", "/", Route::NotFound, false, false, false},
        {"GET", "", Route::NotFound, false, false, false},
        {"GET", "/s", Route::NotFound, false, false, false},
        // A wrong token, or a wrong path under the right one, is a failed attempt...
        {"GET", "/s/", Route::NotFound, false, false, true},
        {"GET", "/s/" + token.substr(1) + "/i", Route::NotFound, false, false, true},
        {"GET", "/s/" + token + "x/i", Route::NotFound, false, false, true},
        {"GET", "/s/?" + token, Route::NotFound, false, false, true},
        {"POST", "/s/wrong", Route::NotFound, false, false, true},
        {"GET", page + "/i/", Route::NotFound, false, false, true},
        {"GET", page + "//", Route::NotFound, false, false, true},
        {"GET", page + "/image.png", Route::NotFound, false, false, true},
        // ...unless it is a HEAD request.
        {"HEAD", "/s/wrong/i", Route::NotFound, true, false, false},
        {"HEAD", page + "/x", Route::NotFound, true, false, false},
    };
    for (const Case& c : cases) {
        const Routing r = route_request(c.method, c.target, token);
        EXPECT_EQ(r.route, c.route) << c.method << " " << c.target;
        EXPECT_EQ(r.head_only, c.head_only) << c.method << " " << c.target;
        EXPECT_EQ(r.delivered, c.delivered) << c.method << " " << c.target;
        EXPECT_EQ(r.failed_attempt, c.failed) << c.method << " " << c.target;
    }
}

TEST(Transfer, ResponseHeadsAreExact) {
    EXPECT_EQ(response_head("404 Not Found", "text/plain; charset=utf-8", 10),
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: 10\r\n"
              "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n"
              "Connection: close\r\n\r\n");
    const ServedContent content = serve_content(std::vector<uint8_t>(1500, 7), "a\"b\r\nc.png", "T", "en", "hint");
    EXPECT_EQ(content.image_head,
              "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 1500\r\n"
              "Content-Disposition: inline; filename=\"abc.png\"\r\n"
              "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n"
              "Connection: close\r\n\r\n");
    EXPECT_EQ(content.page_head, response_head("200 OK", "text/html; charset=utf-8", content.page.size()));
    EXPECT_EQ(content.not_found_head, response_head("404 Not Found", "text/plain; charset=utf-8", kNotFoundBody.size()));
    EXPECT_EQ(kNotFoundBody.size(), 10u);
}

TEST(Transfer, PageIsTheFixedTextWithEscapedFields) {
    const std::string page = delivery_page("en", "Kestrix 2024-01-02 03-04-05.png", "TOKEN", "Press and hold", 2049);
    EXPECT_EQ(page,
              "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
              "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
              "style-src 'unsafe-inline'\">\n"
              "<title>Kestrix 2024-01-02 03-04-05.png</title>\n<style>\n:root { color-scheme: dark; }\n"
              "body { margin: 0; background: #111; color: #eee;\n"
              "font: 15px -apple-system, BlinkMacSystemFont, 'Segoe UI', Roboto, sans-serif;\n"
              "display: flex; flex-direction: column; min-height: 100vh; }\n"
              "img { width: 100%; height: auto; display: block; }\np { margin: 14px 16px 6px; }\n"
              "small { margin: 0 16px 20px; color: #999; }\n</style>\n</head>\n<body>\n"
              "<img src=\"/s/TOKEN/i\" alt=\"Kestrix 2024-01-02 03-04-05.png\">\n<p>Press and hold</p>\n"
              "<small>Kestrix 2024-01-02 03-04-05.png \xC2\xB7 3 KB</small>\n</body>\n</html>\n");

    // Title, alt, hint and size are escaped; lang is inserted as it is.
    const std::string hostile = delivery_page("ar", "<b>\"it's\" & co</b>", "T", "<i>", 1);
    EXPECT_NE(hostile.find("<html lang=\"ar\">"), std::string::npos);
    EXPECT_NE(hostile.find("<title>&lt;b&gt;&quot;it&#39;s&quot; &amp; co&lt;/b&gt;</title>"), std::string::npos);
    EXPECT_NE(hostile.find("alt=\"&lt;b&gt;&quot;it&#39;s&quot; &amp; co&lt;/b&gt;\">"), std::string::npos);
    EXPECT_NE(hostile.find("<p>&lt;i&gt;</p>"), std::string::npos);
    EXPECT_EQ(hostile.find("<b>"), std::string::npos);
    EXPECT_EQ(html_escape("日本 é"), "日本 é");

    // Kilobytes are rounded up.
    for (const auto& [bytes, text] : std::vector<std::pair<size_t, std::string>>{
             {0, "0 KB"}, {1, "1 KB"}, {1024, "1 KB"}, {1025, "2 KB"}, {25 * 1024 * 1024, "25600 KB"}})
        EXPECT_NE(delivery_page("en", "f", "T", "h", bytes).find("f \xC2\xB7 " + text + "</small>"), std::string::npos)
            << bytes;
}

// ---- one connection against a scripted client ------------------------------------

namespace {

// A client that sends its pieces one per receive and takes whatever is sent;
// after its last piece it closes its side, or stays silent.
class ScriptedStream final : public net::Stream {
public:
    std::deque<std::string> pieces;
    bool close_after = true;
    std::string sent;
    bool shut = false;

    bool prepare() override { return true; }
    net::Readiness wait_readable(net::Millis wait) override {
        if (!pieces.empty() || close_after) return net::Readiness::Ready;
        waited += wait;
        return net::Readiness::TimedOut;
    }
    net::Readiness wait_writable(net::Millis) override { return net::Readiness::Ready; }
    net::Io receive(std::span<uint8_t> into) override {
        if (pieces.empty()) return close_after ? net::Io::closed() : net::Io::would_block();
        std::string& piece = pieces.front();
        const size_t n = std::min(piece.size(), into.size());
        std::copy_n(piece.begin(), n, into.begin());
        piece.erase(0, n);
        if (piece.empty()) pieces.pop_front();
        return net::Io::done(n);
    }
    net::Io send(std::span<const uint8_t> bytes) override {
        sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return net::Io::done(bytes.size());
    }
    void shutdown_both() override { shut = true; }
    net::Millis waited{0};
};

struct Connection {
    ServedContent content = serve_content(std::vector<uint8_t>{1, 2, 3}, "x.png", "tok", "en", "hint");
    DeliveryShared shared;
    DeliveryLimits limits;
    ScriptedStream stream;

    ConnectionOutcome serve() {
        return serve_connection(stream, content, shared, limits, std::chrono::steady_clock::now() + 60s);
    }
};

}  // namespace

TEST(TransferConnection, ReadsTheRequestAcrossPiecesAndAnswersOnce) {
    Connection c;
    c.stream.pieces = {"GE", "T /s/to", "k/i HTTP/1.1\r", "\nHost: a\r\nAccept: */*\r\n", "\r\n"};
    EXPECT_EQ(c.serve(), ConnectionOutcome::Delivered);
    EXPECT_EQ(c.stream.sent, c.content.image_head + std::string("\x01\x02\x03", 3));
    EXPECT_TRUE(c.stream.shut);
}

TEST(TransferConnection, EndOfStreamOrOverlongLinesStillGetAnAnswer) {
    // A client that closes at once gets a 404 and counts nothing.
    Connection closed;
    EXPECT_EQ(closed.serve(), ConnectionOutcome::Answered);
    EXPECT_EQ(closed.stream.sent, closed.content.not_found_head + std::string(kNotFoundBody));

    // A bare LF ends the headers as well as CR LF does.
    Connection bare;
    bare.stream.close_after = false;
    bare.stream.pieces = {"HEAD /s/tok HTTP/1.0\nX: y\n\n"};
    EXPECT_EQ(bare.serve(), ConnectionOutcome::Answered);
    EXPECT_EQ(bare.stream.sent, bare.content.page_head);

    // A request line is cut at 8192 bytes; the rest is read as headers.
    Connection longline;
    longline.stream.pieces = {"GET /s/tok/i" + std::string(kRequestLineLimit, 'a') + "\r\n\r\n"};
    EXPECT_EQ(longline.serve(), ConnectionOutcome::FailedAttempt);  // a wrong path under the token
    EXPECT_EQ(longline.stream.sent.substr(0, 22), "HTTP/1.1 404 Not Found");

    // Header reading stops at 32768 bytes in all, without waiting for an empty line.
    Connection headers;
    headers.stream.close_after = false;
    headers.stream.pieces = {"GET /s/tok HTTP/1.1\r\n"};
    for (int i = 0; i < 400; ++i) headers.stream.pieces.push_back("X-Filler: " + std::string(90, 'b') + "\r\n");
    EXPECT_EQ(headers.serve(), ConnectionOutcome::Answered);
    EXPECT_EQ(headers.stream.sent.substr(0, headers.content.page_head.size()), headers.content.page_head);
    EXPECT_EQ(headers.stream.waited, 0ms) << "answered as soon as the limit was reached";
}

TEST(TransferConnection, SilenceIsAFailedAttemptAndAStopAbandonsTheRequest) {
    Connection silent;
    silent.limits.receive_timeout = 120ms;
    silent.stream.close_after = false;
    EXPECT_EQ(silent.serve(), ConnectionOutcome::FailedAttempt);
    EXPECT_EQ(silent.stream.sent, "");

    // Silence after the request line ends the headers: the request is answered.
    Connection quiet_headers;
    quiet_headers.limits.receive_timeout = 120ms;
    quiet_headers.stream.close_after = false;
    quiet_headers.stream.pieces = {"GET /s/tok HTTP/1.1\r\n"};
    EXPECT_EQ(quiet_headers.serve(), ConnectionOutcome::Answered);
    EXPECT_EQ(quiet_headers.stream.sent, quiet_headers.content.page_head + quiet_headers.content.page);

    Connection stopped;
    stopped.stream.close_after = false;
    stopped.shared.stop_requested = true;
    EXPECT_EQ(stopped.serve(), ConnectionOutcome::Abandoned);
    EXPECT_EQ(stopped.stream.sent, "");
}
