#pragma once
// A throwaway Ed25519 key pair for tests that need manifests signed the way the
// release tool signs them: a hexadecimal detached signature over the exact bytes.
#include <sodium.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/update.h"

namespace kestrix::testing {

inline std::span<const uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class ManifestSigner {
public:
    // The same seed gives the same key, so runs are reproducible.
    explicit ManifestSigner(uint8_t seed_byte = 7) {
        if (sodium_init() < 0) std::abort();
        std::array<uint8_t, crypto_sign_SEEDBYTES> seed;
        seed.fill(seed_byte);
        crypto_sign_seed_keypair(public_key_.data(), secret_key_.data(), seed.data());
    }

    std::string public_key_hex() const { return encode_hex(public_key_); }

    std::vector<uint8_t> signature(std::span<const uint8_t> message) const {
        std::vector<uint8_t> signature(crypto_sign_BYTES);
        crypto_sign_detached(signature.data(), nullptr, message.data(), message.size(), secret_key_.data());
        return signature;
    }
    std::string sign(std::string_view manifest) const { return encode_hex(signature(bytes_of(manifest))); }

    Result<ReleaseManifest, UpdateError> verify(std::string_view manifest) const {
        return verify_manifest(bytes_of(manifest), sign(manifest), public_key_hex());
    }

private:
    std::array<uint8_t, crypto_sign_PUBLICKEYBYTES> public_key_{};
    std::array<uint8_t, crypto_sign_SECRETKEYBYTES> secret_key_{};
};

}  // namespace kestrix::testing
