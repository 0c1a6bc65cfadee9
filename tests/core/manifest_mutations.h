#pragma once
// Randomised run of verify_manifest over mutated manifests and signature texts,
// each result checked against what it must be:
// - with the original signature, a verified manifest is exactly the signed bytes
//   and a signature text that decodes to the signed 64 bytes; every other input
//   fails with the error of the first check it breaks;
// - with a fresh signature over the mutated bytes, the parser's answer is checked:
//   a verified manifest has a re-parsable version, an https url and a lower-case
//   64-digit digest, and bytes that are not UTF-8 are refused as such.
// Shared by the unit test (a bounded run) and the bench (a million inputs).
#include <cctype>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "kestrix/utf8.h"
#include "manifest_signer.h"

namespace kestrix::testing {

struct MutationTally {
    uint64_t inputs = 0;
    uint64_t verified = 0;
    uint64_t not_signed = 0;
    uint64_t malformed = 0;
    std::optional<std::string> violation;  // the first input whose result was wrong
};

inline const std::vector<std::string>& manifest_templates() {
    static const std::vector<std::string> templates = {
        "version = 1.10.0\nurl = https://kestrix.app/updates/windows/kestrix-1.10.0.exe\n"
        "sha256 = 4f6c2a1d9be0735c8e21fa09d6b3c4e5a7f8091b2c3d4e5f60718293a4b5c6d7\nnotes = Faster capture.\n",
        "# release feed\r\nVERSION=\"2.0.1\"\r\nURL=\"https://example.invalid/k.exe\"\r\n"
        "SHA256=\"4F6C2A1D9BE0735C8E21FA09D6B3C4E5A7F8091B2C3D4E5F60718293A4B5C6D7\"\r\n",
        "free text line\n\nversion=0.9.23\nurl=https://h/x\nsha256=00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff\n"
        "notes=a = b \"quoted\"\nversion=0.9.24\n",
    };
    return templates;
}

inline std::string mutate_bytes(std::string text, std::mt19937_64& random) {
    static const std::string kInteresting = "=\"\r\n .+-#0aFz\x80\xC3\xFF\xE3\x80\x80";
    auto pick = [&](size_t n) { return size_t(random() % (n == 0 ? 1 : n)); };
    const int rounds = 1 + int(random() % 3);
    for (int r = 0; r < rounds; ++r) {
        switch (random() % 7) {
            case 0:  // flip one bit
                if (!text.empty()) text[pick(text.size())] ^= char(1u << (random() % 8));
                break;
            case 1:  // insert an interesting byte
                text.insert(text.begin() + std::ptrdiff_t(pick(text.size() + 1)), kInteresting[pick(kInteresting.size())]);
                break;
            case 2:  // delete a byte
                if (!text.empty()) text.erase(pick(text.size()), 1);
                break;
            case 3:  // truncate
                text.resize(pick(text.size() + 1));
                break;
            case 4:  // overwrite a byte with any value
                if (!text.empty()) text[pick(text.size())] = char(random() & 0xFF);
                break;
            case 5: {  // repeat a slice somewhere else
                if (text.empty()) break;
                const size_t from = pick(text.size());
                const std::string slice = text.substr(from, 1 + pick(16));
                text.insert(pick(text.size() + 1), slice);
                break;
            }
            default:  // add a trailing line feed
                text += '\n';
                break;
        }
    }
    return text;
}

// Signature texts: mostly the right one with harmless or harmful edits.
inline std::string mutate_signature(std::string hex, std::mt19937_64& random) {
    switch (random() % 8) {
        case 0:
            return hex;  // untouched
        case 1:  // upper case and surrounding blanks still decode to the same bytes
            for (char& c : hex) c = char(std::toupper(static_cast<unsigned char>(c)));
            return " \t" + hex + "\r\n";
        case 2:  // a different digit
            hex[random() % hex.size()] = "0123456789abcdef"[random() % 16];
            return hex;
        case 3:  // one digit fewer or more
            if (random() % 2) hex.pop_back(); else hex += 'a';
            return hex;
        case 4:  // a pair cut off or added
            if (random() % 2) hex.resize(hex.size() - 2); else hex += "00";
            return hex;
        case 5:  // a character that is not a digit, possibly outside ASCII
            hex[random() % hex.size()] = "gx \xC3\xE3"[random() % 5];
            return hex;
        case 6:  // white space inside
            hex.insert(hex.begin() + std::ptrdiff_t(1 + random() % (hex.size() - 1)), ' ');
            return hex;
        default:  // anything at all
            return mutate_bytes(hex, random);
    }
}

inline bool is_lower_hex_digest(const std::string& text) {
    if (text.size() != 64) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

inline MutationTally run_manifest_mutations(uint64_t count, uint64_t seed) {
    const ManifestSigner signer(11);
    const std::string key = signer.public_key_hex();
    std::mt19937_64 random(seed);
    MutationTally tally;
    std::vector<std::vector<uint8_t>> signatures;
    std::vector<ReleaseManifest> parsed;
    for (const std::string& manifest : manifest_templates()) {
        signatures.push_back(signer.signature(bytes_of(manifest)));
        parsed.push_back(*signer.verify(manifest));
    }

    auto tally_result = [&](const Result<ReleaseManifest, UpdateError>& result) {
        if (result.ok()) ++tally.verified;
        else if (result.error().is<UpdateError::NotSigned>()) ++tally.not_signed;
        else ++tally.malformed;
    };
    auto violated = [&](const std::string& what, const std::string& manifest, const std::string& signature) {
        if (!tally.violation)
            tally.violation = what + " (manifest " + encode_hex(bytes_of(manifest)) + ", signature '" + signature + "')";
    };

    for (uint64_t i = 0; i < count && !tally.violation; ++i) {
        const size_t which = i % manifest_templates().size();
        const std::string& original = manifest_templates()[which];
        const std::vector<uint8_t>& original_signature = signatures[which];
        ++tally.inputs;

        if (random() % 4 != 0) {
            // The original signature against mutated bytes and texts: the answer is known.
            const std::string manifest = random() % 3 == 0 ? original : mutate_bytes(original, random);
            const std::string signature = mutate_signature(encode_hex(original_signature), random);
            const auto result = verify_manifest(bytes_of(manifest), signature, key);
            tally_result(result);

            const auto decoded = decode_hex(signature);
            std::string expected;
            if (!decoded) expected = "the release manifest is malformed: signature is not hex";
            else if (decoded->size() != 64) expected = "the release manifest is malformed: signature is not 64 bytes";
            else if (manifest != original || *decoded != original_signature)
                expected = "the release manifest is not signed by this application's key";
            const std::string got = result.ok() ? std::string() : result.error().text();
            if (got != expected) violated("expected '" + expected + "', got '" + got + "'", manifest, signature);
            if (result.ok() && *result != parsed[which]) violated("a different manifest", manifest, signature);
            continue;
        }

        // A fresh signature over mutated bytes: the parser is reached.
        const std::string manifest = mutate_bytes(original, random);
        const auto result = signer.verify(manifest);
        tally_result(result);
        if (!is_valid_utf8(manifest)) {
            if (result.ok() || result.error().text() != "the release manifest is malformed: not UTF-8")
                violated("bytes that are not UTF-8 were not refused as such", manifest, signer.sign(manifest));
            continue;
        }
        if (result.ok()) {
            const ReleaseManifest& m = *result;
            if (parse_version(m.version.text()) != m.version || !m.url.starts_with("https://") ||
                !is_lower_hex_digest(m.sha256))
                violated("a verified manifest broke a field rule", manifest, signer.sign(manifest));
        } else if (result.error().is<UpdateError::NotSigned>()) {
            violated("a correctly signed manifest was refused as unsigned", manifest, signer.sign(manifest));
        }
    }
    return tally;
}

}  // namespace kestrix::testing
