#include "InfoCommand.h"

#include "BuiltinTileset.h"
#include "Exceptions.h"
#include "JsonLines.h"
#include "PudData.h"
#include "ScenarioDiscovery.h"

#include <new>

namespace tessel::cli {

const char* EraName(int era)
{
    static const char* const names[] = {"forest", "winter", "wasteland", "swamp"};
    return era >= 0 && era < 4 ? names[era] : "unknown";
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
            JsonObject line{{"path", input.Path}};
            if (failure.empty()) {
                line["era"] = scenario.Era;
                line["era_name"] = EraName(scenario.Era);
                line["side"] = scenario.MapSize;
                line["units"] = scenario.UnitCount;
                if (options.BuiltinTileset)
                    line["tiles_without_picture"] = TilesWithoutBuiltinPicture(scenario);
            } else {
                line["error"] = failure;
            }
            console.Out << JsonLine(line) << '\n';
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
