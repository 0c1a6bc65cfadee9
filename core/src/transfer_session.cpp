// Starting and ending a delivery session: the token, the local address, the
// listener and the server thread.
#include <algorithm>
#include <array>
#include <system_error>

#include "kestrix/i18n.h"
#include "kestrix/transfer.h"

namespace kestrix {

namespace {

using Clock = std::chrono::steady_clock;

DeliveryError network_error(std::string text) { return {DeliveryError::Kind::Network, std::move(text)}; }

std::string dotted(const net::Ipv4& address) {
    const uint8_t* o = address.octets;
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." + std::to_string(o[3]);
}

}  // namespace

DeliverySession::~DeliverySession() {
    if (!shared_) return;  // moved from
    shared_->stop_requested.store(true);
    if (server_.joinable()) server_.join();
}

std::string DeliverySession::url() const { return "http://" + address_ + "/s/" + token_; }

bool DeliverySession::is_active() const {
    return !shared_->stop_requested.load() && Clock::now() - started_ < life_;
}

std::chrono::milliseconds DeliverySession::remaining() const {
    const auto left = life_ - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
    return std::max(left, std::chrono::milliseconds(0));
}

Result<DeliverySession, DeliveryError> start_delivery(std::span<const uint8_t> png, std::string_view file_name,
                                                      net::Services& services, const DeliveryLimits& limits) {
    std::vector<uint8_t> bytes(png.begin(), png.end());
    std::string name(file_name);

    std::array<uint8_t, kTokenBytes> secret{};
    if (!services.fill_random(secret)) return fail(DeliveryError{DeliveryError::Kind::NoRandomness, "no randomness source"});

    auto probe = services.route_probe();
    const std::vector<NetworkAdapter> adapters = services.network_adapters();
    std::optional<LocalAddress> local =
        choose_local_address(adapters, probe ? std::optional<net::Ipv4>(*probe) : std::nullopt);
    if (!local) return fail(network_error(probe ? "not on a local network" : std::move(probe.error())));

    std::string token = base64url(secret);
    secret.fill(0);

    auto listening = services.listen_any(kListenBacklog);
    if (!listening) return fail(network_error(std::move(listening.error())));
    std::unique_ptr<net::Listener> listener = std::move(*listening);
    const uint16_t port = listener->port();

    auto shared = std::make_shared<DeliveryShared>();
    std::string address = dotted(local->address) + ":" + std::to_string(port);
    DeliverySession session(std::move(*local), std::move(address), token, port, shared, limits.life);
    // Built here, once: the page speaks the language current as the session starts.
    ServedContent content = serve_content(std::move(bytes), name, std::move(token), language_tag(current_language()),
                                          msg(Message::page_save_hint));
    try {
        session.server_ = std::thread([&services, listener = std::move(listener), shared, limits,
                                       content = std::move(content)]() mutable {
            services.name_this_thread("kestrix-deliver");
            run_delivery_server(*listener, content, *shared, limits);
            listener.reset();
            std::fill(content.png.begin(), content.png.end(), uint8_t(0));  // the capture leaves no copy behind
        });
    } catch (const std::system_error& error) {
        return fail(network_error(std::string("the server thread could not start: ") + error.what()));
    }
    session.started_ = Clock::now();
    return session;
}

}  // namespace kestrix
