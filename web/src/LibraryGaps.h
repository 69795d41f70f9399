// Debian's emscripten comes with a libc++ older than the C++20 that the core
// is written in. The web build includes this file before every source: it
// adds what the core uses of the missing part, as the standard defines it,
// and nothing where the library has it.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <version>

#ifndef __cpp_lib_smart_ptr_for_overwrite
namespace std {

template <class T>
    requires is_unbounded_array_v<T>
unique_ptr<T> make_unique_for_overwrite(size_t count)
{
    return unique_ptr<T>(new remove_extent_t<T>[count]);
}

template <class T>
    requires(!is_array_v<T>)
unique_ptr<T> make_unique_for_overwrite()
{
    return unique_ptr<T>(new T);
}

}  // namespace std
#endif
