// Feeds arbitrary bytes to the catalogue reader as a file: it must refuse
// exactly what the minimap reader refuses, with the same message, and what
// it reads must agree with the minimap reader's load and the stored units.
#include "FuzzSupport.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "scenario/ScenarioInfo.h"

#include <algorithm>
#include <string>

using namespace tessel;

namespace {

// Whether text is well-formed UTF-8 without control characters apart from
// none at all: the description goes into JSON and HTML as it is.
bool IsPrintableUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > text.size() || (length == 1 && (lead < 0x20 || lead == 0x7F)))
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile input;
    input.Replace(data, size);

    std::string minimapFailure;
    TPUDData alone;
    try {
        alone.LoadFromFile(input.Path());
    } catch (const Exception& error) {
        minimapFailure = error.Message();
    }

    TScenarioInfo info;
    TPUDData scenario;
    try {
        info.LoadFromFile(input.Path(), scenario);
    } catch (const Exception& error) {
        FUZZ_CHECK(error.Message() == minimapFailure);
        FUZZ_CHECK(!info.Version && !info.Description && !info.Players && info.UnitCount == 0);
        FUZZ_CHECK(scenario.TileMap.empty() && scenario.Units.empty());
        return 0;
    }
    FUZZ_CHECK(minimapFailure.empty());
    FUZZ_CHECK(info.Era == alone.Era && info.MapSize == alone.MapSize && info.UnitCount == alone.UnitCount);
    FUZZ_CHECK(scenario.TileMap == alone.TileMap && scenario.Units == alone.Units);

    if (info.Description) {
        FUZZ_CHECK(info.Description->size() <= 3 * static_cast<std::size_t>(DescriptionLength));
        FUZZ_CHECK(IsPrintableUtf8(*info.Description));
    }
    int players = 0;
    for (const PlayerSlot& slot : info.Slots) {
        FUZZ_CHECK(slot.Controller.has_value() == info.Slots[0].Controller.has_value());
        players += slot.Controller == PlayerController::Human || slot.Controller == PlayerController::Computer;
    }
    FUZZ_CHECK(info.Players.has_value() == info.Slots[0].Controller.has_value());
    FUZZ_CHECK(!info.Players || *info.Players == players);

    // Mines, patches and starts against the records themselves.
    int64_t gold = 0;
    int32_t mines = 0, patches = 0;
    for (int32_t index = 0; index < alone.UnitCount; ++index) {
        const uint8_t* record = &alone.Units[static_cast<std::size_t>(index) * UnitRecordSize];
        mines += record[4] == unit_type::GoldMine;
        patches += record[4] == unit_type::OilPatch;
        if (record[4] == unit_type::GoldMine)
            gold += ReadU16LE(record + 6) * ResourceAmountUnit;
    }
    FUZZ_CHECK(info.GoldMines == mines && info.OilPatches == patches && info.Gold == gold);
    FUZZ_CHECK(info.GoldMines + info.OilPatches <= info.UnitCount);
    return 0;
}
