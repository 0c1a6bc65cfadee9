#pragma once
// The signed release manifest: what the update feed offers, checked against the
// maker's Ed25519 key before anything in it is believed. No networking here; the
// application fetches the two files and acts on the result.
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "kestrix/result.h"

namespace kestrix {

// Where the manifest lives and the key that must have signed it, both fixed when
// the program is built.
struct UpdateFeed {
    std::string_view manifest_url;  // empty for a build without a feed
    std::string_view public_key;    // 64 hexadecimal digits
};

struct Version {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t patch = 0;
    friend auto operator<=>(const Version&, const Version&) = default;
    std::string text() const;  // "1.10.0"
};

struct ReleaseManifest {
    Version version;
    std::string url;     // begins with "https://"
    std::string sha256;  // 64 lower-case hexadecimal digits
    std::string notes;   // empty when the manifest has none
    friend bool operator==(const ReleaseManifest&, const ReleaseManifest&) = default;
};

struct UpdateError {
    struct NoFeed {};
    struct Malformed { std::string detail; };
    struct NotSigned {};
    struct ChecksumMismatch {};
    std::variant<NoFeed, Malformed, NotSigned, ChecksumMismatch> value;

    template <class V>
    bool is() const { return std::holds_alternative<V>(value); }
    std::string text() const;
};

// Surrounding white space is dropped; then every pair of characters must be two
// hexadecimal digits (either case). Nothing for an odd count or any other pair.
std::optional<std::vector<uint8_t>> decode_hex(std::string_view text);
// Lower-case digits, two per byte.
std::string encode_hex(std::span<const uint8_t> bytes);

// Three dot-separated unsigned 32-bit decimal numbers, each with an optional "+".
std::optional<Version> parse_version(std::string_view text);

// The detached signature sits beside the manifest: its address plus ".sig".
std::string signature_url(std::string_view manifest_url);

// Checks the key and the signature, then reads the manifest; the first failure wins.
// The signature covers the manifest's bytes exactly as received.
Result<ReleaseManifest, UpdateError> verify_manifest(std::span<const uint8_t> manifest, std::string_view signature,
                                                     std::string_view public_key);

// True only when the manifest offers a version above `current`.
bool is_newer(const ReleaseManifest& manifest, std::string_view current = KESTRIX_VERSION);

// The SHA-256 digest as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::span<const uint8_t> bytes);

}  // namespace kestrix
