#pragma once
// The FileSystem of POSIX machines (Linux, macOS, BSD).
//
// Core paths are mapped to native ones by turning every backslash into a
// slash and resolving each component ignoring ASCII letter case (see
// resolvePath). Open files carry a whole-file lock so that the sharing mode
// "other writers denied" holds between handles of this program (open file
// description locks, else flock; both are per open file, so two opens in one
// process exclude each other, and duplicates share the lock).
//
// The read-only attribute maps to the permission bits: a file is read-only
// when its owner write bit is clear; setReadOnly clears every write bit and
// clearReadOnly adds the owner's back.

#ifndef _WIN32

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace jf {

// A disk file opened through PosixFileSystem. Owns its descriptor and closes
// it on destruction. Reads and writes are positional (pread/pwrite) at a
// cursor kept in the object, so duplicates, which share the open file and its
// lock, still move independently.
class PosixFile final : public File {
public:
    // Takes ownership of `fd`.
    PosixFile(int fd, std::string nativePath, std::uint64_t position = 0);
    ~PosixFile() override;
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    bool seek(std::uint64_t position) override;
    std::uint64_t tell() const override { return position_; }
    std::int64_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool truncate(std::uint64_t length) override;
    std::int64_t length() const override;
    bool flush() override;
    std::unique_ptr<File> duplicate() override;
    std::string path() const override { return path_; }

private:
    int fd_;
    std::string path_;
    std::uint64_t position_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool exists(const std::string& path) override;
    bool isInUse(const std::string& path, OpenMode mode) override;
    bool isReadOnly(const std::string& path) override;
    bool clearReadOnly(const std::string& path) override;
    bool setReadOnly(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    DeleteResult deleteFile(const std::string& path) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    std::vector<std::string> listArchives(const std::string& folder) override;
    std::vector<std::string> listFiles(const std::string& folder) override;
    bool syncFolder(const std::string& folder) override;
    std::string nativePath(const std::string& path) override { return resolvePath(path); }

    // Maps a core path to a native one. Separators become '/'; then, from the
    // root (absolute paths) or the current folder (relative ones), each
    // component is taken as given when it exists exactly, else as the first
    // entry of its parent folder equal to it ignoring ASCII case, else as
    // given, and so are all later components. Empty and "." components are
    // dropped; a trailing separator is not kept. "" when out of memory.
    static std::string resolvePath(const std::string& path);
};

}  // namespace jf

#endif  // _WIN32
