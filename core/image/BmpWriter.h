// The bitmap writer: an uncompressed 8-bit Windows bitmap with a 256-entry
// colour table and bottom-up rows. Each operation shows its own failures
// with ErrorBox and answers with a success value.
#pragma once

#include "image/Palette.h"
#include "system/FileLayer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tessel {

inline constexpr int32_t BmpFileHeaderSize = 14;
inline constexpr int32_t BmpInfoHeaderSize = 40;
inline constexpr int32_t BmpColorTableSize = 1024;
inline constexpr int32_t BmpPixelOffset = BmpFileHeaderSize + BmpInfoHeaderSize + BmpColorTableSize;
// Every write call stores at most this many bytes.
inline constexpr std::size_t BmpWritePiece = 1024;

// The row stride: width rounded up to a multiple of 4.
inline uint32_t BmpStride(uint16_t width) { return (static_cast<uint32_t>(width) + 3u) & ~3u; }

// Creates the output file for an image; when that fails, shows "Error
// opening output file ..." and returns none.
std::unique_ptr<ReplacingOutputFile> CreateImageFile(const std::string& fileName);

// The same for an existing file that is written in place.
std::unique_ptr<InPlaceOutputFile> OpenImageFileInPlace(const std::string& fileName);

// Writes raster (width x height bytes, row 0 first) to fileName. The bitmap
// goes to a temporary file that replaces fileName only when complete.
// A failure to finish the file (close or rename) raises EInOutError.
bool WriteBmpFile(const uint8_t* raster, uint16_t width, uint16_t height, const std::string& fileName,
                  const BitmapPalette& palette);

bool WriteBmpImage(const uint8_t* raster, uint16_t width, uint16_t height, ReplacingOutputFile& file,
                   const BitmapPalette& palette);

// Returns the file position after the colour table, 0 after a failure.
int32_t WriteBmpHeader(uint16_t width, uint16_t height, ReplacingOutputFile& file, const BitmapPalette& palette);

}  // namespace tessel
