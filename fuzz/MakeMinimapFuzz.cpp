// Runs the whole minimap maker on an arbitrary scenario file, against a
// fixed archive of four generated eras, and checks what it leaves in the
// output folder.
#include "FuzzSupport.h"

#include "ArchiveWriter.h"
#include "image/BmpWriter.h"
#include "minimap/MakeMinimap.h"
#include "TestEra.h"

#include <filesystem>

using namespace tessel;
namespace fs = std::filesystem;

namespace {

struct Fixture {
    Fixture()
    {
        const fs::path scratch = ScratchRoot();
        ArchiveWriter archive;
        for (int era = 0; era < 4; ++era)
            archive.Era(era, MakeTestEra(static_cast<uint8_t>(era * 3 + 1), 64));
        settings.MainDat = (scratch / "MAINDAT.WAR").string();
        archive.WriteTo(settings.MainDat);
        // Small images keep every run fast; units are drawn.
        settings.ImageSizes = {160, 160, 160, 160};
        settings.DspUnits = true;
        outputFolder = scratch / "out";
        fs::create_directories(outputFolder);
        outputPath = (outputFolder / "map.bmp").string();
    }

    static fs::path ScratchRoot() { return fs::path(fuzz::ScratchFolder()); }

    TMinimapSettings settings;
    MinimapBackend backend = DefaultMinimapBackend();
    fs::path outputFolder;
    std::string outputPath;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::SwallowErrorBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Fixture fixture;
    static fuzz::MemoryFile input;
    input.Replace(data, size);

    std::error_code ignored;
    fs::remove(fixture.outputPath, ignored);
    const bool written = MakeMinimap(input.Path(), fixture.outputPath, fixture.settings, fixture.backend);

    // A written bitmap is whole; a failure leaves nothing, not even a
    // temporary file.
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(fixture.outputFolder)) {
        FUZZ_CHECK(entry.path() == fixture.outputPath);
        ++entries;
    }
    if (written) {
        FUZZ_CHECK(entries == 1);
        FUZZ_CHECK(fs::file_size(fixture.outputPath) == BmpPixelOffset + 160u * 160u);
    } else {
        FUZZ_CHECK(entries == 0);
    }
    return 0;
}
