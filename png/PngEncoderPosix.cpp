// The PNG encoder through libpng.
#include "PngEncoder.h"

#include "base/Exceptions.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <new>

namespace tessel {

namespace {

// zlib's levels: 1 is the fastest, 9 the smallest; 6 is libpng's default.
constexpr int DefaultPngCompression = 6;
constexpr int FastPngCompression = 1;

// What the encoder writes into, and why libpng gave up. Filled from libpng's
// callbacks, which must never let a C++ exception pass through its C frames.
struct EncoderState {
    std::vector<uint8_t>* Out = nullptr;
    bool OutOfMemory = false;
    char Failure[160] = "";
};

[[noreturn]] void RecordFailure(png_structp png, png_const_charp message)
{
    auto* state = static_cast<EncoderState*>(png_get_error_ptr(png));
    std::snprintf(state->Failure, sizeof state->Failure, "%s", message ? message : "");
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

void AppendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* state = static_cast<EncoderState*>(png_get_io_ptr(png));
    try {
        state->Out->insert(state->Out->end(), data, data + length);
        return;
    } catch (const std::bad_alloc&) {
        state->OutOfMemory = true;
    }
    png_error(png, "Out of memory");  // leaves by longjmp, outside the handler
}

void FlushNothing(png_structp) {}

// The write structures, freed on every way out.
struct WriteStructs {
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    WriteStructs() = default;
    WriteStructs(const WriteStructs&) = delete;
    WriteStructs& operator=(const WriteStructs&) = delete;
    ~WriteStructs() { png_destroy_write_struct(&Png, &Info); }
};

// libpng leaves this function by longjmp when it fails, so it holds no
// object with a destructor; it answers false instead.
bool EncodeRows(const WriteStructs& structs, const uint8_t* raster, uint16_t width, uint16_t height,
                const png_color* colors, int compressionLevel)
{
    png_structp png = structs.Png;
    png_infop info = structs.Info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colors, 256);
    png_set_compression_level(png, compressionLevel);
    png_write_info(png, info);
    for (uint32_t row = 0; row < height; ++row)
        png_write_row(png, raster + static_cast<std::size_t>(row) * width);
    png_write_end(png, info);
    return true;
}

std::vector<uint8_t> EncodeAtLevel(const uint8_t* raster, uint16_t width, uint16_t height, const BitmapPalette& palette,
                                   int compressionLevel)
{
    png_color colors[256];
    for (std::size_t k = 0; k < 256; ++k)
        colors[k] = {palette[3 * k], palette[3 * k + 1], palette[3 * k + 2]};
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(width) * height / 4 + 1024);

    EncoderState state;
    state.Out = &bytes;
    WriteStructs structs;
    structs.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, RecordFailure, IgnoreWarning);
    if (structs.Png)
        structs.Info = png_create_info_struct(structs.Png);
    if (!structs.Png || !structs.Info)
        throw EOutOfMemory();
    png_set_write_fn(structs.Png, &state, AppendToVector, FlushNothing);
    if (!EncodeRows(structs, raster, width, height, colors, compressionLevel)) {
        if (state.OutOfMemory)
            throw EOutOfMemory();
        throw Exception(std::string("PNG encoder failed: ") + state.Failure);
    }
    return bytes;
}

}  // namespace

std::vector<uint8_t> EncodeIndexedPng(const uint8_t* raster, uint16_t width, uint16_t height,
                                      const BitmapPalette& palette, PngCompression compression)
{
    return EncodeAtLevel(raster, width, height, palette,
                         compression == PngCompression::Fast ? FastPngCompression : DefaultPngCompression);
}

}  // namespace tessel
