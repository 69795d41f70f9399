// The module the page's worker loads: PageMinimaps and the facts of a
// scenario as JavaScript calls them. Files are paths in the module's file
// system, where the worker puts them.
#include "PageMinimaps.h"
#include "PngEncoder.h"
#include "era/Era.h"
#include "scenario/ScenarioChunks.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

namespace tessel::web {
namespace {

using emscripten::val;

PageMinimaps& Minimaps()
{
    static PageMinimaps minimaps;
    return minimaps;
}

// A copy that lives in JavaScript, not a view of the module's memory.
val BytesOf(const uint8_t* bytes, std::size_t size)
{
    return val::global("Uint8Array").new_(emscripten::typed_memory_view(size, bytes));
}

val TextsOf(const std::vector<std::string>& texts)
{
    val array = val::array();
    for (const std::string& text : texts)
        array.call<void>("push", text);
    return array;
}

MinimapRequest RequestOf(const std::string& scenarioPath, int32_t side, bool units, const std::string& archivePath)
{
    return {scenarioPath, side, units, archivePath};
}

// {made, messages, png}: the PNG file's bytes only when made. Encoded here,
// in WebAssembly, it takes a fraction of what a script encoder takes, and
// as little for the first map as for the hundredth.
val RenderPng(const std::string& scenarioPath, int32_t side, bool units, const std::string& archivePath)
{
    PageMinimap minimap = Minimaps().Render(RequestOf(scenarioPath, side, units, archivePath));
    std::vector<uint8_t> png;
    if (minimap.Made) {
        try {
            const auto pixels = static_cast<uint16_t>(minimap.Side);
            png = EncodeIndexedPng(minimap.Pixels.data(), pixels, pixels, minimap.Palette, PngCompression::Fast);
        } catch (const std::exception& error) {
            minimap.Made = false;
            minimap.Messages.push_back(std::string("Error: ") + error.what());
        }
    }
    val result = val::object();
    result.set("made", minimap.Made);
    result.set("messages", TextsOf(minimap.Messages));
    if (minimap.Made)
        result.set("png", BytesOf(png.data(), png.size()));
    return result;
}

// {made, messages}
val WriteBitmap(const std::string& scenarioPath, int32_t side, bool units, const std::string& archivePath,
                const std::string& bitmapPath)
{
    const PageMinimap minimap =
        Minimaps().WriteBitmap(RequestOf(scenarioPath, side, units, archivePath), bitmapPath);
    val result = val::object();
    result.set("made", minimap.Made);
    result.set("messages", TextsOf(minimap.Messages));
    return result;
}

template <typename Value>
val OptionalValue(const std::optional<Value>& value)
{
    return value ? val(*value) : val::null();
}

// The facts a card shows, named as in tessel-cli info --json; null for a
// file that cannot be read.
val Facts(const std::string& scenarioPath)
{
    const std::optional<TScenarioInfo> info = ScenarioFacts(scenarioPath);
    if (!info)
        return val::null();
    val facts = val::object();
    facts.set("era", info->Era);
    facts.set("era_name", EraName(info->Era));
    facts.set("side", info->MapSize);
    facts.set("units", info->UnitCount);
    facts.set("description", OptionalValue(info->Description));
    facts.set("players", OptionalValue(info->Players));
    facts.set("gold_mines", info->GoldMines);
    facts.set("gold", static_cast<double>(info->Gold));
    val slots = val::array();
    for (const PlayerSlot& slot : info->Slots) {
        val entry = val::object();
        entry.set("controller", slot.Controller ? val(ControllerName(*slot.Controller)) : val::null());
        entry.set("race", slot.Race ? val(RaceName(*slot.Race)) : val::null());
        slots.call<void>("push", entry);
    }
    facts.set("slots", slots);
    return facts;
}

}  // namespace

EMSCRIPTEN_BINDINGS(tessel)
{
    emscripten::function("renderPng", &RenderPng);
    emscripten::function("writeBitmap", &WriteBitmap);
    emscripten::function("facts", &Facts);
    emscripten::function("forgetArchive", +[] { Minimaps().ForgetArchive(); });
    emscripten::constant("maximumScenarioSize", static_cast<double>(MaximumScenarioSize));
}

}  // namespace tessel::web
