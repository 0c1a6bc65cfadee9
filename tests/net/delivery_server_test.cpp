// The delivery server over real sockets on 127.0.0.1: what clients get, what they
// count, and how slow or stalled clients are cut off.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "kestrix/i18n.h"
#include "kestrix/transfer.h"
#include "loopback_client.h"
#include "test_services.h"

using namespace kestrix;
using namespace std::chrono_literals;
using test::exchange;
using test::LoopbackClient;

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> fake_png(size_t size) {
    std::vector<uint8_t> bytes(size);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = i < 8 ? signature[i] : uint8_t(i * 131 + 7);
    return bytes;
}

struct Served {
    test::TestServices services;
    std::vector<uint8_t> png = fake_png(3000);
    std::optional<DeliverySession> session;

    explicit Served(DeliveryLimits limits = {}, std::string_view name = "Kestrix 2024-05-06 07-08-09.png") {
        auto started = start_delivery(png, name, services, limits);
        if (!started) {
            ADD_FAILURE() << "start_delivery: " << started.error().text;
            return;
        }
        session.emplace(std::move(*started));
    }
    uint16_t port() const { return session->port(); }
    std::string get(std::string_view method, std::string_view target) const {
        return exchange(port(), std::string(method) + " " + std::string(target) + " HTTP/1.1\r\nHost: x\r\n\r\n").bytes;
    }
    std::string path(std::string_view tail = "") const { return "/s/" + session->token() + std::string(tail); }
    // Sends `count` requests with a wrong token.
    void wrong_tokens(int count) const {
        for (int i = 0; i < count; ++i) get("GET", "/s/AAAAAAAAAAAAAAAAAAAAAA/i");
    }
};

