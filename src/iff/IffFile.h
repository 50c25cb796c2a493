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

// Why parse() failed.
enum class IffParseError : int {
    NotIff = 3,      // the header does not start with "IFF FILE"
    BadVersion = 4,  // neither version 2.5 nor 2.0
    BadSlot = 5,     // no container in the slot
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
    bool parse(int slot, IffParseError* error = nullptr);

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
//
// A view refers to one slot of its table. It either owns the container there
// (one it created itself: it closes it when it lets go of it) or is attached
// to a container opened elsewhere, which it leaves open. While the view
// refers to no valid container (slot 0, or a slot closed behind its back),
// every chunk query (look-ups, walks, counts, lists) gives its empty result
// and every operation returns false and changes nothing, except where a
// method says otherwise.
//
// Chunk pointers handed out stay valid until that chunk is removed or
// replaced or its container is closed. Positions are indexes into the chunk
// list: adding or removing a chunk invalidates them.
//
// A view is not safe for concurrent use; like its table, it belongs to one
// thread at a time.
class IffView {
public:
    using Position = std::optional<std::size_t>;

    // Creates an empty, write-protected, in-memory container in `table` and
    // owns it. When the table has no room for it, the view holds slot 0 and
    // valid() is false.
    explicit IffView(IffFileTable& table);
    IffView(const IffView&) = delete;
    IffView& operator=(const IffView&) = delete;
    // Closes the container if the view owns it; an attached one stays open.
    virtual ~IffView();

    IffFileTable& table() { return table_; }
    // The slot the view refers to; 0 when it has none.
    int slot() const { return slot_; }
    // True when the view created the container it refers to and closes it.
    bool owned() const { return owned_; }
    // True while the view's slot holds a container.
    bool valid() const { return table_.valid(slot_); }
    // The container, or nullptr when the view is not valid. Changes made
    // through it directly are not reflected in types().
    IffFile* file() { return table_.file(slot_); }
    // The chunk types of the container, each once, in the order of their first
    // chunk in the list. Refreshed by the methods below that change which
    // container the view refers to or which chunks it holds.
    const std::vector<std::uint32_t>& types() const { return types_; }

    // Makes the view refer to the container in `slot` of the same table.
    // On success closes the container the view owned (unless that is `slot`
    // itself, which the view then simply stops owning), leaves the view
    // attached to `slot` without owning it, refreshes types() and returns
    // true. Works also when the view was not valid.
    // On failure (`slot` is 0, out of range or empty) returns false and
    // changes nothing.
    bool attach(int slot);

    // Replaces the container by a new empty one.
    // On success closes the container the view refers to, owned or merely
    // attached, then owns a new empty, write-protected, in-memory container
    // and returns true. Should the table have no room for the new container,
    // the view is left with slot 0 (valid() false) but true is still
    // returned.
    // On failure (the view was not valid) returns false and changes nothing.
    bool reset();

    // Lets go of the container's file while keeping its chunks.
    // On success the container's handle is closed (the container no longer
    // keeps its file open) and replaced by an empty in-memory file, write
    // protection is set to `writeProtected`, and true is returned. Chunks whose bodies
    // were loaded keep them; those not yet loaded can no longer be loaded.
    bool releaseFile(bool writeProtected);

    // Opens the container in an already open `file`.
    // The table registers a duplicate of the handle (the caller may close its
    // own), named after the file name in file.path(), not write-protected,
    // and the view attaches to it as attach() does, closing the container it
    // owned. Then the header is read and the chunks are registered without
    // their bodies, up to the first chunk header that does not fit in the
    // file (a damaged tail is no error; an empty file gives an empty
    // container). Works also when the view was not valid.
    // On success the view is attached to the new container, which it does
    // not own: closeAndReset() closes it, else it stays open until the table
    // goes. Returns true and leaves `error` untouched.
    // If the handle cannot be duplicated or the table has no room, returns
    // false and changes nothing. If the header is not that of a version 2.0
    // or 2.5 container, stores IffParseError::NotIff or BadVersion in
    // *error (when given) and returns false; the view is then already
    // attached to the new, chunkless container, which holds its handle until
    // closed as above.
    bool openInto(File& file, IffParseError* error = nullptr);

    // Like reset(), but also for a view that is not valid: closes the
    // container the view refers to if there is one, owned or attached, and
    // owns a new empty, write-protected, in-memory container.
    // Returns true when the new container was made. False when the table had
    // no room for it: the view then holds slot 0 (valid() false).
    bool closeAndReset();

