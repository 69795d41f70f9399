#include "scenario/ScenarioInfo.h"

#include "base/ByteOrder.h"
#include "text/CodePage437.h"

#include <algorithm>

namespace tessel {

PlayerController ControllerOfCode(uint8_t code)
{
    switch (code) {
    case 0x01:
    case 0x04: return PlayerController::Computer;
    case 0x03: return PlayerController::Nobody;
    case 0x05: return PlayerController::Human;
    case 0x06: return PlayerController::RescuePassive;
    case 0x07: return PlayerController::RescueActive;
    default: return PlayerController::PassiveComputer;
    }
}

PlayerRace RaceOfCode(uint8_t code)
{
    switch (code) {
    case 0x00: return PlayerRace::Human;
    case 0x01: return PlayerRace::Orc;
    default: return PlayerRace::Neutral;
    }
}

const char* ControllerName(PlayerController controller)
{
    switch (controller) {
    case PlayerController::PassiveComputer: return "passive computer";
    case PlayerController::Nobody: return "nobody";
    case PlayerController::Computer: return "computer";
    case PlayerController::Human: return "human";
    case PlayerController::RescuePassive: return "rescue passive";
    case PlayerController::RescueActive: return "rescue active";
    }
    return "passive computer";
}

const char* RaceName(PlayerRace race)
{
    switch (race) {
    case PlayerRace::Human: return "human";
    case PlayerRace::Orc: return "orc";
    case PlayerRace::Neutral: return "neutral";
    }
    return "neutral";
}

bool RaceIsFixed(PlayerController controller)
{
    return controller != PlayerController::Human && controller != PlayerController::Nobody;
}

namespace {

bool IsRescue(PlayerController controller)
{
    return controller == PlayerController::RescuePassive || controller == PlayerController::RescueActive;
}

// Who plays the slots, from the OWNR chunk: the players of slots 0 to 7 and
// the rescue players of slots 0 to 14.
void CountSeats(ChunkIndex& chunks, TScenarioInfo& info)
{
    const auto data = ReadOptionalChunk(chunks, chunk_tag::Owners, StoredSlotCount);
    if (!data)
        return;
    int32_t humans = 0, computers = 0, rescues = 0;
    for (int slot = 0; slot < RescueCapableSlotCount; ++slot) {
        const PlayerController controller = ControllerOfCode((*data)[slot]);
        if (IsRescue(controller))
            ++rescues;
        else if (slot < PlayerSlotCount && controller == PlayerController::Human)
            ++humans;
        else if (slot < PlayerSlotCount && controller == PlayerController::Computer)
            ++computers;
    }
    info.HumanSeats = humans;
    info.ComputerSeats = computers;
    info.RescueSlots = rescues;
}

// One byte per slot (OWNR, SIDE); the slots of a missing chunk stay unset.
template <class Value>
void ReadSlotBytes(ChunkIndex& chunks, const ChunkTag& tag, TScenarioInfo& info,
                   std::optional<Value> PlayerSlot::*field, Value (*decode)(uint8_t))
{
    if (const auto data = ReadOptionalChunk(chunks, tag, StoredSlotCount)) {
        for (int slot = 0; slot < PlayerSlotCount; ++slot)
            info.Slots[slot].*field = decode((*data)[slot]);
    }
}

// One 16-bit word per slot (SGLD, SLBR, SOIL).
void ReadSlotWords(ChunkIndex& chunks, const ChunkTag& tag, TScenarioInfo& info,
                   std::optional<uint16_t> PlayerSlot::*field)
{
    if (const auto data = ReadOptionalChunk(chunks, tag, 2 * StoredSlotCount)) {
        for (int slot = 0; slot < PlayerSlotCount; ++slot)
            info.Slots[slot].*field = ReadU16LE(&(*data)[2 * slot]);
    }
}

void ReadMetadata(ChunkIndex& chunks, TScenarioInfo& info)
{
    if (const auto data = ReadOptionalChunk(chunks, chunk_tag::Version, 2))
        info.Version = ReadU16LE(data->data());
    if (const auto data = ReadOptionalChunk(chunks, chunk_tag::Description, DescriptionLength)) {
        const auto end = std::find(data->begin(), data->end(), uint8_t{0});
        info.Description = CodePage437ToUtf8(std::string(data->begin(), end));
    }
    ReadSlotBytes(chunks, chunk_tag::Owners, info, &PlayerSlot::Controller, ControllerOfCode);
    CountSeats(chunks, info);
    ReadSlotBytes(chunks, chunk_tag::Races, info, &PlayerSlot::Race, RaceOfCode);
    ReadSlotWords(chunks, chunk_tag::StartingGold, info, &PlayerSlot::Gold);
    ReadSlotWords(chunks, chunk_tag::StartingLumber, info, &PlayerSlot::Lumber);
    ReadSlotWords(chunks, chunk_tag::StartingOil, info, &PlayerSlot::Oil);

    if (info.Slots[0].Controller) {
        const auto plays = [](const PlayerSlot& slot) {
            return slot.Controller == PlayerController::Human || slot.Controller == PlayerController::Computer;
        };
        info.Players = static_cast<int32_t>(std::count_if(info.Slots.begin(), info.Slots.end(), plays));
    }
}

// Mines, patches and start locations, from the units the minimap reader read.
void CountUnits(const TPUDData& scenario, TScenarioInfo& info)
{
    for (int32_t index = 0; index < scenario.UnitCount; ++index) {
        const UnitRecord unit = scenario.Unit(index);
        if (unit.Type == unit_type::GoldMine) {
            ++info.GoldMines;
            info.Gold += unit.Value * ResourceAmountUnit;
        } else if (unit.Type == unit_type::OilPatch) {
            ++info.OilPatches;
        } else if ((unit.Type == unit_type::HumanStart || unit.Type == unit_type::OrcStart) &&
                   unit.Owner < PlayerSlotCount && !info.Slots[unit.Owner].Start) {
            info.Slots[unit.Owner].Start = TilePosition{unit.X, unit.Y};
        }
    }
}

}  // namespace

void TScenarioInfo::LoadFromFile(const std::string& fileName)
{
    TPUDData scenario;
    LoadFromFile(fileName, scenario);
}

void TScenarioInfo::LoadFromFile(const std::string& fileName, TPUDData& scenario)
{
    *this = TScenarioInfo();
    scenario = TPUDData();
    InputFile file(fileName);
    LoadFromOpenFile(file, scenario);
    try {
        file.Close();
    } catch (...) {
        *this = TScenarioInfo();
        scenario = TPUDData();
        throw;
    }
}

void TScenarioInfo::LoadFromOpenFile(InputFile& file, TPUDData& scenario)
{
    *this = TScenarioInfo();
    scenario = TPUDData();
    try {
        ChunkIndex chunks(file);
        scenario.LoadFromChunks(chunks);
        Era = scenario.Era;
        MapSize = scenario.MapSize;
        UnitCount = scenario.UnitCount;
        ReadMetadata(chunks, *this);
        CountUnits(scenario, *this);
    } catch (...) {
        *this = TScenarioInfo();
        scenario = TPUDData();
        throw;
    }
}

}  // namespace tessel
