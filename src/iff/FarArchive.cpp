#include "iff/FarArchive.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf {

namespace {

// Smallest possible directory entry: three 32-bit values, a 16-bit name length
// and an empty name.
constexpr std::uint64_t kMinEntrySize = 4 + 4 + 4 + 2;
constexpr std::uint32_t kShortLengthMask = 0xFFFF0000u;
constexpr std::uint32_t kLowHalfMask = 0x0000FFFFu;
constexpr std::uint64_t kShortLengthSize = 2;

// Reads exactly n bytes, accepting reads that deliver fewer bytes at a time.
bool readFully(File& file, void* buffer, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        const std::int64_t got = file.read(out, n);
        if (got <= 0) {
            return false;
        }
        out += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

// The header fields, read straight from the archive file.
struct HeaderSource {
    File& file;
    bool readExact(void* buffer, std::size_t n) { return readFully(file, buffer, n); }
};

// Reads the directory through a block buffer: the directory is a long run of
// small fields, and one File read per field would cost a system call each.
// The buffer may read up to one block beyond the directory's end.
class DirectoryReader {
public:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    DirectoryReader(File& file, std::uint64_t position) : file_(file), position_(position) {}

    std::uint64_t tell() const { return position_; }
    void seek(std::uint64_t position) { position_ = position; }

    bool readExact(void* buffer, std::size_t n) {
        auto* out = static_cast<std::uint8_t*>(buffer);
        while (n > 0) {
            if (position_ < blockStart_ || position_ >= blockStart_ + blockFilled_) {
                if (!refill()) {
                    return false;
                }
            }
            const std::size_t offset = static_cast<std::size_t>(position_ - blockStart_);
            const std::size_t count = std::min(n, blockFilled_ - offset);
            std::memcpy(out, block_.data() + offset, count);
            out += count;
            n -= count;
            position_ += count;
        }
        return true;
    }

private:
    bool refill() {
        if (block_.empty()) {
            block_.resize(kBlockSize);
        }
        blockFilled_ = 0;
        if (!file_.seek(position_) || file_.tell() != position_) {
            return false;
        }
        const std::int64_t got = file_.read(block_.data(), block_.size());
        if (got <= 0) {
            return false;
        }
        blockStart_ = position_;
        blockFilled_ = static_cast<std::size_t>(got);
        return true;
    }

    File& file_;
    std::uint64_t position_ = 0;
    std::vector<std::uint8_t> block_;
    std::uint64_t blockStart_ = 0;
    std::size_t blockFilled_ = 0;
};

template <typename Source>
bool readU32(Source& source, std::uint32_t& value) {
    std::uint8_t bytes[4];
    if (!source.readExact(bytes, sizeof bytes)) {
        return false;
    }
    value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
            (static_cast<std::uint32_t>(bytes[2]) << 16) |
            (static_cast<std::uint32_t>(bytes[3]) << 24);
    return true;
}

template <typename Source>
bool readU16(Source& source, std::uint32_t& value) {
    std::uint8_t bytes[2];
    if (!source.readExact(bytes, sizeof bytes)) {
        return false;
    }
    value = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8);
    return true;
}

// Seeks and verifies that the cursor stands exactly at `position`.
bool seekExactly(File& file, std::uint64_t position) {
    return file.seek(position) && file.tell() == position;
}

}  // namespace

