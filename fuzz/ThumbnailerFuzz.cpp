// Runs the whole thumbnailer as a file manager would, on an arbitrary file
// and an arbitrary SIZE argument, with no settings (the built-in tileset),
// and checks its contract: status 0 and a PNG as OUTPUT, or status 1, one
// line on standard error, and nothing in the output folder.
//
// Input layout: byte 0 gives the length n (0 to 7) of the SIZE text that
// follows it; the remaining bytes are the scenario file.
#include "FuzzSupport.h"

#include "Thumbnailer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tessel;
namespace fs = std::filesystem;

namespace {

struct Fixture {
    Fixture() : outputFolder(fs::path(fuzz::ScratchFolder()) / "thumbnails")
    {
        fs::create_directories(outputFolder);
        outputPath = (outputFolder / "thumbnail.png").string();
    }

    fs::path outputFolder;
    std::string outputPath;
};

bool StartsAsPng(const std::string& path)
{
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    char head[8] = {};
    std::ifstream(path, std::ios::binary).read(head, sizeof head);
    return std::equal(head, head + 8, signature);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    static fuzz::MemoryFile input;
    if (size == 0)
        return 0;
    const std::size_t sizeLength = std::min<std::size_t>(data[0] % 8, size - 1);
    const std::string sideText(reinterpret_cast<const char*>(data + 1), sizeLength);
    input.Replace(data + 1 + sizeLength, size - 1 - sizeLength);

    std::error_code ignored;
    fs::remove(fixture.outputPath, ignored);
    std::ostringstream out, err;
    const int status = thumbnailer::RunThumbnailer({"-s", sideText, input.Path(), fixture.outputPath}, "", out, err);

    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(fixture.outputFolder)) {
        FUZZ_CHECK(entry.path() == fixture.outputPath);
        ++entries;
    }
    const std::string message = err.str();
    if (status == thumbnailer::ExitSuccess) {
        FUZZ_CHECK(entries == 1);
        FUZZ_CHECK(StartsAsPng(fixture.outputPath));
        FUZZ_CHECK(message.empty());
    } else {
        FUZZ_CHECK(status == thumbnailer::ExitFailure);
        FUZZ_CHECK(entries == 0);
        FUZZ_CHECK(std::count(message.begin(), message.end(), '\n') == 1 && message.back() == '\n');
    }
    return 0;
}
