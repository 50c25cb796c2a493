#include "iff/IffFile.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "iff/FarArchive.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf {

namespace {

constexpr char kIffMagic[8] = {'I', 'F', 'F', ' ', 'F', 'I', 'L', 'E'};
constexpr std::size_t kVersionOffset = 9;
constexpr std::size_t kSignatureLength = 60;  // bytes 0-59; 60-63 hold the map offset
constexpr std::size_t kLabelMaxWritten = 63;
constexpr std::uint32_t kRsmpBodyHeaderSize = 20;
constexpr std::uint8_t kMapPadByte = 0xA3;
// The scan pass reads the file in blocks so that many small chunks cost one
// read; a header that does not lie wholly inside the block is read on its own.
constexpr std::size_t kScanBlockSize = 64 * 1024;
// parse reserves room for at most this many chunks up front.
constexpr std::uint64_t kParseReserveLimit = 1u << 17;
// loadAll reads the bodies of neighbouring chunks together, up to this many
// bytes in one read, across gaps (the headers in between) of at most
// kLoadRunMaxGap bytes.
constexpr std::uint64_t kLoadRunSize = 4 * 1024 * 1024;
constexpr std::uint64_t kLoadRunMaxGap = 4096;

std::uint64_t chunkKey(std::uint32_t type, std::uint16_t id) {
    return (std::uint64_t(type) << 16) | id;
}

std::string writtenLabel(const std::string& label) {
    std::string cut = label.substr(0, kLabelMaxWritten);
    // A label is written up to its first NUL, so the reader sees the same text.
    std::size_t nul = cut.find('\0');
    if (nul != std::string::npos) {
        cut.resize(nul);
    }
    return cut;
}

void appendChunkHeader(std::vector<std::uint8_t>& out, std::uint32_t type, std::uint32_t total,
                       std::uint16_t id, std::uint16_t flags, const std::string& label) {
    appendBE32(out, type);
    appendBE32(out, total);
    appendBE16(out, id);
    appendBE16(out, flags);
    std::string text = writtenLabel(label);
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), kLabelFieldSize - text.size(), 0);
}

// Stands in for a disk file that could not be opened again after a save: it
// remembers the path (so the next save writes there) and fails every access.
class PendingDiskFile final : public File {
public:
    explicit PendingDiskFile(std::string path) : path_(std::move(path)) {}
    bool seek(std::uint64_t) override { return false; }
    std::uint64_t tell() const override { return 0; }
    std::int64_t read(void*, std::size_t) override { return -1; }
    bool write(const void*, std::size_t) override { return false; }
    bool truncate(std::uint64_t) override { return false; }
    std::int64_t length() const override { return -1; }
    bool flush() override { return false; }
    std::unique_ptr<File> duplicate() override { return std::make_unique<PendingDiskFile>(path_); }
    std::string path() const override { return path_; }

private:
    std::string path_;
};

}  // namespace

const std::array<std::uint8_t, kIffHeaderSize>& iffWriteTemplate() {
    static const std::array<std::uint8_t, kIffHeaderSize> header = [] {
        std::array<std::uint8_t, kIffHeaderSize> h{};
        const char first[] = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE";
        const char second[] = " QUORBLE FENNIX & MAXIS 1996";
        std::size_t at = 0;
        for (std::size_t i = 0; i + 1 < sizeof first; ++i) {
            h[at++] = static_cast<std::uint8_t>(first[i]);
        }
        h[at++] = 0;
        for (std::size_t i = 0; i + 1 < sizeof second && at < kIffHeaderSize; ++i) {
            h[at++] = static_cast<std::uint8_t>(second[i]);
        }
        if (at < kIffHeaderSize) {
            h[at++] = 0;
        }
        return h;
    }();
    return header;
}

// --- IffFile ------------------------------------------------------------------

void IffFile::rebuildIndex() const {
    index_.clear();
    index_.reserve(chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        index_.emplace(chunkKey(chunks[i]->type, chunks[i]->id), i);
    }
    indexValid_ = true;
}

bool IffFile::reserve(std::size_t count) {
    try {
        chunks.reserve(count);
        if (!indexValid_) {
            rebuildIndex();
        }
        index_.reserve(count);
    } catch (const std::bad_alloc&) {
        indexValid_ = false;  // rebuilt on the next look-up
        return false;
    }
    return true;
}

