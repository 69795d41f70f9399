// The catalogue reader: what a map list shows of a scenario. Besides what
// the minimap reader takes (era, side, units), the format version, the
// description, the eight players' controllers, races, starting resources
// and start locations, and the gold mines and oil patches.
#pragma once

#include "era/Era.h"
#include "scenario/PudData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tessel {

// Slots 0 to 7 are the real players; the others serve as rescue players and
// the neutral player, whom a catalogue leaves out.
inline constexpr int PlayerSlotCount = 8;
// The metadata chunks hold all 16 slots.
inline constexpr int StoredSlotCount = 16;
// Slots 8 to 14 can be rescue players only; slot 15 is the neutral player.
inline constexpr int RescueCapableSlotCount = 15;
// The DESC chunk: a zero-terminated text in a field of this many bytes.
inline constexpr int32_t DescriptionLength = 32;

enum class PlayerController { PassiveComputer, Nobody, Computer, Human, RescuePassive, RescueActive };
enum class PlayerRace { Human, Orc, Neutral };

// The game's reading of an OWNR code: 0x00 and 0x08 to 0xFF are read as a
// passive computer, 0x01 as a computer.
PlayerController ControllerOfCode(uint8_t code);
// SIDE codes: 0x00 human, 0x01 orc, any other neutral.
PlayerRace RaceOfCode(uint8_t code);

// "passive computer", "nobody", "computer", "human", "rescue passive", "rescue active"
const char* ControllerName(PlayerController controller);
// "human", "orc", "neutral"
const char* RaceName(PlayerRace race);

// Whether the file decides a slot's race. A human player picks a race when
// the game is set up (the stored one is only offered first); a computer, a
// passive computer or a rescue player plays the stored race; nobody plays
// no race at all.
bool RaceIsFixed(PlayerController controller);

struct TilePosition {
    uint16_t X = 0;
    uint16_t Y = 0;
    bool operator==(const TilePosition&) const = default;
};

// One player slot; a field whose chunk is missing or short is unset.
struct PlayerSlot {
    std::optional<PlayerController> Controller;
    std::optional<PlayerRace> Race;
    std::optional<uint16_t> Gold;
    std::optional<uint16_t> Lumber;
    std::optional<uint16_t> Oil;
    // The first start location the slot owns, in unit order; unset when it
    // owns none.
    std::optional<TilePosition> Start;
};

class TScenarioInfo {
public:
    // As the minimap reader finds them.
    uint16_t Era = 0;
    uint16_t MapSize = 0;
    int32_t UnitCount = 0;

    std::optional<uint16_t> Version;
    // UTF-8, up to the first zero byte of the field.
    std::optional<std::string> Description;
    std::array<PlayerSlot, PlayerSlotCount> Slots;
    // Slots whose controller is human or computer; unset with the controllers.
    std::optional<int32_t> Players;
    // Players split by who plays them, and the slots (0 to 14) whose units
    // a player rescues; all unset with the controllers.
    std::optional<int32_t> HumanSeats;
    std::optional<int32_t> ComputerSeats;
    std::optional<int32_t> RescueSlots;
    int32_t GoldMines = 0;
    int64_t Gold = 0;  // held by all gold mines together
    int32_t OilPatches = 0;

    // Reads a scenario. A file that the minimap reader refuses is refused
    // with the same error; missing or short metadata chunks never fail it.
    // A failed load leaves the object as constructed.
    void LoadFromFile(const std::string& fileName);
    // The same, leaving the minimap reader's load of the file in scenario
    // for a caller that renders it too.
    void LoadFromFile(const std::string& fileName, TPUDData& scenario);
    // The same from a file that the caller opened (one held in memory too)
    // and closes.
    void LoadFromOpenFile(InputFile& file, TPUDData& scenario);
};

}  // namespace tessel
