// The delivery server's protocol: the token's text, the request line, routing,
// the three responses and the page. Nothing here touches a socket.
#include "kestrix/transfer.h"

namespace kestrix {

namespace {

constexpr std::string_view kBase64UrlAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next whitespace-separated word at or after `at`; `at` moves past it.
std::string_view next_word(std::string_view line, size_t& at) {
    while (at < line.size() && is_space(line[at])) ++at;
    const size_t begin = at;
    while (at < line.size() && !is_space(line[at])) ++at;
    return line.substr(begin, at - begin);
}

}  // namespace

std::string base64url(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text += kBase64UrlAlphabet[(group >> shift) & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = uint32_t(bytes[i]) << 16;
        if (rest == 2) group |= uint32_t(bytes[i + 1]) << 8;
        // One byte gives two characters, two bytes three; no padding.
        for (size_t c = 0; c <= rest; ++c) text += kBase64UrlAlphabet[(group >> (18 - 6 * c)) & 63];
    }
    return text;
}

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
    return out;
}

bool constant_time_equal(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    // volatile keeps the compiler from turning the loop into an early-exit compare.
    volatile uint8_t difference = 0;
    for (size_t i = 0; i < a.size(); ++i) difference = difference | uint8_t(uint8_t(a[i]) ^ uint8_t(b[i]));
    return difference == 0;
}

RequestLine split_request_line(std::string_view line) {
    size_t at = 0;
    RequestLine request;
    request.method = std::string(next_word(line, at));
    request.target = std::string(next_word(line, at));
    return request;
}

Routing route_request(std::string_view method, std::string_view target, std::string_view token) {
    Routing routing;
    const bool head = method == "HEAD";
    const bool get = method == "GET";
    routing.head_only = head;
    target = target.substr(0, target.find_first_of("?#"));

    constexpr std::string_view prefix = "/s/";
    if (!target.starts_with(prefix)) return routing;  // an icon request, a scan: 404, not counted
    const std::string_view rest = target.substr(prefix.size());
    const size_t slash = rest.find('/');
    const std::string_view token_part = rest.substr(0, slash);
    const std::string_view tail = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);

    if (!constant_time_equal(token_part, token)) {
        routing.failed_attempt = !head;
        return routing;
    }
    if (tail.empty()) {
        if (get || head) routing.route = Route::Page;
        return routing;
    }
    if (tail == "i") {
        if (get || head) routing.route = Route::Image;
        routing.delivered = get;
        return routing;
    }
    routing.failed_attempt = !head;
    return routing;
}

std::string response_head(std::string_view status, std::string_view content_type, size_t length,
                          std::string_view extra_header) {
    std::string head = "HTTP/1.1 ";
    head += status;
    head += "\r\nContent-Type: ";
    head += content_type;
    head += "\r\nContent-Length: ";
    head += std::to_string(length);
    head += "\r\n";
    head += extra_header;
    head += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n"
            "Connection: close\r\n\r\n";
    return head;
}

std::string content_disposition(std::string_view file_name) {
    std::string name;
    for (const char c : file_name)
        if (c != '"' && c != '\r' && c != '\n') name += c;
    return "Content-Disposition: inline; filename=\"" + name + "\"\r\n";
}

std::string delivery_page(std::string_view lang, std::string_view file_name, std::string_view token,
                          std::string_view hint, size_t png_size) {
    const std::string title = html_escape(file_name);
    const std::string size = html_escape(std::to_string((uint64_t(png_size) + 1023) / 1024) + " KB");
    std::string page;
    page += "<!doctype html>\n<html lang=\"";
    page += lang;
    page += "\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src 'self'; "
            "style-src 'unsafe-inline'\">\n<title>";
    page += title;
    page += "</title>\n<style>\n"
            ":root { color-scheme: dark; }\n"
            "body { margin: 0; background: #111; color: #eee;\n"
            "font: 15px -apple-system, BlinkMacSystemFont, 'Segoe UI', Roboto, sans-serif;\n"
            "display: flex; flex-direction: column; min-height: 100vh; }\n"
            "img { width: 100%; height: auto; display: block; }\n"
            "p { margin: 14px 16px 6px; }\n"
            "small { margin: 0 16px 20px; color: #999; }\n"
            "</style>\n</head>\n<body>\n<img src=\"/s/";
    page += token;
    page += "/i\" alt=\"";
    page += title;
    page += "\">\n<p>";
    page += html_escape(hint);
    page += "</p>\n<small>";
    page += title;
    page += " \xC2\xB7 ";
    page += size;
    page += "</small>\n</body>\n</html>\n";
    return page;
}

ServedContent serve_content(std::vector<uint8_t> png, std::string_view file_name, std::string token,
                            std::string_view lang, std::string_view hint) {
    ServedContent content;
    content.page = delivery_page(lang, file_name, token, hint, png.size());
    content.image_head = response_head("200 OK", "image/png", png.size(), content_disposition(file_name));
    content.page_head = response_head("200 OK", "text/html; charset=utf-8", content.page.size());
    content.not_found_head = response_head("404 Not Found", "text/plain; charset=utf-8", kNotFoundBody.size());
    content.png = std::move(png);
    content.token = std::move(token);
    return content;
}

}  // namespace kestrix