long IffFile::indexOf(std::uint32_t type, std::uint16_t id) const {
    if (!indexValid_ || index_.size() != chunks.size()) {
        rebuildIndex();
    }
    auto it = index_.find(chunkKey(type, id));
    if (it == index_.end()) {
        return -1;
    }
    // The index is a cache; confirm it still matches the list.
    std::size_t i = it->second;
    if (i < chunks.size() && chunks[i]->type == type && chunks[i]->id == id) {
        return static_cast<long>(i);
    }
    rebuildIndex();
    it = index_.find(chunkKey(type, id));
    return it == index_.end() ? -1 : static_cast<long>(it->second);
}

void IffFile::appendReplacing(std::unique_ptr<IffChunk> chunk) {
    if (indexValid_ && index_.size() == chunks.size()) {
        // A key not yet in the list (nearly every chunk of a scan) is looked
        // up and entered in one step.
        auto [it, inserted] = index_.try_emplace(chunkKey(chunk->type, chunk->id), chunks.size());
        if (inserted) {
            chunks.push_back(std::move(chunk));
            return;
        }
    }
    long existing = indexOf(chunk->type, chunk->id);
    if (existing >= 0) {
        removeAt(static_cast<std::size_t>(existing));
    }
    if (!indexValid_) {
        rebuildIndex();
    }
    index_[chunkKey(chunk->type, chunk->id)] = chunks.size();
    chunks.push_back(std::move(chunk));
}

bool IffFile::removeAt(std::size_t index) {
    if (index >= chunks.size()) {
        return false;
    }
    chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(index));
    indexValid_ = false;
    return true;
}

// --- IffFileTable ---------------------------------------------------------------

IffFileTable::IffFileTable(FileSystem& fs) : fs_(fs) {
    slots_.resize(kSlotGrowth);
}

IffFileTable::~IffFileTable() = default;

bool IffFileTable::valid(int slot) const {
    return slot > 0 && static_cast<std::size_t>(slot) < slots_.size() &&
           slots_[static_cast<std::size_t>(slot)] != nullptr;
}

IffFile* IffFileTable::file(int slot) {
    return valid(slot) ? slots_[static_cast<std::size_t>(slot)].get() : nullptr;
}

