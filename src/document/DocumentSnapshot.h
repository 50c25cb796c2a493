#pragma once
// What an edit touches, and copies of exactly that part of the data.
//
// Every edit names its reach as an EditScope, addressed by value: track
// positions, string-table rows, the global texts and options. Before the
// edit runs, the document captures a snapshot of that reach; afterwards a
// second one. Undo puts the first back, redo the second: both restore the
// data byte for byte, the form a string table was read in, the rows an edit
// appended, the free-entry flags of the global texts and which entry a card
// text sits in included. Snapshots hold copies, never pointers into the
// database, so they stay valid across a reload (File Save reloads what it
// wrote).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "careers/Bitmap.h"
#include "careers/ChanceCard.h"
#include "careers/ChanceCardCodec.h"
#include "careers/JobLevel.h"
#include "iff/StringTable.h"

namespace jf {

struct EditorSession;

// The rows of one string table an edit may change. An edit may also append
// rows (setting the row just past the end, or a card text entry beyond it):
// those are captured without being named.
struct TableScope {
    bool whole = false;             // every row and the form flags
    std::vector<std::size_t> rows;  // else only these rows
};

// The parts of one track an edit may change.
struct TrackScope {
    std::size_t position = 0;
    bool chunk = false;  // the internal career name and the job levels
    std::optional<TableScope> strings;
    bool cards = false;
    bool icons = false;  // the track's band in both icon strips
};

struct EditScope {
    std::vector<TrackScope> tracks;
    // Rows of the global texts table; the free-entry flags come with them.
    std::optional<TableScope> globalTexts;
    bool globalOptions = false;

    // Shorthands for the common reaches.
    static EditScope trackText(std::size_t position, std::size_t row);
    static EditScope trackChunk(std::size_t position);
    static EditScope wholeTrack(std::size_t position);
};

// ---- Copies ----------------------------------------------------------------------

struct TableSnapshot {
    std::size_t rowCount = 0;
    bool countFirstForm = false;
    bool hasLanguages = true;
    bool hasComments = true;
    std::vector<std::pair<std::size_t, StringTable::Row>> rows;
    bool operator==(const TableSnapshot&) const = default;
};

struct TrackSnapshot {
    std::size_t position = 0;
    std::optional<std::string> internalCareerName;
    std::optional<std::vector<JobLevel>> levels;
    std::optional<TableSnapshot> strings;
    std::optional<TrackCards> cards;
    // An icon the strip does not hold stays empty.
    std::optional<std::pair<std::optional<Bitmap>, std::optional<Bitmap>>> icons;
    bool operator==(const TrackSnapshot&) const = default;
};

struct DocumentSnapshot {
    std::vector<TrackSnapshot> tracks;
    std::optional<TableSnapshot> globalTexts;
    std::optional<FreeTextFlags> freeTexts;
    std::optional<std::pair<bool, std::vector<std::int16_t>>> globalOptions;
    bool operator==(const DocumentSnapshot&) const = default;
};

// Copies the reach of `scope` out of the session. `before`, when given, is
// the snapshot of the same scope taken before an edit: rows the edit
// appended to a table (beyond before's row count) are then copied too. A
// track position that does not exist is skipped.
DocumentSnapshot captureSnapshot(const EditorSession& session, const EditScope& scope,
                                 const DocumentSnapshot* before = nullptr);

// Puts a snapshot back: tables are cut or lengthened to their captured row
// count before the captured rows are set. May throw std::bad_alloc.
void restoreSnapshot(EditorSession& session, const DocumentSnapshot& snapshot);

}  // namespace jf
