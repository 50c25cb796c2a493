#pragma once
// IFF container files: the table of open containers, one container, and the
// view through which the rest of the program uses a container.
//
// A container file is a 64-byte text header, then chunks (a 76-byte
// big-endian header and the body each), and in version 2.5 an "rsmp" map
// chunk indexing the others. Containers are addressed by a slot number;
// slot 0 is never used, so 0 means "no container" everywhere.
//
// The table is an ordinary object owned by the application (or a test) and
// handed around by reference; it needs no static initialisation tricks.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "iff/IffChunk.h"
#include "platform/FileSystem.h"

namespace jf {

class File;

inline constexpr std::size_t kIffHeaderSize = 64;
inline constexpr std::size_t kIffMapOffsetField = 60;
inline constexpr std::uint32_t kMaxChunkTotalSize = 0x40000000;  // 1 GiB

// parse() error codes.
enum ParseError : int {
    kParseNotIff = 3,
    kParseBadVersion = 4,
    kParseBadSlot = 5,
};

// The 64 bytes every container is written with (bytes 60-63 then receive the
// map offset): "IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 QUORBLE FENNIX & MAXIS 1996\0".
const std::array<std::uint8_t, kIffHeaderSize>& iffWriteTemplate();

// A container's new image written beside its file (TemporaryWrite) and not
// yet moved over it, with the chunk offsets and header the image has. An
// empty `file.temporary` means the container was written where it lives (in
// memory) and there is nothing to move.
struct StagedContainer {
    TemporaryWrite file;
    std::vector<std::uint32_t> offsets;  // one per chunk, in list order
    std::array<std::uint8_t, kIffHeaderSize> header{};
};

struct IffFile {
    std::string name;
    bool inMemory = true;
    bool writeProtected = true;
    std::array<std::uint8_t, kIffHeaderSize> header{};
    std::uint64_t fileLength = 0;
    std::unique_ptr<File> backingFile;
    std::vector<std::unique_ptr<IffChunk>> chunks;
    // True when the header was read from a version "2.5" file: its signature
    // bytes 0-59 are then kept on writing (other readers compare them).
    bool keepHeaderSignature = false;

    // Index of the chunk with this type and id, or -1.
    long indexOf(std::uint32_t type, std::uint16_t id) const;
    // Removes any chunk with the same type and id, then appends this one.
    void appendReplacing(std::unique_ptr<IffChunk> chunk);
    // Makes room for `count` chunks in all, so that appending them does not
    // grow the list and its index step by step. A hint: false when memory is
    // short, the chunks unchanged either way.
    bool reserve(std::size_t count);
    bool removeAt(std::size_t index);

private:
    void rebuildIndex() const;
    mutable std::unordered_map<std::uint64_t, std::size_t> index_;
    mutable bool indexValid_ = false;
};

class IffFileTable {
public:
    static constexpr std::size_t kSlotGrowth = 64;

    explicit IffFileTable(FileSystem& fs);
    IffFileTable(const IffFileTable&) = delete;
    IffFileTable& operator=(const IffFileTable&) = delete;
    ~IffFileTable();

    FileSystem& fileSystem() { return fs_; }

    // Every operation fails at once with its failure result for a slot that
    // is 0, out of range or empty.
    bool valid(int slot) const;
    IffFile* file(int slot);

    // A new empty container backed by an empty in-memory file; 0 on failure.
    int createEmpty(bool writeProtected);
    // folder + name opened for reading and writing (other writers denied),
    // after clearing its read-only attribute; when that fails, the file is
    // looked for in folder's FAR archives. The container is not parsed.
    int openPath(const std::string& folder, const std::string& name, bool extractToDisk);
    // Registers an open disk file; the table keeps its own duplicate handle.
    int openFile(File& file, const std::string& name, bool writeProtected);
    // Registers a copy of an in-memory file's whole contents.
    int openMemory(File& memoryFile, const std::string& name, bool writeProtected);
    // Looks for name in folder's archives and extracts the first match, to a
    // disk file beside the archives (extractToDisk) or into memory. A failed
    // extraction to disk leaves no file behind.
    int openFromArchive(const std::string& folder, const std::string& name, bool extractToDisk);

    // Reads the header and registers the chunks (no body is read).
    bool parse(int slot, int* error = nullptr);

