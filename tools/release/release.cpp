// kestrix-release: how a release is published and how the tests make their feeds.
//
//   kestrix-release keygen SECRET_KEY_FILE       new key pair; prints the public key
//   kestrix-release public-key SECRET_KEY_FILE   prints the public key of a secret key
//   kestrix-release sign SECRET_KEY_FILE FILE    prints the signature of FILE's exact bytes
//   kestrix-release digest FILE                  prints the SHA-256 of FILE
//   kestrix-release verify PUBLIC_KEY FILE SIGNATURE_FILE
//                                                checks a signature as the program does
//
// Keys and signatures are lower-case hexadecimal text; the public key is what the
// program is built with (KESTRIX_UPDATE_PUBLIC_KEY), the signature what the feed
// publishes beside the manifest (its address plus ".sig"). A secret key file holds
// the 64-byte libsodium secret key (seed and public key) and is written readable by
// its owner only. Never commit one.
#include <sodium.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

int usage() {
    std::fputs(
        "usage: kestrix-release keygen SECRET_KEY_FILE\n"
        "       kestrix-release public-key SECRET_KEY_FILE\n"
        "       kestrix-release sign SECRET_KEY_FILE FILE\n"
        "       kestrix-release digest FILE\n"
        "       kestrix-release verify PUBLIC_KEY FILE SIGNATURE_FILE\n",
        stderr);
    return 2;
}

int failure(const std::string& text) {
    std::fprintf(stderr, "kestrix-release: %s\n", text.c_str());
    return 1;
}

std::optional<Bytes> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::string hex(const unsigned char* data, size_t size) {
    std::string text(size * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), data, size);
    text.pop_back();
    return text;
}

// Hexadecimal text with surrounding white space, of exactly `size` bytes.
std::optional<Bytes> unhex(std::string_view text, size_t size) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    text = first == std::string_view::npos ? std::string_view{} : text.substr(first, last - first + 1);
    Bytes bytes(size);
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_hex2bin(bytes.data(), size, text.data(), text.size(), nullptr, &length, &end) != 0 || length != size ||
        end != text.data() + text.size())
        return std::nullopt;
    return bytes;
}

std::optional<Bytes> read_secret_key(const std::string& path) {
    const auto text = read_bytes(path);
    if (!text) return std::nullopt;
    return unhex(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), crypto_sign_SECRETKEYBYTES);
}

int keygen(const std::string& path) {
    if (std::filesystem::exists(path)) return failure(path + " exists; a key is never overwritten");
    unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
    unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(public_key, secret_key);
    {
        std::ofstream out(path, std::ios::binary);
        // Owner-only before the key goes in.
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     ignored);
        out << hex(secret_key, sizeof secret_key) << '\n';
        if (!out.flush()) return failure("cannot write " + path);
    }
    sodium_memzero(secret_key, sizeof secret_key);
    std::printf("%s\n", hex(public_key, sizeof public_key).c_str());
    return 0;
}

int public_key(const std::string& path) {
    const auto secret = read_secret_key(path);
    if (!secret) return failure(path + " is not a secret key file");
    unsigned char key[crypto_sign_PUBLICKEYBYTES];
    crypto_sign_ed25519_sk_to_pk(key, secret->data());
    std::printf("%s\n", hex(key, sizeof key).c_str());
    return 0;
}

int sign(const std::string& key_path, const std::string& path) {
    const auto secret = read_secret_key(key_path);
    if (!secret) return failure(key_path + " is not a secret key file");
    const auto message = read_bytes(path);
    if (!message) return failure("cannot read " + path);
    unsigned char signature[crypto_sign_BYTES];
    crypto_sign_detached(signature, nullptr, message->data(), message->size(), secret->data());
    std::printf("%s\n", hex(signature, sizeof signature).c_str());
    return 0;
}

int digest(const std::string& path) {
    const auto bytes = read_bytes(path);
    if (!bytes) return failure("cannot read " + path);
    unsigned char sum[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(sum, bytes->data(), bytes->size());
    std::printf("%s\n", hex(sum, sizeof sum).c_str());
    return 0;
}

int verify(const std::string& key_text, const std::string& path, const std::string& signature_path) {
    const auto key = unhex(key_text, crypto_sign_PUBLICKEYBYTES);
    if (!key) return failure("the public key is not 64 hexadecimal digits");
    const auto message = read_bytes(path);
    if (!message) return failure("cannot read " + path);
    const auto signature_text = read_bytes(signature_path);
    if (!signature_text) return failure("cannot read " + signature_path);
    const auto signature = unhex(
        std::string_view(reinterpret_cast<const char*>(signature_text->data()), signature_text->size()), crypto_sign_BYTES);
    if (!signature) return failure("the signature is not 128 hexadecimal digits");
    if (crypto_sign_verify_detached(signature->data(), message->data(), message->size(), key->data()) != 0)
        return failure("the signature does not match this key and these bytes");
    std::puts("good signature");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (sodium_init() < 0) return failure("libsodium cannot start");
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string& command = args[0];
    if (command == "keygen" && args.size() == 2) return keygen(args[1]);
    if (command == "public-key" && args.size() == 2) return public_key(args[1]);
    if (command == "sign" && args.size() == 3) return sign(args[1], args[2]);
    if (command == "digest" && args.size() == 2) return digest(args[1]);
    if (command == "verify" && args.size() == 4) return verify(args[1], args[2], args[3]);
    return usage();
}
