// Writes a raster as an 8-bit indexed PNG with the bitmap's palette; the
// same contract as WriteBmpFile, with its failures shown by ErrorBox.
#pragma once

#include "image/BmpWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessel {

// The PNG file's bytes; raises EOutOfMemory when memory runs out and
// Exception "PNG encoder failed: <libpng's reason>" for any other failure.
std::vector<uint8_t> EncodePng(const uint8_t* raster, uint16_t width, uint16_t height, const BitmapPalette& palette);

bool WritePngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                  const BitmapPalette& palette);

// The same at zlib's fastest level, for thumbnails that a file manager
// waits for: a third larger, in a fifth of the time.
bool WriteFastPngFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                      const BitmapPalette& palette);

// WriteFastPngFile into an existing file written in place (see
// InPlaceOutputFile): the whole image is encoded before the file is touched.
bool WriteFastPngInPlace(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                         const BitmapPalette& palette);

}  // namespace tessel
