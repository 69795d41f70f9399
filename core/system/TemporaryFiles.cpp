#include "system/TemporaryFiles.h"

#include "base/Exceptions.h"

#include <set>

namespace tessel {

namespace {

struct Registry {
    std::mutex mutex;
    std::set<std::string> temporary;
    std::set<NativeFile> writtenInPlace;
    bool closed = false;
    uint64_t committed = 0;
};

// Never destroyed: workers may still use it while the process ends.
Registry& TheRegistry()
{
    static auto* registry = new Registry;
    return *registry;
}

}  // namespace

TemporaryFilesLock::TemporaryFilesLock() : lock_(TheRegistry().mutex) {}

bool TemporaryFilesLock::Closed() const { return TheRegistry().closed; }

void TemporaryFilesLock::RaiseIfClosed() const
{
    if (Closed())
        RaiseInterrupted();
}

void TemporaryFilesLock::AddTemporary(const std::string& path) { TheRegistry().temporary.insert(path); }

bool TemporaryFilesLock::ForgetTemporary(const std::string& path) { return TheRegistry().temporary.erase(path) != 0; }

void TemporaryFilesLock::AddWrittenInPlace(NativeFile file) { TheRegistry().writtenInPlace.insert(file); }

bool TemporaryFilesLock::ForgetWrittenInPlace(NativeFile file)
{
    return TheRegistry().writtenInPlace.erase(file) != 0;
}

void TemporaryFilesLock::CountCommitted() { ++TheRegistry().committed; }

void RaiseInterrupted() { throw Exception("Interrupted"); }

uint64_t CommittedFileCount() noexcept
{
    const TemporaryFilesLock lock;
    return TheRegistry().committed;
}

void RemoveTemporaryFilesForExit() noexcept
{
    const TemporaryFilesLock lock;
    Registry& registry = TheRegistry();
    registry.closed = true;
    for (const std::string& path : registry.temporary)
        RemoveFileQuietly(path);
    registry.temporary.clear();
    for (const NativeFile file : registry.writtenInPlace)
        EmptyFileQuietly(file);
    registry.writtenInPlace.clear();
}

}  // namespace tessel