    // Writes header, every chunk but "rsmp", and a fresh map. target nullptr
    // means the backing file; a disk backing file is then replaced in one
    // step (temporary file, flush, rename) and the new file becomes the
    // backing file, so a failure leaves the old file byte-identical. An
    // explicit target is written from its start and truncated to the result.
    bool writeContainer(File* target, int slot);
    // writeContainer(nullptr) in two halves, so that several files can be
    // written before any of them is replaced. stageContainer writes the
    // image of a container backed by a disk file to a temporary sibling of
    // that file; the container and its file stay as they were. A container
    // backed by memory is simply written (nothing staged). Fails like
    // writeContainer, leaving no temporary file.
    bool stageContainer(int slot, StagedContainer& staged);
    // Moves a staged image over the container's file, closing the
    // container's handle first; the container then goes on with the new file
    // (offsets, header and length of the image) or, when the move fails,
    // with the old one opened again. The temporary file is not removed on
    // failure. True at once when nothing was staged.
    bool replaceWithStaged(int slot, const StagedContainer& staged);
    // The bytes writeContainer would write (dataOffsets are updated as if
    // written). Fails when a chunk other than "rsmp" is not loaded.
    bool buildImage(int slot, std::vector<std::uint8_t>& image);
    // Writes the container to a path all-or-nothing (temporary file, flush,
    // rename). The container's backing file is not changed.
    bool writeContainerToPath(const std::string& path, int slot);

    bool releaseFile(int slot, bool writeProtected);
    bool closeSlot(int slot);

    bool loadChunk(int slot, IffChunk& chunk);
    bool loadAll(int slot);

    // New loaded chunk from the whole contents of source; replaces a chunk
    // with equal type and id. nullptr on failure.
    IffChunk* addChunk(int slot, std::uint32_t type, std::uint16_t id, const std::string& label,
                       File& source);
    // The same from bytes in memory.
    IffChunk* addChunkBytes(int slot, std::uint32_t type, std::uint16_t id,
                            const std::string& label, const std::uint8_t* bytes, std::size_t size);
    bool removeChunk(int slot, std::uint32_t type, std::uint16_t id);

    std::size_t slotCount() const { return slots_.size(); }

private:
    int allocateSlot(std::unique_ptr<IffFile> file);
    // Whether writeContainer(nullptr) replaces a disk file.
    static bool savesToDisk(const IffFile& container);

    FileSystem& fs_;
    std::vector<std::unique_ptr<IffFile>> slots_;
};

// The handle the rest of the program holds on one container.
class IffView {
public:
    using Position = std::optional<std::size_t>;

    // Creates an owned empty write-protected container.
    explicit IffView(IffFileTable& table);
    IffView(const IffView&) = delete;
    IffView& operator=(const IffView&) = delete;
    virtual ~IffView();

    IffFileTable& table() { return table_; }
    int slot() const { return slot_; }
    bool owned() const { return owned_; }
    bool valid() const { return table_.valid(slot_); }
    IffFile* file() { return table_.file(slot_); }
    const std::vector<std::uint32_t>& types() const { return types_; }

    bool attach(int slot);
    bool reset();
    bool releaseFile(bool writeProtected);
    bool openInto(File& file, int* error = nullptr);
    // Closes the container when it was opened with openInto (or attached) and
    // is therefore not owned; the view then owns a new empty container.
    bool closeAndReset();
    bool writeTo(File* target);
    // writeTo(nullptr) in two halves (IffFileTable::stageContainer).
    bool stage(StagedContainer& staged);
    bool replaceWithStaged(const StagedContainer& staged);

    IffChunk* find(std::uint32_t type, std::uint16_t id);
    Position firstOfType(std::uint32_t type);
    IffChunk* nextOfType(std::uint32_t type, Position& position);
    IffChunk* lowestIdOfType(std::uint32_t type);
    // Returns `current` and moves it to the chunk of the same type with the
    // smallest id strictly greater (nullptr after the last).
    IffChunk* nextIdOfType(std::uint32_t type, IffChunk*& current);
    std::size_t countOfType(std::uint32_t type, bool loadedOnly);
    // Every chunk of one type, in list order / in ascending id order.
    std::vector<IffChunk*> chunksOfType(std::uint32_t type);
    std::vector<IffChunk*> chunksOfTypeById(std::uint32_t type);

    bool loadChunk(IffChunk& chunk);
    bool loadAll();
    bool copyChunkTo(IffChunk& chunk, File& destination);
    bool copyChunkTo(std::uint32_t type, std::uint16_t id, File& destination);
    bool add(std::uint32_t type, std::uint16_t id, const std::string& label, File& source);
    bool addBytes(std::uint32_t type, std::uint16_t id, const std::string& label,
                  const std::uint8_t* bytes, std::size_t size);
    bool remove(std::uint32_t type, std::uint16_t id);

private:
    void rebuildTypes();

    IffFileTable& table_;
    int slot_ = 0;
    bool owned_ = false;
    std::vector<std::uint32_t> types_;
};

}  // namespace jf