int IffFileTable::allocateSlot(std::unique_ptr<IffFile> file) {
    for (std::size_t i = 1; i < slots_.size(); ++i) {
        if (!slots_[i]) {
            slots_[i] = std::move(file);
            return static_cast<int>(i);
        }
    }
    std::size_t first = slots_.size();
    try {
        slots_.resize(slots_.size() + kSlotGrowth);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    slots_[first] = std::move(file);
    return static_cast<int>(first);
}

namespace {
std::unique_ptr<IffFile> newContainer() {
    auto file = std::make_unique<IffFile>();
    // A fresh container carries the write template's signature; bytes 60-63
    // (the map offset) start as zero: nothing has been read into it yet.
    const auto& tmpl = iffWriteTemplate();
    std::copy(tmpl.begin(), tmpl.begin() + kSignatureLength, file->header.begin());
    return file;
}
}  // namespace

int IffFileTable::createEmpty(bool writeProtected) {
    auto file = newContainer();
    file->writeProtected = writeProtected;
    file->inMemory = true;
    file->backingFile = std::make_unique<MemoryFile>();
    return allocateSlot(std::move(file));
}

int IffFileTable::openPath(const std::string& folder, const std::string& name, bool extractToDisk) {
    std::string path = folder + name;
    fs_.clearReadOnly(path);
    std::unique_ptr<File> handle = fs_.open(path, OpenMode::ReadWrite);
    if (handle) {
        return openFile(*handle, name, false);
    }
    return openFromArchive(folder, name, extractToDisk);
}

int IffFileTable::openFile(File& file, const std::string& name, bool writeProtected) {
    std::unique_ptr<File> duplicate = file.duplicate();
    if (!duplicate) {
        return 0;
    }
    std::int64_t length = file.length();
    auto container = newContainer();
    container->name = name;
    container->inMemory = false;
    container->writeProtected = writeProtected;
    container->fileLength = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    container->backingFile = std::move(duplicate);
    return allocateSlot(std::move(container));
}

int IffFileTable::openMemory(File& memoryFile, const std::string& name, bool writeProtected) {
    std::int64_t length = memoryFile.length();
    if (length < 0) {
        return 0;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    std::uint64_t saved = memoryFile.tell();
    if (!memoryFile.seek(0) || !memoryFile.readExact(bytes.data(), bytes.size())) {
        memoryFile.seek(saved);
        return 0;
    }
    memoryFile.seek(saved);
    auto container = newContainer();
    container->name = name;
    container->inMemory = true;
    container->writeProtected = writeProtected;
    container->fileLength = bytes.size();
    container->backingFile = std::make_unique<MemoryFile>(std::move(bytes));
    return allocateSlot(std::move(container));
}

int IffFileTable::openFromArchive(const std::string& folder, const std::string& name,
                                  bool extractToDisk) {
    FarArchive archive;
    std::size_t index = 0;
    if (!findInFolderArchives(fs_, folder, name, archive, index)) {
        return 0;
    }
    if (!archive.loadEntry(index)) {
        return 0;
    }
    const std::vector<std::uint8_t>* bytes = archive.entryBytes(index);
    if (bytes == nullptr) {
        return 0;
    }
    if (!extractToDisk) {
        MemoryFile memory(*bytes);
        return openMemory(memory, name, true);
    }
    // Create the intermediate folders of name under folder (failures are
    // ignored: the write below reports what matters).
    std::string partial = folder;
    std::size_t start = 0;
    while (true) {
        std::size_t sep = name.find_first_of("\\/", start);
        if (sep == std::string::npos) {
            break;
        }
        if (!partial.empty() && partial.back() != '\\' && partial.back() != '/') {
            partial += '\\';
        }
        partial += name.substr(start, sep - start);
        fs_.createFolder(partial);
        start = sep + 1;
    }
    // The extracted file appears under its name only when complete, so a
    // failed extraction never leaves a file that would hide the archive's copy.
    std::unique_ptr<File> extracted;
    if (!writeFileAtomically(fs_, folder + name, bytes->data(), bytes->size(), &extracted,
                             OpenMode::ReadWrite) ||
        !extracted) {
        return 0;
    }
    return openFile(*extracted, name, false);
}

bool IffFileTable::parse(int slot, IffParseError* error) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        if (error) {
            *error = IffParseError::BadSlot;
        }
        return false;
    }
    File& backing = *container->backingFile;
    std::uint8_t header[kIffHeaderSize];
    std::memcpy(header, container->header.data(), kIffHeaderSize);
    std::int64_t got = -1;
    if (backing.seek(0)) {
        got = backing.read(header, kIffHeaderSize);
    }
    // A short read is no failure by itself: the bytes not read keep the
    // container's previous header, so an empty file parses as an empty container.
    if (got > 0) {
        std::memcpy(container->header.data(), header, static_cast<std::size_t>(got));
    }
    if (std::memcmp(container->header.data(), kIffMagic, sizeof kIffMagic) != 0) {
        if (error) {
            *error = IffParseError::NotIff;
        }
        return false;
    }
    const char* version = reinterpret_cast<const char*>(container->header.data()) + kVersionOffset;
    bool is25 = std::memcmp(version, "2.5", 3) == 0;
    bool is20 = std::memcmp(version, "2.0", 3) == 0;
    if (!is25 && !is20) {
        if (error) {
            *error = IffParseError::BadVersion;
        }
        return false;
    }
    container->keepHeaderSignature = is25 && got > 0;

    // The rsmp map is not read: the scan pass below registers every chunk it
    // reaches, and nothing depends on chunks reachable only through the map.

    std::uint64_t fileLength = container->fileLength;
    // Room for as many chunks as the file can hold (up to a bound), so that
    // the list and its index do not grow step by step.
    container->reserve(container->chunks.size() +
                       static_cast<std::size_t>(std::min<std::uint64_t>(
                           fileLength / kChunkHeaderSize, kParseReserveLimit)));
    std::vector<std::uint8_t> block;
    std::uint64_t blockStart = 0;
    std::uint64_t p = kIffHeaderSize;
    std::uint32_t lastTotal = 0;
    while (p < fileLength) {
        std::uint8_t raw[kChunkHeaderSize];
        if (p >= blockStart && p + kChunkHeaderSize <= blockStart + block.size()) {
            std::memcpy(raw, block.data() + (p - blockStart), kChunkHeaderSize);
        } else {
            // Behind a chunk larger than a block the next one is likely large
            // too: read its header alone rather than a block of its body.
            std::uint64_t want = lastTotal >= kScanBlockSize
                                     ? kChunkHeaderSize
                                     : std::min<std::uint64_t>(kScanBlockSize, fileLength - p);
            if (want < kChunkHeaderSize) {
                want = kChunkHeaderSize;
            }
            block.resize(static_cast<std::size_t>(want));
            blockStart = p;
            if (!backing.seek(p)) {
                break;
            }
            std::int64_t n = backing.read(block.data(), block.size());
            if (n < static_cast<std::int64_t>(kChunkHeaderSize)) {
                break;
            }
            block.resize(static_cast<std::size_t>(n));
            std::memcpy(raw, block.data(), kChunkHeaderSize);
        }
        std::uint32_t total = readBE32(raw + 4);
        if (total < kChunkHeaderSize || total > kMaxChunkTotalSize) {
            break;
        }
        std::uint16_t flags = readBE16(raw + 10);
        if ((flags & kFlagSkipped) == 0) {
            auto chunk = std::make_unique<IffChunk>();
            chunk->type = readBE32(raw);
            chunk->id = readBE16(raw + 8);
            chunk->flags = flags;
            const char* label = reinterpret_cast<const char*>(raw + 12);
            chunk->label.assign(label, strnlen(label, kLabelFieldSize));
            chunk->size = total - kChunkHeaderSize;
            chunk->dataOffset = static_cast<std::uint32_t>(p + kChunkHeaderSize);
            chunk->loaded = false;
            container->appendReplacing(std::move(chunk));
        }
        p += total;
        lastTotal = total;
        if (p + kChunkHeaderSize > 0xFFFFFFFFull) {
            break;  // offsets are 32-bit in the format
        }
    }
    return true;
}

