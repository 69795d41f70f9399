// What the file layer, the console events, the user's folders and the PNG
// encoder do on Windows, beyond what the portable tests check.
#include "TestSupport.h"

#include "base/Exceptions.h"
#include "PngWriter.h"
#include "settings/Settings.h"
#include "system/FileIdentity.h"
#include "system/FileLayer.h"
#include "system/Interruption.h"
#include "system/TemporaryFiles.h"
#include "system/UserFolders.h"
#include "system/WidePaths.h"
#include "text/PathText.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <windows.h>

namespace fs = std::filesystem;

namespace tessel::test {
namespace {

int ErrorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EInOutError& error) {
        return error.ErrorCode();
    }
    return 0;
}

void WriteWhole(const std::string& path, const std::string& text)
{
    ReplacingOutputFile file(path);
    file.Write(text.data(), text.size());
    file.Commit();
}

std::string ReadWhole(const std::string& path)
{
    InputFile file(path);
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    file.ReadExact(text.data(), text.size());
    return text;
}

// The folder's entries as UTF-8, straight from the system.
std::vector<std::string> EntriesOf(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    HANDLE search = ::FindFirstFileW((WidePath(folder) + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(TextOfWide(name));
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

class WindowsFileLayer : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(WindowsFileLayer, DeviceNamesAreRefusedAsInvalidFilenames)
{
    for (const char* name : {"con.bmp", "NUL.png", "Com1.bmp", "lpt9", "con .bmp", "aux.", "CONOUT$"}) {
        EXPECT_EQ(ErrorNumberOf([&] { ReplacingOutputFile file(dir.File(name)); }), io_error::InvalidFilename)
            << name;
        EXPECT_EQ(ErrorNumberOf([&] { InputFile file(dir.File(name)); }), io_error::InvalidFilename) << name;
        EXPECT_EQ(ErrorNumberOf([&] { InPlaceOutputFile file(dir.File(name)); }), io_error::InvalidFilename) << name;
    }
    EXPECT_TRUE(EntriesOf(dir.Path()).empty());
}

TEST_F(WindowsFileLayer, AnOutputReplacesTheOldFileWholeAndLeavesNoTemporaryFile)
{
    const std::string path = dir.File("map.bmp");
    WriteWhole(path, "old");
    WriteWhole(path, "new and longer");
    EXPECT_EQ(ReadWhole(path), "new and longer");
    EXPECT_EQ(EntriesOf(dir.Path()), std::vector<std::string>{"map.bmp"});
}

TEST_F(WindowsFileLayer, AFailedWriteKeepsTheOldFileAndRemovesTheTemporaryOne)
{
    const std::string path = dir.File("map.bmp");
    WriteWhole(path, "old");
    {
        const ScopedWriteLimit full(2);
        ReplacingOutputFile file(path);
        EXPECT_EQ(ErrorNumberOf([&] { file.Write("new", 3); }), io_error::DiskFull);
    }
    EXPECT_EQ(ReadWhole(path), "old");
    EXPECT_EQ(EntriesOf(dir.Path()), std::vector<std::string>{"map.bmp"});
}

TEST_F(WindowsFileLayer, AReadOnlyFileIsRefusedAndKept)
{
    const std::string path = dir.File("kept.bmp");
    WriteWhole(path, "old");
    ASSERT_TRUE(::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ErrorNumberOf([&] { ReplacingOutputFile file(path); }), io_error::AccessDenied);
    EXPECT_EQ(ErrorNumberOf([&] { InPlaceOutputFile file(path); }), io_error::AccessDenied);
    // Reading it is fine: nothing is ever written to a scenario.
    EXPECT_EQ(ReadWhole(path), "old");
    ::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(EntriesOf(dir.Path()), std::vector<std::string>{"kept.bmp"});
}

TEST_F(WindowsFileLayer, MissingFilesFoldersAndFoldersAsFilesHaveTheirMessages)
{
    EXPECT_EQ(ErrorNumberOf([&] { InputFile file(dir.File("missing.pud")); }), io_error::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { InputFile file(dir.File("no-folder\\missing.pud")); }), io_error::InvalidFilename);
    EXPECT_EQ(ErrorNumberOf([&] { ReplacingOutputFile file(dir.File("no-folder\\x.bmp")); }),
              io_error::InvalidFilename);
    fs::create_directory(dir.File("folder"));
    EXPECT_EQ(ErrorNumberOf([&] { InputFile file(dir.File("folder")); }), io_error::AccessDenied);
    EXPECT_EQ(ErrorNumberOf([&] { ReplacingOutputFile file(dir.File("folder")); }), io_error::AccessDenied);
}

TEST_F(WindowsFileLayer, NamesInAnyScriptAreWrittenAndReadAsUtf8)
{
    const std::string path = dir.File("café 日本 😀.bmp");
    WriteWhole(path, "minimap");
    EXPECT_EQ(ReadWhole(path), "minimap");
    EXPECT_EQ(EntriesOf(dir.Path()), std::vector<std::string>{"café 日本 😀.bmp"});
    // std::filesystem, as tessel-cli uses it, finds the same file.
    EXPECT_TRUE(fs::exists(PathOfText(path)));
}

TEST_F(WindowsFileLayer, PathsLongerThan260CharactersWork)
{
    std::string folder = dir.Path();
    while (folder.size() < 400) {
        folder += "\\a-folder-of-forty-characters-each-------";
        ASSERT_TRUE(::CreateDirectoryW(WidePath(folder).c_str(), nullptr)) << folder.size();
    }
    const std::string path = folder + "\\long map.bmp";
    ASSERT_GT(path.size(), 260u);
    WriteWhole(path, "old");
    WriteWhole(path, "new");
    EXPECT_EQ(ReadWhole(path), "new");
    EXPECT_TRUE(IsSameFile(path, path));
    EXPECT_EQ(EntriesOf(folder), std::vector<std::string>{"long map.bmp"});
}

TEST_F(WindowsFileLayer, TwoSpellingsOfOnePathAreOneFile)
{
    const std::string path = dir.File("Map.pud");
    WriteWhole(path, "scenario");
    std::string other = path;
    for (char& c : other)
        c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(IsSameFile(path, other));
    WriteWhole(dir.File("other.pud"), "scenario");
    EXPECT_FALSE(IsSameFile(path, dir.File("other.pud")));
}

TEST(WindowsUserFolders, SettingsLiveInTheLocalApplicationDataFolder)
{
    wchar_t expected[32768];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", expected, 32768);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(UserConfigDirectory(), TextOfWide(std::wstring(expected, length)));
    EXPECT_EQ(DesktopSettingsFile(), TextOfWide(std::wstring(expected, length)) + "\\tessel.ini");
}

// Console events reach a process through its console: wine passes them on
// where it runs on a terminal (the test runs under script(1) for that);
// elsewhere the test has nothing to send them through and is skipped,
// unless TESSEL_CONSOLE_REQUIRED is set.
TEST(WindowsConsoleEvents, CtrlCRemovesTheTemporaryFilesAndStandsForSigint)
{
    TempDir dir;
    std::atomic<int> seen{0};
    {
        ReplacingOutputFile unfinished(dir.File("unfinished.bmp"));
        unfinished.Write("part", 4);
        unfinished.Flush();
        ASSERT_EQ(EntriesOf(dir.Path()).size(), 1u);
        const InterruptionWatch watch([&seen](int signal) { seen = signal; });
        if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
            const DWORD error = ::GetLastError();
            if (std::getenv("TESSEL_CONSOLE_REQUIRED"))
                FAIL() << "no console passes Ctrl-C on (error " << error << ")";
            GTEST_SKIP() << "no console passes Ctrl-C on here (error " << error << ")";
        }
        // Windows runs the handler on a thread of its own: wait for it.
        for (int waited = 0; seen == 0 && waited < 3000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // No output file is made any more in this process.
        EXPECT_EQ(ErrorNumberOf([&] {
                      try {
                          ReplacingOutputFile later(dir.File("later.bmp"));
                      } catch (const EInOutError&) {
                          throw;
                      } catch (const Exception& error) {
                          EXPECT_STREQ(error.what(), "Interrupted");
                      }
                  }),
                  0);
    }
    EXPECT_EQ(seen, 2);  // SIGINT: status 130
    // Windows removes a file that is still open once its last handle closes.
    EXPECT_TRUE(EntriesOf(dir.Path()).empty()) << "the temporary file is removed";
}

// The Windows Imaging Component hands the rows over in blocks: every size
// around a block's edge, and widths of every remainder.
TEST(WindowsPng, EncodedImagesDecodeToTheSameIndicesAndColours)
{
    TempDir dir;
    BitmapPalette palette{};
    for (std::size_t k = 0; k < palette.size(); ++k)
        palette[k] = static_cast<uint8_t>(k * 7 + 3);
    std::vector<std::pair<uint16_t, uint16_t>> sizes;
    for (uint16_t side = 1; side <= 70; ++side)
        sizes.push_back({side, side});
    for (const uint16_t height : {1023, 1024, 1025, 2047, 2048, 2049})
        sizes.push_back({3, height});
    for (const uint16_t width : {255, 256, 257, 1024})
        sizes.push_back({width, 5});
    for (const auto& [width, height] : sizes) {
        std::vector<uint8_t> raster(static_cast<std::size_t>(width) * height);
        for (std::size_t k = 0; k < raster.size(); ++k)
            raster[k] = static_cast<uint8_t>((k * 31 + k / width) % 256);
        const std::string path = dir.File("image.png");
        ASSERT_TRUE(WritePngFile(raster.data(), width, height, path, palette));
        const DecodedPng decoded = DecodePng(path);
        ASSERT_EQ(decoded.Width, width);
        ASSERT_EQ(decoded.Height, height);
        ASSERT_TRUE(decoded.Pixels == raster) << width << " x " << height;
        ASSERT_EQ(decoded.Palette, std::vector<uint8_t>(palette.begin(), palette.end()));
    }
}

}  // namespace
}  // namespace tessel::test
