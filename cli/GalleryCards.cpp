#include "GalleryCards.h"

#include <algorithm>
#include <map>

namespace tessel::cli {

namespace {

constexpr std::size_t NumberWidth = 12;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Letters A to Z folded, digit runs padded to NumberWidth.
void AppendOrderKey(std::string& key, std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        if (!IsDigit(text[at])) {
            const char c = text[at++];
            key += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && IsDigit(text[end]))
            ++end;
        if (end - at < NumberWidth)
            key.append(NumberWidth - (end - at), '0');
        key.append(text, at, end - at);
        at = end;
    }
}

std::string Seats(const JsonObject& map)
{
    if (map.at("players").is_null())
        return {};
    std::string seats;
    for (const JsonObject& slot : map.at("slots")) {
        const JsonObject& controller = slot.at("controller");
        const bool computer = controller == "computer";
        if (!computer && controller != "human") {
            seats += '-';
            continue;
        }
        const char race = slot.at("race") == "human" ? 'h' : slot.at("race") == "orc" ? 'o' : 'n';
        seats += computer ? static_cast<char>(race - 'a' + 'A') : race;
    }
    return seats;
}

}  // namespace

std::string CardName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (name.size() >= 4) {
        std::string extension(name.substr(name.size() - 4));
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (extension == ".pud")
            name.remove_suffix(4);
    }
    return std::string(name);
}

std::string NameOrderKey(std::string_view path)
{
    std::string key;
    AppendOrderKey(key, CardName(path));
    key += '\n';
    AppendOrderKey(key, path);
    return key;
}

std::vector<const JsonObject*> CardsInNameOrder(const JsonObject& maps)
{
    std::vector<std::pair<std::string, const JsonObject*>> keyed;
    for (const JsonObject& map : maps)
        if (!map.contains("error"))
            keyed.emplace_back(NameOrderKey(map.at("path").get<std::string>()), &map);
    // Paths are unique, but two may fold to one key: those keep maps.json's order.
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const JsonObject*> cards;
    cards.reserve(keyed.size());
    for (const auto& entry : keyed)
        cards.push_back(entry.second);
    return cards;
}

JsonObject CardRecord(const JsonObject& map, const JsonObject& copyOf)
{
    const std::string seats = Seats(map);
    const auto field = [&map](const char* key) { return map.contains(key) ? map.at(key) : JsonObject(nullptr); };
    const bool hasScenario = map.contains("scenario") && map.at("scenario").is_string();
    return JsonObject::array({map.at("path"), map.at("side"), map.at("era_name"), map.at("players"),
                              map.at("description"), map.at("gold"), map.at("gold_mines"),
                              seats.empty() ? JsonObject(nullptr) : JsonObject(seats), map.at("minimap"),
                              field("rescue_slots"), copyOf, hasScenario ? 1 : 0});
}

std::vector<JsonObject> OriginalsOfCopies(const std::vector<const JsonObject*>& cards)
{
    std::map<std::string, const JsonObject*> first;  // by SHA-256
    std::vector<JsonObject> originals;
    originals.reserve(cards.size());
    for (const JsonObject* card : cards) {
        const auto hash = card->find("sha256");
        if (hash == card->end() || !hash->is_string()) {
            originals.emplace_back(nullptr);
            continue;
        }
        const auto [known, added] = first.try_emplace(hash->get<std::string>(), card);
        originals.push_back(added ? JsonObject(nullptr) : known->second->at("path"));
    }
    return originals;
}

std::vector<JsonObject> CardTableParts(const std::vector<const JsonObject*>& cards, std::size_t failed)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges{{0, std::min(cards.size(), FirstPartCards)}};
    for (std::size_t first = ranges.back().second; first < cards.size(); first += PartCards)
        ranges.emplace_back(first, std::min(cards.size(), first + PartCards));
    const std::vector<JsonObject> originals = OriginalsOfCopies(cards);
    const auto copies = std::count_if(originals.begin(), originals.end(), [](const JsonObject& o) { return !o.is_null(); });
    const bool previews = std::any_of(cards.begin(), cards.end(), [](const JsonObject* card) {
        const auto preview = card->find("preview");
        return preview != card->end() && preview->is_string() && preview->get<std::string>().rfind("previews/", 0) == 0;
    });
    std::vector<JsonObject> parts;
    for (const auto& [first, end] : ranges) {
        JsonObject records = JsonObject::array();
        for (std::size_t k = first; k < end; ++k)
            records.push_back(CardRecord(*cards[k], originals[k]));
        parts.push_back(JsonObject{{"first", first},
                                   {"count", cards.size()},
                                   {"failed", failed},
                                   {"copies", copies},
                                   {"previews", previews},
                                   {"parts", ranges.size()},
                                   {"cards", std::move(records)}});
    }
    return parts;
}

std::string CardPartName(std::size_t index) { return "cards/" + std::to_string(index + 1) + ".js"; }

}  // namespace tessel::cli
