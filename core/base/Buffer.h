// Buffers owned by the readers. An empty vector is "no buffer": the formats
// never hold a buffer of 0 bytes, since a request for 0 bytes yields none.
#pragma once

#include "base/Exceptions.h"

#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

namespace tessel {

// What allocate() returns; exhausted memory, or a count beyond what the
// allocator can give, raises EOutOfMemory.
template <class Allocate>
auto AllocatingOrRaising(Allocate allocate)
{
    try {
        return allocate();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    } catch (const std::length_error&) {
        throw EOutOfMemory();
    }
}

// Allocates count zeroed elements; exhausted memory raises EOutOfMemory.
template <class T>
std::vector<T> AllocateBuffer(std::size_t count)
{
    return AllocatingOrRaising([count] { return std::vector<T>(count); });
}

// An empty vector with room for count elements, to be filled by appending:
// nothing is zeroed first. Exhausted memory raises EOutOfMemory.
template <class T>
std::vector<T> ReserveBuffer(std::size_t count)
{
    return AllocatingOrRaising([count] {
        std::vector<T> buffer;
        buffer.reserve(count);
        return buffer;
    });
}

// count elements left as they come, for a buffer written whole before it is
// read. Exhausted memory raises EOutOfMemory.
template <class T>
std::unique_ptr<T[]> AllocateForOverwrite(std::size_t count)
{
    return AllocatingOrRaising([count] { return std::make_unique_for_overwrite<T[]>(count); });
}

}  // namespace tessel
