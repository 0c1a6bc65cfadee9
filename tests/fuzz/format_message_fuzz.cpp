// format_message fills a message's "{}" with texts from outside (file names, error
// texts, values from the settings file). It must read nothing outside the message
// and the argument: both are copied into heap blocks of exactly their size, so
// AddressSanitizer stops any read past either end.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using kestrix::fuzz::escaped;

namespace {

// A heap copy of exactly the text's bytes, with no terminator after it.
struct ExactCopy {
    std::unique_ptr<char[]> bytes;
    size_t size;
    explicit ExactCopy(std::string_view text) : bytes(new char[text.size()]), size(text.size()) {
        std::copy(text.begin(), text.end(), bytes.get());
    }
    std::string_view view() const { return {bytes.get(), size}; }
};

// Where the first "{}" starts, found one byte at a time.
std::optional<size_t> first_braces(std::string_view text) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '{' && text[i + 1] == '}') return i;
    return std::nullopt;
}

void check(std::string_view message, std::optional<std::string_view> argument) {
    const auto where = [&] {
        return "message: " + escaped(message) + (argument ? " argument: " + escaped(*argument) : " no argument");
    };
    const ExactCopy message_copy(message);
    std::optional<ExactCopy> argument_copy;
    if (argument) argument_copy.emplace(*argument);
    const std::string out = format_message(message_copy.view(),
                                           argument_copy ? std::optional(argument_copy->view()) : std::nullopt);

    const auto braces = first_braces(message);
    if (!braces || !argument) {
        FUZZ_CHECK(out == message, where() + " out: " + escaped(out));
        return;
    }
    // The argument, unscanned, in place of the first braces; everything else as it was.
    const auto with_out = [&] { return where() + " out: " + escaped(out); };
    const std::string_view result = out;
    FUZZ_CHECK(result.size() == message.size() - 2 + argument->size(), with_out());
    FUZZ_CHECK(result.substr(0, *braces) == message.substr(0, *braces), with_out());
    FUZZ_CHECK(result.substr(*braces, argument->size()) == *argument, with_out());
    FUZZ_CHECK(result.substr(*braces + argument->size()) == message.substr(*braces + 2), with_out());
    if (is_valid_utf8(message) && is_valid_utf8(*argument)) FUZZ_CHECK(is_valid_utf8(out), where());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    const uint8_t mode = reader.byte();
    if (mode & 1) {
        // A catalogue message of any language with the rest of the input as its argument.
        const Language language = Language(reader.in_range(0, kLanguageCount - 1));
        const Message message = Message(reader.in_range(0, kMessageCount - 1));
        const std::string_view argument = reader.rest();
        check(catalogue_for(language)[message], argument);
        check(catalogue_for(language)[message], std::nullopt);
        return 0;
    }
    // A message and an argument from the input, split where() the second byte says.
    const size_t split = reader.byte() * reader.remaining() / 256;
    const std::string_view message = reader.bytes(split);
    const std::string_view argument = reader.rest();
    check(message, (mode & 2) ? std::nullopt : std::optional(argument));
    return 0;
}