bool IffFileTable::buildImage(int slot, std::vector<std::uint8_t>& image) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    for (const auto& chunk : container->chunks) {
        if (chunk->type != kTypeRsmp && !chunk->loaded) {
            return false;
        }
    }
    std::vector<std::uint8_t> out;
    std::vector<std::uint32_t> offsets(container->chunks.size(), 0);
    try {
        std::uint64_t estimate = kIffHeaderSize + 256;
        for (const auto& chunk : container->chunks) {
            // A map chunk is not written (and its body need not be loaded,
            // so its size field may be anything the file claims).
            if (chunk->type != kTypeRsmp) {
                estimate += kChunkHeaderSize + chunk->size + chunk->label.size() + 16;
            }
        }
        out.reserve(static_cast<std::size_t>(estimate));

        // Header: a file read as version 2.5 keeps its own signature bytes,
        // which other readers compare; everything else gets the template.
        const auto& tmpl = iffWriteTemplate();
        if (container->keepHeaderSignature) {
            out.insert(out.end(), container->header.begin(),
                       container->header.begin() + kSignatureLength);
        } else {
            out.insert(out.end(), tmpl.begin(), tmpl.begin() + kSignatureLength);
        }
        out.insert(out.end(), 4, 0);

        for (std::size_t i = 0; i < container->chunks.size(); ++i) {
            const IffChunk& chunk = *container->chunks[i];
            if (chunk.type == kTypeRsmp) {
                continue;
            }
            std::uint64_t h = out.size();
            if (h + kChunkHeaderSize + chunk.size > 0xFFFFFFFFull) {
                return false;
            }
            offsets[i] = static_cast<std::uint32_t>(h + kChunkHeaderSize);
            appendChunkHeader(out, chunk.type, chunk.size + kChunkHeaderSize, chunk.id, chunk.flags,
                              chunk.label);
            out.insert(out.end(), chunk.data.begin(), chunk.data.begin() + chunk.size);
        }

        // The map: one group per type in order of first appearance, entries
        // in list order, each padded to an even distance from the map header.
        std::uint32_t m = static_cast<std::uint32_t>(out.size());
        std::vector<std::uint32_t> groups;
        for (const auto& chunk : container->chunks) {
            if (chunk->type != kTypeRsmp &&
                std::find(groups.begin(), groups.end(), chunk->type) == groups.end()) {
                groups.push_back(chunk->type);
            }
        }
        appendChunkHeader(out, kTypeRsmp, 0, 0, kFlagLittleEndian, std::string());
        appendLE32(out, 0);  // reserved
        appendLE32(out, 0);  // map version
        out.push_back('p');
        out.push_back('m');
        out.push_back('s');
        out.push_back('r');
        appendLE32(out, 0);  // size, filled in below
        appendLE32(out, static_cast<std::uint32_t>(groups.size()));
        for (std::uint32_t type : groups) {
            std::uint32_t count = 0;
            for (const auto& chunk : container->chunks) {
                count += chunk->type == type ? 1 : 0;
            }
            appendLE32(out, type);
            appendLE32(out, count);
            for (std::size_t i = 0; i < container->chunks.size(); ++i) {
                const IffChunk& chunk = *container->chunks[i];
                if (chunk.type != type) {
                    continue;
                }
                appendLE32(out, offsets[i] - kChunkHeaderSize);
                appendLE16(out, chunk.id);
                appendLE16(out, chunk.flags);
                std::string text = writtenLabel(chunk.label);
                out.insert(out.end(), text.begin(), text.end());
                out.push_back(0);
                if ((out.size() - m) % 2 != 0) {
                    out.push_back(kMapPadByte);
                }
            }
        }
        std::uint32_t total = static_cast<std::uint32_t>(out.size() - m);
        writeBE32(out.data() + kIffMapOffsetField, m);
        writeBE32(out.data() + m + 4, total);
        writeLE32(out.data() + m + kChunkHeaderSize + 12, total);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (std::size_t i = 0; i < container->chunks.size(); ++i) {
        if (container->chunks[i]->type != kTypeRsmp) {
            container->chunks[i]->dataOffset = offsets[i];
        }
    }
    std::copy(out.begin(), out.begin() + kIffHeaderSize, container->header.begin());
    image.swap(out);
    return true;
}

