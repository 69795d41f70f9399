// The zip archives of map packs, read through libzip.
#include "ZipInputs.h"

#include "scenario/ScenarioChunks.h"
#include "system/FileIdentity.h"
#include "system/SystemErrors.h"
#include "UpdateState.h"

#include <zip.h>

#include <algorithm>
#include <optional>

namespace tessel::cli {

namespace {

// The archive's handle, closed when it goes.
struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileCloser>;

// What libzip's error says, as our message: a system error as the file
// layer words it, anything else as an archive that is not valid.
std::string ErrorText(zip_error_t& error, const std::string& zipPath)
{
    if (zip_error_system_type(&error) == ZIP_ET_SYS && zip_error_code_system(&error) != 0)
        return InOutErrorFromSystem(zip_error_code_system(&error), zipPath).Message();
    return InvalidZipText(zip_error_strerror(&error));
}

// Opens the archive for reading, or raises Exception with ErrorText.
ZipHandle OpenArchive(const std::string& zipPath)
{
    // The file layer's own words for a file that is missing, not a regular
    // file or not readable; libzip's "No such file" would stand alone.
    InputFile(zipPath).Close();
    int code = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const std::string text = ErrorText(error, zipPath);
        zip_error_fini(&error);
        throw Exception(text);
    }
    ZipHandle handle(archive);
    if (zip_get_num_entries(archive, 0) < 0 ||
        static_cast<uint64_t>(zip_get_num_entries(archive, 0)) > MaximumZipEntries)
        throw Exception(InvalidZipText("more than " + std::to_string(MaximumZipEntries) + " entries"));
    return handle;
}

// Each worker keeps the archive it read last open: the entries of one pack
// are read one after another, and opening reads the whole directory. It is
// opened again when the path leads to another file, or the file changed.
struct OpenArchiveCache {
    std::string Path;
    std::optional<FileIdentity> Identity;
    std::optional<FileStamp> Stamp;
    ZipHandle Archive;
};
thread_local OpenArchiveCache openArchive;

zip_t& CachedArchive(const std::string& zipPath)
{
    std::optional<FileIdentity> identity = IdentityOfFile(zipPath);
    std::optional<FileStamp> stamp = StampOfFile(zipPath);
    if (!openArchive.Archive || openArchive.Path != zipPath || !identity || identity != openArchive.Identity ||
        stamp != openArchive.Stamp) {
        openArchive.Archive.reset();
        openArchive.Archive = OpenArchive(zipPath);
        openArchive.Path = zipPath;
        openArchive.Identity = identity;
        openArchive.Stamp = stamp;
    }
    return *openArchive.Archive;
}

[[noreturn]] void RaiseEntryError(zip_error_t* error, const std::string& zipPath)
{
    throw Exception(ErrorText(*error, zipPath));
}

}  // namespace

std::vector<unsigned char> ReadZipEntry(const std::string& zipPath, uint64_t index, const std::string& name)
{
    zip_t& archive = CachedArchive(zipPath);
    const char* storedName = zip_get_name(&archive, index, 0);
    if (storedName == nullptr || name != storedName)
        throw Exception(InvalidZipText("changed while it was read"));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(&archive, index, 0, &stat) != 0)
        RaiseEntryError(zip_get_error(&archive), zipPath);
    // The stated size is checked first, so that a large entry is never
    // inflated; the real one below, as a stated size may lie.
    if ((stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > static_cast<uint64_t>(MaximumScenarioSize))
        throw EPUDEx(ScenarioTooLargeText);
    const ZipFileHandle file(zip_fopen_index(&archive, index, 0));
    if (!file)
        RaiseEntryError(zip_get_error(&archive), zipPath);
    constexpr std::size_t Limit = static_cast<std::size_t>(MaximumScenarioSize) + 1;
    constexpr std::size_t Piece = 64 * 1024;
    std::vector<unsigned char> bytes;
    while (bytes.size() < Limit) {
        const std::size_t start = bytes.size();
        const std::size_t wanted = std::min(Limit, start + Piece);
        // Grown by doubling, but never past the limit.
        if (bytes.capacity() < wanted)
            bytes.reserve(std::min(Limit, std::max(wanted, 2 * bytes.capacity())));
        bytes.resize(wanted);
        const zip_int64_t got = zip_fread(file.get(), bytes.data() + start, bytes.size() - start);
        if (got < 0)
            RaiseEntryError(zip_file_get_error(file.get()), zipPath);
        bytes.resize(start + static_cast<std::size_t>(got));
        if (got == 0)
            break;
    }
    if (bytes.size() > static_cast<std::size_t>(MaximumScenarioSize))
        throw EPUDEx(ScenarioTooLargeText);
    return bytes;
}

ZipListing ListZipScenarios(const std::string& zipPath)
{
    ZipListing listing;
    try {
        const ZipHandle archive = OpenArchive(zipPath);
        const auto count = static_cast<uint64_t>(zip_get_num_entries(archive.get(), 0));
        for (uint64_t index = 0; index < count; ++index) {
            const char* name = zip_get_name(archive.get(), index, 0);
            if (name == nullptr || !HasScenarioExtension(name))
                continue;
            if (IsSafeEntryName(name))
                listing.Scenarios.push_back({index, name});
            else
                listing.UnsafeNames.emplace_back(name);
        }
    } catch (const Exception& error) {
        return {{}, {}, "Error: " + error.Message()};
    }
    std::sort(listing.Scenarios.begin(), listing.Scenarios.end(),
              [](const ZipEntry& a, const ZipEntry& b) { return a.Name < b.Name; });
    return listing;
}

}  // namespace tessel::cli
