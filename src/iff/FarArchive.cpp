#include "iff/FarArchive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <exception>
#include <limits>

#include "platform/ByteOrder.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf {

namespace {

// The fixed part of a directory entry: three 32-bit values (unused size,
// data length, data offset), then the name length, 4 or 2 bytes wide.
constexpr std::uint64_t kEntryFieldsSize = 12;
constexpr std::uint64_t kLongLengthSize = 4;
constexpr std::uint64_t kShortLengthSize = 2;
constexpr std::uint64_t kCountSize = 4;
// Smallest possible directory entry: the fields, a 16-bit name length and an
// empty name.
constexpr std::uint64_t kMinEntrySize = kEntryFieldsSize + kShortLengthSize;
constexpr std::uint32_t kShortLengthMask = 0xFFFF0000u;
// The directory is read in one go when the rest of the file is no larger
// than this (the game's archives keep it at the end, so the rest of the file
// is the directory); beyond it the buffer grows as the entries need.
constexpr std::uint64_t kWholeDirectoryReadLimit = 16u << 20;
// Entry positions are held as 32-bit offsets into the directory's bytes.
constexpr std::uint64_t kMaxDirectoryBytes = 0xFFFFFFFFu;
// Directories with fewer entries are walked in one run (see locateInTwoRuns).
constexpr std::uint32_t kTwoRunMinEntries = 256;

constexpr std::uint64_t kWordOnes = 0x0101010101010101ull;

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

// Seeks and verifies that the cursor stands exactly at `position`.
bool seekExactly(File& file, std::uint64_t position) {
    return file.seek(position) && file.tell() == position;
}

std::uint64_t loadWord(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Eight bytes with the ASCII capitals turned into small letters and every
// other byte left alone, so that two words are equal ignoring ASCII case
// exactly when their folded forms are equal.
std::uint64_t foldWord(std::uint64_t word) {
    const std::uint64_t low7 = word & (0x7F * kWordOnes);
    // Bit 7 of each byte: its low seven bits are >= 'A' / > 'Z' (no carry
    // crosses a byte, since every sum stays below 0x100).
    const std::uint64_t atLeastA = low7 + (0x80 - 'A') * kWordOnes;
    const std::uint64_t aboveZ = low7 + (0x80 - 'Z' - 1) * kWordOnes;
    const std::uint64_t capital = atLeastA & ~aboveZ & ~word & (0x80 * kWordOnes);
    return word | (capital >> 2);  // bit 7 -> bit 5, the case bit
}

std::uint8_t foldByte(std::uint8_t c) {
    return c >= 'A' && c <= 'Z' ? static_cast<std::uint8_t>(c - 'A' + 'a') : c;
}

// findEntry tests this many entries at a time.
constexpr std::size_t kFindBlock = 8;

// The key findEntry compares first: the last eight bytes of a name of eight
// or more bytes with bit 5 set in each, condensed to 32 bits; 0 for shorter
// names. Bytes equal ignoring ASCII case are equal once bit 5 (the case bit
// of the letters) is set, so names that match always have equal keys.
// `nameEnd` points just behind the name.
std::uint32_t nameKey(const std::uint8_t* nameEnd, std::size_t length) {
    if (length < sizeof(std::uint64_t)) {
        return 0;
    }
    const std::uint64_t tail = loadWord(nameEnd - sizeof(std::uint64_t)) | (0x20 * kWordOnes);
    return static_cast<std::uint32_t>(tail ^ (tail >> 32));
}

bool equalIgnoringAsciiCase(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= n; i += sizeof(std::uint64_t)) {
        if (foldWord(loadWord(a + i)) != foldWord(loadWord(b + i))) {
            return false;
        }
    }
    for (; i < n; ++i) {
        if (foldByte(a[i]) != foldByte(b[i])) {
            return false;
        }
    }
    return true;
}

// Whether four entries with 4-byte name lengths in a row could start at
// `position` of a directory of `size` bytes: short names and data inside the
// file. Only a guess: locateInTwoRuns confirms it before using it.
bool plausibleEntriesAt(const std::uint8_t* bytes, std::uint64_t size, std::uint64_t position,
                        std::uint64_t fileLength) {
    constexpr int kEntriesChecked = 4;
    constexpr std::uint32_t kLongestLikelyName = 1024;
    for (int k = 0; k < kEntriesChecked; ++k) {
        const std::uint64_t lengthField = position + kEntryFieldsSize;
        if (lengthField + kLongLengthSize > size) {
            return false;
        }
        const std::uint32_t dataLength = readLE32(bytes + position + 4);
        const std::uint32_t dataOffset = readLE32(bytes + position + 8);
        const std::uint32_t nameLength = readLE32(bytes + lengthField);
        if (nameLength > kLongestLikelyName || dataOffset < FarArchive::kHeaderSize ||
            std::uint64_t{dataOffset} + dataLength > fileLength) {
            return false;
        }
        position = lengthField + kLongLengthSize + nameLength;
        if (position > size) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool FarArchive::readDirectory(File& file) {
    // A new directory invalidates every cached buffer of the previous one.
    release();
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
        fileLength_ = static_cast<std::uint64_t>(signedLength);

        std::uint8_t header[kHeaderSize];
        if (!readFully(*file_, header, sizeof header)) {
            return false;
        }
        version_ = readLE32(header + sizeof kMagic);
        directoryOffset_ = readLE32(header + sizeof kMagic + 4);
        if (std::memcmp(header, kMagic, sizeof kMagic) != 0) {
            return false;
        }
        if (directoryOffset_ > fileLength_) {
            return false;
        }
        return locateEntries(fileLength_);
    } catch (const std::exception&) {
        return false;
    }
}

bool FarArchive::ensureDirectoryBytes(std::uint64_t end, std::uint64_t available) {
    if (end <= directoryFilled_) {
        return true;
    }
    if (end > available) {
        return false;
    }
    if (end > directoryCapacity_) {
        std::uint64_t capacity = directoryCapacity_ == 0
                                     ? std::min(available, kWholeDirectoryReadLimit)
                                     : std::min(available, 2 * std::uint64_t{directoryCapacity_});
        capacity = std::max(capacity, end);
        if (capacity > std::numeric_limits<std::size_t>::max()) {
            return false;
        }
        auto grown =
            std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(capacity));
        if (directoryFilled_ > 0) {
            std::memcpy(grown.get(), directoryBytes_.get(), directoryFilled_);
        }
        directoryBytes_ = std::move(grown);
        directoryCapacity_ = static_cast<std::size_t>(capacity);
    }
    const std::size_t target = directoryCapacity_;
    if (!seekExactly(*file_, std::uint64_t{directoryOffset_} + directoryFilled_) ||
        !readFully(*file_, directoryBytes_.get() + directoryFilled_, target - directoryFilled_)) {
        return false;
    }
    directoryFilled_ = target;
    return true;
}

void FarArchive::LocatedList::reserve(std::size_t needed) {
    if (needed <= capacity) {
        return;
    }
    const std::size_t grown = std::max(needed, 2 * capacity);
    auto larger = std::make_unique_for_overwrite<LocatedEntry[]>(grown);
    if (count > 0) {
        std::memcpy(larger.get(), items.get(), count * sizeof(LocatedEntry));
    }
    items = std::move(larger);
    capacity = grown;
}

void FarArchive::LocatedList::clear() {
    items.reset();
    count = 0;
    capacity = 0;
}

bool FarArchive::locateEntries(std::uint64_t fileLength) {
    const std::uint64_t available =
        std::min<std::uint64_t>(fileLength - directoryOffset_, kMaxDirectoryBytes);
    if (!ensureDirectoryBytes(kCountSize, available)) {
        return false;
    }
    const std::uint32_t count = readLE32(directoryBytes_.get());

    // The whole directory is normally in memory after the first read, so
    // the bounds check is inline and the buffer grows only when it fails.
    // The list always has room for every entry the bytes in memory can
    // hold (at least kMinEntrySize bytes each), and no more than the count
    // from the file: a lying count fails at the end of the bytes.
    const std::uint8_t* bytes = directoryBytes_.get();
    std::uint64_t filled = directoryFilled_;
    std::uint64_t position = kCountSize;
    auto makeRoom = [&] {
        const std::uint64_t fitting = (filled - position) / kMinEntrySize + 1;
        located_.reserve(located_.count + static_cast<std::size_t>(std::min<std::uint64_t>(
                                              fitting, std::uint64_t{count} - located_.count)));
    };
    auto have = [&](std::uint64_t end) {
        if (end <= filled) {
            return true;
        }
        if (!ensureDirectoryBytes(end, available)) {
            return false;
        }
        bytes = directoryBytes_.get();
        filled = directoryFilled_;
        makeRoom();
        return true;
    };
    // Adds the entry whose name starts at nameStart once the whole name is
    // known to lie inside the file (and so inside the bytes read).
    auto add = [&](std::uint64_t nameStart, std::uint32_t nameLength) {
        const std::uint64_t nameEnd = nameStart + nameLength;
        if (!have(nameEnd)) {
            return false;
        }
        located_.items[located_.count++] = {static_cast<std::uint32_t>(nameStart), nameLength,
                                            nameKey(bytes + nameEnd, nameLength)};
        position = nameEnd;
        return true;
    };
    makeRoom();
    if (count >= kTwoRunMinEntries && filled == available) {
        locateInTwoRuns(bytes, filled, fileLength, count, position);
    }
    // 4-byte name lengths, until a length's upper half is not zero: then the
    // lengths are 16 bits wide, that upper half is the start of the name,
    // and every later entry has a 16-bit length too.
    while (!shortNameLengths_ && located_.count < count) {
        const std::uint64_t lengthField = position + kEntryFieldsSize;
        if (!have(lengthField + kLongLengthSize)) {
            return false;
        }
        const std::uint32_t length = readLE32(bytes + lengthField);
        if ((length & kShortLengthMask) != 0) {
            shortNameLengths_ = true;
            firstShortEntry_ = located_.count;
        } else if (!add(lengthField + kLongLengthSize, length)) {
            return false;
        }
    }
    while (located_.count < count) {
        const std::uint64_t lengthField = position + kEntryFieldsSize;
        if (!have(lengthField + kShortLengthSize) ||
            !add(lengthField + kShortLengthSize, readLE16(bytes + lengthField))) {
            return false;
        }
    }
    return true;
}

// Each entry's position depends on the previous entry's name length, so a
// plain walk waits for one memory load per entry. Here a second walk starts
// from a guessed entry in the middle of the directory and runs interleaved
// with the first, which roughly halves that wait. The guess is trusted only
// when the first walk arrives exactly at it: from there both walks would
// read the same entries. Anything unusual (a 16-bit name length, a name
// past the end, a missed guess) ends the second walk or drops it, and the
// caller's plain walk goes on from `position`, which always stands behind
// the entries added so far. Called with the whole directory in memory
// (`size` bytes) and room in the list for every entry it can hold.
void FarArchive::locateInTwoRuns(const std::uint8_t* bytes, std::uint64_t size,
                                 std::uint64_t fileLength, std::uint32_t count,
                                 std::uint64_t& position) {
    constexpr std::uint64_t kGuessWindow = 4096;
    std::uint64_t second = size / 2;
    const std::uint64_t lastGuess = std::min(size, second + kGuessWindow);
    while (second < lastGuess && !plausibleEntriesAt(bytes, size, second, fileLength)) {
        ++second;
    }
    if (second >= lastGuess || second <= position) {
        return;
    }
    const std::size_t aheadRoom = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, (size - second) / kMinEntrySize + 1));
    auto ahead = std::make_unique_for_overwrite<LocatedEntry[]>(aheadRoom);
    std::size_t aheadCount = 0;
    std::uint64_t secondEnd = second;
    bool secondRunning = true;
    LocatedEntry* out = located_.items.get();
    std::size_t index = located_.count;
    std::uint64_t first = position;
    while (first < second && index < count) {
        const std::uint64_t lengthField = first + kEntryFieldsSize;
        if (lengthField + kLongLengthSize > size) {
            break;
        }
        const std::uint32_t length = readLE32(bytes + lengthField);
        const std::uint64_t nameEnd = lengthField + kLongLengthSize + length;
        if ((length & kShortLengthMask) != 0 || nameEnd > size) {
            break;
        }
        out[index++] = {static_cast<std::uint32_t>(lengthField + kLongLengthSize), length,
                        nameKey(bytes + nameEnd, length)};
        first = nameEnd;

        if (secondRunning) {
            const std::uint64_t aheadField = secondEnd + kEntryFieldsSize;
            if (aheadField + kLongLengthSize > size || aheadCount == aheadRoom) {
                secondRunning = false;
                continue;
            }
            const std::uint32_t aheadLength = readLE32(bytes + aheadField);
            const std::uint64_t aheadEnd = aheadField + kLongLengthSize + aheadLength;
            if ((aheadLength & kShortLengthMask) != 0 || aheadEnd > size) {
                secondRunning = false;
                continue;
            }
            ahead[aheadCount++] = {static_cast<std::uint32_t>(aheadField + kLongLengthSize),
                                   aheadLength, nameKey(bytes + aheadEnd, aheadLength)};
            secondEnd = aheadEnd;
        }
    }
    located_.count = index;
    position = first;
    if (first != second) {
        return;  // the guess was not an entry of this directory (or the count ended first)
    }
    const std::size_t taken = std::min<std::size_t>(aheadCount, count - index);
    if (taken == 0) {
        return;
    }
    std::memcpy(out + index, ahead.get(), taken * sizeof(LocatedEntry));
    located_.count = index + taken;
    const LocatedEntry& last = out[located_.count - 1];
    position = std::uint64_t{last.nameStart} + last.nameLength;
}

