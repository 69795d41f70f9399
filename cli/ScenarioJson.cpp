#include "ScenarioJson.h"

namespace tessel::cli {

namespace {

template <class Value>
Json OrNull(const std::optional<Value>& value)
{
    return value ? Json(*value) : Json(nullptr);
}

Json SlotJson(const PlayerSlot& slot)
{
    Json json;
    json["controller"] = slot.Controller ? Json(ControllerName(*slot.Controller)) : Json(nullptr);
    json["race"] = slot.Race ? Json(RaceName(*slot.Race)) : Json(nullptr);
    json["gold"] = OrNull(slot.Gold);
    json["lumber"] = OrNull(slot.Lumber);
    json["oil"] = OrNull(slot.Oil);
    json["start"] = slot.Start ? Json{{"x", slot.Start->X}, {"y", slot.Start->Y}} : Json(nullptr);
    return json;
}

}  // namespace

Json ScenarioJson(const std::string& path, const TScenarioInfo& info)
{
    Json json;
    json["path"] = path;
    json["era"] = info.Era;
    json["era_name"] = EraName(info.Era);
    json["side"] = info.MapSize;
    json["units"] = info.UnitCount;
    json["version"] = OrNull(info.Version);
    json["description"] = OrNull(info.Description);
    json["players"] = OrNull(info.Players);
    json["gold_mines"] = info.GoldMines;
    json["gold"] = info.Gold;
    json["oil_patches"] = info.OilPatches;
    Json slots = Json::array();
    for (const PlayerSlot& slot : info.Slots)
        slots.push_back(SlotJson(slot));
    json["slots"] = std::move(slots);
    return json;
}

Json FailureJson(const std::string& path, const std::string& error)
{
    return Json{{"path", path}, {"error", error}};
}

std::string JsonText(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace tessel::cli
