// Watches the blocks that operator new is asked for, for the test program
// that links AllocationProbe.cpp (it replaces the global operator new):
// the largest request while a probe lives, and a ceiling above which a
// request fails as exhausted memory would, without touching any memory.
#pragma once

#include <cstddef>
#include <limits>

namespace tessel::test {

class AllocationProbe {
public:
    explicit AllocationProbe(std::size_t ceiling = std::numeric_limits<std::size_t>::max());
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    // The largest block asked for since the probe began, refused or not.
    std::size_t LargestRequest() const;
};

}  // namespace tessel::test