    // Writes the container: its header, every chunk but "rsmp" in list
    // order, and a fresh "rsmp" map. `target` nullptr means the container's
    // own file. Every chunk other than "rsmp" must be loaded.
    // With nullptr and a disk file of its own, that file is replaced in one
    // step (temporary sibling, flush, rename). The container's handle on it
    // is closed first; afterwards, whether the write succeeded or not, the
    // container holds a read-write handle on the file under that path, or,
    // when it cannot be opened again, a stand-in that remembers the path and
    // fails every access (so that the next write tries the same file).
    // Anything else (an explicit target, even the own file, or an own file
    // in memory) is truncated and written from its start.
    // On success the header and the chunks' body offsets describe the
    // written image (also when it went to another file than the container's
    // own), the recorded file length follows when the own file was written,
    // and true is returned.
    // Fails and changes nothing when the view is not valid, a chunk is not
    // loaded, the image would pass 4 GiB, memory is short, or `target` is
    // the own file of a write-protected container (nullptr is not refused).
    // A failed write returns false with the header and offsets as before: a
    // replaced disk file is left byte-identical; an explicit target may have
    // been truncated or partly written.
    bool writeTo(File* target);
    // writeTo(nullptr) in two halves (IffFileTable::stageContainer).
    bool stage(StagedContainer& staged);
    bool replaceWithStaged(const StagedContainer& staged);

    // The chunk with this type and id (there is at most one), loaded or not;
    // nullptr when there is none.
    IffChunk* find(std::uint32_t type, std::uint16_t id);
    // The position of the first chunk of `type` in the list; empty when there
    // is none. Start of a walk with nextOfType.
    Position firstOfType(std::uint32_t type);
    // Returns the chunk at `position` and moves `position` to the next chunk
    // of `type` after it (empty after the last). When `position` is empty or
    // past the end of the list, returns nullptr and empties it.
    IffChunk* nextOfType(std::uint32_t type, Position& position);
    // The chunk of `type` with the smallest id; nullptr when there is none.
    IffChunk* lowestIdOfType(std::uint32_t type);
    // Returns `current` and moves it to the chunk of the same type with the
    // smallest id strictly greater (nullptr after the last). When `current`
    // is nullptr or the view is not valid, returns `current` as given and
    // sets it to nullptr.
    IffChunk* nextIdOfType(std::uint32_t type, IffChunk*& current);
    // The number of chunks of `type`; with `loadedOnly`, of those whose body
    // is loaded.
    std::size_t countOfType(std::uint32_t type, bool loadedOnly);
    // Every chunk of one type, in list order / in ascending id order.
    std::vector<IffChunk*> chunksOfType(std::uint32_t type);
    std::vector<IffChunk*> chunksOfTypeById(std::uint32_t type);

    // Reads the body of `chunk`, a chunk of this container, from the
    // container's file.
    // A chunk loaded already gives true at once, unchanged. Otherwise, on
    // success the chunk is loaded: its buffer holds the body, zero-padded to
    // a multiple of 64 bytes, with the cursor at 0; returns true.
    // On failure (the body runs past the end of the file or the length is
    // unknown, memory is short, or the seek or read fails) returns false and
    // the chunk stays not loaded; after a failed seek or read its buffer may
    // have been replaced by a zero-filled one of the body's size.
    bool loadChunk(IffChunk& chunk);
    // Loads every chunk not yet loaded, in list order, as loadChunk would
    // (neighbouring bodies are read together).
    // On success every chunk is loaded and true is returned. On failure
    // returns false at the first chunk that cannot be loaded: the chunks
    // before it are loaded, it is left as a failed loadChunk leaves it, and
    // those after it are untouched.
    bool loadAll();
    // Loads `chunk` as loadChunk does, then writes its body at the cursor of
    // `destination`.
    // On success returns true with the cursor after the body. Returns false
    // when the chunk cannot be loaded (`destination` untouched) or the write
    // fails (part of the body may have been written).
    bool copyChunkTo(IffChunk& chunk, File& destination);
    // The same for the chunk with this type and id; false, with
    // `destination` untouched, when there is none.
    bool copyChunkTo(std::uint32_t type, std::uint16_t id, File& destination);

    // Adds a loaded chunk whose body is the whole of `source`, read from its
    // start (a short or failed read goes unnoticed: the bytes not read stay
    // zero; the cursor of `source` moves).
    // On success the new chunk (flags: little-endian only; label as given)
    // stands at the end of the list, any chunk with the same type and id has
    // been removed, types() is refreshed and true is returned.
    // Returns false, the container unchanged, when the length of `source` is
    // unknown or above 1 GiB, or memory is short.
    bool add(std::uint32_t type, std::uint16_t id, const std::string& label, File& source);
    // The same with the `size` bytes at `bytes` (which may be nullptr when
    // `size` is 0) as the body.
    bool addBytes(std::uint32_t type, std::uint16_t id, const std::string& label,
                  const std::uint8_t* bytes, std::size_t size);
    // Removes the chunk with this type and id.
    // On success the chunk is destroyed, types() is refreshed and true is
    // returned. Returns false, the container unchanged, when there is no such
    // chunk.
    bool remove(std::uint32_t type, std::uint16_t id);

private:
    void rebuildTypes();

    IffFileTable& table_;
    int slot_ = 0;
    bool owned_ = false;
    std::vector<std::uint32_t> types_;
};

}  // namespace jf
