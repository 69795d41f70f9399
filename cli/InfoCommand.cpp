#include "InfoCommand.h"

#include "BuiltinTileset.h"
#include "Exceptions.h"
#include "PudData.h"
#include "ScenarioDiscovery.h"

#include <cstdio>
#include <new>

namespace tessel::cli {

const char* EraName(int era)
{
    static const char* const names[] = {"forest", "winter", "wasteland", "swamp"};
    return era >= 0 && era < 4 ? names[era] : "unknown";
}

std::string JsonString(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

namespace {

// The tiles of a scenario that the built-in tileset has no picture for:
// all of them for an era that it does not have.
std::size_t TilesWithoutBuiltinPicture(const TPUDData& scenario)
{
    TTerrainData terrain;
    try {
        LoadBuiltinTileset(terrain, scenario.Era);
    } catch (const Exception&) {
        return scenario.TileMap.size();
    }
    std::size_t count = 0;
    for (const TileCode tile : scenario.TileMap)
        count += terrain.PictureOfTile(tile) == 0;
    return count;
}

}  // namespace

int RunInfo(const InfoOptions& options, Console& console)
{
    std::vector<std::string> problems;
    const auto inputs = DiscoverScenarios(options.Paths, problems);
    for (const std::string& problem : problems)
        console.Err << problem << '\n';
    bool allRead = problems.empty();
    for (const ScenarioInput& input : inputs) {
        TPUDData scenario;
        std::string failure;
        try {
            scenario.LoadFromFile(input.Path);
        } catch (const Exception& error) {
            failure = error.Message();
        } catch (const std::bad_alloc&) {
            failure = EOutOfMemory().Message();
        }
        if (!failure.empty())
            allRead = false;

        if (options.Json) {
            console.Out << "{\"path\":" << JsonString(input.Path);
            if (failure.empty()) {
                console.Out << ",\"era\":" << scenario.Era << ",\"era_name\":\"" << EraName(scenario.Era)
                            << "\",\"side\":" << scenario.MapSize << ",\"units\":" << scenario.UnitCount;
                if (options.BuiltinTileset)
                    console.Out << ",\"tiles_without_picture\":" << TilesWithoutBuiltinPicture(scenario);
            } else {
                console.Out << ",\"error\":" << JsonString(failure);
            }
            console.Out << "}\n";
        } else if (failure.empty()) {
            console.Out << input.Path << ": era " << scenario.Era << " (" << EraName(scenario.Era) << "), "
                        << scenario.MapSize << " x " << scenario.MapSize << " tiles, " << scenario.UnitCount
                        << (scenario.UnitCount == 1 ? " unit" : " units");
            if (options.BuiltinTileset)
                console.Out << ", " << TilesWithoutBuiltinPicture(scenario)
                            << " tiles without a picture in the built-in tileset";
            console.Out << '\n';
        } else {
            console.Out << input.Path << ": " << failure << '\n';
        }
    }
    return allRead ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
