#pragma once
// The loading sequence and File Save, toolkit-free.
//
// runLoader reads everything the editor works on from the installation into
// an EditorSession: CarPortal.iff, the career file (Work.iff, else
// Careers.iff, else Careers), the tracks and chance cards, the expansion-pack
// check, and the two icon strips. It runs on a worker thread while a
// progress window (or the console) shows its status texts; its message boxes
// go through Prompts and block the worker until answered.

#include <atomic>
#include <string>

#include "platform/Prompts.h"

namespace jf {

struct EditorSession;

inline constexpr int kLoadResultOk = 1;
inline constexpr int kLoadResultCancel = 2;

struct LoadRequest {
    std::atomic<int> cancelRequested{0};  // set by Cancel; read at check points
    std::atomic<int> finished{0};         // set by the loader as its last action
    std::atomic<int> resultCode{kLoadResultOk};  // 2 after Cancel or a fatal error
    std::string folder;                          // a copy of gameDataFolder
};

// The whole sequence. Sets request.finished last, on every path; leaves
// resultCode at 1 only after a complete load that was not cancelled.
void runLoader(LoadRequest& request, EditorSession& session, Prompts& prompts);

// Prepares the session for a reload (releases the career file, resets the
// card view or frees the card data, closes the icon files), as File Reload
// does before running the loader again.
void prepareReload(EditorSession& session);

// File Save's four steps, stopping at the first failure with its message
// ("Couldn't save the careers! ...", "... chance cards! ...", "... Career
// buttons! ...", "... Career popup! ..."; caption "Error"). True when all
// four succeeded. No reload and no "Operation complete!" here: the caller
// does those.
bool saveAll(EditorSession& session, Prompts& prompts);

}  // namespace jf
