// The command line of tessel-thumbnailer: "-s SIZE INPUT OUTPUT", as the
// freedesktop thumbnailer entries pass it, plus --help and --version.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tessel::thumbnailer {

// Thumbnails asked for larger than this are made this large.
inline constexpr int32_t LargestThumbnailSide = 1024;
inline constexpr int32_t DefaultThumbnailSide = 256;

struct ThumbnailRequest {
    int32_t Side = DefaultThumbnailSide;
    std::string Input;
    std::string Output;
};

struct InformationRequest {
    std::string Text;  // the help text or the version line
};

// A command line that cannot be carried out; its text says why.
class ArgumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern const char* const ThumbnailerUsage;

// arguments without the program name. Raises ArgumentError.
std::variant<ThumbnailRequest, InformationRequest> ParseThumbnailerArguments(const std::vector<std::string>& arguments);

}  // namespace tessel::thumbnailer
