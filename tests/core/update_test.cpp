#include "kestrix/update.h"

#include <gtest/gtest.h>

#include "manifest_mutations.h"
#include "manifest_signer.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

constexpr std::string_view kDigest = "4f6c2a1d9be0735c8e21fa09d6b3c4e5a7f8091b2c3d4e5f60718293a4b5c6d7";

std::string manifest(std::string_view version = "1.10.0", std::string_view url = "https://kestrix.app/k.exe",
                     std::string_view sha256 = kDigest) {
    return "version = " + std::string(version) + "\nurl = " + std::string(url) + "\nsha256 = " + std::string(sha256) +
           "\nnotes = Faster capture.\n";
}

std::string error_of(const Result<ReleaseManifest, UpdateError>& result) {
    return result.ok() ? "verified" : result.error().text();
}

std::string malformed(std::string_view detail) { return "the release manifest is malformed: " + std::string(detail); }
const std::string kNotSigned = "the release manifest is not signed by this application's key";

struct Rfc8032Vector {
    const char* public_key;
    const char* message;
    const char* signature;
    const char* after_signature;  // the first check after the signature that the message fails
};

// RFC 8032, section 7.1: TEST 1, 2, 3 and SHA(abc). Their messages are not manifests,
// so a good signature shows as the next check's failure instead of NotSigned.
const Rfc8032Vector kRfc8032[] = {
    {"d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46bd25bf5f0595bbe24655141438e7a100b",
     "no usable version"},
    {"3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c387b2eaeb4302aeeb00d291612bb0c00",
     "no usable version"},
    {"fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc6594a7c15e9716ed28dc027beceea1ec40a",
     "not UTF-8"},
    {"ec172b93ad5e563bf4932c70e1245034c35467ef2efd4d64ebf819683467e2bf",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f",
     "dc2a4459e7369633a52b1bf277839a00201009a3efbf3ecb69bea2186c26b58909351fc9ac90b3ecfdfbc7c66431e0303dca179c138ac17ad9bef1177331a704",
     "not UTF-8"},
};

std::string flip_bit(std::string hex, size_t digit) {
    auto bytes = *decode_hex(hex);
    bytes[digit / 2] ^= 0x01;
    return encode_hex(bytes);
}

}  // namespace

TEST(UpdateSignature, Rfc8032VectorsVerifyAndAnyChangedBitFails) {
    for (const Rfc8032Vector& v : kRfc8032) {
        SCOPED_TRACE(v.public_key);
        const std::vector<uint8_t> message = *decode_hex(v.message);
        EXPECT_EQ(error_of(verify_manifest(message, v.signature, v.public_key)), malformed(v.after_signature));

        // A changed bit anywhere in the key, the R half or the S half of the signature, or the message.
        for (size_t digit : {0, 30, 63}) {
            const std::string key = flip_bit(v.public_key, digit);
            EXPECT_EQ(error_of(verify_manifest(message, v.signature, key)), kNotSigned);
        }
        for (size_t digit : {0, 63, 64, 127}) {
            const std::string signature = flip_bit(v.signature, digit);
            EXPECT_EQ(error_of(verify_manifest(message, signature, v.public_key)), kNotSigned);
        }
        std::vector<uint8_t> longer = message;
        longer.push_back(0);
        EXPECT_EQ(error_of(verify_manifest(longer, v.signature, v.public_key)), kNotSigned);
        if (!message.empty()) {
            std::vector<uint8_t> changed = message;
            changed.back() ^= 0x80;
            EXPECT_EQ(error_of(verify_manifest(changed, v.signature, v.public_key)), kNotSigned);
        }
    }
}

TEST(UpdateSignature, NonCanonicalScalarsAndWeakKeysAreRefused) {
    const Rfc8032Vector& v = kRfc8032[0];
    const std::vector<uint8_t> message;
    // S + L (the group order) verifies under a lax checker; it must not here.
    auto signature = *decode_hex(v.signature);
    static const uint8_t kOrder[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7,
                                       0xa2, 0xde, 0xf9, 0xde, 0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};
    unsigned carry = 0;
    for (size_t i = 0; i < 32; ++i) {
        carry += unsigned(signature[32 + i]) + kOrder[i];
        signature[32 + i] = uint8_t(carry);
        carry >>= 8;
    }
    EXPECT_EQ(error_of(verify_manifest(message, encode_hex(signature), v.public_key)), kNotSigned);
    // With the neutral element as the key, R = neutral and S = 0 satisfy the verification
    // equation for every message; a key of small order must be refused instead.
    const std::string neutral = "01" + std::string(62, '0');
    EXPECT_EQ(error_of(verify_manifest(bytes_of(manifest()), neutral + std::string(64, '0'), neutral)), kNotSigned);
}

