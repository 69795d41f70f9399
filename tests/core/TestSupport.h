// Shared helpers of the core tests: scratch folders, recorded error boxes and
// whole-file reads and writes.
#pragma once

#include "base/ErrorBox.h"
#include "era/TerrainData.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessel::test {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // path of name inside the folder
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// Collects the ErrorBox texts of the current thread while it lives.
using ErrorBoxRecorder = ErrorBoxCapture;

// Lets only limit more bytes reach ReplacingOutputFile writes while it
// lives, as a full disk would.
class ScopedWriteLimit {
public:
    explicit ScopedWriteLimit(int64_t limit);
    ~ScopedWriteLimit();
    ScopedWriteLimit(const ScopedWriteLimit&) = delete;
    ScopedWriteLimit& operator=(const ScopedWriteLimit&) = delete;
};

// Sets the process's file mode creation mask while it lives.
class ScopedUmask {
public:
    explicit ScopedUmask(unsigned mask);
    ~ScopedUmask();
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    unsigned previous_;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Names of the entries of a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& path);
// Whether the process can be refused access by file modes (root cannot).
bool PermissionsAreEnforced();

// Runs body in a child process, where it may change what the whole process
// holds (limits, the file layer's state) without touching later tests. The
// test fails when body fails.
void RunInChildProcess(const std::function<void()>& body);

// Runs body in a child process where file modes bind it: one that gives up
// root's rights for those of the user "nobody", with dir opened to it, when
// the tests run as root.
void RunWithoutPrivileges(const TempDir& dir, const std::function<void()>& body);

// An 8-bit indexed PNG file as read back; a file that is not one fails the
// running test.
struct DecodedPng {
    uint32_t Width = 0, Height = 0;
    std::vector<uint8_t> Pixels;   // palette indexes, row 0 first
    std::vector<uint8_t> Palette;  // red, green, blue

    // Red, green and blue of every pixel, row 0 first.
    std::vector<uint8_t> RgbPixels() const;
};
DecodedPng DecodePng(const std::string& path);

// Era (0 to 3) of the built-in tileset, loaded.
TTerrainData BuiltinTerrain(int32_t era);

}  // namespace tessel::test
