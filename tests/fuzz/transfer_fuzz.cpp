// Fuzzes the delivery server's request handling: the bytes a client sends, in
// pieces the input chooses, through one connection, plus routing and escaping on
// their own. Properties: every answer is one of the three responses, whole; the
// counts agree with what was answered; escaping leaves no markup and undoes.
//
// Input: byte 0 picks the piece size (1..16, or whole), byte 1 bit 0 makes the
// client's last read fail instead of closing; the rest is what the client sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/transfer.h"

using namespace kestrix;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

class FuzzStream final : public net::Stream {
public:
    std::deque<std::string> pieces;
    bool fail_at_end = false;
    std::string sent;

    bool prepare() override { return true; }
    net::Readiness wait_readable(net::Millis) override { return net::Readiness::Ready; }
    net::Readiness wait_writable(net::Millis) override { return net::Readiness::Ready; }
    net::Io receive(std::span<uint8_t> into) override {
        if (pieces.empty()) return fail_at_end ? net::Io::failed() : net::Io::closed();
        std::string& piece = pieces.front();
        const size_t n = std::min(piece.size(), into.size());
        for (size_t i = 0; i < n; ++i) into[i] = uint8_t(piece[i]);
        piece.erase(0, n);
        if (piece.empty()) pieces.pop_front();
        return net::Io::done(n);
    }
    net::Io send(std::span<const uint8_t> bytes) override {
        sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return net::Io::done(bytes.size());
    }
    void shutdown_both() override {}
};

const ServedContent& content() {
    static const ServedContent served =
        serve_content(std::vector<uint8_t>{0x89, 'P', 'N', 'G', 1, 2, 3}, "f\"<x>.png", "AAAAAAAAAAAAAAAAAAAAAA", "en",
                      "hint & more");
    return served;
}

bool starts_with(const std::string& s, std::string_view prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

std::string unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : {std::pair<std::string_view, char>{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'},
                                        {"&quot;", '"'}, {"&#39;", '\''}}) {
            if (s.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            require(s[i] != '&');  // every ampersand starts one of the five entities
            out += s[i++];
        }
    }
    return out;
}

void check_connection(const uint8_t* data, size_t size) {
    const size_t piece = data[0] % 17 == 0 ? size : data[0] % 17;
    FuzzStream stream;
    stream.fail_at_end = data[1] & 1;
    const std::string request(reinterpret_cast<const char*>(data + 2), size - 2);
    for (size_t at = 0; at < request.size(); at += piece) stream.pieces.push_back(request.substr(at, piece));

    DeliveryShared shared;
    const ConnectionOutcome outcome =
        serve_connection(stream, content(), shared, DeliveryLimits{}, std::chrono::steady_clock::now() + std::chrono::hours(1));
    const ServedContent& c = content();
    const std::string png(c.png.begin(), c.png.end());
    const std::string& sent = stream.sent;

    // Nothing, or exactly one of the three heads, alone or with its whole body.
    const bool page = sent == c.page_head || sent == c.page_head + c.page;
    const bool image = sent == c.image_head || sent == c.image_head + png;
    const bool not_found = sent == c.not_found_head || sent == c.not_found_head + std::string(kNotFoundBody);
    require(sent.empty() || page || image || not_found);
    require(outcome != ConnectionOutcome::Abandoned);  // nobody asked to stop

    switch (outcome) {
    case ConnectionOutcome::Delivered: require(sent == c.image_head + png); break;
    case ConnectionOutcome::FailedAttempt: require(sent.empty() || not_found); break;
    case ConnectionOutcome::Answered: require(!sent.empty() && sent != c.image_head + png); break;
    case ConnectionOutcome::Abandoned: break;
    }
    // An answer without a body is a HEAD request's, and HEAD counts nothing.
    if (sent == c.page_head || sent == c.image_head || sent == c.not_found_head) require(outcome == ConnectionOutcome::Answered);
    // Nothing is sent only when reading failed, which is a failed attempt.
    if (sent.empty()) require(outcome == ConnectionOutcome::FailedAttempt && stream.fail_at_end);
    require(shared.delivered.load() == 0);  // the loop counts, not the connection
}

void check_routing(std::string_view text) {
    const RequestLine line = split_request_line(text);
    const std::string token = "AAAAAAAAAAAAAAAAAAAAAA";
    const Routing r = route_request(line.method, line.target, token);
    const std::string_view target = std::string_view(line.target).substr(0, line.target.find_first_of("?#"));
    require(r.head_only == (line.method == "HEAD"));
    if (r.delivered) require(r.route == Route::Image && line.method == "GET");
    if (r.failed_attempt) require(r.route == Route::NotFound && line.method != "HEAD");
    require(!(r.delivered && r.failed_attempt));
    if (r.route != Route::NotFound) require(starts_with(std::string(target), "/s/" + token));
    if (r.route == Route::Image) require(target == "/s/" + token + "/i");
    if (r.route == Route::Page) require(target == "/s/" + token || target == "/s/" + token + "/");
    // Outside /s/ nothing is ever counted.
    if (!starts_with(std::string(target), "/s/")) require(!r.failed_attempt && !r.delivered);
}

void check_text(std::string_view text) {
    const std::string escaped = html_escape(text);
    require(escaped.find_first_of("<>\"'") == std::string::npos);
    require(unescape(escaped) == text);

    const std::string disposition = content_disposition(text);
    require(disposition.find_first_of("\r\n") == disposition.size() - 2);
    require(std::count(disposition.begin(), disposition.end(), '"') == 2);

    const std::string b64 = base64url({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
    require(b64.size() == (text.size() * 4 + 2) / 3);
    require(b64.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    check_connection(data, size);
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    check_routing(rest.substr(0, rest.find('\n')));
    check_text(rest.substr(0, 4096));
    return 0;
}
