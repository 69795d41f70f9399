#include "InfoCommand.h"

#include "base/Exceptions.h"
#include "ScenarioDiscovery.h"
#include "ScenarioJson.h"
#include "text/TerminalName.h"
#include "tileset/BuiltinTileset.h"
#include "ZipInputs.h"

#include <new>
#include <ostream>

namespace tessel::cli {

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

// A value, or "unknown" where its chunk is missing or short.
template <class Value>
std::string Known(const std::optional<Value>& value)
{
    return value ? std::to_string(*value) : "unknown";
}

std::string Plural(int64_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The first line of the detailed form: era, side and units.
void PrintHeadline(std::ostream& out, const std::string& path, const TScenarioInfo& info)
{
    out << TerminalName(path) << ": era " << info.Era << " (" << EraName(info.Era) << "), " << info.MapSize << " x "
        << info.MapSize << " tiles, " << Plural(info.UnitCount, "unit", "units");
}

}  // namespace

void PrintScenarioLine(std::ostream& out, const std::string& path, const TScenarioInfo& info,
                       std::optional<std::size_t> tilesWithoutPicture)
{
    out << TerminalName(path) << ": " << EraName(info.Era) << ", " << info.MapSize << " x " << info.MapSize
        << " tiles, " << Plural(info.UnitCount, "unit", "units");
    if (tilesWithoutPicture)
        out << ", " << *tilesWithoutPicture << " without a picture";
    out << "; seats ";
    if (info.HumanSeats && info.ComputerSeats && info.RescueSlots)
        out << *info.HumanSeats << " human, " << *info.ComputerSeats << " computer, " << *info.RescueSlots
            << " rescue";
    else
        out << "unknown";
    out << "; gold " << info.Gold << " in " << Plural(info.GoldMines, "mine", "mines");
    if (info.Description && !info.Description->empty())
        out << "; \"" << *info.Description << '"';
    out << '\n';
}

void PrintScenarioText(std::ostream& out, const TScenarioInfo& info)
{
    out << "  version " << Known(info.Version) << "; "
        << (info.Players ? Plural(*info.Players, "player", "players") : "players unknown") << "; "
        << Plural(info.GoldMines, "gold mine", "gold mines") << " holding " << info.Gold << " gold; "
        << Plural(info.OilPatches, "oil patch", "oil patches") << '\n';
    out << "  description: " << (info.Description ? "\"" + *info.Description + "\"" : "unknown") << '\n';
    for (std::size_t slot = 0; slot < info.Slots.size(); ++slot) {
        const PlayerSlot& player = info.Slots[slot];
        out << "  slot " << slot + 1 << ": " << (player.Controller ? ControllerName(*player.Controller) : "unknown")
            << ", " << (player.Race ? RaceName(*player.Race) : "unknown") << "; gold " << Known(player.Gold)
            << ", lumber " << Known(player.Lumber) << ", oil " << Known(player.Oil) << "; start ";
        if (player.Start)
            out << player.Start->X << "," << player.Start->Y << '\n';
        else
            out << "none\n";
    }
}

int RunInfo(const InfoOptions& options, Console& console)
{
    std::vector<FolderProblem> problems;
    const auto inputs = DiscoverScenarios(options.Paths, problems);
    for (const FolderProblem& problem : problems)
        PrintFailureLine(console.Error, problem.Path, problem.Message);
    bool allRead = problems.empty();
    // One scenario is shown in full; several, a line each, unless asked.
    const bool detailed = options.Detailed.value_or(inputs.size() == 1);
    for (const ScenarioInput& input : inputs) {
        TPUDData scenario;
        TScenarioInfo info;
        std::string failure;
        try {
            const std::unique_ptr<InputFile> file = OpenScenario(input);
            info.LoadFromOpenFile(*file, scenario);
        } catch (const Exception& error) {
            failure = error.Message();
        } catch (const std::bad_alloc&) {
            failure = EOutOfMemory().Message();
        }
        if (!failure.empty())
            allRead = false;

        if (options.Json) {
            JsonObject line;
            if (failure.empty()) {
                line = ScenarioHeadJson(input.Path, info);
                if (options.BuiltinTileset)
                    line["tiles_without_picture"] = TilesWithoutBuiltinPicture(scenario);
                AddCatalogueJson(line, info);
            } else {
                line = FailureJson(input.Path, failure);
            }
            console.Out << JsonLine(line) << '\n';
        } else if (failure.empty()) {
            std::optional<std::size_t> withoutPicture;
            if (options.BuiltinTileset)
                withoutPicture = TilesWithoutBuiltinPicture(scenario);
            if (!detailed) {
                PrintScenarioLine(console.Out, input.Path, info, withoutPicture);
                continue;
            }
            PrintHeadline(console.Out, input.Path, info);
            if (withoutPicture)
                console.Out << ", " << *withoutPicture << " tiles without a picture in the built-in tileset";
            console.Out << '\n';
            PrintScenarioText(console.Out, info);
        } else {
            PrintFailureLine(console.Out, input.Path, failure);
        }
    }
    return allRead ? ExitSuccess : ExitSomeFailed;
}

}  // namespace tessel::cli
