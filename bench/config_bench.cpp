// Prints how long reading and rendering kestrix.toml and building a message take.
#include <chrono>
#include <cstdio>

#include "kestrix/config.h"
#include "kestrix/i18n.h"

using namespace kestrix;

namespace {

template <class F>
double nanoseconds_per_call(int calls, F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) f();
    const std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

volatile size_t sink;

}  // namespace

int main() {
    Config config;
    config.language = 3;
    const std::string text = render_config(config);
    std::printf("render_config:           %8.0f ns\n",
                nanoseconds_per_call(20000, [&] { sink = render_config(config).size(); }));
    std::printf("parse_config (%zu bytes): %8.0f ns\n", text.size(),
                nanoseconds_per_call(20000, [&] { sink = parse_config(text).warnings.size(); }));
    std::printf("catalogue lookup:        %8.1f ns\n",
                nanoseconds_per_call(1000000, [] { sink = msg(Message::update_available).size(); }));
    std::printf("format_message:          %8.0f ns\n",
                nanoseconds_per_call(200000, [] { sink = msg(Message::update_available, "1.2.3").size(); }));
}
