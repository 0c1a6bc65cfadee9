// The delivery server's loop and one connection: reading the request within its
// limits, answering it, and the counts. Every wait on a socket is cut into short
// slices, so a stop request or the end of the session is noticed whatever a
// client does.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <thread>

#include "kestrix/transfer.h"

namespace kestrix {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The largest piece handed to one send call.
constexpr size_t kSendPiece = 256 * 1024;

// Why reading stopped short of a full line.
enum class LineEnd : uint8_t {
    Complete,     // the line ends with LF
    Limit,        // `limit` bytes without an LF
    EndOfStream,  // the client closed its side (the line may be empty)
    Failed,       // a read error, or no byte within the receive time-out
    Overdue,      // the request took longer than its deadline in all
    Stopped,      // a stop request or the end of the session
};

class RequestReader {
public:
    RequestReader(net::Stream& stream, const DeliveryShared& shared, const DeliveryLimits& limits,
                  Clock::time_point session_end)
        : stream_(stream), shared_(shared), limits_(limits), session_end_(session_end),
          request_end_(Clock::now() + limits.request_deadline) {}

    // Appends one line of at most `limit` bytes (its LF included) to `line`.
    LineEnd read_line(size_t limit, std::string& line) {
        size_t taken = 0;
        while (taken < limit) {
            if (next_ == filled_) {
                if (const std::optional<LineEnd> end = fill()) return *end;
            }
            const size_t available = std::min(filled_ - next_, limit - taken);
            const uint8_t* begin = buffer_.data() + next_;
            const uint8_t* lf = std::find(begin, begin + available, uint8_t('\n'));
            const size_t count = size_t(lf - begin) + (lf != begin + available ? 1 : 0);
            line.append(reinterpret_cast<const char*>(begin), count);
            next_ += count;
            taken += count;
            if (lf != begin + available) return LineEnd::Complete;
        }
        return LineEnd::Limit;
    }

private:
    // Waits for bytes and takes what has arrived; nothing when there are bytes to read.
    std::optional<LineEnd> fill() {
        const Clock::time_point read_end = Clock::now() + limits_.receive_timeout;
        for (;;) {
            const Clock::time_point now = Clock::now();
            if (shared_.stop_requested.load() || now >= session_end_) return LineEnd::Stopped;
            if (now >= request_end_) return LineEnd::Overdue;
            if (now >= read_end) return LineEnd::Failed;
            const auto slice = std::min({read_end, request_end_, session_end_, now + limits_.wait_slice}) - now;
            const net::Readiness ready =
                stream_.wait_readable(std::max(milliseconds(1), std::chrono::ceil<milliseconds>(slice)));
            if (ready == net::Readiness::Failed) return LineEnd::Failed;
            if (ready == net::Readiness::TimedOut) continue;
            const net::Io got = stream_.receive(buffer_);
            switch (got.kind) {
            case net::Io::Kind::Done:
                next_ = 0;
                filled_ = got.bytes;
                return std::nullopt;
            case net::Io::Kind::WouldBlock: continue;
            case net::Io::Kind::Closed: return LineEnd::EndOfStream;
            case net::Io::Kind::Failed: return LineEnd::Failed;
            }
        }
    }

