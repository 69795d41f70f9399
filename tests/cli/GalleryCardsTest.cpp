#include "TestSupport.h"

#include "GalleryCards.h"
#include "GalleryPage.h"
#include "ScenarioJson.h"

namespace tessel::test {
namespace {

using cli::JsonObject;

JsonObject CardOf(const std::string& path)
{
    JsonObject map = cli::ScenarioJson(path, TScenarioInfo());
    map["minimap"] = "minimaps/" + path;
    return map;
}

std::vector<std::string> PathsOf(const std::vector<const JsonObject*>& cards)
{
    std::vector<std::string> paths;
    for (const JsonObject* card : cards)
        paths.push_back(card->at("path").get<std::string>());
    return paths;
}

TEST(GalleryCards, NameOrderTakesNumbersByValueAndLettersWithoutRegardToCaseThenThePath)
{
    JsonObject maps = JsonObject::array();
    for (const char* path : {"map 10.pud", "x/Map 2.PUD", "broken.pud", "a/map 2.pud", "b/Alpha.pud", "alpha-2.pud",
                             "map 9b.pud", "map 9a.pud", "Zed.pud", "123.pud", "99.pud"})
        maps.push_back(CardOf(path));
    maps[2] = cli::FailureJson("broken.pud", "Error: x");
    EXPECT_EQ(PathsOf(cli::CardsInNameOrder(maps)),
              (std::vector<std::string>{"99.pud", "123.pud", "b/Alpha.pud", "alpha-2.pud", "a/map 2.pud", "x/Map 2.PUD",
                                        "map 9a.pud", "map 9b.pud", "map 10.pud", "Zed.pud"}));

    EXPECT_EQ(cli::CardName("a/b/Crazy Golf #1.PuD"), "Crazy Golf #1");
    EXPECT_EQ(cli::CardName("plain"), "plain");
    EXPECT_EQ(cli::CardName("x/.pud"), "");
    EXPECT_EQ(cli::NameOrderKey("Map 7.pud"), "map 000000000007\nmap 000000000007.pud");
}

TEST(GalleryCards, ACardsRecordHoldsWhatTheCardShowsWithOneSeatLetterPerSlot)
{
    TScenarioInfo info;
    info.Era = 1;
    info.MapSize = 64;
    info.Description = "Snow";
    info.Players = 3;
    info.GoldMines = 2;
    info.Gold = 150000;
    info.Slots[0] = {PlayerController::Human, PlayerRace::Orc, 0, 0, 0, std::nullopt};
    info.Slots[1] = {PlayerController::Computer, PlayerRace::Human, 0, 0, 0, std::nullopt};
    info.Slots[2] = {PlayerController::Nobody, PlayerRace::Human, 0, 0, 0, std::nullopt};
    info.Slots[3] = {PlayerController::RescueActive, PlayerRace::Orc, 0, 0, 0, std::nullopt};
    info.Slots[4] = {PlayerController::PassiveComputer, PlayerRace::Orc, 0, 0, 0, std::nullopt};
    info.Slots[5] = {PlayerController::Computer, std::nullopt, 0, 0, 0, std::nullopt};
    info.Slots[6] = {PlayerController::Human, PlayerRace::Neutral, 0, 0, 0, std::nullopt};
    info.RescueSlots = 2;
    JsonObject map = cli::ScenarioJson("sub/snow.pud", info);
    map["minimap"] = "minimaps/sub/snow.png";
    map["preview"] = "previews/sub/snow.png";
    map["scenario"] = "minimaps/sub/snow.pud";
    EXPECT_EQ(cli::CardRecord(map, "a/snow.pud"),
              JsonObject::parse(R"(["sub/snow.pud", 64, "winter", 3, "Snow", 150000, 2, "oH---Nn-",
                                    "minimaps/sub/snow.png", 2, "a/snow.pud", 1])"));
    map["scenario"] = nullptr;  // another scenario of the run lies where its copy would go
    EXPECT_EQ(cli::CardRecord(map).back(), 0);

    // A file without player slots says nothing of seats.
    EXPECT_EQ(cli::CardRecord(CardOf("bare.pud")),
              JsonObject::parse(R"(["bare.pud", 0, "forest", null, null, 0, 0, null, "minimaps/bare.pud", null, null,
                                    0])"));
}

// Where the parts change: no card, the first part full and one past it,
// each later part full and one past it.
TEST(GalleryCards, TheTableHasASmallFirstPartThenFullPartsAndHoldsEveryCardOnceInOrder)
{
    constexpr std::size_t first = cli::FirstPartCards, full = cli::PartCards;
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, first - 1, first, first + 1, first + full - 1,
                                    first + full, first + full + 1, first + 2 * full, first + 2 * full + 1}) {
        JsonObject maps = JsonObject::array();
        for (std::size_t k = 0; k < count; ++k)
            maps.push_back(CardOf("m" + std::to_string(k) + ".pud"));
        const std::vector<const JsonObject*> cards = cli::CardsInNameOrder(maps);
        const std::vector<JsonObject> parts = cli::CardTableParts(cards, 3);

        const std::size_t later = count > first ? (count - first + full - 1) / full : 0;
        ASSERT_EQ(parts.size(), 1 + later) << count;
        std::size_t next = 0;
        for (std::size_t p = 0; p < parts.size(); ++p) {
            const JsonObject& part = parts[p];
            EXPECT_EQ(part["first"], next) << count;
            EXPECT_EQ(part["count"], count);
            EXPECT_EQ(part["parts"], parts.size());
            EXPECT_EQ(part["failed"], 3);
            const std::size_t size = part["cards"].size();
            if (p + 1 < parts.size()) {
                EXPECT_EQ(size, p == 0 ? first : full) << count << ", part " << p;
            }
            for (std::size_t k = 0; k < size; ++k)
                EXPECT_EQ(part["cards"][k], cli::CardRecord(*cards[next + k])) << count;
            next += size;
        }
        EXPECT_EQ(next, count);
    }
    EXPECT_EQ(cli::CardPartName(0), "cards/1.js");
    EXPECT_EQ(cli::CardPartName(11), "cards/12.js");
}

}  // namespace
}  // namespace tessel::test