bool IffFileTable::writeContainer(File* target, int slot) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    if (target != nullptr && target == container->backingFile.get() && container->writeProtected) {
        return false;
    }
    if (target == nullptr && !container->backingFile) {
        return false;
    }
    if (target == nullptr && savesToDisk(*container)) {
        // The game's file is replaced in one step: a failure at any point
        // leaves the old file as it was.
        StagedContainer staged;
        if (!stageContainer(slot, staged)) {
            return false;
        }
        if (!replaceWithStaged(slot, staged)) {
            fs_.deleteFile(staged.file.temporary);
            return false;
        }
        return true;
    }
    // Offsets change only once the bytes are safely written.
    std::vector<std::uint32_t> savedOffsets;
    savedOffsets.reserve(container->chunks.size());
    for (const auto& chunk : container->chunks) {
        savedOffsets.push_back(chunk->dataOffset);
    }
    auto header = container->header;
    auto restore = [&] {
        for (std::size_t i = 0; i < container->chunks.size(); ++i) {
            container->chunks[i]->dataOffset = savedOffsets[i];
        }
        container->header = header;
    };
    std::vector<std::uint8_t> image;
    if (!buildImage(slot, image)) {
        return false;
    }

    File* destination = target != nullptr ? target : container->backingFile.get();
    if (!destination->truncate(0) || !destination->seek(0) ||
        !destination->write(image.data(), image.size())) {
        restore();
        return false;
    }
    if (destination == container->backingFile.get()) {
        container->fileLength = image.size();
    }
    return true;
}

bool IffFileTable::savesToDisk(const IffFile& container) {
    return !container.inMemory && container.backingFile && !container.backingFile->path().empty();
}

bool IffFileTable::stageContainer(int slot, StagedContainer& staged) {
    staged = StagedContainer{};
    IffFile* container = file(slot);
    if (container == nullptr || !container->backingFile) {
        return false;
    }
    if (!savesToDisk(*container)) {
        return writeContainer(nullptr, slot);
    }
    // buildImage sets the offsets and header the image has; the container
    // keeps its own until the image is its file.
    std::vector<std::uint32_t> savedOffsets;
    std::vector<std::uint8_t> image;
    try {
        savedOffsets.reserve(container->chunks.size());
        for (const auto& chunk : container->chunks) {
            savedOffsets.push_back(chunk->dataOffset);
        }
        const auto header = container->header;
        if (!buildImage(slot, image)) {
            return false;
        }
        staged.offsets.reserve(container->chunks.size());
        for (std::size_t i = 0; i < container->chunks.size(); ++i) {
            staged.offsets.push_back(container->chunks[i]->dataOffset);
            container->chunks[i]->dataOffset = savedOffsets[i];
        }
        staged.header = container->header;
        container->header = header;
    } catch (const std::bad_alloc&) {
        if (savedOffsets.size() == container->chunks.size()) {
            for (std::size_t i = 0; i < container->chunks.size(); ++i) {
                container->chunks[i]->dataOffset = savedOffsets[i];
            }
        }
        staged = StagedContainer{};
        return false;
    }
    if (!writeTemporarySibling(fs_, container->backingFile->path(), image.data(), image.size(),
                               staged.file)) {
        staged = StagedContainer{};
        return false;
    }
    return true;
}

