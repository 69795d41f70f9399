// The PNG encoder through the Windows Imaging Component, which every
// Windows has. It offers no choice of compression: both settings encode
// alike.
#include "PngEncoder.h"

#include "base/Exceptions.h"

#include <algorithm>
#include <cstdio>
#include <windows.h>
#include <wincodec.h>

namespace tessel {

namespace {

// Releases a COM interface on every way out.
template <class Interface>
struct Held {
    Interface* Pointer = nullptr;
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held()
    {
        if (Pointer)
            Pointer->Release();
    }
    Interface* operator->() const { return Pointer; }
    Interface** Out() { return &Pointer; }
};

// COM for the calling thread while it lives: the workers of tessel-cli
// have not met it yet; a thread that already has it keeps it as it is.
class ComForThisThread {
public:
    ComForThisThread() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComForThisThread()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    HRESULT result_;
};

void Check(HRESULT result, const char* step)
{
    if (SUCCEEDED(result))
        return;
    if (result == E_OUTOFMEMORY)
        throw EOutOfMemory();
    char reason[96];
    std::snprintf(reason, sizeof reason, "%s (0x%08lX)", step, static_cast<unsigned long>(result));
    throw Exception(std::string("PNG encoder failed: ") + reason);
}

// Rows handed over per call: WritePixels counts the bytes in 32 bits.
constexpr uint32_t RowsPerCall = 1024;

}  // namespace

std::vector<uint8_t> EncodeIndexedPng(const uint8_t* raster, uint16_t width, uint16_t height,
                                      const BitmapPalette& palette, PngCompression)
{
    if (width == 0 || height == 0)
        throw Exception("PNG encoder failed: an image without pixels");
    const ComForThisThread com;
    Held<IWICImagingFactory> factory;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Out())),
          "no imaging component");
    Held<IStream> stream;
    Check(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), "no memory stream");
    Held<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out()), "no PNG encoder");
    Check(encoder->Initialize(stream.Pointer, WICBitmapEncoderNoCache), "encoder start");
    Held<IWICBitmapFrameEncode> frame;
    Held<IPropertyBag2> options;
    Check(encoder->CreateNewFrame(frame.Out(), options.Out()), "frame");
    Check(frame->Initialize(options.Pointer), "frame start");
    Check(frame->SetSize(width, height), "image size");
    WICPixelFormatGUID format = GUID_WICPixelFormat8bppIndexed;
    Check(frame->SetPixelFormat(&format), "pixel format");
    // An encoder may offer another format in its place: only this one keeps the indices.
    if (!IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed))
        Check(E_NOTIMPL, "no 8-bit indexed pixels");

    WICColor colors[256];
    for (std::size_t k = 0; k < 256; ++k) {
        colors[k] = 0xFF000000u | (static_cast<WICColor>(palette[3 * k]) << 16) |
                    (static_cast<WICColor>(palette[3 * k + 1]) << 8) | palette[3 * k + 2];
    }
    Held<IWICPalette> wicPalette;
    Check(factory->CreatePalette(wicPalette.Out()), "palette");
    Check(wicPalette->InitializeCustom(colors, 256), "palette colours");
    Check(frame->SetPalette(wicPalette.Pointer), "palette of the image");

    for (uint32_t row = 0; row < height; row += RowsPerCall) {
        const uint32_t rows = std::min<uint32_t>(RowsPerCall, height - row);
        auto* first = const_cast<BYTE*>(raster + static_cast<std::size_t>(row) * width);
        Check(frame->WritePixels(rows, width, rows * width, first), "pixels");
    }
    Check(frame->Commit(), "frame end");
    Check(encoder->Commit(), "encoder end");

    STATSTG status{};
    Check(stream->Stat(&status, STATFLAG_NONAME), "stream size");
    std::vector<uint8_t> bytes(static_cast<std::size_t>(status.cbSize.QuadPart));
    const LARGE_INTEGER start{};
    Check(stream->Seek(start, STREAM_SEEK_SET, nullptr), "stream start");
    ULONG got = 0;
    Check(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got), "stream read");
    if (got != bytes.size())
        Check(E_FAIL, "stream read");
    return bytes;
}

}  // namespace tessel
