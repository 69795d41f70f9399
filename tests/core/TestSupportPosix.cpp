// The test helpers that use POSIX (and libpng, which the POSIX build reads
// its PNG files with).
#include "TestSupport.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

ScopedUmask::ScopedUmask(unsigned mask) : previous_(::umask(static_cast<mode_t>(mask))) {}
ScopedUmask::~ScopedUmask() { ::umask(static_cast<mode_t>(previous_)); }

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

}  // namespace tessel::test
