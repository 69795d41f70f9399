#include "PngWriter.h"

#include "ErrorBox.h"
#include "Exceptions.h"

#include <png.h>


namespace tessel {

namespace {

// zlib's levels: 1 is the fastest, 9 the smallest; 6 is libpng's default.
constexpr int DefaultPngCompression = 6;
constexpr int FastPngCompression = 1;

void AppendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// libpng reports failures by longjmp, so this part holds no object with a
// destructor; it answers false instead of raising.
bool EncodeWithLibpng(const uint8_t* raster, uint16_t width, uint16_t height, const png_color* colors,
                      int compressionLevel, std::vector<uint8_t>* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendToVector, FlushNothing);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colors, 256);
    png_set_compression_level(png, compressionLevel);
    png_write_info(png, info);
    for (uint32_t row = 0; row < height; ++row)
        png_write_row(png, raster + static_cast<std::size_t>(row) * width);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::vector<uint8_t> EncodeAtLevel(const uint8_t* raster, uint16_t width, uint16_t height, const BmpPalette& palette,
                                   int compressionLevel)
{
    png_color colors[256];
    for (std::size_t k = 0; k < 256; ++k)
        colors[k] = {palette[3 * k], palette[3 * k + 1], palette[3 * k + 2]};
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(width) * height / 4 + 1024);
    if (!EncodeWithLibpng(raster, width, height, colors, compressionLevel, &bytes))
        throw Exception("PNG encoder failed");
    return bytes;
}

bool WritePng(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
              const BmpPalette& palette, int compressionLevel)
{
    const std::vector<uint8_t> bytes = EncodeAtLevel(raster, width, height, palette, compressionLevel);
    const std::unique_ptr<ReplacingOutputFile> file = CreateImageFile(fileName);
    if (!file)
        return false;
    try {
        file->Write(bytes.data(), bytes.size());
        file->Flush();
    } catch (const EInOutError& error) {
        ErrorBox("Error writing PNG file: " + error.Message());
        return false;
    }
    file->Commit();
    return true;
}

}  // namespace

std::vector<uint8_t> EncodePng(const uint8_t* raster, uint16_t width, uint16_t height, const BmpPalette& palette)
{
    return EncodeAtLevel(raster, width, height, palette, DefaultPngCompression);
}

bool WritePngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                  const BmpPalette& palette)
{
    return WritePng(raster, width, height, fileName, palette, DefaultPngCompression);
}

bool WriteFastPngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                      const BmpPalette& palette)
{
    return WritePng(raster, width, height, fileName, palette, FastPngCompression);
}

}  // namespace tessel
