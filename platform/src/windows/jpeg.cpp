#include "jpeg.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>

#include "com.h"
#include "kestrix/wipe.h"

namespace kestrix::win {

namespace {

PlatformError failed(const char* call, HRESULT hr) { return PlatformError::os(call, int32_t(hr)); }

// The bytes written to a memory stream; what the stream held is wiped as it goes.
class MemoryStream {
public:
    MemoryStream() { hr_ = CreateStreamOnHGlobal(nullptr, TRUE, stream_.put()); }
    ~MemoryStream() {
        HGLOBAL memory = nullptr;
        if (stream_ && SUCCEEDED(GetHGlobalFromStream(stream_.get(), &memory)))
            if (void* bytes = GlobalLock(memory)) {
                wipe_bytes(bytes, GlobalSize(memory));
                GlobalUnlock(memory);
            }
    }
    HRESULT status() const { return hr_; }
    IStream* get() const { return stream_.get(); }

    Result<std::vector<uint8_t>, PlatformError> bytes() const {
        ULARGE_INTEGER end{};
        if (HRESULT hr = stream_->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end); FAILED(hr))
            return fail(failed("IStream::Seek(jpeg)", hr));
        HGLOBAL memory = nullptr;
        if (HRESULT hr = GetHGlobalFromStream(stream_.get(), &memory); FAILED(hr))
            return fail(failed("GetHGlobalFromStream(jpeg)", hr));
        const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
        if (!bytes) return fail(PlatformError::os("GlobalLock(jpeg)", int32_t(GetLastError())));
        const size_t size = std::min<size_t>(size_t(end.QuadPart), GlobalSize(memory));
        std::vector<uint8_t> out(bytes, bytes + size);
        GlobalUnlock(memory);
        return out;
    }

private:
    ComRef<IStream> stream_;
    HRESULT hr_ = E_FAIL;
};

// Hands the picture over as 24-bit rows, a band at a time, so that no second copy of
// the whole picture is made; each band is wiped after use.
HRESULT write_rows(IWICBitmapFrameEncode* frame, const Image& image) {
    constexpr uint32_t kBand = 64;
    const uint32_t width = image.width();
    const UINT stride = (width * 3 + 3) & ~3u;
    std::vector<uint8_t> band(size_t(stride) * kBand);
    HRESULT hr = S_OK;
    for (uint32_t top = 0; top < image.height() && SUCCEEDED(hr); top += kBand) {
        const uint32_t rows = std::min(kBand, image.height() - top);
        for (uint32_t y = 0; y < rows; ++y) {
            const uint8_t* from = image.pixels().data() + (size_t(top + y) * width) * 4;
            uint8_t* to = band.data() + size_t(y) * stride;
            for (uint32_t x = 0; x < width; ++x) std::memcpy(to + size_t(x) * 3, from + size_t(x) * 4, 3);
        }
        hr = frame->WritePixels(rows, stride, stride * rows, band.data());
    }
    wipe_bytes(band);
    return hr;
}

}  // namespace

Result<std::vector<uint8_t>, PlatformError> encode_jpeg(const Image& image, uint8_t quality) {
    ComApartment com;
    ComRef<IWICImagingFactory> factory;
    if (HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      factory.put_void());
        FAILED(hr))
        return fail(failed("CoCreateInstance(WICImagingFactory)", hr));
    MemoryStream stream;
    if (FAILED(stream.status())) return fail(failed("CreateStreamOnHGlobal(jpeg)", stream.status()));

    ComRef<IWICBitmapEncoder> encoder;
    if (HRESULT hr = factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.put()); FAILED(hr))
        return fail(failed("IWICImagingFactory::CreateEncoder(jpeg)", hr));
    if (HRESULT hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache); FAILED(hr))
        return fail(failed("IWICBitmapEncoder::Initialize", hr));

    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (HRESULT hr = encoder->CreateNewFrame(frame.put(), options.put()); FAILED(hr))
        return fail(failed("IWICBitmapEncoder::CreateNewFrame", hr));
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = std::clamp<int>(quality, 1, 100) / 100.0f;
    // An encoder without the option still writes a JPEG, at its own quality.
    if (options) (void)options->Write(1, &option, &value);
    if (HRESULT hr = frame->Initialize(options.get()); FAILED(hr))
        return fail(failed("IWICBitmapFrameEncode::Initialize", hr));
    if (HRESULT hr = frame->SetSize(image.width(), image.height()); FAILED(hr))
        return fail(failed("IWICBitmapFrameEncode::SetSize", hr));
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (HRESULT hr = frame->SetPixelFormat(&format); FAILED(hr))
        return fail(failed("IWICBitmapFrameEncode::SetPixelFormat", hr));
    if (format != GUID_WICPixelFormat24bppBGR)
        return fail(PlatformError::capture("the JPEG encoder does not take 24-bit pictures"));
    if (HRESULT hr = write_rows(frame.get(), image); FAILED(hr))
        return fail(failed("IWICBitmapFrameEncode::WritePixels", hr));
    if (HRESULT hr = frame->Commit(); FAILED(hr)) return fail(failed("IWICBitmapFrameEncode::Commit", hr));
    if (HRESULT hr = encoder->Commit(); FAILED(hr)) return fail(failed("IWICBitmapEncoder::Commit", hr));
    return stream.bytes();
}

}  // namespace kestrix::win
