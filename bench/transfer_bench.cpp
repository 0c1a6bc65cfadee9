// The delivery server under load, over loopback only, bounded in count and time:
//   transfer_bench [MEGABYTES]        (25 by default)
// 1. 1,000 malformed requests (random bytes, overlong lines, missing words, NUL
//    bytes) mixed with 19 wrong tokens: each is answered or dropped, the session
//    lives on; the 20th wrong token ends it.
// 2. 200 clients connecting at once to a session of 5 seconds: each is served or
//    closed, none still open a second after the end.
// 3. A PNG of MEGABYTES served whole: MB/s (three runs, the best and the median).
// Prints figures; exits 1 when an expectation fails.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kestrix/transfer.h"
#include "loopback_client.h"
#include "test_services.h"

using namespace kestrix;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

int failures = 0;
void expect(bool condition, const char* what) {
    if (condition) return;
    std::printf("  FAILED: %s\n", what);
    ++failures;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

std::vector<uint8_t> fake_png(size_t size) {
    std::vector<uint8_t> bytes(size);
    std::mt19937 random(7);
    for (auto& b : bytes) b = uint8_t(random());
    return bytes;
}

// A request that is malformed but never a failed attempt: its target never starts with
// "/s/". Each ends with an empty line, so the server never waits for more.
std::string malformed(std::mt19937& random, int kind) {
    auto bytes = [&](size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = char(random());
        return s;
    };
    std::string r;
    switch (kind % 6) {
    case 0: r = bytes(1 + random() % 200) + "\r\n\r\n"; break;                        // random bytes
    case 1: r = "GET /" + std::string(9000 + random() % 4000, 'a') + " HTTP/1.1\r\n\r\n"; break;  // overlong line
    case 2: r = random() % 2 ? "GET\r\n\r\n" : "\r\n\r\n"; break;                      // missing words
    case 3: r = std::string("GET /\0s/x HTTP/1.1\r\n\r\n", 22); break;                 // NUL bytes
    case 4: r = "GET /x HTTP/1.1\r\n" + std::string(40000, 'h') + "\r\n\r\n"; break;   // overlong headers
    default: r = "BREW /coffee HTTP/1.1\r\nHost: " + bytes(30) + "\r\n\r\n"; break;
    }
    // Whatever the bytes, the target must not be one under /s/.
    const RequestLine line = split_request_line(r.substr(0, r.find('\n')));
    if (line.target.rfind("/s/", 0) == 0) r = "GET /z\r\n\r\n";
    return r;
}

bool refuses(uint16_t port) {
    test::LoopbackClient client;
    return !client.connect(port);
}

void malformed_requests() {
    std::printf("1. 1000 malformed requests and 19 wrong tokens, then the 20th\n");
    test::TestServices services;
    const std::vector<uint8_t> png = fake_png(1000);
    auto session = start_delivery(png, "bench.png", services);
    if (!session) {
        std::printf("  cannot start: %s\n", session.error().text.c_str());
        ++failures;
        return;
    }
    std::mt19937 random(2024);
    int answered = 0, dropped = 0, slow = 0;
    double longest = 0;
    const auto start = Clock::now();
    for (int i = 0; i < 1000; ++i) {
        std::string request = malformed(random, i);
        if (i % 52 == 51) request = "GET /s/" + std::string(22, 'B') + "/i HTTP/1.1\r\n\r\n";  // 19 of them
        test::LoopbackClient client;
        if (!client.connect(session->port())) {
            std::printf("  request %d: refused\n", i);
            ++failures;
            break;
        }
        client.send(request);
        const auto reply = client.read_all(4000ms);
        longest = std::max(longest, reply.seconds);
        if (!reply.closed) ++slow;
        else if (reply.bytes.rfind("HTTP/1.1 ", 0) == 0) ++answered;
        else ++dropped;
    }
    const double took = seconds(Clock::now() - start);
    std::printf("  answered %d, dropped %d, not closed within 4 s %d; %.1f s in all, longest %.3f s\n", answered, dropped,
                slow, took, longest);
    expect(answered + dropped == 1000 && slow == 0, "every request answered or dropped");
    expect(session->is_active(), "the session lives after 19 failed attempts");
    (void)test::exchange(session->port(), "GET /s/wrong HTTP/1.1\r\n\r\n");
    const auto end = Clock::now() + 1s;
    while (session->is_active() && Clock::now() < end) std::this_thread::sleep_for(5ms);
    expect(!session->is_active(), "the 20th failed attempt ends it");
    std::this_thread::sleep_for(100ms);
    expect(refuses(session->port()), "nothing listens after the end");
    std::printf("  after the 20th: %s\n", session->is_active() ? "still active" : "ended, port closed");
}

void many_clients() {
    std::printf("2. 200 clients at once, a session of 5 s\n");
    test::TestServices services;
    const std::vector<uint8_t> png = fake_png(200 * 1024);
    DeliveryLimits limits;
    limits.life = 5s;
    auto session = start_delivery(png, "bench.png", services, limits);
    if (!session) {
        std::printf("  cannot start: %s\n", session.error().text.c_str());
        ++failures;
        return;
    }
    const std::string request = "GET /s/" + session->token() + "/i HTTP/1.1\r\n\r\n";
    const size_t full = png.size() + 200;  // at least the head and the body
    std::atomic<int> served{0}, closed{0}, refused{0}, open_after_end{0};
    const auto session_end = Clock::now() + limits.life;
    std::vector<std::thread> clients;
    for (int i = 0; i < 200; ++i) {
        clients.emplace_back([&] {
            test::LoopbackClient client;
            if (!client.connect(session->port())) {
                ++refused;
                return;
            }
            client.send(request);
            const auto reply = client.read_all(std::chrono::duration_cast<std::chrono::milliseconds>(session_end - Clock::now()) + 1000ms);
            if (!reply.closed) ++open_after_end;
            else if (reply.bytes.size() >= full) ++served;
            else ++closed;
        });
    }
    for (auto& client : clients) client.join();
    std::printf("  served %d, closed unserved %d, refused %d, still open 1 s after the end %d; delivered count %u\n",
                served.load(), closed.load(), refused.load(), open_after_end.load(), session->delivered_count());
    expect(open_after_end == 0, "no client hangs past the session's end");
    expect(served + closed + refused == 200, "every client served or closed");
    expect(served > 0, "some were served");
}

void throughput(size_t megabytes) {
    std::printf("3. a %zu MB image over loopback\n", megabytes);
    test::TestServices services;
    const std::vector<uint8_t> png = fake_png(megabytes * 1024 * 1024);
    auto session = start_delivery(png, "big.png", services);
    if (!session) {
        std::printf("  cannot start: %s\n", session.error().text.c_str());
        ++failures;
        return;
    }
    std::vector<double> rates;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        test::LoopbackClient client;
        if (!client.connect(session->port())) break;
        client.send("GET /s/" + session->token() + "/i HTTP/1.1\r\n\r\n");
        // The body is compared as it arrives, after the head's blank line.
        std::string head;
        size_t body = 0;
        bool same = true;
        client.read_each(
            [&](std::string_view piece) {
                if (head.find("\r\n\r\n") == std::string::npos) {
                    head += piece;
                    const size_t end = head.find("\r\n\r\n");
                    if (end == std::string::npos) return;
                    piece = std::string_view(head).substr(end + 4);
                }
                same = same && body + piece.size() <= png.size() &&
                       std::memcmp(png.data() + body, piece.data(), piece.size()) == 0;
                body += piece.size();
            },
            30000ms);
        const double took = seconds(Clock::now() - start);
        expect(same && body == png.size(), "the whole image arrives");
        rates.push_back(double(png.size()) / (1024.0 * 1024.0) / took);
        std::printf("  run %d: %.3f s, %.0f MB/s\n", run + 1, took, rates.back());
    }
    std::sort(rates.begin(), rates.end());
    std::printf("  best %.0f MB/s, median %.0f MB/s\n", rates.back(), rates[1]);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? size_t(std::max(1, std::atoi(argv[1]))) : 25;
    malformed_requests();
    many_clients();
    throughput(megabytes);
    std::printf(failures ? "%d expectation(s) failed\n" : "all expectations held\n", failures);
    return failures ? 1 : 0;
}
