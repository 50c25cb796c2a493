#pragma once
// Careers as JSON for modders: the tracks (job levels under the names the
// job details dialog shows, texts per language as UTF-8, chance cards as
// items in words, the icons as BMP files beside the JSON file) and the
// global options and texts. docs/careers-json.md describes the format;
// docs/careers-json.schema.json is its schema.
//
// Unlike dump's JSON (CareerJson.h), which shows the stored bytes as they
// are, this form is meant to be edited and applied again: applying a file
// exported from the same data changes nothing.

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace jf {
class Document;
struct EditorSession;
}  // namespace jf

namespace jf::cli {

inline constexpr char kCareersJsonFormat[] = "jobforge3-careers";
inline constexpr int kCareersJsonVersion = 1;

// The icon file names of the track at `position`, relative to the JSON
// file's folder: "<iconFolder>/<position>-popup.bmp" and "-button.bmp".
std::string popupIconName(const std::string& iconFolder, std::size_t position);
std::string buttonIconName(const std::string& iconFolder, std::size_t position);

// The document for the tracks at `positions` (each below the track count),
// in that order, with the global options and texts when `global` is set and
// chance cards are enabled. A track's "icons" name the two files above
// (the caller writes them) when the icon strips hold its icons; an empty
// `iconFolder` leaves "icons" out. Texts that do not decode in their
// language's code page show U+FFFD where they fail; applying them unchanged
// leaves the stored bytes as they are.
nlohmann::ordered_json careersJson(const EditorSession& session,
                                   const std::vector<std::size_t>& positions, bool global,
                                   const std::string& iconFolder);

// Applies `input` to the document, one operation per changed dialog or
// text, with the checks of the editor's dialogs. Only what differs from
// the document's current export is applied; a key left out leaves its
// value as it is. Icon paths are taken relative to `baseFolder` (a folder
// ending in a separator, or "" for the working folder) unless absolute.
//
// Returns the problems found, each "PATH: what is wrong" with PATH a JSON
// path ("tracks[2].levels[4].salary"), all of them, not only the first.
// When it returns problems the document may hold some of the changes (the
// caller must not save it); when it returns none, every change is in the
// document's history.
std::vector<std::string> applyCareersJson(Document& document, const nlohmann::ordered_json& input,
                                          const std::string& baseFolder);

}  // namespace jf::cli
