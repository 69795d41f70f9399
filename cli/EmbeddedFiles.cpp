#include "EmbeddedFiles.h"

#include <stdexcept>
#include <string>

namespace tessel::cli {

std::string_view GalleryFile(std::string_view name)
{
    for (const EmbeddedFile& file : GalleryFiles())
        if (file.Name == name)
            return file.Content;
    throw std::out_of_range("no gallery file \"" + std::string(name) + "\" is compiled in");
}

}  // namespace tessel::cli
