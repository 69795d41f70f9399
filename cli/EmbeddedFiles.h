// Files compiled into the program (the gallery's page, style and script),
// generated from the repository's files by cmake/EmbedFiles.cmake.
#pragma once

#include <span>
#include <string_view>

namespace tessel::cli {

struct EmbeddedFile {
    std::string_view Name;
    std::string_view Content;
};

// The files of cli/gallery/.
std::span<const EmbeddedFile> GalleryFiles();

// The content of the gallery file named name; raises std::out_of_range for
// a name that is not among them.
std::string_view GalleryFile(std::string_view name);

}  // namespace tessel::cli
