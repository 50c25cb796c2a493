#pragma once
// Career > Export and Career > Backup: writing one track (.car) or every
// track (.cbk) to an exchange file (formats: ExchangeFormat.h, InfoHeader.h,
// CardChunk.h). Toolkit-free: the file choice and every message go through
// Prompts. Neither command changes the database, the icons or the editor's
// "clean" flag. Exceptions do not leave these functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "exchange/ExchangeMessages.h"
#include "platform/Prompts.h"

namespace jf {

struct EditorSession;
class FileSystem;
class IffView;

// The file choices of the two commands. The commands start them in the
// folder last used for their kind of file (platform/RecentFolders.h) and
// remember the folder of the file chosen.
FileChoice exportFileChoice();  // default extension "car", "*.car", "CAR files (*.CAR)"
FileChoice backupFileChoice();  // default extension "cbk", "*.cbk", "Jobforge 3 backups (*.CBK)"

// The file a backup goes to: `chosen`, with ".cbk" added when its file name
// has no extension.
std::string backupPath(const std::string& chosen);

// Adds the chunk set of the track at `position` to `view` under chunk id
// `chunkId` (and chunkId + 4096 for the card text table). When the icon
// store has no popup or button icon for the track's id, shows "Can't load
// the Popup bitmap!\n\n" (or "... Button ...", "Error!") and writes a black
// icon of the exchange size instead, so that the file stays importable.
// False, with chunks added so far left in the view, when there is no such
// track or its career chunk or strings cannot be encoded.
bool exportTrack(IffView& view, EditorSession& session, Prompts& prompts, std::size_t position,
                 std::uint16_t chunkId);

// Career > Export of the track at `selectedPosition` (the selected career
// row's item data; nullopt when no row is selected: nothing happens). Asks
// for the file, builds the .car container in a view of its own and writes
// it all-or-nothing: on any failure an existing file at the chosen path is
// left unchanged. Messages: "Couldn't create this file!" ("Error!") when
// nothing can be created at the path (read-only file, missing folder);
// "Successfully exported!" ("Jobforge 3", information icon); "Unable to
// save the IFF file" ("Fatal error!") when writing fails. A track that
// cannot be encoded ends the command without a message (Failed).
ExchangeResult exportCareer(EditorSession& session, Prompts& prompts,
                            std::optional<std::size_t> selectedPosition);

// Career > Backup: every track, positions 0..N-1 under chunk ids 1..N, then
// the backup header as INFO 0, written all-or-nothing like exportCareer to
// backupPath of the file chosen.
// Success shows "Successfully backed up!..." with the application caption
// and the information icon. More than 4096 tracks cannot be told apart in
// one file: the command then refuses at once (kTooManyTracksText).
ExchangeResult backupCareers(EditorSession& session, Prompts& prompts);

// Whether a file can be created at `path`: it is not a read-only file and a
// new file can be made in its folder (a probe file is created and removed).
bool canCreateFileAt(FileSystem& fs, const std::string& path);

}  // namespace jf
