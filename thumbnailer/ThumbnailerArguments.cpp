#include "ThumbnailerArguments.h"

#include "text/IntegerText.h"

#include <algorithm>

namespace tessel::thumbnailer {

const char* const ThumbnailerUsage =
    "Usage: tessel-thumbnailer [-s SIZE] INPUT OUTPUT\n"
    "\n"
    "Writes the minimap of the WarCraft 2 scenario INPUT (.pud) to OUTPUT as a\n"
    "SIZE x SIZE PNG image, for file managers that show thumbnails.\n"
    "\n"
    "Options:\n"
    "  -s, --size SIZE   image side in pixels (default 256; at most 1024)\n"
    "  -h, --help        show this text\n"
    "      --version     show the version\n"
    "\n"
    "The game archive and the unit display come from the settings of the\n"
    "desktop program tessel (~/.config/tessel.ini), which are only read; when\n"
    "the archive cannot be read, Tessel's built-in tileset is used. An OUTPUT\n"
    "that exists as a file (thumbnail services make it and read it back) is\n"
    "written in place. Exit status: 0 when OUTPUT was written; 1 otherwise,\n"
    "with one line on standard error and no image in OUTPUT; 128 + the\n"
    "signal's number when ended by SIGINT, SIGTERM, SIGHUP or SIGPIPE, also\n"
    "with no image in OUTPUT.\n";

namespace {

int32_t SideValue(const std::string& text)
{
    const auto value = ParseIntegerText(text);
    if (!value || *value < 1)
        throw ArgumentError("SIZE takes a number of pixels from 1, not \"" + text + "\"");
    return std::min(*value, LargestThumbnailSide);
}

}  // namespace

std::variant<ThumbnailRequest, InformationRequest> ParseThumbnailerArguments(const std::vector<std::string>& arguments)
{
    ThumbnailRequest request;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            return InformationRequest{ThumbnailerUsage};
        } else if (argument == "--version") {
            return InformationRequest{"tessel-thumbnailer " TESSEL_VERSION "\n"};
        } else if (argument == "-s" || argument == "--size") {
            if (i + 1 >= arguments.size())
                throw ArgumentError("option " + argument + " needs a value");
            request.Side = SideValue(arguments[++i]);
        } else if (argument.rfind("--size=", 0) == 0) {
            request.Side = SideValue(argument.substr(7));
        } else {
            throw ArgumentError("unknown option " + argument);
        }
    }
    if (operands.size() != 2)
        throw ArgumentError("INPUT and OUTPUT are needed, and nothing more");
    request.Input = operands[0];
    request.Output = operands[1];
    return request;
}

}  // namespace tessel::thumbnailer
