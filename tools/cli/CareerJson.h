#pragma once
// JSON forms of the career database shared by the commands that show it.

#include <string>

#include <nlohmann/json.hpp>

namespace jf {
class CareerDatabase;
struct CareerTrack;
struct ChanceCard;
}  // namespace jf

namespace jf::cli {

// How byte strings are shown: every byte as the Latin-1 code point of its
// value (the default, kept for existing scripts), or decoded (--utf8): a
// language's text with its language's code page, a damaged character as
// U+FFFD, every other text (internal names, meshes) as Windows-1252.
enum class TextForm { Latin1, Decoded };

// A text of language slot `slot` (0..19), or, with slot -1, a text of no
// language, in `form`.
nlohmann::json textJson(const std::string& bytes, int slot, TextForm form);

// {"position", "id", "internalCareerName", "levels": [{"values", "texts"}],
//  "strings": [[20 texts] per entry]}
nlohmann::json trackJson(const CareerTrack& track, TextForm form = TextForm::Latin1);

// {"textIndex", "items": [[kind, mode, value], ...]}: the three fields of
// each CardItem unchanged.
nlohmann::json cardJson(const ChanceCard& card);
// The ten cards of a track.
nlohmann::json trackCardsJson(const CareerTrack& track);

// {"flag": 0|1, "values": [...]} of the global options table.
nlohmann::json optionsJson(const CareerDatabase& database);
// [[20 texts] per entry] of the global texts table.
nlohmann::json globalTextsJson(const CareerDatabase& database, TextForm form = TextForm::Latin1);
// The entries 0..299 free for card texts, ascending.
nlohmann::json freeEntriesJson(const CareerDatabase& database);

}  // namespace jf::cli
