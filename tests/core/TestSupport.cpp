#include "TestSupport.h"

#include "system/FaultInjection.h"
#include "tileset/BuiltinTileset.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tessel::test {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "tessel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

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

std::string TempDir::File(const std::string& name) const { return (fs::path(path_) / name).string(); }

ScopedWriteLimit::ScopedWriteLimit(int64_t limit) { fault_injection::LimitWrites(limit); }
ScopedWriteLimit::~ScopedWriteLimit() { fault_injection::LimitWrites(-1); }

ScopedUmask::ScopedUmask(unsigned mask) : previous_(::umask(static_cast<mode_t>(mask))) {}
ScopedUmask::~ScopedUmask() { ::umask(static_cast<mode_t>(previous_)); }

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

bool PermissionsAreEnforced() { return ::geteuid() != 0; }

namespace {

void RunInChild(const std::function<void()>& prepare, const std::function<void()>& body)
{
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        prepare();
        try {
            body();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "exception: " << error.what();
        }
        std::fflush(nullptr);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child process ended by signal " << WTERMSIG(status);
    ASSERT_NE(WEXITSTATUS(status), 3) << "the child process cannot take the rights of the user nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the part run in a child process failed (see above)";
}

}  // namespace

void RunInChildProcess(const std::function<void()>& body)
{
    RunInChild([] {}, body);
}

void RunWithoutPrivileges(const TempDir& dir, const std::function<void()>& body)
{
    if (PermissionsAreEnforced()) {
        RunInChildProcess(body);
        return;
    }
    fs::permissions(dir.Path(), fs::perms::all);
    RunInChild(
        [] {
            constexpr uid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
                ::setresuid(nobody, nobody, nobody) != 0)
                std::_Exit(3);
        },
        body);
}

DecodedPng DecodePng(const std::string& path)
{
    DecodedPng decoded;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << path;
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_COLORMAP, static_cast<png_uint_32>(PNG_FORMAT_FLAG_COLORMAP)) << path;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    decoded.Width = image.width;
    decoded.Height = image.height;
    decoded.Pixels.resize(PNG_IMAGE_SIZE(image));
    decoded.Palette.resize(PNG_IMAGE_COLORMAP_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, decoded.Pixels.data(), 0, decoded.Palette.data())) << path;
    return decoded;
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