bool FarArchive::readDirectory(File& file) {
    // A new directory invalidates every cached buffer of the previous one.
    entries_.clear();
    cache_.clear();
    file_.reset();
    shortNameLengths_ = false;
    version_ = 0;
    directoryOffset_ = 0;
    try {
        if (!file.seek(0)) {
            return false;
        }
        file_ = file.duplicate();
        if (!file_ || !seekExactly(*file_, 0)) {
            return false;
        }
        const std::int64_t signedLength = file_->length();
        if (signedLength < 0) {
            return false;  // without a length no read can be bounded
        }
        const std::uint64_t fileLength = static_cast<std::uint64_t>(signedLength);

        char magic[sizeof kMagic];
        HeaderSource header{*file_};
        if (!header.readExact(magic, sizeof magic) || !readU32(header, version_) ||
            !readU32(header, directoryOffset_)) {
            return false;
        }
        if (std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
            return false;
        }
        if (directoryOffset_ > fileLength || !seekExactly(*file_, directoryOffset_)) {
            return false;
        }
        DirectoryReader reader(*file_, directoryOffset_);
        std::uint32_t count = 0;
        if (!readU32(reader, count)) {
            return false;
        }
        // The count comes from the file: reserve only what the remaining bytes
        // can possibly hold; a lying count then fails on the first short read.
        const std::uint64_t remaining = fileLength - reader.tell();
        entries_.reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>(count, remaining / kMinEntrySize)));

        for (std::uint32_t i = 0; i < count; ++i) {
            FarEntry entry;
            if (!readU32(reader, entry.unusedSize) || !readU32(reader, entry.dataLength) ||
                !readU32(reader, entry.dataOffset)) {
                return false;
            }
            if (shortNameLengths_) {
                if (!readU16(reader, entry.nameLength)) {
                    return false;
                }
            } else {
                if (!readU32(reader, entry.nameLength)) {
                    return false;
                }
                if ((entry.nameLength & kShortLengthMask) != 0) {
                    // 16-bit name lengths: the upper half just read is the
                    // start of the name.
                    entry.nameLength &= kLowHalfMask;
                    reader.seek(reader.tell() - kShortLengthSize);
                    shortNameLengths_ = true;
                }
            }
            // The name must fit in what is left of the file before it is allocated.
            const std::uint64_t position = reader.tell();
            if (position > fileLength || entry.nameLength > fileLength - position) {
                return false;
            }
            entry.name.resize(entry.nameLength);
            if (entry.nameLength > 0 && !reader.readExact(entry.name.data(), entry.nameLength)) {
                return false;
            }
            entries_.push_back(std::move(entry));
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool FarArchive::loadEntry(std::size_t index) {
    if (index >= entries_.size()) {
        return false;
    }
    FarEntry& entry = entries_[index];
    if (entry.cacheIndex >= 0) {
        return true;
    }
    if (!file_) {
        return false;
    }
    try {
        const std::int64_t signedLength = file_->length();
        if (signedLength < 0) {
            return false;
        }
        const std::uint64_t fileLength = static_cast<std::uint64_t>(signedLength);
        const std::uint64_t end = static_cast<std::uint64_t>(entry.dataOffset) +
                                  static_cast<std::uint64_t>(entry.dataLength);
        if (end > fileLength || !seekExactly(*file_, entry.dataOffset)) {
            return false;
        }
        std::vector<std::uint8_t> bytes(entry.dataLength);
        if (!readFully(*file_, bytes.data(), bytes.size())) {
            return false;  // the buffer is released on return
        }
        cache_.push_back(std::move(bytes));
        entry.cacheIndex = static_cast<int>(cache_.size() - 1);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const std::vector<std::uint8_t>* FarArchive::entryBytes(std::size_t index) const {
    if (index >= entries_.size()) {
        return nullptr;
    }
    const int cacheIndex = entries_[index].cacheIndex;
    if (cacheIndex < 0 || static_cast<std::size_t>(cacheIndex) >= cache_.size()) {
        return nullptr;
    }
    return &cache_[static_cast<std::size_t>(cacheIndex)];
}

bool FarArchive::extractEntry(std::size_t index, File& destination) {
    if (!loadEntry(index)) {
        return false;
    }
    const std::vector<std::uint8_t>* bytes = entryBytes(index);
    if (bytes == nullptr) {
        return false;
    }
    return destination.write(bytes->data(), bytes->size());
}

// Names match ignoring the case of ASCII letters only; every other byte,
// including those of multibyte characters, must be equal.
long FarArchive::findEntry(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (paths::equalsIgnoreCase(entries_[i].name, name)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

void FarArchive::release() {
    file_.reset();
    cache_.clear();
    entries_.clear();
    shortNameLengths_ = false;
}

bool findInFolderArchives(FileSystem& fs, const std::string& folder, const std::string& name,
                          FarArchive& archive, std::size_t& index) {
    try {
        const std::vector<std::string> archives = fs.listArchives(folder);
        for (const std::string& archiveName : archives) {
            std::unique_ptr<File> file = fs.open(paths::join(folder, archiveName), OpenMode::Read);
            if (!file) {
                continue;
            }
            // The archive keeps its own duplicate; our handle closes on return.
            if (!archive.readDirectory(*file)) {
                continue;
            }
            const long found = archive.findEntry(name);
            if (found >= 0) {
                index = static_cast<std::size_t>(found);
                return true;
            }
        }
    } catch (const std::exception&) {
        // fall through: no match
    }
    archive.release();
    return false;
}

}  // namespace jf
