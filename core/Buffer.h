// Buffers owned by the readers. An empty vector is "no buffer": the formats
// never hold a buffer of 0 bytes, since a request for 0 bytes yields none.
#pragma once

#include "Exceptions.h"

#include <cstddef>
#include <new>
#include <stdexcept>
#include <vector>

namespace tessel {

// Allocates count zeroed elements; exhausted memory raises EOutOfMemory.
template <class T>
std::vector<T> AllocateBuffer(std::size_t count)
{
    try {
        return std::vector<T>(count);
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    } catch (const std::length_error&) {
        throw EOutOfMemory();
    }
}

}  // namespace tessel
