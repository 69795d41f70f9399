// Scenarios inside zip archives (map packs), read as if each archive were a
// folder: through libzip (ZipArchiveLibzip.cpp), or, in a build without it
// (the Windows build), not at all (ZipArchiveUnavailable.cpp). Only entries whose names end in ".pud" are read;
// readmes, pictures and zips inside the zip are passed over.
//
// An entry's name is used as a path below the output folder only when it is
// a plain relative path: pieces separated by "/", none of them empty, "."
// or "..", and no backslash or colon anywhere (no absolute path, no drive
// letter). Other scenario entries are refused by name, never read.
//
// Limits, so that a hostile archive costs no more than a real pack: at most
// MaximumZipEntries entries per archive (else the whole archive is refused),
// and each scenario entry inflated to at most MaximumScenarioSize + 1
// bytes; one that states or turns out to hold more fails as a scenario file
// of that size does. Only one entry per worker is in memory at a time.
#pragma once

#include "ScenarioDiscovery.h"
#include "system/FileLayer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// Far more than any map pack holds (a pack of a whole 875-map collection
// with its readmes stays below 2,000).
inline constexpr uint64_t MaximumZipEntries = 10000;

// Why an entry was not read, and the message for an archive that cannot be
// read as a zip ("Invalid zip archive (Not a zip archive).").
inline constexpr const char* UnsafeEntryNameText = "unsafe name in zip archive: not read";
std::string InvalidZipText(std::string_view reason);

bool HasZipExtension(std::string_view name);
bool IsSafeEntryName(std::string_view name);

// The folder name that an archive's entries go below: its file name without
// ".zip" ("pack.zip" gives "pack"); the whole file name where that would
// leave nothing, "." or "..".
std::string ZipFolderName(std::string_view fileName);

struct ZipEntry {
    uint64_t Index = 0;
    std::string Name;
};

struct ZipListing {
    // Scenario entries with safe names, ordered by name.
    std::vector<ZipEntry> Scenarios;
    // Scenario entries refused for their names.
    std::vector<std::string> UnsafeNames;
    // "Error: ..." when the archive cannot be read; nothing else is set then.
    std::string Failure;
};

ZipListing ListZipScenarios(const std::string& zipPath);

// The bytes of the scenario entry at index of the archive, whose name must
// be name, inflated to at most MaximumScenarioSize + 1 bytes. Raises EPUDEx
// ScenarioTooLargeText for a larger one and Exception InvalidZipText(...)
// for an archive or entry that cannot be read.
std::vector<unsigned char> ReadZipEntry(const std::string& zipPath, uint64_t index, const std::string& name);

// Opens what input names: the file itself, or its zip entry read into
// memory. Raises as opening a scenario file does, EPUDEx
// ScenarioTooLargeText for an entry beyond the size limit, and Exception
// InvalidZipText(...) for an archive or entry that cannot be read.
std::unique_ptr<InputFile> OpenScenario(const ScenarioInput& input);

}  // namespace tessel::cli
