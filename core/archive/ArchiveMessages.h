// Every message about the game archive, in one place. Loading an era
// (TTerrainData::LoadFromMaindat) fails with the first that applies; boxes
// are shown with ErrorBox before the load fails, and MakeMinimap shows the
// failure itself with "Error: " before it:
//
// - a file shorter than the 8-byte header, or with another signature or
//   tag: NotAnArchiveText;
// - an entry of the era that cannot be read: a box ExtractionFailureText
//   with the reason, then UnreadableTableText for its table. An archive cut
//   short inside its entry table, or inside the data of a stored entry,
//   gives the reason "Read beyond end of file"; a length of 0 "Out of
//   memory." (where an allocation fails: "Out of memory");
// - an entry that is absent, past the table's count, or has less than 4
//   bytes of room before the next entry or the end of the file: no box,
//   only UnreadableTableText.
//
// A compressed entry cut short by the end of the file is no failure: the
// stream reads on as zero bytes.
#pragma once

#include <cstdint>
#include <string>

namespace tessel {

// "\"<path>\" is not a valid MAINDAT.WAR file."
std::string NotAnArchiveText(const std::string& path);

// "Error extracting entry #<entry>: <reason>"
std::string ExtractionFailureText(int32_t entry, const std::string& reason);

// "Cannot read <table> from maindat.war", table being "palette", "MMI",
// "MMT" or "TMI".
std::string UnreadableTableText(const std::string& table);

}  // namespace tessel
