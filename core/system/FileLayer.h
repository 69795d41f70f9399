// The file layer: files behind small RAII classes, the same on every
// platform. Every operation is checked right after the call; a failure
// raises EInOutError with the number that the system's error maps to
// (SystemErrors.h). The system calls are in FileLayerPosix.cpp (a port adds
// its own file beside it); what needs none (read-ahead, write buffering) is
// in FileLayer.cpp. Output files take part in the temporary-file registry
// (TemporaryFiles.h), which a process ending on a signal empties.
#pragma once

#include "base/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// What the operating system knows an open file by: a descriptor on POSIX,
// wide enough for a handle elsewhere.
using NativeFile = std::intptr_t;
inline constexpr NativeFile NoFile = -1;

// An existing file opened for reading only (shared with other programs).
// Anything but a regular file (a folder, a pipe, a device) is refused with
// "File access denied", without waiting for a pipe's writer.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    // A file whose bytes are already in memory (an entry taken out of a zip
    // archive), read through the same operations without the system; name
    // stands in for its path.
    InputFile(std::string name, std::vector<unsigned char> bytes);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    int64_t Size() const;
    int64_t Position() const { return position_; }
    // Any position at or after 0 is allowed, also one past the end.
    void Seek(int64_t position);
    // Reads exactly count bytes; fewer raises "Read beyond end of file".
    void ReadExact(void* buffer, std::size_t count);
    // Reads up to count bytes and returns how many came; the end of the
    // file is not an error.
    std::size_t ReadUpTo(void* buffer, std::size_t count);
    // Closes the file; a failure raises. The destructor closes silently.
    void Close();

private:
    // Chunk searches read many small headers: a read-ahead block serves them
    // without a system call each.
    static constexpr std::size_t ReadAheadSize = 64 * 1024;

    // The platform's side of an open file on the system (not in memory).
    std::size_t ReadFromSystem(unsigned char* buffer, std::size_t count, int64_t position);
    int64_t SizeFromSystem() const;
    void CloseOnSystem();
    bool IsOpen() const { return file_ != NoFile || inMemory_; }

    std::string path_;
    NativeFile file_ = NoFile;
    // Set for a file held in memory: memory_ holds all of it, and no
    // descriptor is ever opened.
    bool inMemory_ = false;
    std::vector<unsigned char> memory_;
    int64_t position_ = 0;
    std::unique_ptr<unsigned char[]> readAhead_;
    int64_t readAheadStart_ = 0;
    std::size_t readAheadLength_ = 0;
};

// A file written beside its destination under a short temporary name and
// renamed over the destination only by Commit, so that a failure never
// damages a file that stood there. Destroyed without Commit, it removes its
// temporary file.
//
// It replaces no more than opening the destination for writing would: an
// existing file that cannot be opened for writing fails at once with "File
// access denied" and stays as it was; a symbolic link is written through to
// its target only where the system would follow it for this process (with
// fs.protected_symlinks on, not another user's link in a sticky folder such
// as /tmp), else "File access denied"; the new file keeps the old one's
// permissions and, where the system allows, its owner, both set before the
// rename; and a folder, device or pipe is never replaced.
class ReplacingOutputFile {
public:
    // durable: flush to the medium before the rename (for the settings file).
    explicit ReplacingOutputFile(const std::string& path, bool durable = false);
    ~ReplacingOutputFile();
    ReplacingOutputFile(const ReplacingOutputFile&) = delete;
    ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

    const std::string& Path() const { return path_; }
    // The number of bytes written so far.
    int64_t Position() const { return position_; }
    // Takes all count bytes; they may wait in a buffer until the next Flush.
    // A write that cannot store them all raises "Disk full".
    void Write(const void* buffer, std::size_t count);
    // Hands the buffered bytes to the system, so that a failure to store
    // them shows here rather than at a later write.
    void Flush();
    // Flushes, closes the file and moves it over the destination.
    void Commit();

private:
    static constexpr std::size_t BufferSize = 64 * 1024;

    void WriteToSystem(const unsigned char* bytes, std::size_t count);
    void Discard() noexcept;

    // What the replaced file had, given to its successor.
    struct Kept {
        unsigned Mode;
        unsigned Owner;
        unsigned Group;
    };

    std::string path_;
    std::string target_;  // path_, or where a symbolic link there leads
    std::string temporaryPath_;
    bool durable_;
    std::optional<Kept> kept_;
    NativeFile file_ = NoFile;
    int64_t position_ = 0;
    std::vector<unsigned char> buffer_;
};

// An existing regular file written over in place, for a caller that made
// the file and reads the result through the handle it keeps (a thumbnail
// service does so): a new file renamed over it would never reach that
// handle. The file is opened through its own path and never created, so
// that the system's rules on permissions and links decide as for any other
// writer. Commit cuts the file to the bytes written. A file written to and
// never committed (a failure, or the process ending on a signal) is cut to
// 0 bytes, so that no part of an image remains; one never written to stays
// as it was.
class InPlaceOutputFile {
public:
    // A missing file raises "File not found"; anything but a regular file,
    // or one that cannot be opened for writing, "File access denied".
    explicit InPlaceOutputFile(const std::string& path);
    ~InPlaceOutputFile();
    InPlaceOutputFile(const InPlaceOutputFile&) = delete;
    InPlaceOutputFile& operator=(const InPlaceOutputFile&) = delete;

    const std::string& Path() const { return path_; }
    int64_t Position() const { return position_; }
    // Writes all count bytes at Position, straight to the file; a write that
    // cannot store them all raises "Disk full".
    void Write(const void* buffer, std::size_t count);
    // Cuts the file to Position and closes it.
    void Commit();

private:
    // Bytes written under one hold of the lock that an exit on a signal takes.
    static constexpr std::size_t WritePiece = 64 * 1024;

    void Discard() noexcept;
    // The system's side: up to count bytes written at Position, how many
    // were stored (0 when none could be), or an error raised; the file cut
    // to Position, or an error raised; closing the file, quietly or after a
    // commit, when a failure to close raises.
    std::size_t WriteOnSystem(const unsigned char* bytes, std::size_t count);
    void CutOnSystem();
    void CloseQuietlyOnSystem() noexcept;
    void CloseCommittedOnSystem();

    std::string path_;
    NativeFile file_ = NoFile;
    int64_t position_ = 0;
};

}  // namespace tessel
