// PNG encoding. With one cheap row filter, the rows are filtered here and the
// deflate stream is cut into strips that are compressed side by side: each strip
// is a raw deflate piece primed with the 32 KiB of data before it, so the pieces
// join into one valid zlib stream that is hardly larger than a single-threaded
// one. libpng writes the header and the chunks. Other settings (and libpng's own
// defaults) go through libpng's single stream.
//
// zlib's lengths (uInt, uLong, z_off_t) are 32 bits on Windows, so every strip is
// fed to deflate in bounded pieces and the checksums are joined with 64-bit lengths.
// Running out of memory anywhere, worker threads included, ends in an Encode error;
// workers are joined on every path.
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "kestrix/image.h"

namespace kestrix {

namespace {

constexpr uint32_t kMaxStrips = 8;
constexpr uint32_t kMinRowsPerStrip = 64;
constexpr size_t kWindow = 32768;  // deflate's look-back distance
constexpr size_t kIdatChunk = 1u << 20;
constexpr size_t kDefaultPiece = size_t(1) << 30;
constexpr size_t kSmallestPiece = 64;
constexpr uint32_t kAdlerBase = 65521;
constexpr char kOutOfMemory[] = "out of memory";

struct PngWriteState {
    std::vector<uint8_t>* out;
    std::string error;
};

// No exception may pass through libpng: running out of memory is its error.
void on_png_write(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    bool grown = true;
    try {
        state->out->insert(state->out->end(), data, data + length);
    } catch (const std::exception&) {
        grown = false;
    }
    if (!grown) png_error(png, kOutOfMemory);
}

void on_png_flush(png_structp) {}

[[noreturn]] void on_png_error(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngWriteState*>(png_get_error_ptr(png));
    state->error = message ? message : "unknown error";
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

ImageError encode_error(std::string text) { return ImageError{ImageError::Kind::Encode, 0, 0, std::move(text)}; }

// The PNG filter type byte for a libpng filter mask naming exactly one of the
// filters done here; none for anything else.
std::optional<uint8_t> single_cheap_filter(int mask) {
    switch (mask) {
        case PNG_FILTER_NONE: return uint8_t(0);
        case PNG_FILTER_SUB: return uint8_t(1);
        case PNG_FILTER_UP: return uint8_t(2);
        default: return std::nullopt;
    }
}

// Rows [first, last) of the image as filtered RGB scanlines (filter byte first).
void filter_rows(const Image& image, uint8_t filter, uint32_t first, uint32_t last, uint8_t* out) {
    const size_t w = image.width();
    const size_t stride = 1 + 3 * w;
    const uint8_t* px = image.pixels().data();
    for (uint32_t y = first; y < last; ++y) {
        uint8_t* line = out + (y - first) * stride;
        line[0] = filter;
        uint8_t* rgb = line + 1;
        const uint8_t* row = px + size_t(y) * w * 4;
        for (size_t x = 0; x < w; ++x) {
            rgb[3 * x + 0] = row[4 * x + 2];
            rgb[3 * x + 1] = row[4 * x + 1];
            rgb[3 * x + 2] = row[4 * x + 0];
        }
        if (filter == 1) {
            for (size_t i = 3 * w; i-- > 3;) rgb[i] = uint8_t(rgb[i] - rgb[i - 3]);
        } else if (filter == 2 && y > 0) {
            const uint8_t* above = row - w * 4;
            for (size_t x = 0; x < w; ++x) {
                rgb[3 * x + 0] = uint8_t(rgb[3 * x + 0] - above[4 * x + 2]);
                rgb[3 * x + 1] = uint8_t(rgb[3 * x + 1] - above[4 * x + 1]);
                rgb[3 * x + 2] = uint8_t(rgb[3 * x + 2] - above[4 * x + 0]);
            }
        }
    }
}

// One strip: its scanlines, then its raw deflate piece and the piece's checksum.
struct Strip {
    uint32_t first_row = 0;
    uint32_t last_row = 0;
    const uint8_t* data = nullptr;  // the strip's filtered bytes inside the shared buffer
    size_t size = 0;
    std::vector<uint8_t> deflated;
    uint32_t adler = 1;
    bool ok = false;
    bool out_of_memory = false;
};

size_t piece_size(const PngSettings& settings) {
    return settings.piece == 0 ? kDefaultPiece : std::max(settings.piece, kSmallestPiece);
}

// Adler-32 of any number of bytes, `piece` at a time.
uint32_t adler32_pieces(const uint8_t* data, size_t size, size_t piece) {
    uLong adler = adler32(0, nullptr, 0);
    for (size_t at = 0; at < size; at += piece) adler = adler32(adler, data + at, uInt(std::min(piece, size - at)));
    return uint32_t(adler);
}

// Deflates `size` bytes into `out`, handing zlib at most `piece` bytes of input and
// of output room per call. The last strip finishes the stream, every other one ends
// with a sync flush on a byte boundary. Success is the stream's own end state: the
// stream ended, or every byte was taken and the flush completed.
bool deflate_pieces(z_stream& z, const uint8_t* data, size_t size, bool last, size_t piece,
                    std::vector<uint8_t>& out) {
    const int final_flush = last ? Z_FINISH : Z_SYNC_FLUSH;
    size_t fed = 0;
    size_t produced = 0;
    for (;;) {
        if (z.avail_in == 0 && fed < size) {
            const size_t n = std::min(piece, size - fed);
            z.next_in = const_cast<Bytef*>(data + fed);
            z.avail_in = uInt(n);
            fed += n;
        }
        const bool all_fed = fed == size;
        // Room for what is left, give or take deflate's worst-case growth, in one go when it fits.
        const size_t left = size - fed + z.avail_in;
        const size_t room = std::min(piece, left + left / 1000 + 1024);
        out.resize(produced + room);
        z.next_out = out.data() + produced;
        z.avail_out = uInt(room);
        const int result = deflate(&z, all_fed ? final_flush : Z_NO_FLUSH);
        produced += room - z.avail_out;
        out.resize(produced);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return false;
        if (!all_fed || z.avail_in != 0) continue;
        if (last) {
            if (result == Z_STREAM_END) return true;
        } else if (z.avail_out != 0) {
            return true;  // the flush is complete once deflate leaves room unused
        }
        if (result == Z_BUF_ERROR) return false;  // no progress possible
    }
}

// Never throws: it runs on worker threads, where an exception would end the process.
void compress_strip(const Image& image, uint8_t filter, const PngSettings& settings, Strip& strip, bool last) noexcept {
    z_stream z{};
    bool started = false;
    try {
        const size_t stride = 1 + 3 * size_t(image.width());
        const size_t piece = piece_size(settings);
        filter_rows(image, filter, strip.first_row, strip.last_row, const_cast<uint8_t*>(strip.data));
        strip.adler = adler32_pieces(strip.data, strip.size, piece);

        const int init = deflateInit2(&z, settings.level, Z_DEFLATED, -15, 8, settings.strategy);
        if (init != Z_OK) {
            strip.out_of_memory = init == Z_MEM_ERROR;
            return;
        }
        started = true;
        // The bytes just before this strip are filtered by the strip before it; the
        // same bytes are recomputed here so no strip waits for another.
        if (strip.first_row > 0) {
            const uint32_t rows = uint32_t(std::min<size_t>(strip.first_row, (kWindow + stride - 1) / stride));
            std::vector<uint8_t> before(rows * stride);
            filter_rows(image, filter, strip.first_row - rows, strip.first_row, before.data());
            const size_t keep = std::min(before.size(), kWindow);
            deflateSetDictionary(&z, before.data() + before.size() - keep, uInt(keep));
        }
        strip.ok = deflate_pieces(z, strip.data, strip.size, last, piece, strip.deflated);
    } catch (const std::exception&) {
        strip.ok = false;
        strip.out_of_memory = true;
    }
    if (started) deflateEnd(&z);
}

// The threads of one encode, joined however the encode ends.
class Workers {
public:
    explicit Workers(size_t count) { threads_.reserve(count); }
    ~Workers() {
        for (std::thread& t : threads_)
            if (t.joinable()) t.join();
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Runs `work` on a thread of its own; false when no thread could be started.
    template <class F>
    bool start(F work) {
        try {
            threads_.emplace_back(std::move(work));
            return true;
        } catch (const std::exception&) {  // no thread (system_error) or no memory for one
            return false;
        }
    }
    void join() {
        for (std::thread& t : threads_)
            if (t.joinable()) t.join();
    }

private:
    std::vector<std::thread> threads_;
};

uint32_t strip_count(const Image& image, const PngSettings& settings) {
    uint32_t wanted = settings.strips;
    if (wanted == 0) wanted = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxStrips);
    const uint32_t by_height = std::max(1u, image.height() / kMinRowsPerStrip);
    return std::clamp(std::min(wanted, by_height), 1u, kMaxStrips);
}

// The zlib stream of the whole image, compressed strip by strip in parallel.
Result<std::vector<uint8_t>, ImageError> deflate_in_strips(const Image& image, uint8_t filter,
                                                           const PngSettings& settings) {
    const size_t stride = 1 + 3 * size_t(image.width());
    const uint32_t count = strip_count(image, settings);
    std::vector<uint8_t> filtered(stride * image.height());
    std::vector<Strip> strips(count);
    for (uint32_t i = 0; i < count; ++i) {
        Strip& s = strips[i];
        s.first_row = uint32_t(uint64_t(image.height()) * i / count);
        s.last_row = uint32_t(uint64_t(image.height()) * (i + 1) / count);
        s.data = filtered.data() + s.first_row * stride;
        s.size = (s.last_row - s.first_row) * stride;
    }

    // Strips past the first run on their own threads; a thread that cannot be
    // started leaves its strip to this one.
    Workers workers(count - 1);
    std::vector<bool> started(count, false);
    for (uint32_t i = 1; i < count; ++i) {
        Strip& strip = strips[i];
        const bool last = i + 1 == count;
        started[i] = workers.start([&image, filter, &settings, &strip, last] {
            compress_strip(image, filter, settings, strip, last);
        });
    }
    compress_strip(image, filter, settings, strips[0], count == 1);
    for (uint32_t i = 1; i < count; ++i)
        if (!started[i]) compress_strip(image, filter, settings, strips[i], i + 1 == count);
    workers.join();
    std::vector<uint8_t>().swap(filtered);  // deflated now; the stream needs the room

    size_t total = 2 + 4;
    for (const Strip& s : strips) {
        if (s.out_of_memory) return fail(encode_error(kOutOfMemory));
        if (!s.ok) return fail(encode_error("deflate failed"));
        total += s.deflated.size();
    }
    std::vector<uint8_t> stream;
    stream.reserve(total);
    // zlib header: deflate with a 32 KiB window, no preset dictionary; FCHECK makes it a multiple of 31.
    const uint8_t level_bits = settings.level <= 1 ? 0 : settings.level <= 5 ? 1 : settings.level == 6 ? 2 : 3;
    const uint16_t header = uint16_t(0x7800 | level_bits << 6);
    stream.push_back(uint8_t(header >> 8));
    stream.push_back(uint8_t((header | (31 - header % 31) % 31) & 0xFF));
    uint32_t adler = strips[0].adler;
    for (uint32_t i = 0; i < count; ++i) {
        if (i > 0) adler = adler32_join(adler, strips[i].adler, strips[i].size);
        stream.insert(stream.end(), strips[i].deflated.begin(), strips[i].deflated.end());
        std::vector<uint8_t>().swap(strips[i].deflated);  // the piece is in the stream now
    }
    for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(uint8_t(adler >> shift));
    return stream;
}

// Everything that may be skipped by longjmp lives outside this function's frame.
bool set_header(png_structp png, png_infop info, const Image& image, const PngSettings& settings) {
    if (setjmp(png_jmpbuf(png))) return false;
    if (settings.level >= 0) png_set_compression_level(png, settings.level);
    if (settings.strategy >= 0) png_set_compression_strategy(png, settings.strategy);
    if (settings.filters >= 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, settings.filters);
    png_set_IHDR(png, info, image.width(), image.height(), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const uint32_t density = pixels_per_metre(image.dpi());
    png_set_pHYs(png, info, density, density, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    return true;
}

bool write_rows(png_structp png, const std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    return true;
}

bool write_stream(png_structp png, const std::vector<uint8_t>& stream) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (size_t at = 0; at < stream.size(); at += kIdatChunk)
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), stream.data() + at,
                        std::min(kIdatChunk, stream.size() - at));
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    return true;
}

// libpng's own path: RGB rows handed over whole, filtered and deflated by libpng.
bool write_with_libpng(png_structp png, const Image& image) {
    const size_t w = image.width(), h = image.height();
    std::vector<uint8_t> rgb(w * h * 3);
    const uint8_t* src = image.pixels().data();
    for (size_t i = 0, n = w * h; i < n; ++i) {
        rgb[i * 3 + 0] = src[i * 4 + 2];
        rgb[i * 3 + 1] = src[i * 4 + 1];
        rgb[i * 3 + 2] = src[i * 4 + 0];
    }
    std::vector<png_bytep> rows(h);
    for (size_t y = 0; y < h; ++y) rows[y] = rgb.data() + y * w * 3;
    return write_rows(png, rows);
}

// The write structure of one encode, destroyed however the encode ends.
class PngWriter {
public:
    explicit PngWriter(PngWriteState& state)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, on_png_error, on_png_warning)) {
        if (png_) info_ = png_create_info_struct(png_);
        if (png_) png_set_write_fn(png_, &state, on_png_write, on_png_flush);
    }
    ~PngWriter() {
        if (png_) png_destroy_write_struct(&png_, info_ ? &info_ : nullptr);
    }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

Result<std::vector<uint8_t>, ImageError> encode(const Image& image, const PngSettings& settings) {
    const auto filter = single_cheap_filter(settings.filters);
    const bool in_strips = filter && settings.level >= 0 && settings.strategy >= 0 && settings.strips != 1;

    std::vector<uint8_t> stream;
    if (in_strips) {
        auto deflated = deflate_in_strips(image, *filter, settings);
        if (!deflated) return fail(deflated.error());
        stream = std::move(*deflated);
    }

    std::vector<uint8_t> out;
    // The stream, its chunk headers and the header chunks, without growing on the way.
    if (in_strips) out.reserve(stream.size() + (stream.size() / kIdatChunk + 1) * 12 + 128);
    PngWriteState state{&out, {}};
    const PngWriter writer(state);
    if (!writer.png()) return fail(encode_error("cannot create the write structure"));
    if (!writer.info()) return fail(encode_error("cannot create the info structure"));
    const bool written = set_header(writer.png(), writer.info(), image, settings) &&
                         (in_strips ? write_stream(writer.png(), stream) : write_with_libpng(writer.png(), image));
    if (!written) return fail(encode_error(state.error));
    return out;
}

}  // namespace

Result<std::vector<uint8_t>, ImageError> encodePng(const Image& image, const PngSettings& settings) {
    try {
        return encode(image, settings);
    } catch (const std::bad_alloc&) {
        return fail(encode_error(kOutOfMemory));
    } catch (const std::length_error&) {  // a buffer longer than the system can have
        return fail(encode_error(kOutOfMemory));
    }
}

uint32_t adler32_join(uint32_t first, uint32_t second, uint64_t second_length) {
    // The second piece's sums started from 1; starting from the first's sum a1
    // instead adds (a1 - 1) to each of its second_length partial sums.
    const uint64_t a1 = first & 0xFFFF, b1 = first >> 16;
    const uint64_t a2 = second & 0xFFFF, b2 = second >> 16;
    const uint64_t n = second_length % kAdlerBase;
    const uint64_t a = (a1 + a2 + kAdlerBase - 1) % kAdlerBase;
    const uint64_t b = (b1 + b2 + n * ((a1 + kAdlerBase - 1) % kAdlerBase)) % kAdlerBase;
    return uint32_t(b << 16 | a);
}

}  // namespace kestrix