std::size_t FarArchive::recordStart(std::size_t index) const {
    const bool shortLength = shortNameLengths_ && index >= firstShortEntry_;
    return located_[index].nameStart - kEntryFieldsSize -
           (shortLength ? kShortLengthSize : kLongLengthSize);
}

FarEntry FarArchive::entryAt(std::size_t index) const {
    const std::uint8_t* record = directoryBytes_.get() + recordStart(index);
    FarEntry entry;
    entry.unusedSize = readLE32(record);
    entry.dataLength = readLE32(record + 4);
    entry.dataOffset = readLE32(record + 8);
    entry.nameLength = located_[index].nameLength;
    entry.name.assign(
        reinterpret_cast<const char*>(directoryBytes_.get() + located_[index].nameStart),
        located_[index].nameLength);
    const auto cached = cacheIndexOf_.find(index);
    entry.cacheIndex = cached == cacheIndexOf_.end() ? -1 : cached->second;
    return entry;
}

const std::vector<FarEntry>& FarArchive::entries() const {
    if (!entriesBuilt_) {
        entries_.clear();
        entries_.reserve(located_.size());
        for (std::size_t i = 0; i < located_.size(); ++i) {
            entries_.push_back(entryAt(i));
        }
        entriesBuilt_ = true;
    }
    return entries_;
}

