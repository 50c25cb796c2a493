#pragma once
// JSON forms of the career database shared by the commands that show it.

#include <nlohmann/json.hpp>

namespace jf {
class CareerDatabase;
struct CareerTrack;
struct ChanceCard;
}  // namespace jf

namespace jf::cli {

// {"position", "id", "internalCareerName", "levels": [{"values", "texts"}],
//  "strings": [[20 texts] per entry]}
nlohmann::json trackJson(const CareerTrack& track);

// {"textIndex", "items": [[kind, mode, value], ...]}: the three fields of
// each CardItem unchanged.
nlohmann::json cardJson(const ChanceCard& card);
// The ten cards of a track.
nlohmann::json trackCardsJson(const CareerTrack& track);

// {"flag": 0|1, "values": [...]} of the global options table.
nlohmann::json optionsJson(const CareerDatabase& database);
// [[20 texts] per entry] of the global texts table.
nlohmann::json globalTextsJson(const CareerDatabase& database);
// The entries 0..299 free for card texts, ascending.
nlohmann::json freeEntriesJson(const CareerDatabase& database);

}  // namespace jf::cli
