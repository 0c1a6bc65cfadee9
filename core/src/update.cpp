#include "kestrix/update.h"

#include <sodium.h>

#include <charconv>

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

std::optional<uint8_t> hex_digit(char c) {
    if (c >= '0' && c <= '9') return uint8_t(c - '0');
    if (c >= 'a' && c <= 'f') return uint8_t(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return uint8_t(c - 'A' + 10);
    return std::nullopt;
}

std::optional<uint32_t> parse_number(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string_view trim_quotes(std::string_view text) {
    while (!text.empty() && text.front() == '"') text.remove_prefix(1);
    while (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return text;
}

// libsodium picks its implementations once; every later call is a cheap no-op.
void ensure_sodium() {
    static const bool ready = sodium_init() >= 0;
    (void)ready;
}

UpdateError malformed(std::string detail) { return {UpdateError::Malformed{std::move(detail)}}; }

// The fields a manifest's lines set; the last line of a key wins.
struct ManifestFields {
    std::optional<Version> version;
    std::optional<std::string> url;
    std::optional<std::string> sha256;
    std::string notes;
};

ManifestFields read_fields(std::string_view text) {
    ManifestFields fields;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        // Trimming also drops the carriage return of a CR LF line end.
        const std::string_view line = trim_space(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;  // free text, never a field
        const std::string key = ascii_lower(trim_space(line.substr(0, equals)));
        const std::string_view value = trim_quotes(trim_space(line.substr(equals + 1)));
        if (key == "version") {
            fields.version = parse_version(value);
        } else if (key == "url") {
            fields.url = std::string(value);
        } else if (key == "sha256") {
            fields.sha256 = ascii_lower(trim_space(value));
        } else if (key == "notes") {
            fields.notes = std::string(value);
        }
    }
    return fields;
}

}  // namespace

std::string Version::text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::string UpdateError::text() const {
    if (const auto* malformed = std::get_if<Malformed>(&value))
        return "the release manifest is malformed: " + malformed->detail;
    if (is<NotSigned>()) return "the release manifest is not signed by this application's key";
    if (is<ChecksumMismatch>()) return "the download does not match the signed checksum";
    return "no update feed is configured";
}

std::optional<std::vector<uint8_t>> decode_hex(std::string_view text) {
    text = trim_space(text);
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t at = 0; at < text.size(); at += 2) {
        const auto high = hex_digit(text[at]);
        const auto low = hex_digit(text[at + 1]);
        if (!high || !low) return std::nullopt;
        bytes.push_back(uint8_t(*high << 4 | *low));
    }
    return bytes;
}

std::string encode_hex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<Version> parse_version(std::string_view text) {
    text = trim_space(text);
    uint32_t parts[3];
    for (int i = 0; i < 3; ++i) {
        const size_t dot = text.find('.');
        // The third part must be the rest; the first two must end at a dot.
        if ((i < 2) == (dot == std::string_view::npos)) return std::nullopt;
        const auto number = parse_number(text.substr(0, dot));
        if (!number) return std::nullopt;
        parts[i] = *number;
        text = i < 2 ? text.substr(dot + 1) : std::string_view{};
    }
    return Version{parts[0], parts[1], parts[2]};
}

std::string signature_url(std::string_view manifest_url) { return std::string(manifest_url) + ".sig"; }

Result<ReleaseManifest, UpdateError> verify_manifest(std::span<const uint8_t> manifest, std::string_view signature,
                                                     std::string_view public_key) {
    const auto key = decode_hex(public_key);
    if (!key) return fail(malformed("public key is not hex"));
    if (key->size() != crypto_sign_PUBLICKEYBYTES) return fail(malformed("public key is not 32 bytes"));
    const auto signature_bytes = decode_hex(signature);
    if (!signature_bytes) return fail(malformed("signature is not hex"));
    if (signature_bytes->size() != crypto_sign_BYTES) return fail(malformed("signature is not 64 bytes"));

    // Ed25519 over the bytes as received. libsodium also refuses keys that are not
    // curve points of large order and signatures whose scalar is out of range.
    ensure_sodium();
    if (crypto_sign_verify_detached(signature_bytes->data(), manifest.data(), manifest.size(), key->data()) != 0)
        return fail(UpdateError{UpdateError::NotSigned{}});

    const std::string_view text(reinterpret_cast<const char*>(manifest.data()), manifest.size());
    if (!is_valid_utf8(text)) return fail(malformed("not UTF-8"));

    ManifestFields fields = read_fields(text);
    if (!fields.version) return fail(malformed("no usable version"));
    if (!fields.url) return fail(malformed("no url"));
    if (!fields.sha256) return fail(malformed("no sha256"));
    const auto digest = decode_hex(*fields.sha256);
    if (!digest || digest->size() != crypto_hash_sha256_BYTES)
        return fail(malformed("sha256 is not a 32-byte hex digest"));
    if (!fields.url->starts_with("https://")) return fail(malformed("url is not https"));

    return ReleaseManifest{*fields.version, std::move(*fields.url), std::move(*fields.sha256), std::move(fields.notes)};
}

bool is_newer(const ReleaseManifest& manifest, std::string_view current) {
    return manifest.version > parse_version(current).value_or(Version{});
}

std::string sha256_hex(std::span<const uint8_t> bytes) {
    ensure_sodium();
    uint8_t digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(digest, bytes.data(), bytes.size());
    return encode_hex(digest);
}

}  // namespace kestrix
