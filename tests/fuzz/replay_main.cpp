// Runs a fuzz target over saved inputs without libFuzzer: every file named on the
// command line, or found under a directory named there, once, after the empty
// input. Each input is copied into a heap block of exactly its size, as libFuzzer
// does, so that the sanitizers see any read past its end. The native test runs
// use it to check the seed corpora where clang's libFuzzer is not at hand.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

bool replay(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return false;
    const auto copy = std::make_unique<uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), bytes.size());
    LLVMFuzzerTestOneInput(copy.get(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path named(argv[i]);
        std::error_code ec;
        if (fs::is_directory(named, ec)) {
            for (const auto& entry : fs::recursive_directory_iterator(named))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else if (fs::is_regular_file(named, ec)) {
            inputs.push_back(named);
        } else {
            std::fprintf(stderr, "no input at %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());

    const auto nothing = std::make_unique<uint8_t[]>(0);
    LLVMFuzzerTestOneInput(nothing.get(), 0);
    for (const fs::path& input : inputs) {
        if (!replay(input)) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 2;
        }
    }
    std::printf("%zu inputs replayed\n", inputs.size() + 1);
    return 0;
}
