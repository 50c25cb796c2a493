// recover: finishes or undoes an interrupted File Save in a game folder, as
// the editor does at its start, and what the other commands do about one
// before they work on the game.
#include <iostream>

#include "Cli.h"
#include "platform/FileSystem.h"
#include "startup/SaveJournal.h"

namespace jf::cli {

std::string gameFolderArgument(const std::string& text) {
    std::string folder = text;
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) {
        folder.push_back('/');
    }
    return folder;
}

bool prepareGameFolder(const std::string& gameFolder, bool writes, Prompts& prompts) {
    FileSystem& fs = systemFileSystem();
    if (!writes) {
        if (interruptedSaveFound(fs, gameFolder)) {
            std::cerr << "An interrupted save was found in " << gameFolder
                      << "; nothing was changed. To finish it, run: jobforge3-cli recover "
                      << gameFolder << " (or start the editor).\n";
        }
        return true;
    }
    const RecoveryReport report = recoverInterruptedSave(fs, gameFolder, prompts);
    if (report.failed) {
        fail("The interrupted save in " + gameFolder +
             " could not be finished; nothing else done.");
        return false;
    }
    return true;
}

namespace {

const char* actionName(RecoveryAction action) {
    switch (action) {
        case RecoveryAction::Completed:
            return "completed";
        case RecoveryAction::Undone:
            return "undone";
        case RecoveryAction::None:
            break;
    }
    return "none";
}

int recover(const Args& args) {
    if (args.size() != 1 || args[0].empty()) {
        return usage();
    }
    const std::string folder = gameFolderArgument(args[0]);
    const RecoveryReport report = recoverInterruptedSave(systemFileSystem(), folder);
    nlohmann::ordered_json removed = nlohmann::ordered_json::array();
    for (const std::string& path : report.removed) {
        removed.push_back(latin1(path).get<std::string>());
    }
    printOrderedJson(nlohmann::ordered_json{
        {"journal", report.journal}, {"action", actionName(report.action)}, {"removed", removed}});
    if (report.failed) {
        return fail(kRecoveryFailedText);
    }
    if (report.damaged) {
        std::cerr << kRecoveryDamagedText << '\n';
    }
    return kExitOk;
}

Registrar recoverReg{{"", "recover", "GAMEDIR", recover,
                      "Finishes or undoes a File Save that was interrupted",
                      "Does what the editor does at its start when a save was cut off: with a\n"
                      "complete save journal the save is completed, else its temporary files are\n"
                      "removed. Prints the journal's presence, the action and the removed files.\n"
                      "Commands that only read report an interrupted save and change nothing."}};

}  // namespace
}  // namespace jf::cli