bool IffFileTable::replaceWithStaged(int slot, const StagedContainer& staged) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    if (staged.file.temporary.empty()) {
        return true;  // written where it lives
    }
    // Our own handle is closed first, since some systems refuse to replace
    // a file that is still open; afterwards the container goes on with the
    // new file (or, after a failure, with the old one opened again).
    const std::string& path = staged.file.target;
    container->backingFile.reset();
    const bool moved = fs_.replaceFile(staged.file.temporary, path);
    std::unique_ptr<File> reopened;
    try {
        reopened = fs_.open(path, OpenMode::ReadWrite);
        if (!reopened) {
            // Every body is in memory, so nothing is lost; the container keeps
            // the path and a later save tries the same file again.
            reopened = std::make_unique<PendingDiskFile>(path);
        }
    } catch (const std::bad_alloc&) {
        reopened.reset();
    }
    container->backingFile = std::move(reopened);
    if (!moved) {
        return false;
    }
    if (staged.offsets.size() == container->chunks.size()) {
        for (std::size_t i = 0; i < container->chunks.size(); ++i) {
            container->chunks[i]->dataOffset = staged.offsets[i];
        }
    }
    container->header = staged.header;
    container->fileLength = staged.file.size;
    return true;
}

bool IffFileTable::writeContainerToPath(const std::string& path, int slot) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    std::vector<std::uint32_t> savedOffsets;
    for (const auto& chunk : container->chunks) {
        savedOffsets.push_back(chunk->dataOffset);
    }
    auto header = container->header;
    std::vector<std::uint8_t> image;
    if (!buildImage(slot, image)) {
        return false;
    }
    if (!writeFileAtomically(fs_, path, image.data(), image.size())) {
        for (std::size_t i = 0; i < container->chunks.size(); ++i) {
            container->chunks[i]->dataOffset = savedOffsets[i];
        }
        container->header = header;
        return false;
    }
    return true;
}

bool IffFileTable::releaseFile(int slot, bool writeProtected) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    container->backingFile = std::make_unique<MemoryFile>();
    container->inMemory = true;
    container->writeProtected = writeProtected;
    container->fileLength = 0;
    return true;
}

bool IffFileTable::closeSlot(int slot) {
    if (!valid(slot)) {
        return false;
    }
    slots_[static_cast<std::size_t>(slot)].reset();
    return true;
}

bool IffFileTable::loadChunk(int slot, IffChunk& chunk) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    if (chunk.loaded) {
        return true;
    }
    if (!container->backingFile) {
        return false;
    }
    // A body that runs past the end of the file fails before anything is
    // allocated for it.
    std::int64_t length = container->backingFile->length();
    if (length < 0 || std::uint64_t(chunk.dataOffset) + chunk.size > std::uint64_t(length)) {
        return false;
    }
    if (!chunk.setSize(chunk.size)) {
        return false;
    }
    if (!container->backingFile->seek(chunk.dataOffset) ||
        !container->backingFile->readExact(chunk.data.data(), chunk.size)) {
        return false;
    }
    chunk.loaded = true;
    return true;
}

bool IffFileTable::loadAll(int slot) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    // Neighbouring bodies are read together: one read brings in a run of
    // chunks that follow each other in the list and in the file (their
    // headers in between), and each body is copied out of it. The outcome
    // is that of loading the chunks one by one in list order: the first
    // chunk that cannot be loaded stops the loop, the ones before it stay
    // loaded.
    auto& chunks = container->chunks;
    std::int64_t length = -1;
    std::unique_ptr<std::uint8_t[]> run;
    std::size_t runCapacity = 0;
    std::size_t i = 0;
    while (i < chunks.size()) {
        IffChunk& first = *chunks[i];
        if (first.loaded) {
            ++i;
            continue;
        }
        if (!container->backingFile) {
            return false;
        }
        if (length < 0) {
            length = container->backingFile->length();
            if (length < 0) {
                return false;
            }
        }
        const auto fileLength = static_cast<std::uint64_t>(length);
        const std::uint64_t start = first.dataOffset;
        std::uint64_t end = start + first.size;
        std::size_t next = i + 1;
        while (next < chunks.size() && end <= fileLength) {
            const IffChunk& candidate = *chunks[next];
            const std::uint64_t candidateEnd = std::uint64_t{candidate.dataOffset} + candidate.size;
            if (candidate.loaded || candidate.dataOffset < end ||
                candidate.dataOffset - end > kLoadRunMaxGap || candidateEnd > fileLength ||
                candidateEnd - start > kLoadRunSize) {
                break;
            }
            end = candidateEnd;
            ++next;
        }
        if (next == i + 1 || end > fileLength) {
            // A lone chunk (or one whose body runs past the end, which fails).
            if (!loadChunk(slot, first)) {
                return false;
            }
            ++i;
            continue;
        }
        const auto runSize = static_cast<std::size_t>(end - start);
        bool haveRoom = true;
        if (runSize > runCapacity) {
            try {
                run = std::make_unique_for_overwrite<std::uint8_t[]>(runSize);
                runCapacity = runSize;
            } catch (const std::bad_alloc&) {
                run.reset();
                runCapacity = 0;
                haveRoom = false;
            }
        }
        File& backing = *container->backingFile;
        if (!haveRoom || !backing.seek(start) || !backing.readExact(run.get(), runSize)) {
            // Chunk by chunk instead, with the single loads' checks.
            if (!loadChunk(slot, first)) {
                return false;
            }
            ++i;
            continue;
        }
        for (; i < next; ++i) {
            IffChunk& chunk = *chunks[i];
            if (!chunk.setSize(chunk.size)) {
                return false;
            }
            if (chunk.size > 0) {
                std::memcpy(chunk.data.data(), run.get() + (chunk.dataOffset - start), chunk.size);
            }
            chunk.loaded = true;
        }
    }
    return true;
}

