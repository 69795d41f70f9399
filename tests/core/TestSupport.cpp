// The test helpers that are the same on every platform; the others are in
// TestSupportPosix.cpp and tests/windows/TestSupportWindows.cpp.
#include "TestSupport.h"

#include "system/FaultInjection.h"
#include "tileset/BuiltinTileset.h"
#include "text/PathText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tessel::test {

TempDir::~TempDir()
{
    std::error_code ignored;
    // Give back write permission that a test took away, so that all can go.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return TextOfPath(PathOfText(path_) / PathOfText(name)); }

ScopedWriteLimit::ScopedWriteLimit(int64_t limit) { fault_injection::LimitWrites(limit); }
ScopedWriteLimit::~ScopedWriteLimit() { fault_injection::LimitWrites(-1); }

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool FileExists(const std::string& path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::vector<std::string> FolderEntries(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> DecodedPng::RgbPixels() const
{
    std::vector<uint8_t> rgb;
    rgb.reserve(3 * Pixels.size());
    for (const uint8_t index : Pixels)
        for (std::size_t channel = 0; channel < 3; ++channel)
            rgb.push_back(3 * std::size_t{index} + channel < Palette.size() ? Palette[3 * index + channel] : 0);
    return rgb;
}

TTerrainData BuiltinTerrain(int32_t era)
{
    TTerrainData terrain;
    LoadBuiltinTileset(terrain, era);
    return terrain;
}

}  // namespace tessel::test
