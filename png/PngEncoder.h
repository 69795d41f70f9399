// The PNG encoder behind PngWriter.h: libpng where it is at hand
// (PngEncoderPosix.cpp), the Windows Imaging Component on Windows
// (PngEncoderWindows.cpp), our own in the WebAssembly build
// (PngEncoderWeb.cpp). All store the same pixels; the bytes of the
// compressed data differ.
#pragma once

#include "image/BmpWriter.h"

#include <cstdint>
#include <vector>

namespace tessel {

// How hard the encoder compresses; an encoder that has no such choice
// takes its own.
enum class PngCompression { Default, Fast };

// An 8-bit indexed PNG of width x height palette indices, row 0 first, with
// all 256 colours of palette. Raises EOutOfMemory when memory runs out and
// Exception "PNG encoder failed: <the encoder's reason>" for any other
// failure.
std::vector<uint8_t> EncodeIndexedPng(const uint8_t* raster, uint16_t width, uint16_t height,
                                      const BitmapPalette& palette, PngCompression compression);

}  // namespace tessel
