// The test helpers that the POSIX build takes from POSIX and libpng, on
// Windows: a fresh folder, and PNG files read through WIC.
#include "TestSupport.h"

#include <filesystem>
#include <random>
#include <stdexcept>
#include <windows.h>
#include <wincodec.h>

namespace fs = std::filesystem;

namespace tessel::test {

TempDir::TempDir()
{
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("tessel-test-" + std::to_string(random() % 1000000000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

namespace {

template <class Interface>
struct Held {
    Interface* Pointer = nullptr;
    ~Held()
    {
        if (Pointer)
            Pointer->Release();
    }
    Interface* operator->() const { return Pointer; }
};

}  // namespace

DecodedPng DecodePng(const std::string& path)
{
    DecodedPng decoded;
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        Held<IWICImagingFactory> factory;
        Held<IWICBitmapDecoder> decoder;
        Held<IWICBitmapFrameDecode> frame;
        Held<IWICPalette> palette;
        const std::wstring widePath = fs::path(path).wstring();
        WICPixelFormatGUID format{};
        UINT colorCount = 0;
        const bool read =
            SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(&factory.Pointer))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, &decoder.Pointer)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame.Pointer)) && SUCCEEDED(frame->GetPixelFormat(&format)) &&
            SUCCEEDED(frame->GetSize(&decoded.Width, &decoded.Height));
        EXPECT_TRUE(read) << path;
        EXPECT_TRUE(IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) << path << " is not 8-bit indexed";
        if (read && IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) {
            decoded.Pixels.resize(static_cast<std::size_t>(decoded.Width) * decoded.Height);
            EXPECT_TRUE(SUCCEEDED(frame->CopyPixels(nullptr, decoded.Width, static_cast<UINT>(decoded.Pixels.size()),
                                                    decoded.Pixels.data())));
            WICColor colors[256];
            EXPECT_TRUE(SUCCEEDED(factory->CreatePalette(&palette.Pointer)) &&
                        SUCCEEDED(frame->CopyPalette(palette.Pointer)) &&
                        SUCCEEDED(palette->GetColors(256, colors, &colorCount)));
            for (UINT k = 0; k < colorCount; ++k) {
                decoded.Palette.push_back(static_cast<uint8_t>(colors[k] >> 16));
                decoded.Palette.push_back(static_cast<uint8_t>(colors[k] >> 8));
                decoded.Palette.push_back(static_cast<uint8_t>(colors[k]));
            }
        }
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return decoded;
}

}  // namespace tessel::test
