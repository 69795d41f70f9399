// The temporary-file registry: every temporary file of a ReplacingOutputFile
// that exists, and every file that an InPlaceOutputFile has written to and
// not committed, so that a process ending on a signal can remove or empty
// them all at once. From then on no output file is made, written in place
// or committed: what the removal leaves stays so.
#pragma once

#include "system/FileLayer.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace tessel {

// Removes every registered temporary file, cuts every registered file
// written in place to 0 bytes, and from then on lets no output file be
// made, written in place or committed (they fail with Exception
// "Interrupted"), for a process that ends on a signal. Safe from any
// thread, but not in a signal handler.
void RemoveTemporaryFilesForExit() noexcept;

// How many output files (of either kind) have been committed in this
// process; once RemoveTemporaryFilesForExit has returned, the number is
// final.
uint64_t CommittedFileCount() noexcept;

// The registry's lock, held by an output file while it makes its temporary
// file, writes in place, commits or discards, so that none of these
// interleaves with the removal for an exit.
class TemporaryFilesLock {
public:
    TemporaryFilesLock();
    TemporaryFilesLock(const TemporaryFilesLock&) = delete;
    TemporaryFilesLock& operator=(const TemporaryFilesLock&) = delete;

    // Gives the lock back before the object goes.
    void Release() { lock_.unlock(); }

    // Whether the files were removed for an exit.
    bool Closed() const;
    // Raises Exception "Interrupted" when they were.
    void RaiseIfClosed() const;

    void AddTemporary(const std::string& path);
    // Whether path was still registered: false once the exit removed it.
    bool ForgetTemporary(const std::string& path);
    void AddWrittenInPlace(NativeFile file);
    // Whether file was still registered: false when it was never written
    // to, or once the exit emptied it.
    bool ForgetWrittenInPlace(NativeFile file);
    // One more output file has been committed.
    void CountCommitted();

private:
    std::unique_lock<std::mutex> lock_;
};

// Raises Exception "Interrupted": what an output file meets after the exit.
[[noreturn]] void RaiseInterrupted();

// What the platform's file layer does for the removal: unlink a file, and
// cut an open file to 0 bytes; both ignore failures.
void RemoveFileQuietly(const std::string& path) noexcept;
void EmptyFileQuietly(NativeFile file) noexcept;

}  // namespace tessel
