#include "picture_file.h"

#include "jpeg.h"
#include "kestrix/capture_name.h"
#include "kestrix/utf8.h"

namespace kestrix::win {

Result<std::vector<uint8_t>, PlatformError> picture_file_bytes(const std::filesystem::path& path, const Image& image) {
    if (picture_format_for(utf8_from_path(path.filename())) == PictureFormat::Jpeg)
        return encode_jpeg(image, kJpegQuality);
    auto png = encodePng(image);
    if (!png) return fail(PlatformError::image(png.error()));
    return std::move(*png);
}

}  // namespace kestrix::win