bool FarArchive::loadEntry(std::size_t index) {
    if (index >= located_.size()) {
        return false;
    }
    if (cacheIndexOf_.count(index) != 0) {
        return true;
    }
    if (!file_) {
        return false;
    }
    try {
        // The length taken when the directory was read: the archive is open
        // without other writers, and a file cut short since then only makes
        // the read below fail.
        const std::uint64_t fileLength = fileLength_;
        const std::uint8_t* record = directoryBytes_.get() + recordStart(index);
        const std::uint32_t dataLength = readLE32(record + 4);
        const std::uint32_t dataOffset = readLE32(record + 8);
        const std::uint64_t end =
            static_cast<std::uint64_t>(dataOffset) + static_cast<std::uint64_t>(dataLength);
        if (end > fileLength || !seekExactly(*file_, dataOffset)) {
            return false;
        }
        std::vector<std::uint8_t> bytes(dataLength);
        if (!readFully(*file_, bytes.data(), bytes.size())) {
            return false;  // the buffer is released on return
        }
        cache_.push_back(std::move(bytes));
        const int cacheIndex = static_cast<int>(cache_.size() - 1);
        cacheIndexOf_.emplace(index, cacheIndex);
        if (entriesBuilt_) {
            entries_[index].cacheIndex = cacheIndex;
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const std::vector<std::uint8_t>* FarArchive::entryBytes(std::size_t index) const {
    const auto cached = cacheIndexOf_.find(index);
    if (cached == cacheIndexOf_.end() || cached->second < 0 ||
        static_cast<std::size_t>(cached->second) >= cache_.size()) {
        return nullptr;
    }
    return &cache_[static_cast<std::size_t>(cached->second)];
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
// including those of multibyte characters, must be equal (as
// paths::equalsIgnoreCase). Names in one archive share long folder prefixes,
// so candidates are first told apart by length and by the key of their
// last eight bytes, both kept beside the entry positions.
long FarArchive::findEntry(const std::string& name) const {
    const std::size_t length = name.size();
    const auto* wanted = reinterpret_cast<const std::uint8_t*>(name.data());
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        return -1;
    }
    const std::uint32_t wantedKey = nameKey(wanted + length, length);
    const auto wantedLength = static_cast<std::uint32_t>(length);
    const LocatedEntry* const items = located_.items.get();
    const std::size_t count = located_.size();
    // Length and key in one test, without a second branch.
    auto candidate = [&](std::size_t i) {
        return ((items[i].nameLength ^ wantedLength) | (items[i].nameKey ^ wantedKey)) == 0;
    };
    auto matches = [&](std::size_t i) {
        return equalIgnoringAsciiCase(directoryBytes_.get() + items[i].nameStart, wanted, length);
    };
    std::size_t i = 0;
    // Whole blocks are tested without a branch per entry; only a block that
    // holds a candidate is looked at entry by entry, in order.
    for (; i + kFindBlock <= count; i += kFindBlock) {
        unsigned hits = 0;
        for (std::size_t k = 0; k < kFindBlock; ++k) {
            hits |= static_cast<unsigned>(candidate(i + k)) << k;
        }
        for (; hits != 0; hits &= hits - 1) {
            const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(hits));
            if (matches(at)) {
                return static_cast<long>(at);
            }
        }
    }
    for (; i < count; ++i) {
        if (candidate(i) && matches(i)) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

void FarArchive::release() {
    file_.reset();
    fileLength_ = 0;
    cache_.clear();
    cacheIndexOf_.clear();
    located_.clear();
    directoryBytes_.reset();
    directoryCapacity_ = 0;
    directoryFilled_ = 0;
    entries_.clear();
    entriesBuilt_ = false;
    shortNameLengths_ = false;
    firstShortEntry_ = 0;
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
