#pragma once
// Folder and file services behind one small interface, in the spirit of an
// "Env": the core never touches the operating system directly.
//
// Paths. The core keeps the game's own convention: a folder string ends in a
// backslash and a file name may hold backslash-separated subfolders, e.g.
// folder "C:\Games\The Sims\" + name "UIGraphics\cpanel\Buttons\X.BMP". A
// folder string may also be a native absolute path ("/home/u/sims/"). Every
// operation takes such a joined path; an implementation maps it to a native
// one. On POSIX every component is resolved ignoring letter case, because a
// game installed under Wine has arbitrary case on disk; a component that does
// not exist keeps the case given (so creating it uses that case).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"

namespace jf {

enum class OpenMode {
    Read,            // existing file, reading only
    ReadWrite,       // existing file, reading and writing
    CreateTruncate,  // create or empty the file, reading and writing
};

enum class DeleteResult { Deleted, NotFound, Failed };

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens a file with the sharing mode "other writers denied": while the
    // returned handle (or a duplicate of it) is open, a second open for
    // writing of the same file through any FileSystem of this program fails,
    // and a write-mode handle denies every other opener. nullptr on failure.
    virtual std::unique_ptr<File> open(const std::string& path, OpenMode mode) = 0;

    virtual bool exists(const std::string& path) = 0;
    // Whether `path` is an existing file that an open in `mode` is refused
    // for because another handle holds it (of this program, or of another
    // where the system enforces sharing): the reason to name when open()
    // failed. False when the file is missing, when it could be opened, and
    // where the check is not offered.
    virtual bool isInUse(const std::string& path, OpenMode mode) {
        (void)path;
        (void)mode;
        return false;
    }
    virtual bool isReadOnly(const std::string& path) = 0;
    // Clears the read-only attribute (POSIX: adds the owner write bit).
    // A missing file is not an error: nothing happens and true is returned.
    virtual bool clearReadOnly(const std::string& path) = 0;
    virtual bool setReadOnly(const std::string& path) = 0;

    // Creates one folder (its parent must exist). True when it exists afterwards.
    virtual bool createFolder(const std::string& path) = 0;
    virtual DeleteResult deleteFile(const std::string& path) = 0;

    // Replaces `to` by `from` in one step (rename over an existing file).
    // On failure both files are as they were. See writeFileAtomically for
    // replacing a file that is still open.
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;

    // Names (without folder) of the files in `folder` whose name ends in
    // ".FAR" ignoring case, in the order the file system returns them.
    virtual std::vector<std::string> listArchives(const std::string& folder) = 0;

    // Names (without folder) of the regular files in `folder`, in the order
    // the file system returns them; empty when the folder cannot be read.
    virtual std::vector<std::string> listFiles(const std::string& folder) = 0;

    // Makes the files created, renamed or deleted in `folder` so far survive
    // a power cut (POSIX: fsync of the folder). False where the system
    // offers no such step or it failed: callers take it as best effort.
    virtual bool syncFolder(const std::string& folder) = 0;

    // The native path a core path resolves to (for messages and sub-processes).
    virtual std::string nativePath(const std::string& path) = 0;
};

// The file system of the machine this program runs on (POSIX or Windows).
// The object lives for the whole program.
FileSystem& systemFileSystem();

// Path helpers on core paths (backslash or slash separated).
namespace paths {
// "a\b\c.iff" -> "c.iff"
std::string fileName(const std::string& path);
// "a\b\c.iff" -> "a\b\" ; "c.iff" -> ""
std::string folderOf(const std::string& path);
// Joins folder and name, adding a backslash when the folder lacks a separator.
std::string join(const std::string& folder, const std::string& name);
// Case-insensitive comparison of ASCII letters; other bytes compare exactly
// (so the trail bytes of multibyte characters are never folded).
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// A name for a temporary sibling of `path` in the same folder:
// path + ".jf3tmp-<process id>-<serial>".
std::string temporarySibling(const std::string& path);
// Whether a file name (without folder) has the form temporarySibling gives:
// a non-empty name, ".jf3tmp-", digits, "-", digits.
bool isTemporarySiblingName(const std::string& name);
}  // namespace paths

// A file's new contents written beside it and not yet moved over it.
struct TemporaryWrite {
    std::string target;     // the path the contents are for
    std::string temporary;  // the temporary sibling holding them, flushed and closed
    std::uint64_t size = 0;
    std::uint32_t checksum = 0;  // crc32 of the contents (platform/Checksum.h)
};

// The first half of writeFileAtomically: writes `bytes` to a new temporary
// sibling of `path`, flushes and closes it, and describes it in `written`.
// `path` itself is not touched. A read-only target fails at once. On failure
// the temporary file is gone and `written` is empty.
bool writeTemporarySibling(FileSystem& fs, const std::string& path, const std::uint8_t* bytes,
                           std::size_t size, TemporaryWrite& written);

// Writes `bytes` to `path` all-or-nothing: the bytes go to a temporary file in
// the same folder, which is flushed to disk and then moved over `path` in one
// step. On failure the old file is unchanged and the temporary file is gone.
// On success, when `reopened` is not null, it receives a handle on the new
// file opened with `reopenMode` (nullptr when that reopen failed).
// A read-only target is never replaced (false, nothing written). Handles that
// were open on the old file keep reading the old contents; on Windows before
// 10 (1709) and under Wine, replacing a file that is still open fails, so
// callers that must work there close their handles on `path` first.
bool writeFileAtomically(FileSystem& fs, const std::string& path, const std::uint8_t* bytes,
                         std::size_t size, std::unique_ptr<File>* reopened = nullptr,
                         OpenMode reopenMode = OpenMode::ReadWrite);

}  // namespace jf
