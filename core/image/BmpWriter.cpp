#include "image/BmpWriter.h"

#include "base/ByteOrder.h"
#include "base/ErrorBox.h"
#include "base/Exceptions.h"

#include <algorithm>

namespace tessel {

namespace {

template <class OutputFile>
std::unique_ptr<OutputFile> OpenImageFile(const std::string& fileName)
{
    try {
        return std::make_unique<OutputFile>(fileName);
    } catch (const EInOutError& error) {
        ErrorBox("Error opening output file \"" + fileName + "\" : " + error.Message());
        return nullptr;
    }
}

}  // namespace

std::unique_ptr<ReplacingOutputFile> CreateImageFile(const std::string& fileName)
{
    return OpenImageFile<ReplacingOutputFile>(fileName);
}

std::unique_ptr<InPlaceOutputFile> OpenImageFileInPlace(const std::string& fileName)
{
    return OpenImageFile<InPlaceOutputFile>(fileName);
}

bool WriteBmpFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                  const BitmapPalette& palette)
{
    const std::unique_ptr<ReplacingOutputFile> file = CreateImageFile(fileName);
    if (!file)
        return false;
    if (!WriteBmpImage(raster, width, height, *file, palette))
        return false;  // the temporary file goes with file; fileName stays as it was
    file->Commit();
    return true;
}

bool WriteBmpImage(const uint8_t* raster, uint16_t width, uint16_t height, ReplacingOutputFile& file,
                   const BitmapPalette& palette)
{
    const uint32_t stride = BmpStride(width);
    if (WriteBmpHeader(width, height, file, palette) == 0)
        return false;
    try {
        static constexpr std::array<uint8_t, 4> padding{};
        for (int32_t row = static_cast<int32_t>(height) - 1; row >= 0; --row) {
            const uint8_t* bytes = raster + static_cast<std::size_t>(row) * width;
            std::size_t left = width;
            while (left > 0) {
                const std::size_t piece = std::min(left, BmpWritePiece);
                file.Write(bytes, piece);
                bytes += piece;
                left -= piece;
            }
            if (stride > width)
                file.Write(padding.data(), stride - width);
        }
        file.Flush();
        return true;
    } catch (const EInOutError& error) {
        ErrorBox("Error writing BMP file: " + error.Message());
        return false;
    }
}

int32_t WriteBmpHeader(uint16_t width, uint16_t height, ReplacingOutputFile& file, const BitmapPalette& palette)
{
    const uint32_t imageSize = BmpStride(width) * height;

    std::array<uint8_t, BmpFileHeaderSize> fileHeader{};
    fileHeader[0] = 'B';
    fileHeader[1] = 'M';
    WriteU32LE(&fileHeader[2], imageSize + BmpPixelOffset);  // file size
    // bytes 6 to 9: two reserved words, 0
    WriteU32LE(&fileHeader[10], BmpPixelOffset);  // offset of the pixel rows

    std::array<uint8_t, BmpInfoHeaderSize> infoHeader{};
    WriteU32LE(&infoHeader[0], BmpInfoHeaderSize);
    WriteU32LE(&infoHeader[4], width);
    WriteU32LE(&infoHeader[8], height);  // positive: bottom-up rows
    WriteU16LE(&infoHeader[12], 1);      // colour planes
    WriteU16LE(&infoHeader[14], 8);      // bits per pixel
    // bytes 16 to 19: compression 0, none
    WriteU32LE(&infoHeader[20], imageSize);
    // bytes 24 to 31: resolutions 0
    WriteU32LE(&infoHeader[32], 256);  // colours used
    WriteU32LE(&infoHeader[36], 256);  // important colours

    std::array<uint8_t, BmpColorTableSize> colorTable{};
    for (std::size_t k = 0; k < 256; ++k) {
        colorTable[4 * k] = palette[3 * k + 2];      // blue
        colorTable[4 * k + 1] = palette[3 * k + 1];  // green
        colorTable[4 * k + 2] = palette[3 * k];      // red
    }

    try {
        file.Write(fileHeader.data(), fileHeader.size());
        file.Write(infoHeader.data(), infoHeader.size());
        file.Write(colorTable.data(), colorTable.size());
        file.Flush();
        return static_cast<int32_t>(file.Position());
    } catch (const EInOutError& error) {
        ErrorBox("Error writing BMP header : " + error.Message());
        return 0;
    }
}

}  // namespace tessel