IffChunk* IffFileTable::addChunkBytes(int slot, std::uint32_t type, std::uint16_t id,
                                      const std::string& label, const std::uint8_t* bytes,
                                      std::size_t size) {
    IffFile* container = file(slot);
    if (container == nullptr || size > kMaxChunkTotalSize) {
        return nullptr;
    }
    std::unique_ptr<IffChunk> chunk;
    try {
        chunk = std::make_unique<IffChunk>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    chunk->type = type;
    chunk->id = id;
    chunk->label = label;
    chunk->flags = kFlagLittleEndian;
    chunk->dataOffset = 0;
    if (!chunk->setSize(static_cast<std::uint32_t>(size))) {
        return nullptr;
    }
    if (size > 0) {
        std::memcpy(chunk->data.data(), bytes, size);
    }
    chunk->loaded = true;
    IffChunk* raw = chunk.get();
    container->appendReplacing(std::move(chunk));
    return raw;
}

IffChunk* IffFileTable::addChunk(int slot, std::uint32_t type, std::uint16_t id,
                                 const std::string& label, File& source) {
    if (!valid(slot)) {
        return nullptr;
    }
    std::int64_t length = source.length();
    if (length < 0 || length > kMaxChunkTotalSize) {
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(length));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    // A short read of the source goes unnoticed: the rest stays zero.
    if (source.seek(0) && !bytes.empty()) {
        source.read(bytes.data(), bytes.size());
    }
    return addChunkBytes(slot, type, id, label, bytes.data(), bytes.size());
}

bool IffFileTable::removeChunk(int slot, std::uint32_t type, std::uint16_t id) {
    IffFile* container = file(slot);
    if (container == nullptr) {
        return false;
    }
    long index = container->indexOf(type, id);
    if (index < 0) {
        return false;
    }
    return container->removeAt(static_cast<std::size_t>(index));
}

// --- IffView ------------------------------------------------------------------

IffView::IffView(IffFileTable& table) : table_(table) {
    slot_ = table_.createEmpty(true);
    owned_ = true;
    rebuildTypes();
}

IffView::~IffView() {
    if (owned_ && table_.valid(slot_)) {
        table_.closeSlot(slot_);
    }
}

void IffView::rebuildTypes() {
    types_.clear();
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return;
    }
    for (const auto& chunk : container->chunks) {
        if (std::find(types_.begin(), types_.end(), chunk->type) == types_.end()) {
            types_.push_back(chunk->type);
        }
    }
}

bool IffView::attach(int slot) {
    if (!table_.valid(slot)) {
        return false;
    }
    if (owned_ && slot != slot_ && table_.valid(slot_)) {
        table_.closeSlot(slot_);
    }
    slot_ = slot;
    owned_ = false;
    rebuildTypes();
    return true;
}

bool IffView::reset() {
    if (!table_.closeSlot(slot_)) {
        return false;
    }
    owned_ = true;
    slot_ = table_.createEmpty(true);
    rebuildTypes();
    return true;
}

bool IffView::closeAndReset() {
    if (table_.valid(slot_)) {
        table_.closeSlot(slot_);
    }
    owned_ = true;
    slot_ = table_.createEmpty(true);
    rebuildTypes();
    return slot_ != 0;
}

bool IffView::releaseFile(bool writeProtected) {
    return table_.releaseFile(slot_, writeProtected);
}

bool IffView::openInto(File& file, IffParseError* error) {
    std::string name = paths::fileName(file.path());
    int slot = table_.openFile(file, name, false);
    if (slot == 0) {
        return false;
    }
    if (!attach(slot)) {
        table_.closeSlot(slot);
        return false;
    }
    if (!table_.parse(slot_, error)) {
        return false;
    }
    rebuildTypes();
    return true;
}

