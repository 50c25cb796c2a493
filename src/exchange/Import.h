#pragma once
// Career > Import: reading a single exported track (.car), a backup of every
// track (.cbk) or a career file of the predecessor program (.iff, with a
// 32-byte information header) back over existing tracks. The game cannot be
// given new careers, so a single track overwrites the track the user picks
// and a backup overwrites tracks by position. Changes go into the
// CareerDatabase and the IconStore only; the game's files change on the next
// Save.
//
// Toolkit-free: the file choice, the replace-career choice, the main
// window's list refresh and every message box come through the interfaces
// below and Prompts. Exceptions do not leave these functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "exchange/ExchangeMessages.h"
#include "platform/Prompts.h"
#include "platform/RecentFolders.h"

namespace jf {

class Document;
struct EditorSession;
class IffView;

// The choice of the track an imported single career overwrites (the
// editor's "Replace career track" dialog).
class ReplaceCareerChooser {
public:
    virtual ~ReplaceCareerChooser() = default;
    // The chosen track position (0..trackCount-1), or nullopt for Cancel.
    virtual std::optional<std::size_t> chooseTrackToReplace() = 0;
};

// What the main window does after an import.
class ImportObserver {
public:
    virtual ~ImportObserver() = default;
    // A single-track import ended (successfully or not): show the track's
    // internalCareerName in its career row, select that row, show the track.
    virtual void trackReplaced(std::size_t position) = 0;
    // A restore succeeded: empty and refill the career list, select row 0,
    // show that track.
    virtual void careersRestored() = 0;
    // The data changed: clear the "clean" flag.
    virtual void markDirty() = 0;
};

// The open-file choice of Career > Import: no default extension, "*.car",
// the filters for .car, .cbk, the predecessor's .iff files and all files.
// The command starts it in the folder of the careers last chosen
// (platform/RecentFolders.h) and remembers the folder of the file chosen
// for its kind (importedFileKind).
FileChoice importFileChoice();

// The kind of file an imported path is remembered for: Backups for a name
// ending in ".cbk" (any letter case), Careers for any other.
FileKind importedFileKind(const std::string& path);

// Replaces the career chunk, strings, ten cards and two icons of the track
// at `position` by the chunks with id `chunkId` of the exchange container in
// `view`. Every failure shows its message (see ExchangeMessages.h) and
// returns false at once; what earlier steps changed stays changed, in this
// order: career chunk, strings, cards, popup icon, button icon. The track
// keeps its position, id and chunk labels: the imported career chunk and
// strings are decoded into the track's own objects, which stay attached to
// the track's CARR and STR# chunks, so the next Save writes them there.
//
// A card chunk is checked whole before any card changes: a damaged one
// ("Incorrect cards resource!") leaves every card as it was. Card texts go
// into the lowest free entries of the global texts table; when none is
// free the overflow warning is shown once and the card keeps no text. While
// chance-card editing is disabled the cards get their items but no texts
// (and no warning): nothing of the card file is saved then.
//
// A position not below trackCount changes nothing and shows
// noSuchTrackText. `changed` (optional) is set when anything was changed.
bool importTrack(IffView& view, EditorSession& session, Prompts& prompts, std::size_t position,
                 std::uint16_t chunkId, bool* changed = nullptr);

// Career > Import, as one step of the document's history ("Import Career"
// or "Restore Backup"; one Undo takes back the whole import, a part-way one
// too). Opens the chosen file for reading (other writers denied)
// in a container of its own, which is closed, and the file released, when
// the command ends, on every path. INFO 0 decides: exportType 1 asks the
// chooser for the track and imports it ("Successfully imported!" on
// success; the observer's trackReplaced and markDirty follow either way);
// exportType 2 asks "This file contains a backup..." and restores track by
// track, stopping at the first failing track, and on success shows
// "Successfully restored!" and calls careersRestored and markDirty. After a
// restore that stopped part-way only markDirty is called (when anything
// changed), so that leaving the editor still asks to save what was
// restored. A backup position not below trackCount stops the restore with
// restorePositionText before that track is touched.
ExchangeResult importCareers(Document& document, Prompts& prompts, ReplaceCareerChooser& chooser,
                             ImportObserver& observer);

}  // namespace jf
