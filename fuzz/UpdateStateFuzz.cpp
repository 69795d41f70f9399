// Feeds arbitrary bytes to the parser of --update's state file: it must
// never fail, and what it accepts must be written back into a text that
// reads as the same state.
#include "FuzzSupport.h"

#include "UpdateState.h"

#include <string_view>

using namespace tessel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<cli::UpdateState> state = cli::ParseUpdateState(text);
    if (!state)
        return 0;
    const std::string written = cli::UpdateStateText(*state);
    FUZZ_CHECK(cli::ParseUpdateState(written) == state);
    FUZZ_CHECK(written.size() <= 3 * size);
    return 0;
}