bool IffView::writeTo(File* target) {
    return table_.writeContainer(target, slot_);
}

bool IffView::stage(StagedContainer& staged) {
    return table_.stageContainer(slot_, staged);
}

bool IffView::replaceWithStaged(const StagedContainer& staged) {
    return table_.replaceWithStaged(slot_, staged);
}

IffChunk* IffView::find(std::uint32_t type, std::uint16_t id) {
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return nullptr;
    }
    long index = container->indexOf(type, id);
    return index < 0 ? nullptr : container->chunks[static_cast<std::size_t>(index)].get();
}

IffView::Position IffView::firstOfType(std::uint32_t type) {
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < container->chunks.size(); ++i) {
        if (container->chunks[i]->type == type) {
            return i;
        }
    }
    return std::nullopt;
}

IffChunk* IffView::nextOfType(std::uint32_t type, Position& position) {
    IffFile* container = table_.file(slot_);
    if (container == nullptr || !position || *position >= container->chunks.size()) {
        position.reset();
        return nullptr;
    }
    IffChunk* current = container->chunks[*position].get();
    Position next;
    for (std::size_t i = *position + 1; i < container->chunks.size(); ++i) {
        if (container->chunks[i]->type == type) {
            next = i;
            break;
        }
    }
    position = next;
    return current;
}

IffChunk* IffView::lowestIdOfType(std::uint32_t type) {
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return nullptr;
    }
    IffChunk* lowest = nullptr;
    for (const auto& chunk : container->chunks) {
        if (chunk->type == type && (lowest == nullptr || chunk->id < lowest->id)) {
            lowest = chunk.get();
        }
    }
    return lowest;
}

IffChunk* IffView::nextIdOfType(std::uint32_t type, IffChunk*& current) {
    IffChunk* result = current;
    IffFile* container = table_.file(slot_);
    if (container == nullptr || current == nullptr) {
        current = nullptr;
        return result;
    }
    IffChunk* next = nullptr;
    for (const auto& chunk : container->chunks) {
        if (chunk->type == type && chunk->id > result->id &&
            (next == nullptr || chunk->id < next->id)) {
            next = chunk.get();
        }
    }
    current = next;
    return result;
}

std::size_t IffView::countOfType(std::uint32_t type, bool loadedOnly) {
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return 0;
    }
    std::size_t count = 0;
    for (const auto& chunk : container->chunks) {
        if (chunk->type == type && (!loadedOnly || chunk->loaded)) {
            ++count;
        }
    }
    return count;
}

std::vector<IffChunk*> IffView::chunksOfType(std::uint32_t type) {
    std::vector<IffChunk*> result;
    IffFile* container = table_.file(slot_);
    if (container == nullptr) {
        return result;
    }
    for (const auto& chunk : container->chunks) {
        if (chunk->type == type) {
            result.push_back(chunk.get());
        }
    }
    return result;
}

std::vector<IffChunk*> IffView::chunksOfTypeById(std::uint32_t type) {
    std::vector<IffChunk*> result = chunksOfType(type);
    std::sort(result.begin(), result.end(),
              [](const IffChunk* a, const IffChunk* b) { return a->id < b->id; });
    return result;
}

bool IffView::loadChunk(IffChunk& chunk) {
    return table_.loadChunk(slot_, chunk);
}

bool IffView::loadAll() {
    return table_.loadAll(slot_);
}

bool IffView::copyChunkTo(IffChunk& chunk, File& destination) {
    if (!loadChunk(chunk)) {
        return false;
    }
    return destination.write(chunk.data.data(), chunk.size);
}

bool IffView::copyChunkTo(std::uint32_t type, std::uint16_t id, File& destination) {
    IffChunk* chunk = find(type, id);
    return chunk != nullptr && copyChunkTo(*chunk, destination);
}

bool IffView::add(std::uint32_t type, std::uint16_t id, const std::string& label, File& source) {
    if (table_.addChunk(slot_, type, id, label, source) == nullptr) {
        return false;
    }
    rebuildTypes();
    return true;
}

bool IffView::addBytes(std::uint32_t type, std::uint16_t id, const std::string& label,
                       const std::uint8_t* bytes, std::size_t size) {
    if (table_.addChunkBytes(slot_, type, id, label, bytes, size) == nullptr) {
        return false;
    }
    rebuildTypes();
    return true;
}

bool IffView::remove(std::uint32_t type, std::uint16_t id) {
    if (!table_.removeChunk(slot_, type, id)) {
        return false;
    }
    rebuildTypes();
    return true;
}

}  // namespace jf
