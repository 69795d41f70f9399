// The gallery page's own table of its cards. maps.json holds every map's
// data for scripts; a page opened from disk may not read it, so the page
// loads this table instead, as scripts beside it: for each map with a card,
// only what the card shows and the filters and sorts look at, in the page's
// name order. The first part is small, so that the first screen of cards
// needs little; the page loads the others after it.
#pragma once

#include "JsonLines.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// Cards in the first part and in each part after it.
inline constexpr std::size_t FirstPartCards = 64;
inline constexpr std::size_t PartCards = 500;

// What the page calls a map: its path's file name without ".pud" (any
// letter case).
std::string CardName(std::string_view path);

// The page's name order compares these keys: the card's name, then its
// whole path, each with A to Z folded to a to z and every run of digits
// padded with zeros to at least 12, so that "map 2" comes before "map 10".
std::string NameOrderKey(std::string_view path);

// The entries of maps (the objects of maps.json) that have a card, that is
// no "error", in name order.
std::vector<const JsonObject*> CardsInNameOrder(const JsonObject& maps);

// One card as the table holds it: [path, side, era_name, players,
// description, gold, gold_mines, seats, minimap, rescue_slots, copy_of,
// has_scenario], where seats has one letter per player slot: h, o or n for
// a human player and the race the file offers first, H, O or N for a
// computer of that race, "-" for no player; null when players is. copy_of
// is the path of the map that this one is a byte-identical copy of, or
// null; has_scenario is 1 when the site holds the scenario's copy, else 0.
// The page finds the copy and the larger picture from the minimap's URL
// (GalleryMapFiles.h), so that the table stays small. A field that map
// lacks is null.
JsonObject CardRecord(const JsonObject& map, const JsonObject& copyOf = nullptr);

// For each card in name order, the path of the first card before it with
// the same "sha256", or null: the original of a byte-identical copy.
std::vector<JsonObject> OriginalsOfCopies(const std::vector<const JsonObject*>& cards);

// The parts of the table, in order, for the cards in name order and the
// number of maps that failed: each {"first": its first card's place,
// "count": all cards, "failed", "copies": cards that copy an earlier one,
// "previews": whether the site has larger pictures, "parts": how many
// parts, "cards": its records}. There is always a first part, also for no cards.
std::vector<JsonObject> CardTableParts(const std::vector<const JsonObject*>& cards, std::size_t failed);

// Where part index (0 for the first) lies below the gallery's folder; the
// page loads cards/1.js, then cards/2.js, and so on.
std::string CardPartName(std::size_t index);

}  // namespace tessel::cli
