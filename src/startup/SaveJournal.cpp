#include "startup/SaveJournal.h"

#include "platform/Messages.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "document/EditorSession.h"
#include "platform/Checksum.h"
#include "startup/Loader.h"

namespace jf {
namespace {

// ---- The journal -----------------------------------------------------------------
//
// <game folder>\Jobforge3-save.journal is written once every new file is
// complete (written, flushed and closed) beside its target and the folders
// holding them are synced, before the first replacement; it is removed after
// the last. It is itself written all-or-nothing (temporary sibling, flush,
// rename, folder sync), so it is either absent or whole.
//
// Plain ASCII text; every line ends in LF and its fields are separated by one
// TAB:
//
//     Jobforge 3 save journal  1
//     file  <size>  <crc32>  <target>  <temporary>     one line per file, 1 to 4,
//                                                      in replacement order
//     end   <length>  <crc32>
//
// size: the byte count of the new contents, in decimal; crc32: their CRC-32
// (platform/Checksum.h) as 8 lower-case hexadecimal digits. target: the file
// replaced, relative to the game folder with '\' between components, one of
// the files File Save writes (the career file, CarPortal.iff, the two icon
// strips), each at most once; temporary: target followed by
// ".jf3tmp-<process id>-<serial>" (paths::temporarySibling). The end line
// gives the byte count and CRC-32 of everything before it, and nothing
// follows it. A journal that breaks any of this, or is larger than
// kMaxJournalSize, is damaged and never acted on.

constexpr char kJournalHeading[] = "Jobforge 3 save journal";
constexpr char kJournalVersion[] = "1";
constexpr char kFileTag[] = "file";
constexpr char kEndTag[] = "end";
constexpr char kTemporaryMark[] = ".jf3tmp-";
constexpr std::size_t kMaxJournalSize = 64 * 1024;
constexpr std::size_t kMaxJournalFiles = 4;
// New contents above this are not File Save's (the files are a few hundred
// kilobytes); such a journal is damaged.
constexpr std::uint64_t kMaxStagedSize = std::uint64_t(1) << 30;

struct JournalEntry {
    std::string target;     // relative to the game folder
    std::string temporary;  // relative to the game folder
    std::uint64_t size = 0;
    std::uint32_t checksum = 0;
};

// The files File Save writes, relative to the game folder.
std::vector<std::string> savedFiles() {
    return {
        std::string(kExpansionFolderName) + kWorkFileName,
        std::string(kGameDataFolderName) + kCareersIffFileName,
        std::string(kGameDataFolderName) + kCareersFileName,
        std::string(kObjectsFolderName) + kCarPortalFileName,
        std::string(kInterfaceFolderName) + kButtonIconName,
        std::string(kInterfaceFolderName) + kPopupIconName,
    };
}

// The folders temporary files of a save (or of the journal) can be left in.
std::vector<std::string> sweptFolders() {
    std::vector<std::string> folders = {""};
    for (const std::string& file : savedFiles()) {
        const std::string folder = paths::folderOf(file);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

std::string withBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool isSavedFile(const std::string& relative) {
    const std::string name = withBackslashes(relative);
    for (const std::string& file : savedFiles()) {
        if (paths::equalsIgnoreCase(name, file)) {
            return true;
        }
    }
    return false;
}

// Whether `temporary` is `target` followed by a temporary mark.
bool isTemporaryOf(const std::string& temporary, const std::string& target) {
    if (temporary.size() <= target.size() ||
        !paths::equalsIgnoreCase(temporary.substr(0, target.size()), target)) {
        return false;
    }
    const std::string suffix = temporary.substr(target.size());
    return suffix.rfind(kTemporaryMark, 0) == 0 && paths::isTemporarySiblingName("x" + suffix);
}

bool validEntries(const std::vector<JournalEntry>& entries) {
    if (entries.empty() || entries.size() > kMaxJournalFiles) {
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const JournalEntry& entry = entries[i];
        if (!isSavedFile(entry.target) || !isTemporaryOf(entry.temporary, entry.target) ||
            entry.size > kMaxStagedSize) {
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (paths::equalsIgnoreCase(withBackslashes(entries[j].target),
                                        withBackslashes(entry.target))) {
                return false;
            }
        }
    }
    return true;
}

// `path` relative to `folder`, with backslashes; nullopt when it does not
// lie inside it. Both are compared in their native forms, so that a path the
// system gave back (an open file's) matches one built from the folder.
std::optional<std::string> relativeTo(FileSystem& fs, const std::string& folder,
                                      const std::string& path) {
    std::string base = withSlashes(fs.nativePath(folder));
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    const std::string full = withSlashes(fs.nativePath(path));
    if (base.empty()) {
        if (full.empty() || full[0] == '/' || full.find(':') != std::string::npos) {
            return std::nullopt;
        }
        return withBackslashes(full);
    }
    if (full.size() <= base.size() + 1 || full[base.size()] != '/' ||
        !paths::equalsIgnoreCase(full.substr(0, base.size()), base)) {
        return std::nullopt;
    }
    return withBackslashes(full.substr(base.size() + 1));
}

std::string hex8(std::uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xFu];
        value >>= 4;
    }
    return text;
}

bool parseDecimal(const std::string& text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) {
        return false;
    }
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return true;
}

bool parseHex8(const std::string& text, std::uint32_t& value) {
    if (text.size() != 8) {
        return false;
    }
    value = 0;
    for (char c : text) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else {
            return false;
        }
        value = value << 4 | digit;
    }
    return true;
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

std::string formatJournal(const std::vector<JournalEntry>& entries) {
    std::string text = std::string(kJournalHeading) + '\t' + kJournalVersion + '\n';
    for (const JournalEntry& entry : entries) {
        text += std::string(kFileTag) + '\t' + std::to_string(entry.size) + '\t' +
                hex8(entry.checksum) + '\t' + entry.target + '\t' + entry.temporary + '\n';
    }
    const std::uint32_t checksum = crc32(text.data(), text.size());
    text +=
        std::string(kEndTag) + '\t' + std::to_string(text.size()) + '\t' + hex8(checksum) + '\n';
    return text;
}

// The entries of a journal's text; nullopt when it is damaged in any way.
std::optional<std::vector<JournalEntry>> parseJournal(const std::string& text) {
    if (text.size() > kMaxJournalSize || text.empty() || text.back() != '\n') {
        return std::nullopt;
    }
    std::vector<JournalEntry> entries;
    bool headed = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::vector<std::string> fields = splitFields(text.substr(start, end - start));
        if (!headed) {
            if (fields.size() != 2 || fields[0] != kJournalHeading ||
                fields[1] != kJournalVersion) {
                return std::nullopt;
            }
            headed = true;
        } else if (fields.size() == 5 && fields[0] == kFileTag) {
            JournalEntry entry;
            if (!parseDecimal(fields[1], entry.size) || !parseHex8(fields[2], entry.checksum)) {
                return std::nullopt;
            }
            entry.target = fields[3];
            entry.temporary = fields[4];
            entries.push_back(std::move(entry));
        } else if (fields.size() == 3 && fields[0] == kEndTag) {
            std::uint64_t length = 0;
            std::uint32_t checksum = 0;
            if (end + 1 != text.size() || !parseDecimal(fields[1], length) || length != start ||
                !parseHex8(fields[2], checksum) || checksum != crc32(text.data(), start)) {
                return std::nullopt;
            }
            if (!validEntries(entries)) {
                return std::nullopt;
            }
            return entries;
        } else {
            return std::nullopt;
        }
        start = end + 1;
    }
    return std::nullopt;  // no end line
}