std::string head_of(const std::string& reply) { return reply.substr(0, reply.find("\r\n\r\n") + 4); }
std::string body_of(const std::string& reply) { return reply.substr(reply.find("\r\n\r\n") + 4); }
std::string status_of(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

// The server closes its listener shortly after it ends; wait for that.
bool refuses_within(uint16_t port, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        LoopbackClient client;
        if (!client.connect(port)) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// The server counts a download once it has closed the connection, a moment after
// the client has seen the end of it.
uint32_t delivered_after(const DeliverySession& session, uint32_t expected) {
    const auto end = Clock::now() + 1s;
    while (session.delivered_count() < expected && Clock::now() < end) std::this_thread::sleep_for(5ms);
    return session.delivered_count();
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

TEST(DeliveryServer, ServesThePageAndTheImageAndCountsDownloads) {
    Served s;
    ASSERT_TRUE(s.session);
    EXPECT_EQ(s.session->url(), "http://10.77.0.2:" + std::to_string(s.port()) + "/s/" + s.session->token());
    EXPECT_EQ(s.session->token().size(), kTokenLength);

    const std::string page = s.get("GET", s.path());
    EXPECT_EQ(status_of(page), "HTTP/1.1 200 OK");
    EXPECT_NE(page.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    EXPECT_NE(body_of(page).find("<img src=\"" + s.path("/i") + "\""), std::string::npos);
    EXPECT_EQ(s.get("GET", s.path("/")), page) << "a final slash names the same page";
    EXPECT_EQ(s.get("HEAD", s.path()), head_of(page));

    const std::string image = s.get("GET", s.path("/i"));
    EXPECT_EQ(status_of(image), "HTTP/1.1 200 OK");
    EXPECT_NE(image.find("Content-Length: 3000\r\nContent-Disposition: inline; filename=\"Kestrix 2024-05-06 07-08-09.png\"\r\n"),
              std::string::npos);
    EXPECT_EQ(body_of(image), std::string(s.png.begin(), s.png.end()));
    EXPECT_EQ(delivered_after(*s.session, 1), 1u);

    // HEAD: the whole head with the full length, no body, no count.
    EXPECT_EQ(s.get("HEAD", s.path("/i")), head_of(image));
    EXPECT_EQ(delivered_after(*s.session, 2), 1u);

    // A query or fragment is cut before routing.
    EXPECT_EQ(body_of(s.get("GET", s.path("/i?download=1"))), body_of(image));
    EXPECT_EQ(delivered_after(*s.session, 2), 2u);

    // Other methods, and paths outside /s/, get 404 and change no count.
    for (const char* method : {"POST", "get", "PUT", "DELETE"}) {
        EXPECT_EQ(status_of(s.get(method, s.path("/i"))), "HTTP/1.1 404 Not Found") << method;
        EXPECT_EQ(status_of(s.get(method, s.path())), "HTTP/1.1 404 Not Found") << method;
    }
    const std::string icon = s.get("GET", "/favicon.ico");
    EXPECT_EQ(status_of(icon), "HTTP/1.1 404 Not Found");
    EXPECT_EQ(body_of(icon), "Not found\n");
    EXPECT_EQ(delivered_after(*s.session, 3), 2u);
    // None of that was a failed attempt: 19 wrong tokens still leave the session open.
    s.wrong_tokens(19);
    EXPECT_TRUE(s.session->is_active());
}

TEST(DeliveryServer, TheTwentiethWrongTokenEndsTheSession) {
    Served s;
    ASSERT_TRUE(s.session);
    s.wrong_tokens(19);
    EXPECT_TRUE(s.session->is_active());
    // HEAD never counts as a failed attempt, whatever its target.
    EXPECT_EQ(status_of(s.get("HEAD", "/s/AAAAAAAAAAAAAAAAAAAAAA")), "HTTP/1.1 404 Not Found");
    EXPECT_TRUE(s.session->is_active());
    s.wrong_tokens(1);
    const auto deadline = Clock::now() + 1s;
    while (s.session->is_active() && Clock::now() < deadline) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(s.session->is_active());
    EXPECT_TRUE(refuses_within(s.port(), 1000ms));
}

TEST(DeliveryServer, FileNameLosesQuotesAndLineBreaksInTheHeaderAndIsEscapedInThePage) {
    Served s({}, "a\"b\r\nX-Evil: 1\n<c>.png");
    ASSERT_TRUE(s.session);
    const std::string image = s.get("GET", s.path("/i"));
    EXPECT_NE(image.find("\r\nContent-Disposition: inline; filename=\"abX-Evil: 1<c>.png\"\r\nCache-Control"),
              std::string::npos);
    EXPECT_EQ(image.find("\r\nX-Evil"), std::string::npos);
    const std::string page = body_of(s.get("GET", s.path()));
    EXPECT_NE(page.find("<title>a&quot;b\r\nX-Evil: 1\n&lt;c&gt;.png</title>"), std::string::npos);
}

TEST(DeliveryServer, ThePageSpeaksTheLanguageCurrentAtTheStart) {
    set_language(match_language_tag("de"));
    Served s;
    set_language(kEnglish);
    ASSERT_TRUE(s.session);
    const std::string page = body_of(s.get("GET", s.path()));
    EXPECT_NE(page.find("<html lang=\"de\">"), std::string::npos);
    EXPECT_NE(page.find("<p>" + html_escape(catalogue_for(match_language_tag("de"))[Message::page_save_hint]) + "</p>"),
              std::string::npos);
}

TEST(DeliveryServer, SilentAndSlowClientsAreDroppedAsFailedAttempts) {
    Served s;
    ASSERT_TRUE(s.session);

    // Connects and says nothing: dropped after the 1 s receive time-out.
    LoopbackClient silent;
    ASSERT_TRUE(silent.connect(s.port()));
    const auto silent_reply = silent.read_all(5000ms);
    EXPECT_TRUE(silent_reply.closed);
    EXPECT_EQ(silent_reply.bytes, "");
    EXPECT_GT(silent_reply.seconds, 0.8);
    EXPECT_LT(silent_reply.seconds, 2.5);

    // One byte every 900 ms never trips the per-read time-out, but the request as a
    // whole is cut at 5 s without an answer.
    LoopbackClient drip;
    ASSERT_TRUE(drip.connect(s.port()));
    const auto start = Clock::now();
    const std::string request = "GET " + s.path("/i") + " HTTP/1.1\r\n";
    bool cut = false;
    for (size_t i = 0; i < request.size() && seconds_since(start) < 9; ++i) {
        if (!drip.send(request.substr(i, 1))) {
            cut = true;
            break;
        }
        std::this_thread::sleep_for(900ms);
    }
    const auto drip_reply = drip.read_all(2000ms);
    const double drip_seconds = seconds_since(start);
    EXPECT_TRUE(cut || drip_reply.closed);
    EXPECT_EQ(drip_reply.bytes, "");
    EXPECT_GT(drip_seconds, 4.5);
    EXPECT_LT(drip_seconds, 8.5);
    EXPECT_EQ(s.session->delivered_count(), 0u);

    // Both counted: 18 more failed attempts end the session.
    s.wrong_tokens(17);
    EXPECT_TRUE(s.session->is_active());
    s.wrong_tokens(1);
    EXPECT_TRUE(refuses_within(s.port(), 1000ms));
    EXPECT_FALSE(s.session->is_active());
}

TEST(DeliveryServer, EndingTheSessionReturnsQuicklyWhateverAClientDoes) {
    // A client in the middle of its request line.
    {
        Served s;
        ASSERT_TRUE(s.session);
        LoopbackClient client;
        ASSERT_TRUE(client.connect(s.port()));
        client.send("GET /s/");
        std::this_thread::sleep_for(300ms);
        const auto start = Clock::now();
        s.session.reset();
        EXPECT_LT(seconds_since(start), 1.0);
    }
    // A client that asked for a large image and stopped reading after a few bytes.
    {
        Served s;
        s.session.reset();
        s.png = fake_png(25 * 1024 * 1024);
        auto started = start_delivery(s.png, "big.png", s.services);
        ASSERT_TRUE(started);
        s.session.emplace(std::move(*started));
        LoopbackClient client;
        ASSERT_TRUE(client.connect(s.port()));
        client.send("GET " + s.path("/i") + " HTTP/1.1\r\n\r\n");
        client.read_some(100);
        std::this_thread::sleep_for(500ms);  // until the socket buffers are full
        const auto start = Clock::now();
        s.session.reset();
        EXPECT_LT(seconds_since(start), 1.0);
    }
}

TEST(DeliveryServer, NothingIsAcceptedAfterTheSessionsLife) {
    DeliveryLimits limits;
    limits.life = 1500ms;
    Served s(limits);
    ASSERT_TRUE(s.session);
    EXPECT_TRUE(s.session->is_active());
    EXPECT_GT(s.session->remaining(), 1000ms);
    EXPECT_EQ(status_of(s.get("GET", s.path())), "HTTP/1.1 200 OK");
    std::this_thread::sleep_for(1600ms);
    EXPECT_FALSE(s.session->is_active());
    EXPECT_EQ(s.session->remaining(), 0ms);
    EXPECT_TRUE(refuses_within(s.port(), 1000ms));
}

TEST(DeliveryServer, AStalledDownloadEndsWithTheSessionsLife) {
    // A client that stops reading mid-image would hold the server for the 15 s send
    // time-out; the session's end cuts it short and the listener closes on time.
    DeliveryLimits limits;
    limits.life = 1500ms;
    test::TestServices services;
    const std::vector<uint8_t> png = fake_png(25 * 1024 * 1024);
    auto started = start_delivery(png, "big.png", services, limits);
    ASSERT_TRUE(started);
    const DeliverySession& session = *started;
    const auto start = Clock::now();
    LoopbackClient client;
    ASSERT_TRUE(client.connect(session.port()));
    client.send("GET /s/" + session.token() + "/i HTTP/1.1\r\n\r\n");
    client.read_some(100);
    EXPECT_TRUE(refuses_within(session.port(), 2500ms));
    EXPECT_LT(seconds_since(start), 3.0);
    EXPECT_FALSE(session.is_active());
}

TEST(DeliveryServer, StartingNeedsRandomnessAndAnAddressOthersCanReach) {
    test::TestServices no_random;
    no_random.randomness = false;
    const std::vector<uint8_t> png = fake_png(10);
    auto without = start_delivery(png, "a.png", no_random);
    ASSERT_FALSE(without);
    EXPECT_EQ(without.error().kind, DeliveryError::Kind::NoRandomness);
    EXPECT_EQ(without.error().text, "no randomness source");
    EXPECT_EQ(no_random.listens, 0) << "nothing is attempted without a token";

    for (const net::Ipv4 address : {net::Ipv4{{127, 0, 0, 1}}, net::Ipv4{{127, 1, 2, 3}}, net::Ipv4{{0, 0, 0, 0}}}) {
        test::TestServices loopback_only;
        loopback_only.address = address;
        auto started = start_delivery(png, "a.png", loopback_only);
        ASSERT_FALSE(started);
        EXPECT_EQ(started.error().kind, DeliveryError::Kind::Network);
        EXPECT_EQ(started.error().text, "not on a local network");
        EXPECT_EQ(loopback_only.listens, 0);
    }

    // Two sessions never share a token or a port.
    Served a, b;
    ASSERT_TRUE(a.session && b.session);
    EXPECT_NE(a.session->token(), b.session->token());
    EXPECT_NE(a.port(), b.port());
}

TEST(DeliveryServer, ServesOnTheWiFiWhenAVpnHasTheDefaultRoute) {
    // The route probe answers with the tunnel's address; the adapters say better.
    test::TestServices services;
    services.address = net::Ipv4{{10, 8, 0, 6}};
    NetworkAdapter tunnel{"{tunnel}", AdapterKind::Tunnel, true, true, 1, {net::Ipv4{{10, 8, 0, 6}}}};
    NetworkAdapter wifi{"{wifi}", AdapterKind::WiFi, true, true, 25, {net::Ipv4{{192, 168, 1, 23}}}};
    services.adapters = {tunnel, wifi};
    const std::vector<uint8_t> png = fake_png(10);
    auto started = start_delivery(png, "a.png", services);
    ASSERT_TRUE(started) << started.error().text;
    EXPECT_TRUE(started->url().starts_with("http://192.168.1.23:" + std::to_string(started->port()) + "/s/"))
        << started->url();
    EXPECT_EQ(started->local_address().adapter_id, "{wifi}");
    EXPECT_FALSE(started->local_address().behind_vpn());

    // With the tunnel alone it is served there, and marked.
    services.adapters = {tunnel};
    auto only_vpn = start_delivery(png, "a.png", services);
    ASSERT_TRUE(only_vpn);
    EXPECT_TRUE(only_vpn->url().starts_with("http://10.8.0.6:")) << only_vpn->url();
    EXPECT_TRUE(only_vpn->local_address().behind_vpn());

    // A probe that fails (no default route) still finds the LAN.
    services.address.reset();
    services.fail_probe = true;
    services.adapters = {wifi};
    auto no_route = start_delivery(png, "a.png", services);
    ASSERT_TRUE(no_route) << no_route.error().text;
    EXPECT_TRUE(no_route->url().starts_with("http://192.168.1.23:")) << no_route->url();
}

TEST(DeliveryServer, AnyConnectionAtAllCountsAsReached) {
    for (const auto& [name, reach] : std::vector<std::pair<std::string, std::function<void(const Served&)>>>{
             {"the page", [](const Served& s) { s.get("GET", s.path()); }},
             {"a wrong token", [](const Served& s) { s.wrong_tokens(1); }},
             {"a browser's icon", [](const Served& s) { s.get("GET", "/favicon.ico"); }},
             {"a connection that says nothing",
              [](const Served& s) {
                  LoopbackClient client;
                  ASSERT_TRUE(client.connect(s.port()));
              }},
         }) {
        SCOPED_TRACE(name);
        Served s;
        ASSERT_TRUE(s.session);
        std::this_thread::sleep_for(120ms);  // a few of the server's polls with nobody there
        EXPECT_FALSE(s.session->reached());
        reach(s);
        const auto end = Clock::now() + 2s;
        while (!s.session->reached() && Clock::now() < end) std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(s.session->reached());
    }
}
