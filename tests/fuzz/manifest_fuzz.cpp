// Fuzzes verify_manifest. The first byte picks how the rest is used:
// - even: the rest is a manifest that this target signs with its own key, so the
//   parser is reached. The answer must never be "not signed"; bytes that are not
//   UTF-8 must be refused as such; a verified manifest must keep the field rules
//   (re-parsable version, https url, 64 lower-case digits, one-line values); one
//   byte more must break the signature; asking twice gives the same answer.
// - odd: the rest is a manifest, a zero byte and a signature text of the fuzzer's
//   own. It verifies only when the text decodes to the true signature; otherwise
//   the answer is the first check the text fails.
#include <sodium.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/update.h"
#include "kestrix/utf8.h"

namespace {

const std::string kMalformed = "the release manifest is malformed: ";

struct Key {
    unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
    unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
    std::string public_hex;
    Key() {
        if (sodium_init() < 0) std::abort();
        unsigned char seed[crypto_sign_SEEDBYTES];
        for (unsigned char& byte : seed) byte = 0x5a;
        crypto_sign_seed_keypair(public_key, secret_key, seed);
        public_hex = kestrix::encode_hex(public_key);
    }
    std::vector<uint8_t> sign(std::span<const uint8_t> message) const {
        std::vector<uint8_t> signature(crypto_sign_BYTES);
        crypto_sign_detached(signature.data(), nullptr, message.data(), message.size(), secret_key);
        return signature;
    }
};

bool lower_hex_digest(const std::string& text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::string answer(const kestrix::Result<kestrix::ReleaseManifest, kestrix::UpdateError>& result) {
    return result.ok() ? "verified " + result->version.text() + " " + result->url + " " + result->sha256 + " " + result->notes
                       : result.error().text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Key key;
    if (size == 0) return 0;
    const bool own_signature = data[0] & 1;
    const std::span<const uint8_t> rest(data + 1, size - 1);
    const std::string detail = "input " + kestrix::fuzz::escaped(std::string_view(reinterpret_cast<const char*>(data), size));

    if (!own_signature) {
        const std::string signature = kestrix::encode_hex(key.sign(rest));
        const auto result = kestrix::verify_manifest(rest, signature, key.public_hex);
        FUZZ_CHECK(result.ok() || !result.error().is<kestrix::UpdateError::NotSigned>(), detail);
        const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
        if (!kestrix::is_valid_utf8(text)) {
            FUZZ_CHECK(!result.ok() && result.error().text() == kMalformed + "not UTF-8", detail);
            return 0;
        }
        if (result.ok()) {
            FUZZ_CHECK(kestrix::parse_version(result->version.text()) == result->version, detail);
            FUZZ_CHECK(result->url.starts_with("https://"), detail);
            FUZZ_CHECK(lower_hex_digest(result->sha256), detail);
            FUZZ_CHECK(result->url.find('\n') == std::string::npos, detail);
            FUZZ_CHECK(result->notes.find('\n') == std::string::npos, detail);
        } else {
            FUZZ_CHECK(result.error().is<kestrix::UpdateError::Malformed>(), detail);
        }
        FUZZ_CHECK(answer(kestrix::verify_manifest(rest, signature, key.public_hex)) == answer(result), detail);
        std::vector<uint8_t> longer(rest.begin(), rest.end());
        longer.push_back('\n');
        const auto extended = kestrix::verify_manifest(longer, signature, key.public_hex);
        FUZZ_CHECK(!extended.ok() && extended.error().is<kestrix::UpdateError::NotSigned>(), detail);
        return 0;
    }

    size_t split = 0;
    while (split < rest.size() && rest[split] != 0) ++split;
    const std::span<const uint8_t> manifest = rest.first(split);
    const std::span<const uint8_t> tail = split < rest.size() ? rest.subspan(split + 1) : std::span<const uint8_t>{};
    const std::string_view signature(reinterpret_cast<const char*>(tail.data()), tail.size());
    const auto result = kestrix::verify_manifest(manifest, signature, key.public_hex);
    const auto decoded = kestrix::decode_hex(signature);
    if (!decoded) {
        FUZZ_CHECK(!result.ok() && result.error().text() == kMalformed + "signature is not hex", detail);
    } else if (decoded->size() != crypto_sign_BYTES) {
        FUZZ_CHECK(!result.ok() && result.error().text() == kMalformed + "signature is not 64 bytes", detail);
    } else if (*decoded != key.sign(manifest)) {
        FUZZ_CHECK(!result.ok() && result.error().is<kestrix::UpdateError::NotSigned>(), detail);
    } else {
        FUZZ_CHECK(result.ok() || !result.error().is<kestrix::UpdateError::NotSigned>(), detail);
    }
    return 0;
}
