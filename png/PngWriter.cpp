#include "PngWriter.h"

#include "base/ErrorBox.h"
#include "base/Exceptions.h"
#include "PngEncoder.h"

#include <memory>

namespace tessel {

namespace {

// Stores the encoded bytes and commits the file; a failure to store them is
// shown, and the file goes as its class leaves one that is not committed.
template <class OutputFile>
bool StorePng(const std::vector<uint8_t>& bytes, OutputFile& file)
{
    try {
        file.Write(bytes.data(), bytes.size());
        if constexpr (requires { file.Flush(); })
            file.Flush();
    } catch (const EInOutError& error) {
        ErrorBox("Error writing PNG file: " + error.Message());
        return false;
    }
    file.Commit();
    return true;
}

bool WritePng(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
              const BitmapPalette& palette, PngCompression compression)
{
    const std::vector<uint8_t> bytes = EncodeIndexedPng(raster, width, height, palette, compression);
    const std::unique_ptr<ReplacingOutputFile> file = CreateImageFile(fileName);
    return file && StorePng(bytes, *file);
}

}  // namespace

std::vector<uint8_t> EncodePng(const uint8_t* raster, uint16_t width, uint16_t height, const BitmapPalette& palette)
{
    return EncodeIndexedPng(raster, width, height, palette, PngCompression::Default);
}

bool WritePngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                  const BitmapPalette& palette)
{
    return WritePng(raster, width, height, fileName, palette, PngCompression::Default);
}

bool WriteFastPngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                      const BitmapPalette& palette)
{
    return WritePng(raster, width, height, fileName, palette, PngCompression::Fast);
}

bool WriteFastPngInPlace(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                         const BitmapPalette& palette)
{
    const std::vector<uint8_t> bytes = EncodeIndexedPng(raster, width, height, palette, PngCompression::Fast);
    const std::unique_ptr<InPlaceOutputFile> file = OpenImageFileInPlace(fileName);
    return file && StorePng(bytes, *file);
}

}  // namespace tessel