TEST(UpdateSignature, KeyAndSignatureTextsAreCheckedFirstInOrder) {
    const ManifestSigner signer;
    const std::string text = manifest();
    const std::string good = signer.sign(text);
    const std::string key = signer.public_key_hex();
    auto check = [&](std::string_view signature, std::string_view public_key) {
        return error_of(verify_manifest(bytes_of(text), signature, public_key));
    };
    EXPECT_EQ(check(good, key), "verified");
    EXPECT_EQ(check("zz", "not a key"), malformed("public key is not hex"));
    EXPECT_EQ(check(good, key.substr(0, 63)), malformed("public key is not hex"));  // odd length
    EXPECT_EQ(check("zz", key.substr(0, 62)), malformed("public key is not 32 bytes"));
    EXPECT_EQ(check(good + "0", key), malformed("signature is not hex"));
    EXPECT_EQ(check(good.substr(0, 126) + "\xC3\xA9", key), malformed("signature is not hex"));
    EXPECT_EQ(check(good.substr(0, 126), key), malformed("signature is not 64 bytes"));
    EXPECT_EQ(check(good + "00", key), malformed("signature is not 64 bytes"));
    // Upper-case digits and surrounding white space (a trailing line feed) are fine.
    std::string upper = good;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(check("  " + upper + "\r\n", "\t" + key + "\n"), "verified");
    EXPECT_EQ(check(good.substr(0, 64) + " " + good.substr(64), key), malformed("signature is not hex"));
}

TEST(UpdateSignature, TheExactBytesAreSigned) {
    const ManifestSigner signer;
    const std::string text = manifest();
    const std::string signature = signer.sign(text);
    const std::string key = signer.public_key_hex();
    EXPECT_EQ(error_of(verify_manifest(bytes_of(text + "\n"), signature, key)), kNotSigned);
    EXPECT_EQ(error_of(verify_manifest(bytes_of(text + "x"), signature, key)), kNotSigned);
    EXPECT_EQ(error_of(verify_manifest(bytes_of(" " + text), signature, key)), kNotSigned);
    EXPECT_EQ(error_of(verify_manifest(bytes_of(text.substr(0, text.size() - 1)), signature, key)), kNotSigned);
    // Another key's signature over the same bytes.
    EXPECT_EQ(error_of(verify_manifest(bytes_of(text), ManifestSigner(99).sign(text), key)), kNotSigned);
}

TEST(UpdateManifest, FieldsAreReadLineByLine) {
    const ManifestSigner signer;
    auto verified = signer.verify(
        "# the release = of the week\r\n"
        "free text without an equals sign\r\n"
        "\r\n"
        "  URL = \"https://kestrix.app/updates/windows/kestrix-1.10.0.exe\"  \r\n"
        "Version=\"\"1.10.0\"\"\r\n"
        "sha256 = \"4F6C2A1D9BE0735C8E21FA09D6B3C4E5A7F8091B2C3D4E5F60718293A4B5C6D7\"\r\n"
        "notes = Capture = copy. \"Quoted\" words stay\r\n"
        "unknown = ignored\r\n");
    ASSERT_TRUE(verified.ok()) << verified.error().text();
    EXPECT_EQ(verified->version, (Version{1, 10, 0}));
    EXPECT_EQ(verified->url, "https://kestrix.app/updates/windows/kestrix-1.10.0.exe");
    EXPECT_EQ(verified->sha256, kDigest);
    EXPECT_EQ(verified->notes, "Capture = copy. \"Quoted\" words stay");

    // The last line of a key wins; notes may be absent.
    auto later = signer.verify("url = https://a/1\nversion = 2.0.0\nsha256 = " + std::string(kDigest) +
                               "\nurl = https://b/2\nversion = 2.0.1\n");
    ASSERT_TRUE(later.ok()) << later.error().text();
    EXPECT_EQ(later->version, (Version{2, 0, 1}));
    EXPECT_EQ(later->url, "https://b/2");
    EXPECT_EQ(later->notes, "");
}

