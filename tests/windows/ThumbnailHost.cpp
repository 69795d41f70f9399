// A host for the thumbnail handler, as Explorer would be one: it creates the
// handler through COM by its registered class id, hands it a scenario in a
// memory stream and asks for a thumbnail, then reads the bitmap's pixels
// back through GDI.
//
//   thumbnail_host SCENARIO SIDE EXPECTED.png [REPEAT]
//       the bitmap must be a square DIB section, min(SIDE, 1024) pixels, 32-bit top-down,
//       WTSAT_RGB, with the colours of EXPECTED.png (decoded through WIC);
//       REPEAT more thumbnails of it are timed, and the time of one printed.
//   thumbnail_host SCENARIO SIDE --fails
//       GetThumbnail must fail with an HRESULT and hand over no bitmap.
// Exits 0 when all holds, 1 with a line saying what did not.
#include "ThumbnailHandler.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>
#include <windows.h>
#include <shlwapi.h>
#include <thumbcache.h>
#include <wincodec.h>

namespace {

int Fail(const char* what, HRESULT result = S_OK)
{
    std::printf("FAILED: %s (0x%08lX)\n", what, static_cast<unsigned long>(result));
    return 1;
}

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

std::vector<unsigned char> ReadAll(const wchar_t* path)
{
    std::vector<unsigned char> bytes;
    if (FILE* file = _wfopen(path, L"rb")) {
        unsigned char piece[65536];
        for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;)
            bytes.insert(bytes.end(), piece, piece + got);
        std::fclose(file);
    }
    return bytes;
}

// The PNG's pixels as 32-bit BGR with the fourth byte cleared.
bool DecodePng(const wchar_t* path, UINT& width, UINT& height, std::vector<uint32_t>& pixels)
{
    Held<IWICImagingFactory> factory;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory.Pointer))) ||
        FAILED(factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder.Pointer)) ||
        FAILED(decoder->GetFrame(0, &frame.Pointer)) || FAILED(factory->CreateFormatConverter(&converter.Pointer)) ||
        FAILED(converter->Initialize(frame.Pointer, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return false;
    pixels.resize(static_cast<std::size_t>(width) * height);
    return SUCCEEDED(converter->CopyPixels(nullptr, width * 4, width * height * 4,
                                           reinterpret_cast<BYTE*>(pixels.data())));
}

HRESULT MakeThumbnail(const std::vector<unsigned char>& scenario, UINT side, HBITMAP& bitmap, WTS_ALPHATYPE& alpha)
{
    CLSID handler{};
    ::CLSIDFromString(tessel::explorer::HandlerClassId, &handler);
    Held<IInitializeWithStream> initialize;
    HRESULT result = ::CoCreateInstance(handler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&initialize.Pointer));
    if (FAILED(result))
        return result;
    Held<IStream> stream;
    stream.Pointer = ::SHCreateMemStream(scenario.data(), static_cast<UINT>(scenario.size()));
    if (!stream.Pointer)
        return E_OUTOFMEMORY;
    if (FAILED(result = initialize->Initialize(stream.Pointer, STGM_READ)))
        return result;
    Held<IThumbnailProvider> provider;
    if (FAILED(result = initialize->QueryInterface(IID_PPV_ARGS(&provider.Pointer))))
        return result;
    return provider->GetThumbnail(side, &bitmap, &alpha);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4 && argc != 5)
        return Fail("usage: thumbnail_host SCENARIO SIDE EXPECTED.png [REPEAT] | SCENARIO SIDE --fails");
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return Fail("COM");
    const std::vector<unsigned char> scenario = ReadAll(argv[1]);
    const UINT side = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10));
    const bool expectFailure = std::wstring(argv[3]) == L"--fails";

    HBITMAP bitmap = nullptr;
    WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
    const HRESULT result = MakeThumbnail(scenario, side, bitmap, alpha);
    if (expectFailure) {
        if (SUCCEEDED(result) || bitmap)
            return Fail("a thumbnail of what should have failed", result);
        std::printf("refused with 0x%08lX\n", static_cast<unsigned long>(result));
        return 0;
    }
    if (FAILED(result) || !bitmap)
        return Fail("GetThumbnail", result);
    if (alpha != WTSAT_RGB)
        return Fail("alpha type is not WTSAT_RGB");

    DIBSECTION section{};
    if (::GetObjectW(bitmap, sizeof section, &section) != sizeof section)
        return Fail("not a DIB section");
    const LONG expectedSide = static_cast<LONG>(side < 1024 ? side : 1024);
    if (section.dsBm.bmWidth != expectedSide || section.dsBm.bmHeight != expectedSide ||
        section.dsBmih.biBitCount != 32 || !section.dsBm.bmBits) {
        std::printf("bitmap %ld x %ld, %u bits, header height %ld\n", section.dsBm.bmWidth, section.dsBm.bmHeight,
                    section.dsBmih.biBitCount, section.dsBmih.biHeight);
        return Fail("not a square 32-bit DIB section of the side asked for");
    }

    // The pixels through GetDIBits, top row first.
    BITMAPINFO information{};
    information.bmiHeader.biSize = sizeof information.bmiHeader;
    information.bmiHeader.biWidth = expectedSide;
    information.bmiHeader.biHeight = -expectedSide;
    information.bmiHeader.biPlanes = 1;
    information.bmiHeader.biBitCount = 32;
    information.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> got(static_cast<std::size_t>(expectedSide) * expectedSide);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, bitmap, 0, expectedSide, got.data(), &information, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != expectedSide)
        return Fail("GetDIBits");

    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> expected;
    if (!DecodePng(argv[3], width, height, expected))
        return Fail("cannot decode the expected PNG");
    if (static_cast<LONG>(width) != expectedSide || static_cast<LONG>(height) != expectedSide)
        return Fail("the expected PNG has another size");
    // As GDI reads them, and as they lie in the section's memory: top-down,
    // the top row comes first there too.
    const auto* memory = static_cast<const uint32_t*>(section.dsBm.bmBits);
    for (std::size_t k = 0; k < got.size(); ++k) {
        if ((got[k] & 0xFFFFFFu) != (expected[k] & 0xFFFFFFu)) {
            std::printf("pixel %zu: thumbnail %06X, expected %06X\n", k, got[k] & 0xFFFFFFu, expected[k] & 0xFFFFFFu);
            return Fail("pixels differ");
        }
        if ((memory[k] & 0xFFFFFFu) != (expected[k] & 0xFFFFFFu)) {
            std::printf("pixel %zu in memory: %06X, expected %06X\n", k, memory[k] & 0xFFFFFFu, expected[k] & 0xFFFFFFu);
            return Fail("the bitmap is not top-down");
        }
    }
    ::DeleteObject(bitmap);

    const int repeat = argc == 5 ? _wtoi(argv[4]) : 0;
    if (repeat > 0) {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < repeat; ++k) {
            HBITMAP again = nullptr;
            if (FAILED(MakeThumbnail(scenario, side, again, alpha)) || !again)
                return Fail("a repeated thumbnail");
            ::DeleteObject(again);
        }
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        std::printf("%.2f ms per thumbnail of %u pixels\n", spent.count() / repeat, side);
    }
    std::printf("thumbnail of %ld pixels matches\n", expectedSide);
    ::CoUninitialize();
    return 0;
}
