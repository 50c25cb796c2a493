#pragma once
// Reader for the game's FAR archives ("FAR!byAZ"): a directory of named
// entries and their bytes. Archives are never written.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jf {

class File;
class FileSystem;

struct FarEntry {
    std::uint32_t unusedSize = 0;  // first size value; not used
    std::uint32_t dataLength = 0;
    std::uint32_t dataOffset = 0;
    std::uint32_t nameLength = 0;
    std::string name;     // may hold backslash-separated folders
    int cacheIndex = -1;  // index of its cached bytes, -1 until loaded
};

class FarArchive {
public:
    static constexpr char kMagic[8] = {'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
    static constexpr std::uint32_t kHeaderSize = 16;

    FarArchive() = default;
    FarArchive(const FarArchive&) = delete;
    FarArchive& operator=(const FarArchive&) = delete;
    ~FarArchive() { release(); }

    // Reads the header and the whole directory from `file`, keeping a
    // duplicate handle on it (the caller may close its own). Every call starts
    // from an empty directory. On failure the entries read so far remain.
    bool readDirectory(File& file);

    const std::vector<FarEntry>& entries() const { return entries_; }
    bool shortNameLengths() const { return shortNameLengths_; }
    std::uint32_t version() const { return version_; }
    std::uint32_t directoryOffset() const { return directoryOffset_; }

    // Brings the bytes of entry `index` into memory (once). False when the
    // index is out of range, there is no archive file, or the bytes lie
    // outside the archive.
    bool loadEntry(std::size_t index);
    // The cached bytes of a loaded entry (nullptr when not loaded).
    const std::vector<std::uint8_t>* entryBytes(std::size_t index) const;
    // loadEntry, then writes the bytes to `destination` at its cursor.
    bool extractEntry(std::size_t index, File& destination);

    // Index of the first entry whose name equals `name` ignoring letter case,
    // or -1.
    long findEntry(const std::string& name) const;

    // Closes the archive file and drops the directory and every cached buffer.
    void release();

private:
    std::unique_ptr<File> file_;
    std::uint32_t version_ = 0;
    std::uint32_t directoryOffset_ = 0;
    std::vector<FarEntry> entries_;
    bool shortNameLengths_ = false;
    std::vector<std::vector<std::uint8_t>> cache_;
};

// The folder search shared by containers and icon files: enumerate
// folder + "*.FAR", open each (skipping those that fail to open or read), and
// find the first entry named `name` (a path relative to folder) ignoring case.
// On success `archive` holds the directory and `index` the entry; the search
// stops at the first archive that has a match.
bool findInFolderArchives(FileSystem& fs, const std::string& folder, const std::string& name,
                          FarArchive& archive, std::size_t& index);

}  // namespace jf
