// Running out of memory for real: each case runs in a child process whose address
// space is limited to what it already uses plus some headroom, so that allocations
// (worker threads' stacks included) fail at different points of the work. Whatever
// the point, the work must end in its error value or its result, never in an
// exception that ends the process.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "kestrix/beautify.h"
#include "kestrix/export.h"
#include "kestrix/image.h"

#if defined(__SANITIZE_ADDRESS__)
#define KESTRIX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRIX_ADDRESS_SANITIZER 1
#endif
#endif

using namespace kestrix;

namespace {

constexpr size_t kMiB = size_t(1) << 20;
// How the child ended: one of these exit codes, or killed by a signal.
constexpr int kSucceeded = 10;
constexpr int kOutOfMemory = 11;
constexpr int kWrongAnswer = 12;
constexpr int kThrew = 13;  // an exception left the library

// The process's virtual size in bytes, from /proc.
size_t address_space_in_use() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmSize:") {
            size_t kib = 0;
            status >> kib;
            return kib * 1024;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

// In a child process: limits the address space to what is in use plus `headroom`
// and exits with what `work` answers.
[[noreturn]] void run_limited(size_t headroom, const std::function<int()>& work) {
#ifdef __GLIBC__
    // Large blocks come from fresh mappings, as they do before any has been freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    const rlim_t limit = address_space_in_use() + headroom;
    const rlimit both{limit, limit};
    if (setrlimit(RLIMIT_AS, &both) != 0) _exit(kWrongAnswer);
    int code = kThrew;
    try {
        code = work();
    } catch (...) {
    }
    _exit(code);
}

// A picture that deflate cannot shrink much, so that every buffer is large.
Image noisy_picture(uint32_t width, uint32_t height) {
    std::vector<uint8_t> px(size_t(width) * height * 4);
    uint32_t seed = 2463534242u;
    for (size_t i = 0; i < px.size(); ++i) {
        seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
        px[i] = (i % 4 == 3) ? 255 : uint8_t(seed);
    }
    return make_image(width, height, std::move(px)).value();
}

// Every headroom from nothing to plenty: each must give a result or the error, and
// between them both must be seen, or the limits missed the work altogether.
void expect_result_or_error(const std::vector<size_t>& headrooms, const std::function<int()>& work) {
    // Each child is a fresh run of this test program: memory this process freed
    // earlier would otherwise serve allocations without touching the limit.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::set<int> seen;
    for (size_t headroom : headrooms) {
        int status = -1;
        const auto note_status = [&status](int s) {
            status = s;
            return true;
        };
        EXPECT_EXIT(run_limited(headroom, work), note_status, "");
        const int ended = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
        EXPECT_TRUE(ended == kSucceeded || ended == kOutOfMemory)
            << "with " << headroom / kMiB << " MiB to spare the child ended with " << ended << " (" << kThrew
            << ": an exception left the library; 134: an abort, as when one leaves a thread)";
        seen.insert(ended);
    }
    EXPECT_TRUE(seen.count(kSucceeded)) << "no limit was generous enough to succeed";
    EXPECT_TRUE(seen.count(kOutOfMemory)) << "no limit was tight enough to fail";
}

class OutOfMemory : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef KESTRIX_ADDRESS_SANITIZER
        GTEST_SKIP() << "AddressSanitizer reserves its shadow memory outside any address-space limit";
#endif
    }
};

}  // namespace

TEST_F(OutOfMemory, EncodingEndsInAnEncodeError) {
    const Image picture = noisy_picture(2000, 2000);
    PngSettings two_strips;
    two_strips.strips = 2;  // worker threads whatever the machine
    // From the first buffer failing, through a worker's failing while this thread's
    // did not (and the other way round), to enough room for everything.
    const std::vector<size_t> for_strips{2 * kMiB,  10 * kMiB, 20 * kMiB, 30 * kMiB, 45 * kMiB,
                                         60 * kMiB, 80 * kMiB, 110 * kMiB, 400 * kMiB};
    const std::vector<size_t> for_libpng{2 * kMiB, 20 * kMiB, 40 * kMiB, 400 * kMiB};
    for (const PngSettings& settings : {two_strips, PngSettings{-1, -1, -1}}) {
        SCOPED_TRACE("strips " + std::to_string(settings.strips) + " level " + std::to_string(settings.level));
        expect_result_or_error(settings.level < 0 ? for_libpng : for_strips, [&] {
            auto png = encodePng(picture, settings);
            if (png) return png->size() > 2000 * 2000 ? kSucceeded : kWrongAnswer;
            return png.error().kind == ImageError::Kind::Encode && png.error().encoder_message == "out of memory"
                       ? kOutOfMemory
                       : kWrongAnswer;
        });
    }
}

TEST_F(OutOfMemory, CropMosaicBackdropAndExportEndInTheirErrors) {
    const Image picture = noisy_picture(2000, 2000);
    Frame frame;
    frame.tiles.push_back(Tile{picture, Rect{0, 0, 2000, 2000}, 100});
    const Rect all{0, 0, 2000, 2000};
    const std::vector<size_t> headrooms{2 * kMiB, 12 * kMiB, 24 * kMiB, 40 * kMiB, 60 * kMiB, 400 * kMiB};

    expect_result_or_error(headrooms, [&] { return frame.crop(all) ? kSucceeded : kOutOfMemory; });
    expect_result_or_error(headrooms, [&] {
        auto composite = beautify(picture);
        if (composite) return kSucceeded;
        return composite.error().kind == ImageError::Kind::TooLarge ? kOutOfMemory : kWrongAnswer;
    });

    // No canvas is needed: a mosaic is drawn into the pixels themselves.
    struct NoCanvases : ImageCanvasFactory {
        Result<void, PlatformError> paint(Image&, const std::function<void(Canvas&)>&) override {
            return fail(PlatformError::capture("no canvas expected"));
        }
    } canvases;
    const std::vector<Annotation> mosaic{MosaicMark{40, 10, {{100, 100}, {1900, 1900}}}};
    expect_result_or_error(headrooms, [&] {
        auto picture = renderExport(ExportInput{frame, all, mosaic, true}, canvases);
        // On its backdrop, or plain when only the backdrop found no room.
        if (picture) return picture->width() >= 2000 ? kSucceeded : kWrongAnswer;
        return picture.error().plain() == "not enough memory for the picture" ? kOutOfMemory : kWrongAnswer;
    });
}

#endif
