#pragma once
// An in-memory FileSystem for tests.
//
// Paths are normalised before use: backslashes and slashes are the same
// separator, repeated and trailing separators are dropped, "." components are
// dropped, and names compare ignoring ASCII letter case (like the game's
// files under Wine). The case under which a file or folder was first created
// is kept and reported by nativePath(), File::path(), allFiles() and
// allFolders(), always with '/' separators.
//
// Folders: "" (relative root), "/" and a leading drive ("C:") always exist.
// A file can only be created in an existing folder; putFile() and addFolder()
// create the missing folders on the way.
//
// Sharing: the same rules as the disk file systems. A Read handle shares the
// file with other Read handles; a ReadWrite or CreateTruncate handle denies
// every other opener; a Read handle denies writers. A lock lasts until the
// handle and all its duplicates are closed. Deleting or replacing a file
// leaves existing handles on the old contents (as on POSIX).
//
// Read-only files cannot be opened for writing, created over, or replaced.
//
// Handles hold shared ownership of the fake's state, so they may outlive the
// FakeFileSystem. One thread at a time (the state is locked, the file
// contents behind an open handle are not).

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace jf::test {

class FakeFileSystem final : public FileSystem {
public:
    FakeFileSystem();
    ~FakeFileSystem() override;

    // ---- FileSystem
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool exists(const std::string& path) override;  // file or folder
    bool isReadOnly(const std::string& path) override;
    bool clearReadOnly(const std::string& path) override;
    bool setReadOnly(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    DeleteResult deleteFile(const std::string& path) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    std::vector<std::string> listArchives(const std::string& folder) override;
    // Files in creation order. Nothing is ever lost here, so a folder sync
    // only checks that the folder exists.
    std::vector<std::string> listFiles(const std::string& folder) override;
    bool syncFolder(const std::string& folder) override;
    std::string nativePath(const std::string& path) override;

    // ---- Test helpers (never subject to locks or the read-only flag)
    // Creates or overwrites a file (and any missing folders above it). An
    // existing file keeps its creation order, case and read-only flag; open
    // handles see the new bytes.
    void putFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
    void putFile(const std::string& path, const std::string& bytes);
    // The bytes of a file; nullopt when there is no such file.
    std::optional<std::vector<std::uint8_t>> fileBytes(const std::string& path) const;
    // Creates a folder and all missing folders above it.
    void addFolder(const std::string& path);
    bool isFile(const std::string& path) const;
    bool isFolder(const std::string& path) const;
    // Whether any handle (or duplicate) on the file is still open.
    bool isOpen(const std::string& path) const;
    // Files in creation order, folders in sorted order of their normalised
    // (lower-case) form; case as created, '/' separators.
    std::vector<std::string> allFiles() const;
    std::vector<std::string> allFolders() const;
    // When set, replaceFile fails while the target is open (as Windows does
    // for a target opened without delete sharing). Off by default.
    void setReplaceFailsWhileTargetOpen(bool on);

    struct Node;
    struct State;

private:
    // The files directly in `folder`, in the order they were made; only
    // FAR archives with `archivesOnly`.
    std::vector<std::string> filesIn(const std::string& folder, bool archivesOnly);
    std::shared_ptr<State> state_;
};

}  // namespace jf::test