    net::Stream& stream_;
    const DeliveryShared& shared_;
    const DeliveryLimits& limits_;
    const Clock::time_point session_end_;
    const Clock::time_point request_end_;
    std::array<uint8_t, kReaderBuffer> buffer_{};
    size_t next_ = 0;
    size_t filled_ = 0;
};

// The request line, or what reading it ended with when it is no request at all.
struct ReadRequest {
    std::optional<ConnectionOutcome> cut_short;
    std::string line;
};

ReadRequest read_request(RequestReader& reader) {
    ReadRequest request;
    switch (reader.read_line(kRequestLineLimit, request.line)) {
    case LineEnd::Complete:
    case LineEnd::Limit:
    case LineEnd::EndOfStream: break;
    case LineEnd::Failed:
    case LineEnd::Overdue: request.cut_short = ConnectionOutcome::FailedAttempt; return request;
    case LineEnd::Stopped: request.cut_short = ConnectionOutcome::Abandoned; return request;
    }
    // The headers are read and dropped: up to an empty line, the end of the stream,
    // a read error or the block's limit, whichever comes first.
    size_t budget = kHeaderBlockLimit;
    for (;;) {
        std::string header;
        const LineEnd end = reader.read_line(budget, header);
        if (end == LineEnd::Overdue) request.cut_short = ConnectionOutcome::FailedAttempt;
        if (end == LineEnd::Stopped) request.cut_short = ConnectionOutcome::Abandoned;
        if (end != LineEnd::Complete) return request;
        budget -= header.size();
        if (header == "\n" || header == "\r\n" || budget == 0) return request;
    }
}

// Sends all of `bytes` unless the client stops taking them for the send time-out,
// an error occurs, a stop is requested or the session ends. True when all went.
bool send_all(net::Stream& stream, std::span<const uint8_t> bytes, const DeliveryShared& shared,
              const DeliveryLimits& limits, Clock::time_point session_end) {
    Clock::time_point stalled_end = Clock::now() + limits.send_timeout;
    while (!bytes.empty()) {
        const Clock::time_point now = Clock::now();
        if (shared.stop_requested.load() || now >= session_end || now >= stalled_end) return false;
        const auto slice = std::min({stalled_end, session_end, now + limits.wait_slice}) - now;
        const net::Readiness ready =
            stream.wait_writable(std::max(milliseconds(1), std::chrono::ceil<milliseconds>(slice)));
        if (ready == net::Readiness::Failed) return false;
        if (ready == net::Readiness::TimedOut) continue;
        const net::Io sent = stream.send(bytes.first(std::min(bytes.size(), kSendPiece)));
        if (sent.kind == net::Io::Kind::WouldBlock) continue;
        if (sent.kind != net::Io::Kind::Done) return false;
        bytes = bytes.subspan(std::min(sent.bytes, bytes.size()));
        stalled_end = Clock::now() + limits.send_timeout;
    }
    return true;
}

std::span<const uint8_t> as_bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

ConnectionOutcome serve_connection(net::Stream& stream, const ServedContent& content, const DeliveryShared& shared,
                                   const DeliveryLimits& limits, Clock::time_point session_end) {
    RequestReader reader(stream, shared, limits, session_end);
    const ReadRequest request = read_request(reader);
    if (request.cut_short) return *request.cut_short;

    const RequestLine line = split_request_line(request.line);
    const Routing routing = route_request(line.method, line.target, content.token);
    std::string_view head = content.not_found_head;
    std::span<const uint8_t> body = as_bytes(kNotFoundBody);
    if (routing.route == Route::Page) {
        head = content.page_head;
        body = as_bytes(content.page);
    } else if (routing.route == Route::Image) {
        head = content.image_head;
        body = content.png;
    }
    if (send_all(stream, as_bytes(head), shared, limits, session_end) && !routing.head_only)
        (void)send_all(stream, body, shared, limits, session_end);  // a client gone mid-way is its own loss
    stream.shutdown_both();

    if (routing.delivered) return ConnectionOutcome::Delivered;
    if (routing.failed_attempt) return ConnectionOutcome::FailedAttempt;
    return ConnectionOutcome::Answered;
}

void run_delivery_server(net::Listener& listener, const ServedContent& content, DeliveryShared& shared,
                         const DeliveryLimits& limits) {
    const Clock::time_point session_end = Clock::now() + limits.life;
    uint32_t failed_attempts = 0;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (shared.stop_requested.load() || now >= session_end) break;
        net::Accepted accepted = listener.accept();
        if (accepted.kind == net::Accepted::Kind::NoneWaiting) {
            // Woken by the next connection at once, or after the poll interval to look
            // at the stop flag and the clock again.
            const auto wait = std::chrono::ceil<milliseconds>(std::min<Clock::duration>(limits.idle_poll, session_end - now));
            if (listener.wait_for_connection(std::max(wait, milliseconds(1))) == net::Readiness::Failed)
                std::this_thread::sleep_for(wait);
            continue;
        }
        if (accepted.kind == net::Accepted::Kind::Failed) break;
        shared.connections.fetch_add(1);

        ConnectionOutcome outcome = ConnectionOutcome::FailedAttempt;
        if (accepted.stream->prepare()) outcome = serve_connection(*accepted.stream, content, shared, limits, session_end);
        accepted.stream.reset();  // closed before the next one is taken

        if (outcome == ConnectionOutcome::Delivered) shared.delivered.fetch_add(1);
        if (outcome == ConnectionOutcome::FailedAttempt && ++failed_attempts >= limits.failed_attempts) break;
    }
    shared.stop_requested.store(true);
}

}  // namespace kestrix
