#include "archive/ArchiveMessages.h"

namespace tessel {

std::string NotAnArchiveText(const std::string& path) { return "\"" + path + "\" is not a valid MAINDAT.WAR file."; }

std::string ExtractionFailureText(int32_t entry, const std::string& reason)
{
    return "Error extracting entry #" + std::to_string(entry) + ": " + reason;
}

std::string UnreadableTableText(const std::string& table) { return "Cannot read " + table + " from maindat.war"; }

}  // namespace tessel
