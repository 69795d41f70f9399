// Writes scenario files chunk by chunk: any tags, in any order, with any
// stated lengths (also wrong ones), for tests, fuzz seeds and the demo.
#pragma once

#include "scenario/PudData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

// One unit as placed in the UNIT chunk.
using UnitPlacement = UnitRecord;

class ScenarioWriter {
public:
    // A chunk whose stated length is the length of data.
    ScenarioWriter& Chunk(const ChunkTag& tag, std::vector<uint8_t> data);
    // A chunk whose header states statedLength whatever data holds.
    ScenarioWriter& ChunkWithStatedLength(const ChunkTag& tag, int32_t statedLength, std::vector<uint8_t> data);
    // Bytes appended as they are (a cut header, trailing garbage).
    ScenarioWriter& Raw(std::vector<uint8_t> bytes);

    std::vector<uint8_t> Bytes() const;
    // Writes the bytes to path, replacing any file there; raises on failure.
    void WriteTo(const std::string& path) const;

private:
    std::vector<uint8_t> bytes_;
};

// Chunk data of the usual kinds.
std::vector<uint8_t> EraChunkData(uint16_t era);
std::vector<uint8_t> DimensionsChunkData(uint16_t width, uint16_t height);
std::vector<uint8_t> TileMapChunkData(const std::vector<TileCode>& tiles);
std::vector<uint8_t> UnitsChunkData(const std::vector<UnitPlacement>& units);
// UDTA data of length bytes (at least the size table's end needed by the
// entries set), every unit type 1 x 1 tile unless sizes sets it.
struct UnitSize {
    uint8_t Type;
    uint16_t Width;
    uint16_t Height;
};
std::vector<uint8_t> UnitDataChunkData(const std::vector<UnitSize>& sizes = {},
                                       std::size_t length = MinimumUnitDataLength);

// The metadata chunks: 16 slots of one byte (OWNR, SIDE) or one 16-bit
// word (SGLD, SLBR, SOIL) each; a description of 32 bytes, the text cut or
// padded with zero bytes.
using SlotBytes = std::array<uint8_t, 16>;
using SlotWords = std::array<uint16_t, 16>;
std::vector<uint8_t> VersionChunkData(uint16_t version);
std::vector<uint8_t> DescriptionChunkData(const std::string& text);
std::vector<uint8_t> SlotBytesChunkData(const SlotBytes& slots);
std::vector<uint8_t> SlotWordsChunkData(const SlotWords& slots);

// What a map list shows; each part is written as its chunk when set.
struct ScenarioMetadata {
    std::optional<uint16_t> Version;
    std::optional<std::string> Description;  // code page 437 bytes
    std::optional<SlotBytes> Owners;
    std::optional<SlotBytes> Races;
    std::optional<SlotWords> Gold;
    std::optional<SlotWords> Lumber;
    std::optional<SlotWords> Oil;
};

// A complete, valid scenario: ERA, DIM, UDTA, MTXM and UNIT chunks, with
// the metadata chunks where the game puts them.
struct ScenarioContent {
    uint16_t Era = 0;
    std::optional<uint16_t> EraX;  // written as an ERAX chunk when set
    uint16_t Side = 32;
    std::vector<TileCode> Tiles;  // Side x Side; empty gives all tile code 0
    std::vector<UnitSize> UnitSizes;
    std::vector<UnitPlacement> Units;
    ScenarioMetadata Metadata;
};
ScenarioWriter WriteScenario(const ScenarioContent& content);

}  // namespace tessel
