#pragma once
// Reader for the game's FAR archives ("FAR!byAZ"): a directory of named
// entries and their bytes. Archives are never written.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
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
    //
    // The directory's bytes are read in one go and kept; each entry is only
    // located and bounds-checked here, so a large directory costs one read
    // and a walk over its bytes. Every entry, once located, lies wholly
    // inside the bytes read.
    bool readDirectory(File& file);

    // Every entry, in directory order. Built from the directory's bytes on
    // the first call after a read (the others need no such list), and kept
    // until the next read or release.
    const std::vector<FarEntry>& entries() const;
    std::size_t entryCount() const { return located_.size(); }
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

    // Index of the first entry whose name equals `name` ignoring the case of
    // ASCII letters, or -1.
    long findEntry(const std::string& name) const;

    // Closes the archive file and drops the directory and every cached buffer.
    void release();

private:
    // Where one entry lies in directoryBytes_: its name starts at nameStart
    // and is nameLength bytes long; its three 32-bit fields end where its
    // name length field (4 or 2 bytes wide) begins. nameKey condenses the
    // name's last eight bytes (0 for shorter names), so that findEntry
    // rarely has to look at the names themselves.
    struct LocatedEntry {
        std::uint32_t nameStart;
        std::uint32_t nameLength;
        std::uint32_t nameKey;
    };
    // The located entries. Slots are not initialised when the list grows:
    // the walk writes them straight after making room.
    struct LocatedList {
        std::unique_ptr<LocatedEntry[]> items;
        std::size_t count = 0;
        std::size_t capacity = 0;

        std::size_t size() const { return count; }
        const LocatedEntry& operator[](std::size_t i) const { return items[i]; }
        // Room for at least `needed` entries, keeping the first `count`.
        void reserve(std::size_t needed);
        void clear();
    };

    bool locateEntries(std::uint64_t fileLength);
    void locateInTwoRuns(const std::uint8_t* bytes, std::uint64_t size, std::uint64_t fileLength,
                         std::uint32_t count, std::uint64_t& position);
    // Makes sure bytes [0, end) of the directory are in memory, reading more
    // of the file when needed; false when the file ends before `end`.
    bool ensureDirectoryBytes(std::uint64_t end, std::uint64_t available);
    std::size_t recordStart(std::size_t index) const;
    FarEntry entryAt(std::size_t index) const;

    std::unique_ptr<File> file_;
    std::uint64_t fileLength_ = 0;
    std::uint32_t version_ = 0;
    std::uint32_t directoryOffset_ = 0;
    // The directory as read (count, then the entries): directoryFilled_ of
    // directoryCapacity_ bytes read so far.
    std::unique_ptr<std::uint8_t[]> directoryBytes_;
    std::size_t directoryCapacity_ = 0;
    std::size_t directoryFilled_ = 0;
    LocatedList located_;
    // Entries from this index on have 2-byte name lengths.
    std::size_t firstShortEntry_ = 0;
    bool shortNameLengths_ = false;
    mutable std::vector<FarEntry> entries_;
    mutable bool entriesBuilt_ = false;
    std::vector<std::vector<std::uint8_t>> cache_;
    // Entry index -> index in cache_.
    std::unordered_map<std::size_t, int> cacheIndexOf_;
};

// The folder search shared by containers and icon files: enumerate
// folder + "*.FAR", open each (skipping those that fail to open or read), and
// find the first entry named `name` (a path relative to folder) ignoring case.
// On success `archive` holds the directory and `index` the entry; the search
// stops at the first archive that has a match.
bool findInFolderArchives(FileSystem& fs, const std::string& folder, const std::string& name,
                          FarArchive& archive, std::size_t& index);

}  // namespace jf