// The whole contents of a file, up to `limit` bytes; nullopt when it cannot
// be read or is larger.
std::optional<std::vector<std::uint8_t>> readWhole(FileSystem& fs, const std::string& path,
                                                   std::uint64_t limit) {
    std::unique_ptr<File> file = fs.open(path, OpenMode::Read);
    if (!file) {
        return std::nullopt;
    }
    const std::int64_t length = file->length();
    if (length < 0 || static_cast<std::uint64_t>(length) > limit) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (!bytes.empty() && !file->readExact(bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

// What reading the journal of a game folder found.
struct JournalFound {
    bool present = false;
    std::optional<std::vector<JournalEntry>> entries;  // nullopt: damaged
};

JournalFound readJournal(FileSystem& fs, const std::string& gameFolder) {
    JournalFound found;
    const std::string path = paths::join(gameFolder, kSaveJournalName);
    if (!fs.exists(path)) {
        return found;
    }
    found.present = true;
    const auto bytes = readWhole(fs, path, kMaxJournalSize);
    if (bytes) {
        found.entries = parseJournal(std::string(bytes->begin(), bytes->end()));
    }
    return found;
}

// Whether the file at `path` holds exactly `size` bytes with this checksum.
bool holds(FileSystem& fs, const std::string& path, std::uint64_t size, std::uint32_t checksum) {
    const auto bytes = readWhole(fs, path, size);
    return bytes && bytes->size() == size && crc32(bytes->data(), bytes->size()) == checksum;
}

// Removes a file and notes it; true when it is gone.
bool removeNoting(FileSystem& fs, const std::string& path, RecoveryReport& report) {
    const std::string native = fs.nativePath(path);
    switch (fs.deleteFile(path)) {
        case DeleteResult::Deleted:
            report.removed.push_back(native);
            return true;
        case DeleteResult::NotFound:
            return true;
        case DeleteResult::Failed:
            break;
    }
    return false;
}

// Every temporary file of the saved files' pattern in the swept folders.
std::vector<std::string> temporaryFiles(FileSystem& fs, const std::string& gameFolder) {
    std::vector<std::string> found;
    for (const std::string& folder : sweptFolders()) {
        const std::string path = folder.empty() ? gameFolder : paths::join(gameFolder, folder);
        for (const std::string& name : fs.listFiles(path)) {
            if (paths::isTemporarySiblingName(name)) {
                found.push_back(paths::join(path, name));
            }
        }
    }
    return found;
}

}  // namespace

bool writeSaveJournal(FileSystem& fs, const std::string& gameFolder,
                      const std::vector<TemporaryWrite>& files) {
    try {
        std::vector<JournalEntry> entries;
        std::vector<std::string> folders;
        for (const TemporaryWrite& file : files) {
            const auto target = relativeTo(fs, gameFolder, file.target);
            if (!target || file.temporary.size() <= file.target.size()) {
                return false;
            }
            JournalEntry entry;
            entry.target = *target;
            entry.temporary = *target + file.temporary.substr(file.target.size());
            entry.size = file.size;
            entry.checksum = file.checksum;
            entries.push_back(std::move(entry));
            const std::string folder = paths::folderOf(file.temporary);
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
                folders.push_back(folder);
            }
        }
        if (!validEntries(entries)) {
            return false;
        }
        // The new files' names must be on disk before a journal names them.
        for (const std::string& folder : folders) {
            fs.syncFolder(folder);
        }
        const std::string text = formatJournal(entries);
        return writeFileAtomically(fs, paths::join(gameFolder, kSaveJournalName),
                                   reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void removeSaveJournal(FileSystem& fs, const std::string& gameFolder) {
    if (fs.deleteFile(paths::join(gameFolder, kSaveJournalName)) == DeleteResult::Deleted) {
        fs.syncFolder(gameFolder);
    }
}

std::vector<std::string> journalTemporaries(FileSystem& fs, const std::string& gameFolder) {
    std::vector<std::string> temporaries;
    try {
        const JournalFound found = readJournal(fs, gameFolder);
        if (found.entries) {
            for (const JournalEntry& entry : *found.entries) {
                temporaries.push_back(paths::join(gameFolder, entry.temporary));
            }
        }
    } catch (const std::bad_alloc&) {
        temporaries.clear();
    }
    return temporaries;
}

RecoveryReport recoverInterruptedSave(FileSystem& fs, const std::string& gameFolder) {
    RecoveryReport report;
    try {
        const JournalFound found = readJournal(fs, gameFolder);
        report.journal = found.present;
        report.damaged = found.present && !found.entries;
        // Temporary files a journal still needs after a failed step.
        std::vector<std::string> kept;
        if (found.entries) {
            const std::vector<JournalEntry>& entries = *found.entries;
            bool complete = true;
            for (const JournalEntry& entry : entries) {
                const std::string temporary = paths::join(gameFolder, entry.temporary);
                const std::string target = paths::join(gameFolder, entry.target);
                complete =
                    complete &&
                    (holds(fs, temporary, entry.size, entry.checksum) ||
                     (!fs.exists(temporary) && holds(fs, target, entry.size, entry.checksum)));
            }
            for (const JournalEntry& entry : entries) {
                const std::string temporary = paths::join(gameFolder, entry.temporary);
                bool done;
                if (complete) {
                    // In order: after a failed replacement the later ones wait.
                    done = !report.failed &&
                           (!fs.exists(temporary) ||
                            fs.replaceFile(temporary, paths::join(gameFolder, entry.target)));
                } else {
                    done = removeNoting(fs, temporary, report);
                }
                if (!done) {
                    report.failed = true;
                    kept.push_back(temporary);
                }
            }
            report.action = complete ? RecoveryAction::Completed : RecoveryAction::Undone;
        }
        // The other temporary files: left by a save that never got as far as
        // its journal, by the journal's own write, or by a superseded save.
        bool removedStray = false;
        for (const std::string& temporary : temporaryFiles(fs, gameFolder)) {
            const bool needed = std::any_of(kept.begin(), kept.end(), [&](const std::string& k) {
                return paths::equalsIgnoreCase(withSlashes(k), withSlashes(temporary));
            });
            if (needed) {
                continue;
            }
            const std::size_t before = report.removed.size();
            if (!removeNoting(fs, temporary, report)) {
                report.failed = true;
            }
            removedStray = removedStray || report.removed.size() > before;
        }
        if (found.entries && !report.failed) {
            const std::string journal = paths::join(gameFolder, kSaveJournalName);
            if (removeNoting(fs, journal, report)) {
                fs.syncFolder(gameFolder);
            } else {
                report.failed = true;
            }
        }
        if (!found.present && removedStray) {
            report.action = RecoveryAction::Undone;
        }
        if (report.failed && report.action == RecoveryAction::Completed) {
            report.action = RecoveryAction::None;
        }
    } catch (const std::bad_alloc&) {
        report.failed = true;
    }
    return report;
}

std::optional<PromptMessage> recoveryMessage(const RecoveryReport& report) {
    const char* text = nullptr;
    if (report.failed) {
        text = kRecoveryFailedText;
    } else if (report.damaged) {
        text = kRecoveryDamagedText;
    } else if (report.action == RecoveryAction::Completed) {
        text = kRecoveryCompletedText;
    } else if (report.action == RecoveryAction::Undone) {
        text = kRecoveryUndoneText;
    }
    if (text == nullptr) {
        return std::nullopt;
    }
    return PromptMessage{text, kProgramCaption, PromptButtons::Ok, PromptIcon::Information};
}

RecoveryReport recoverInterruptedSave(FileSystem& fs, const std::string& gameFolder,
                                      Prompts& prompts) {
    RecoveryReport report = recoverInterruptedSave(fs, gameFolder);
    if (const std::optional<PromptMessage> message = recoveryMessage(report)) {
        prompts.show(*message);
    }
    return report;
}

bool interruptedSaveFound(FileSystem& fs, const std::string& gameFolder) {
    try {
        return fs.exists(paths::join(gameFolder, kSaveJournalName)) ||
               !temporaryFiles(fs, gameFolder).empty();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace jf