TEST(UpdateManifest, MissingOrBadFieldsAreReportedInOrder) {
    const ManifestSigner signer;
    const std::string digest(kDigest);
    auto detail = [&](const std::string& text) { return error_of(signer.verify(text)); };
    EXPECT_EQ(detail("version = 1.2\nurl = https://a/b\nsha256 = " + digest), malformed("no usable version"));
    EXPECT_EQ(detail("version = v1.2.3\nurl = https://a/b\nsha256 = " + digest), malformed("no usable version"));
    // An unparsable last line leaves no version even after a good one.
    EXPECT_EQ(detail("version = 1.2.3\nversion = latest\nurl = https://a/b\nsha256 = " + digest),
              malformed("no usable version"));
    EXPECT_EQ(detail("version = 1.2.3\nsha256 = " + digest), malformed("no url"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = https://a/b"), malformed("no sha256"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = https://a/b\nsha256 = " + digest.substr(0, 62)),
              malformed("sha256 is not a 32-byte hex digest"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = https://a/b\nsha256 = " + digest.substr(0, 63)),
              malformed("sha256 is not a 32-byte hex digest"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = https://a/b\nsha256 = " + digest.substr(0, 62) + "zz"),
              malformed("sha256 is not a 32-byte hex digest"));
    EXPECT_EQ(detail(manifest("1.2.3", "http://kestrix.app/k.exe")), malformed("url is not https"));
    EXPECT_EQ(detail(manifest("1.2.3", "HTTPS://kestrix.app/k.exe")), malformed("url is not https"));
    // The order of the checks: the version before the url before the digest.
    EXPECT_EQ(detail("url = http://a/b\nsha256 = 12"), malformed("no usable version"));
    EXPECT_EQ(detail("version = 1.2.3\nsha256 = 12"), malformed("no url"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = http://a/b\nsha256 = 12"), malformed("sha256 is not a 32-byte hex digest"));
    EXPECT_EQ(detail("version = 1.2.3\nurl = https://a/b\nsha256 = " + digest + "\xFF"), malformed("not UTF-8"));
}

TEST(UpdateVersion, ParsingAndComparison) {
    EXPECT_EQ(parse_version(" 1.10.0 "), (Version{1, 10, 0}));
    EXPECT_EQ(parse_version("+1.+0.+4294967295"), (Version{1, 0, 4294967295u}));
    EXPECT_EQ(parse_version("01.002.3"), (Version{1, 2, 3}));
    for (std::string_view bad : {"1.2", "1.2.3.4", "v1.2.3", "1..3", "1.2.", ".1.2", "1.2.4294967296", "-1.2.3",
                                 "1.2.-3", "1. 2.3", "1.2.3a", "++1.2.3", "+.1.2", "", "1.2.3\xC2\xA0x"})
        EXPECT_EQ(parse_version(bad), std::nullopt) << bad;
    EXPECT_EQ((Version{1, 10, 0}).text(), "1.10.0");

    auto offered = [](Version v) { return ReleaseManifest{v, "https://a/b", std::string(kDigest), ""}; };
    EXPECT_TRUE(is_newer(offered({1, 10, 0}), "0.9.22"));
    EXPECT_TRUE(is_newer(offered({0, 9, 23}), "0.9.22"));
    EXPECT_TRUE(is_newer(offered({0, 10, 0}), "0.9.22"));
    EXPECT_FALSE(is_newer(offered({0, 9, 22}), "0.9.22"));
    EXPECT_FALSE(is_newer(offered({0, 9, 3}), "0.9.22"));  // numeric, not textual
    EXPECT_FALSE(is_newer(offered({0, 8, 99}), "0.9.22"));
    // An unparsable current version counts as 0.0.0.
    EXPECT_TRUE(is_newer(offered({0, 0, 1}), "dev"));
    EXPECT_FALSE(is_newer(offered({0, 0, 0}), "dev"));
    EXPECT_FALSE(is_newer(offered({0, 9, 22})));  // this build
}

TEST(UpdateHex, DecodingAndDigests) {
    EXPECT_EQ(decode_hex(" 00ffA5\n"), (std::vector<uint8_t>{0x00, 0xff, 0xa5}));
    EXPECT_EQ(decode_hex(""), std::vector<uint8_t>{});
    for (std::string_view bad : {"0", "0g", "g0", "0 0", "\xC3\xA9", "-1", "0x00"})
        EXPECT_EQ(decode_hex(bad), std::nullopt) << bad;
    EXPECT_EQ(sha256_hex(bytes_of("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256_hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(signature_url("https://kestrix.app/updates/windows/release.txt"),
              "https://kestrix.app/updates/windows/release.txt.sig");
}

TEST(UpdateManifest, RandomisedMutationsGetTheRightAnswer) {
    // A bounded run for the suite; bench/manifest_bench runs a million.
    const MutationTally tally = run_manifest_mutations(5'000, 0x6b657374);
    EXPECT_EQ(tally.violation, std::nullopt);
    EXPECT_EQ(tally.inputs, 5'000u);
    // Every kind of answer was met often, so the run reached past each check.
    EXPECT_GT(tally.verified, 200u);
    EXPECT_GT(tally.not_signed, 500u);
    EXPECT_GT(tally.malformed, 1'000u);
}
