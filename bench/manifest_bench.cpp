// Runs verify_manifest over mutated manifests and signature texts (a million by
// default) and prints how many were verified or refused and the time per input.
// Every answer is checked against the one it must be; a wrong one ends the run
// with exit code 1 and the input that got it.
//   manifest_bench [COUNT] [SEED]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/manifest_mutations.h"

int main(int argc, char** argv) {
    const uint64_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 2024;
    const auto start = std::chrono::steady_clock::now();
    const kestrix::testing::MutationTally tally = kestrix::testing::run_manifest_mutations(count, seed);
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    std::printf("inputs:     %llu (seed %llu)\n", static_cast<unsigned long long>(tally.inputs),
                static_cast<unsigned long long>(seed));
    std::printf("verified:   %llu\n", static_cast<unsigned long long>(tally.verified));
    std::printf("not signed: %llu\n", static_cast<unsigned long long>(tally.not_signed));
    std::printf("malformed:  %llu\n", static_cast<unsigned long long>(tally.malformed));
    std::printf("time:       %.1f s, %.1f us per input\n", spent.count(), spent.count() * 1e6 / double(tally.inputs));
    if (tally.violation) {
        std::printf("WRONG ANSWER: %s\n", tally.violation->c_str());
        return 1;
    }
    std::printf("every answer was the right one\n");
    return 0;
}
