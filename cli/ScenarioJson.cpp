#include "ScenarioJson.h"

namespace tessel::cli {

namespace {

template <class Value>
JsonObject OrNull(const std::optional<Value>& value)
{
    return value ? JsonObject(*value) : JsonObject(nullptr);
}

JsonObject SlotJson(const PlayerSlot& slot)
{
    JsonObject json;
    json["controller"] = slot.Controller ? JsonObject(ControllerName(*slot.Controller)) : JsonObject(nullptr);
    json["race"] = slot.Race ? JsonObject(RaceName(*slot.Race)) : JsonObject(nullptr);
    json["race_fixed"] = slot.Controller ? JsonObject(RaceIsFixed(*slot.Controller)) : JsonObject(nullptr);
    json["gold"] = OrNull(slot.Gold);
    json["lumber"] = OrNull(slot.Lumber);
    json["oil"] = OrNull(slot.Oil);
    json["start"] = slot.Start ? JsonObject{{"x", slot.Start->X}, {"y", slot.Start->Y}} : JsonObject(nullptr);
    return json;
}

}  // namespace

JsonObject ScenarioHeadJson(const std::string& path, const TScenarioInfo& info)
{
    JsonObject json;
    json["path"] = path;
    json["era"] = info.Era;
    json["era_name"] = EraName(info.Era);
    json["side"] = info.MapSize;
    json["units"] = info.UnitCount;
    return json;
}

void AddCatalogueJson(JsonObject& json, const TScenarioInfo& info)
{
    json["version"] = OrNull(info.Version);
    json["description"] = OrNull(info.Description);
    json["players"] = OrNull(info.Players);
    json["human_seats"] = OrNull(info.HumanSeats);
    json["computer_seats"] = OrNull(info.ComputerSeats);
    json["rescue_slots"] = OrNull(info.RescueSlots);
    json["gold_mines"] = info.GoldMines;
    json["gold"] = info.Gold;
    json["oil_patches"] = info.OilPatches;
    JsonObject slots = JsonObject::array();
    for (const PlayerSlot& slot : info.Slots)
        slots.push_back(SlotJson(slot));
    json["slots"] = std::move(slots);
}

JsonObject ScenarioJson(const std::string& path, const TScenarioInfo& info)
{
    JsonObject json = ScenarioHeadJson(path, info);
    AddCatalogueJson(json, info);
    return json;
}

JsonObject FailureJson(const std::string& path, const std::string& error)
{
    return JsonObject{{"path", path}, {"error", error}};
}

}  // namespace tessel::cli
