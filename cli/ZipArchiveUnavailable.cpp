// A build without a zip library: every zip archive is refused with a clear
// message, never read as a scenario.
#include "ZipInputs.h"

#include "base/Exceptions.h"

namespace tessel::cli {

namespace {

const char* const NoZipReason = "this build of Tessel reads no zip archives";

}  // namespace

ZipListing ListZipScenarios(const std::string&) { return {{}, {}, "Error: " + InvalidZipText(NoZipReason)}; }

std::vector<unsigned char> ReadZipEntry(const std::string&, uint64_t, const std::string&)
{
    throw Exception(InvalidZipText(NoZipReason));
}

}  // namespace tessel::cli
