#include "iff/FarArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "support/FakeFileSystem.h"
#include "support/FarBuilder.h"
#include "support/ForwardingFile.h"

namespace jf {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kButtonName = "cpanel\\Buttons\\JobIconMultiButton.BMP";
const std::string kPopupName = "cpanel\\Backgrounds\\JobIconMultiPopup.BMP";
constexpr std::size_t kDirectoryOffsetField = 12;
constexpr std::size_t kVersionField = 8;

Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

void putLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

std::uint32_t getLe32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void appendLe32(Bytes& bytes, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

// A header-only archive whose directory starts at offset 16; the caller
// appends the count and entries.
Bytes headerWithDirectoryAt16() {
    Bytes bytes = bytesOf("FAR!byAZ");
    appendLe32(bytes, 1);
    appendLe32(bytes, 16);
    return bytes;
}

const std::vector<FarBuilderEntry> kSampleEntries = {
    {kPopupName, Bytes{1, 2, 3, 4, 5}},
    {"empty.txt", Bytes{}},
    {kButtonName, Bytes{0x42, 0x4D, 0xFF, 0x00, 0x7F}},
    {"GameData\\Work.iff", Bytes(300, 0xAB)},
};

// Counts the reads made through a file and all of its duplicates.
class CountingFile final : public test::ForwardingFile {
public:
    CountingFile(std::unique_ptr<File> inner, std::shared_ptr<int> reads)
        : ForwardingFile(std::move(inner)), reads_(std::move(reads)) {}
    std::int64_t read(void* buffer, std::size_t n) override {
        ++*reads_;
        return ForwardingFile::read(buffer, n);
    }

protected:
    std::unique_ptr<File> rewrap(std::unique_ptr<File> copy) override {
        return std::make_unique<CountingFile>(std::move(copy), reads_);
    }

private:
    std::shared_ptr<int> reads_;
};

// Hands out at most `limit` bytes per read, as a pipe or network file may.
class TricklingFile final : public test::ForwardingFile {
public:
    TricklingFile(std::unique_ptr<File> inner, std::size_t limit)
        : ForwardingFile(std::move(inner)), limit_(limit) {}
    std::int64_t read(void* buffer, std::size_t n) override {
        return ForwardingFile::read(buffer, std::min(n, limit_));
    }

protected:
    std::unique_ptr<File> rewrap(std::unique_ptr<File> copy) override {
        return std::make_unique<TricklingFile>(std::move(copy), limit_);
    }

private:
    std::size_t limit_;
};

// Many entries with names of varying length, so that directory fields and
// names straddle every kind of read boundary.
std::vector<FarBuilderEntry> manyEntries(std::size_t count) {
    std::vector<FarBuilderEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = "dir\\" + std::to_string(i) + std::string(i % 37, 'n') + ".bmp";
        entries.push_back({name, Bytes(i % 5, static_cast<std::uint8_t>(i))});
    }
    return entries;
}

// A folder of in-memory archives, listed in insertion order. Names listed but
// without contents cannot be opened.
class ArchiveFolder final : public FileSystem {
public:
    void add(const std::string& name, Bytes contents) {
        order_.push_back(name);
        files_[name] = std::move(contents);
    }
    void addUnopenable(const std::string& name) { order_.push_back(name); }

    std::vector<std::string> opened;

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        opened.push_back(path);
        if (mode != OpenMode::Read) {
            return nullptr;
        }
        for (const auto& [name, contents] : files_) {
            if (path == kFolder + name) {
                return std::make_unique<MemoryFile>(contents);
            }
        }
        return nullptr;
    }
    bool exists(const std::string&) override { return false; }
    bool isReadOnly(const std::string&) override { return false; }
    bool clearReadOnly(const std::string&) override { return true; }
    bool setReadOnly(const std::string&) override { return false; }
    bool createFolder(const std::string&) override { return false; }
    DeleteResult deleteFile(const std::string&) override { return DeleteResult::NotFound; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> listArchives(const std::string& folder) override {
        return folder == kFolder ? order_ : std::vector<std::string>{};
    }
    std::vector<std::string> listFiles(const std::string& folder) override {
        return listArchives(folder);
    }
    bool syncFolder(const std::string&) override { return false; }
    std::string nativePath(const std::string& path) override { return path; }

    static inline const std::string kFolder = "C:\\Games\\The Sims\\UIGraphics\\";

private:
    std::vector<std::string> order_;
    std::map<std::string, Bytes> files_;
};

TEST(FarArchiveTest, ReadsDirectoryWithFourByteNameLengths) {
    const Bytes archiveBytes = buildFarArchive(kSampleEntries);
    MemoryFile file(archiveBytes);
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_FALSE(archive.shortNameLengths());
    EXPECT_EQ(archive.version(), 1u);
    ASSERT_EQ(archive.entries().size(), kSampleEntries.size());
    std::uint32_t expectedOffset = FarArchive::kHeaderSize;
    for (std::size_t i = 0; i < kSampleEntries.size(); ++i) {
        const FarEntry& entry = archive.entries()[i];
        EXPECT_EQ(entry.name, kSampleEntries[i].first);
        EXPECT_EQ(entry.nameLength, kSampleEntries[i].first.size());
        EXPECT_EQ(entry.dataLength, kSampleEntries[i].second.size());
        EXPECT_EQ(entry.dataOffset, expectedOffset);
        EXPECT_EQ(entry.cacheIndex, -1);
        expectedOffset += entry.dataLength;
        ASSERT_TRUE(archive.loadEntry(i));
        ASSERT_NE(archive.entryBytes(i), nullptr);
        EXPECT_EQ(*archive.entryBytes(i), kSampleEntries[i].second);
    }
}

TEST(FarArchiveTest, DetectsTwoByteNameLengthsFromTheFirstEntry) {
    const Bytes archiveBytes = buildFarArchive(kSampleEntries, true);
    MemoryFile file(archiveBytes);
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_TRUE(archive.shortNameLengths());
    ASSERT_EQ(archive.entries().size(), kSampleEntries.size());
    for (std::size_t i = 0; i < kSampleEntries.size(); ++i) {
        EXPECT_EQ(archive.entries()[i].name, kSampleEntries[i].first);
        EXPECT_EQ(archive.entries()[i].nameLength, kSampleEntries[i].first.size());
        ASSERT_TRUE(archive.loadEntry(i));
        EXPECT_EQ(*archive.entryBytes(i), kSampleEntries[i].second);
    }
}

TEST(FarArchiveTest, TwoByteLengthsKeepApplyingToShortLaterNames) {
    // An empty name followed by an entry of zero bytes reads as 4-byte
    // length 0; once switched, the reader must stay with 2-byte lengths.
    const std::vector<FarBuilderEntry> entries = {
        {"ab", Bytes{1}}, {"", Bytes{2}}, {"", Bytes{}}, {"c", Bytes{3, 4}}, {"last", Bytes{5}}};
    MemoryFile file(buildFarArchive(entries, true));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_TRUE(archive.shortNameLengths());
    ASSERT_EQ(archive.entries().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(archive.entries()[i].name, entries[i].first);
        ASSERT_TRUE(archive.loadEntry(i));
        EXPECT_EQ(*archive.entryBytes(i), entries[i].second);
    }
}

TEST(FarArchiveTest, FourByteLengthsNeverSwitch) {
    // Long names (up to the largest 16-bit length) and empty names in a
    // 4-byte directory all stay below 65536.
    const std::vector<FarBuilderEntry> entries = {
        {"", Bytes{9}},
        {std::string(300, 'x'), Bytes{8}},
        {std::string(65535, 'y'), Bytes{}},
        {"\xFF\xFF", Bytes{7, 7}},
        {"tail", Bytes{6}},
    };
    MemoryFile file(buildFarArchive(entries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_FALSE(archive.shortNameLengths());
    ASSERT_EQ(archive.entries().size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(archive.entries()[i].name, entries[i].first);
    }
}

TEST(FarArchiveTest, ReadsLargeDirectoriesWhateverTheReadSizes) {
    const std::vector<FarBuilderEntry> entries = manyEntries(4000);
    for (bool shortLengths : {false, true}) {
        for (std::size_t limit :
             {std::size_t{1}, std::size_t{3}, std::size_t{4096}, std::size_t{1} << 20}) {
            TricklingFile file(std::make_unique<MemoryFile>(buildFarArchive(entries, shortLengths)),
                               limit);
            FarArchive archive;
            ASSERT_TRUE(archive.readDirectory(file)) << shortLengths << " " << limit;
            EXPECT_EQ(archive.shortNameLengths(), shortLengths);
            ASSERT_EQ(archive.entries().size(), entries.size());
            for (std::size_t i = 0; i < entries.size(); ++i) {
                ASSERT_EQ(archive.entries()[i].name, entries[i].first) << i;
                ASSERT_EQ(archive.entries()[i].dataLength, entries[i].second.size()) << i;
            }
            const std::size_t last = entries.size() - 1;
            EXPECT_EQ(archive.findEntry(entries[last].first), static_cast<long>(last));
            ASSERT_TRUE(archive.loadEntry(last));
            EXPECT_EQ(*archive.entryBytes(last), entries[last].second);
        }
    }
}

TEST(FarArchiveTest, EveryReadStartsFromAnEmptyDirectory) {
    MemoryFile shortFile(buildFarArchive(kSampleEntries, true));
    MemoryFile longFile(buildFarArchive({{"one", Bytes{1}}}));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(shortFile));
    ASSERT_TRUE(archive.loadEntry(0));
    EXPECT_TRUE(archive.shortNameLengths());

    ASSERT_TRUE(archive.readDirectory(longFile));
    EXPECT_FALSE(archive.shortNameLengths());
    ASSERT_EQ(archive.entries().size(), 1u);
    EXPECT_EQ(archive.entries()[0].name, "one");
    EXPECT_EQ(archive.entryBytes(0), nullptr);
    ASSERT_TRUE(archive.loadEntry(0));
    EXPECT_EQ(*archive.entryBytes(0), Bytes{1});
}

TEST(FarArchiveTest, WrongMagicFails) {
    Bytes archiveBytes = buildFarArchive(kSampleEntries);
    archiveBytes[7] = 'z';
    MemoryFile file(archiveBytes);
    FarArchive archive;
    EXPECT_FALSE(archive.readDirectory(file));
    EXPECT_TRUE(archive.entries().empty());

    MemoryFile iff(bytesOf("IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 JAMIE DOESN'T KNOW"));
    EXPECT_FALSE(archive.readDirectory(iff));
}

TEST(FarArchiveTest, AnyVersionIsAccepted) {
    for (std::uint32_t version : {0u, 1u, 3u, 0xFFFFFFFFu}) {
        Bytes archiveBytes = buildFarArchive(kSampleEntries);
        putLe32(archiveBytes, kVersionField, version);
        MemoryFile file(archiveBytes);
        FarArchive archive;
        ASSERT_TRUE(archive.readDirectory(file)) << version;
        EXPECT_EQ(archive.version(), version);
        EXPECT_EQ(archive.entries().size(), kSampleEntries.size());
    }
}

TEST(FarArchiveTest, DirectoryOffsetBeyondTheEndFails) {
    Bytes archiveBytes = buildFarArchive(kSampleEntries);
    const auto length = static_cast<std::uint32_t>(archiveBytes.size());
    for (std::uint32_t offset : {length, length + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        putLe32(archiveBytes, kDirectoryOffsetField, offset);
        MemoryFile file(archiveBytes);
        FarArchive archive;
        EXPECT_FALSE(archive.readDirectory(file)) << offset;
        EXPECT_TRUE(archive.entries().empty());
    }
}

TEST(FarArchiveTest, EmptyDirectorySucceeds) {
    MemoryFile file(buildFarArchive({}));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_TRUE(archive.entries().empty());
    EXPECT_EQ(archive.findEntry(kButtonName), -1);
    EXPECT_FALSE(archive.loadEntry(0));
}

TEST(FarArchiveTest, EntryOutsideTheArchiveFailsToLoad) {
    Bytes archiveBytes = buildFarArchive({{"a", Bytes{1, 2, 3}}, {"b", Bytes{4, 5}}});
    const std::size_t directory = getLe32(archiveBytes, kDirectoryOffsetField);
    const std::size_t firstEntry = directory + 4;
    const std::size_t firstLength = firstEntry + 4;
    const std::size_t firstOffset = firstEntry + 8;
    const auto length = static_cast<std::uint32_t>(archiveBytes.size());

    struct Case {
        std::uint32_t dataLength;
        std::uint32_t dataOffset;
    };
    const Case cases[] = {
        {1, length},                 // starts at the end
        {3, length - 2},             // runs past the end
        {0xFFFFFFFFu, 16},           // huge length
        {0x20, 0xFFFFFFF0u},         // offset + length wraps in 32 bits
        {0xFFFFFFFFu, 0xFFFFFFFFu},  // both huge
    };
    for (const Case& c : cases) {
        Bytes damaged = archiveBytes;
        putLe32(damaged, firstLength, c.dataLength);
        putLe32(damaged, firstOffset, c.dataOffset);
        MemoryFile file(damaged);
        FarArchive archive;
        ASSERT_TRUE(archive.readDirectory(file));
        EXPECT_FALSE(archive.loadEntry(0)) << c.dataLength << " at " << c.dataOffset;
        EXPECT_EQ(archive.entryBytes(0), nullptr);
        MemoryFile out;
        EXPECT_FALSE(archive.extractEntry(0, out));
        EXPECT_EQ(out.length(), 0);
        // The other entry is unaffected.
        ASSERT_TRUE(archive.loadEntry(1));
        EXPECT_EQ(*archive.entryBytes(1), (Bytes{4, 5}));
    }

    // Exactly up to the end is fine.
    Bytes atEnd = archiveBytes;
    putLe32(atEnd, firstLength, 4);
    putLe32(atEnd, firstOffset, length - 4);
    MemoryFile file(atEnd);
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    ASSERT_TRUE(archive.loadEntry(0));
    EXPECT_EQ(*archive.entryBytes(0), Bytes(atEnd.end() - 4, atEnd.end()));
}

TEST(FarArchiveTest, LoadEntryRejectsForeignIndexAndMissingFile) {
    MemoryFile file(buildFarArchive(kSampleEntries));
    FarArchive archive;
    EXPECT_FALSE(archive.loadEntry(0));  // nothing read yet
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_FALSE(archive.loadEntry(kSampleEntries.size()));
    EXPECT_EQ(archive.entryBytes(kSampleEntries.size()), nullptr);
    archive.release();
    EXPECT_TRUE(archive.entries().empty());
    EXPECT_FALSE(archive.loadEntry(0));
}

TEST(FarArchiveTest, FindsNamesIgnoringAsciiCase) {
    MemoryFile file(buildFarArchive(kSampleEntries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_EQ(archive.findEntry("CPANEL\\BUTTONS\\JOBICONMULTIBUTTON.BMP"), 2);
    EXPECT_EQ(archive.findEntry("cpanel\\buttons\\jobiconmultibutton.bmp"), 2);
    EXPECT_EQ(archive.findEntry(kPopupName), 0);
    EXPECT_EQ(archive.findEntry("cpanel\\Buttons\\JobIconMultiButton.BM"), -1);
    EXPECT_EQ(archive.findEntry("cpanel/Buttons/JobIconMultiButton.BMP"), -1);
    EXPECT_EQ(archive.findEntry(""), -1);
}

TEST(FarArchiveTest, NonAsciiBytesAreComparedExactly) {
    // 0xE9/0xC9 are e-acute/E-acute in Latin-1, and 0x82 0xA0 is a multibyte
    // character elsewhere: neither may be folded.
    MemoryFile file(buildFarArchive({{"caf\xE9.bmp", Bytes{1}}, {"\x82\xA0x", Bytes{2}}}));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_EQ(archive.findEntry("CAF\xE9.BMP"), 0);
    EXPECT_EQ(archive.findEntry("caf\xC9.bmp"), -1);
    EXPECT_EQ(archive.findEntry("\x82\xA0X"), 1);
    EXPECT_EQ(archive.findEntry("\xA2\xA0x"), -1);
    EXPECT_EQ(archive.findEntry("\x82\x80x"), -1);
}

TEST(FarArchiveTest, ExtractingTwiceReadsTheArchiveOnce) {
    auto reads = std::make_shared<int>(0);
    CountingFile file(std::make_unique<MemoryFile>(buildFarArchive(kSampleEntries)), reads);
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    const int afterDirectory = *reads;

    MemoryFile out;
    ASSERT_TRUE(archive.extractEntry(2, out));
    const int afterFirst = *reads;
    EXPECT_GT(afterFirst, afterDirectory);
    ASSERT_TRUE(archive.extractEntry(2, out));
    EXPECT_EQ(*reads, afterFirst);
    ASSERT_TRUE(archive.loadEntry(2));
    EXPECT_EQ(*reads, afterFirst);

    Bytes twice = kSampleEntries[2].second;
    twice.insert(twice.end(), kSampleEntries[2].second.begin(), kSampleEntries[2].second.end());
    EXPECT_EQ(out.contents(), twice);
}

TEST(FarArchiveTest, ExtractWritesAtTheDestinationCursor) {
    MemoryFile file(buildFarArchive(kSampleEntries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    MemoryFile out(Bytes{9, 9, 9, 9, 9, 9, 9, 9});
    ASSERT_TRUE(out.seek(2));
    ASSERT_TRUE(archive.extractEntry(0, out));
    EXPECT_EQ(out.contents(), (Bytes{9, 9, 1, 2, 3, 4, 5, 9}));
    EXPECT_EQ(out.tell(), 7u);

    MemoryFile empty;
    ASSERT_TRUE(archive.extractEntry(1, empty));
    EXPECT_EQ(empty.length(), 0);
}

TEST(FarArchiveTest, KeepsItsOwnHandleAfterTheCallerClosesTheFile) {
    auto file = std::make_unique<MemoryFile>(buildFarArchive(kSampleEntries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(*file));
    file.reset();
    ASSERT_TRUE(archive.loadEntry(3));
    EXPECT_EQ(*archive.entryBytes(3), kSampleEntries[3].second);
}

TEST(FarArchiveTest, ReadsFromTheStartWhateverTheCallerCursor) {
    MemoryFile file(buildFarArchive(kSampleEntries));
    ASSERT_TRUE(file.seek(40));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_EQ(archive.entries().size(), kSampleEntries.size());
}

TEST(FarArchiveTest, EveryTruncationFailsWithoutCrashing) {
    for (bool shortLengths : {false, true}) {
        const Bytes archiveBytes = buildFarArchive(kSampleEntries, shortLengths);
        for (std::size_t cut = 0; cut < archiveBytes.size(); ++cut) {
            MemoryFile file(Bytes(archiveBytes.begin(), archiveBytes.begin() + cut));
            FarArchive archive;
            EXPECT_FALSE(archive.readDirectory(file)) << cut;
            EXPECT_LT(archive.entries().size(), kSampleEntries.size());
            for (std::size_t i = 0; i < archive.entries().size(); ++i) {
                EXPECT_EQ(archive.entries()[i].name, kSampleEntries[i].first);
                if (archive.loadEntry(i)) {
                    EXPECT_EQ(*archive.entryBytes(i), kSampleEntries[i].second);
                }
            }
        }
    }
}

TEST(FarArchiveTest, FailureKeepsTheEntriesReadSoFar) {
    Bytes archiveBytes = buildFarArchive(kSampleEntries);
    const std::size_t directory = getLe32(archiveBytes, kDirectoryOffsetField);
    putLe32(archiveBytes, directory, 10);  // claims more entries than present
    MemoryFile file(archiveBytes);
    FarArchive archive;
    EXPECT_FALSE(archive.readDirectory(file));
    ASSERT_EQ(archive.entries().size(), kSampleEntries.size());
    ASSERT_TRUE(archive.loadEntry(0));
    EXPECT_EQ(*archive.entryBytes(0), kSampleEntries[0].second);
}

TEST(FarArchiveTest, HugeCountsAndNameLengthsFailCheaply) {
    // A count of four billion entries in a tiny file.
    Bytes hugeCount = headerWithDirectoryAt16();
    appendLe32(hugeCount, 0xFFFFFFFFu);
    appendLe32(hugeCount, 0);
    MemoryFile countFile(hugeCount);
    FarArchive archive;
    EXPECT_FALSE(archive.readDirectory(countFile));
    EXPECT_TRUE(archive.entries().empty());

    // A name length that cannot fit in the file, as a 16-bit length.
    Bytes hugeName = headerWithDirectoryAt16();
    appendLe32(hugeName, 1);
    appendLe32(hugeName, 0);
    appendLe32(hugeName, 0);
    appendLe32(hugeName, 0);
    appendLe32(hugeName, 0x0041FFFFu);  // switches to 2-byte lengths, n = 65535
    MemoryFile nameFile(hugeName);
    EXPECT_FALSE(archive.readDirectory(nameFile));
    EXPECT_TRUE(archive.entries().empty());
}

TEST(FarArchiveTest, GarbageNeverCrashes) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    const Bytes valid = buildFarArchive(kSampleEntries);
    for (int round = 0; round < 2000; ++round) {
        Bytes mutated = valid;
        const int changes = 1 + round % 8;
        for (int i = 0; i < changes; ++i) {
            // Leave the magic intact so the directory code is exercised.
            std::size_t at = 8 + static_cast<std::size_t>(random()) % (mutated.size() - 8);
            mutated[at] = static_cast<std::uint8_t>(byte(random));
        }
        if (round % 5 == 0) {
            mutated.resize(8 + static_cast<std::size_t>(random()) % (mutated.size() - 8));
        }
        MemoryFile file(mutated);
        FarArchive archive;
        archive.readDirectory(file);
        for (std::size_t i = 0; i < archive.entries().size(); ++i) {
            MemoryFile out;
            if (archive.extractEntry(i, out)) {
                EXPECT_EQ(static_cast<std::uint64_t>(out.length()),
                          archive.entries()[i].dataLength);
            }
        }
    }
}

TEST(FarArchiveTest, FolderSearchFirstEnumeratedArchiveWins) {
    ArchiveFolder folder;
    folder.add("B.FAR", buildFarArchive({{"other", Bytes{0}}, {kButtonName, Bytes{1, 1}}}));
    folder.add("A.far", buildFarArchive({{kButtonName, Bytes{2, 2}}}));
    FarArchive archive;
    std::size_t index = 99;
    ASSERT_TRUE(findInFolderArchives(folder, ArchiveFolder::kFolder,
                                     "CPANEL\\BUTTONS\\JOBICONMULTIBUTTON.BMP", archive, index));
    EXPECT_EQ(index, 1u);
    ASSERT_TRUE(archive.loadEntry(index));
    EXPECT_EQ(*archive.entryBytes(index), (Bytes{1, 1}));
    // The search stopped at the first archive with a match.
    EXPECT_EQ(folder.opened, std::vector<std::string>{ArchiveFolder::kFolder + "B.FAR"});
}

TEST(FarArchiveTest, FolderSearchSkipsUnreadableArchives) {
    ArchiveFolder folder;
    folder.addUnopenable("Locked.FAR");
    folder.add("Garbage.FAR", bytesOf("not an archive at all"));
    Bytes truncated = buildFarArchive({{kButtonName, Bytes{3}}});
    truncated.pop_back();
    folder.add("Truncated.FAR", truncated);
    folder.add("NoMatch.FAR", buildFarArchive({{kPopupName, Bytes{4}}}));
    folder.add("Match.FAR", buildFarArchive({{kButtonName, Bytes{5, 6}}}));
    FarArchive archive;
    std::size_t index = 99;
    ASSERT_TRUE(findInFolderArchives(folder, ArchiveFolder::kFolder, kButtonName, archive, index));
    EXPECT_EQ(index, 0u);
    MemoryFile out;
    ASSERT_TRUE(archive.extractEntry(index, out));
    EXPECT_EQ(out.contents(), (Bytes{5, 6}));
    EXPECT_EQ(folder.opened.size(), 5u);
}

TEST(FarArchiveTest, FolderSearchStopsAtTheFirstMatchEvenWhenItCannotBeLoaded) {
    ArchiveFolder folder;
    Bytes broken = buildFarArchive({{kButtonName, Bytes{1, 2, 3}}});
    const std::size_t directory = getLe32(broken, kDirectoryOffsetField);
    putLe32(broken, directory + 8, 0xFFFFu);  // dataLength far beyond the end
    folder.add("Broken.FAR", broken);
    folder.add("Good.FAR", buildFarArchive({{kButtonName, Bytes{7}}}));
    FarArchive archive;
    std::size_t index = 99;
    ASSERT_TRUE(findInFolderArchives(folder, ArchiveFolder::kFolder, kButtonName, archive, index));
    EXPECT_EQ(index, 0u);
    EXPECT_FALSE(archive.loadEntry(index));
    EXPECT_EQ(folder.opened.size(), 1u);
}

TEST(FarArchiveTest, FolderSearchWithoutMatchFails) {
    ArchiveFolder folder;
    folder.add("One.FAR", buildFarArchive({{kPopupName, Bytes{4}}}));
    FarArchive archive;
    std::size_t index = 99;
    EXPECT_FALSE(findInFolderArchives(folder, ArchiveFolder::kFolder, kButtonName, archive, index));
    EXPECT_FALSE(findInFolderArchives(folder, "C:\\Elsewhere\\", kPopupName, archive, index));
    EXPECT_EQ(index, 99u);
}

TEST(FarArchiveTest, FolderSearchOnFakeDiskKeepsOnlyTheMatchingArchiveOpen) {
    test::FakeFileSystem fs;
    const std::string folder = "C:\\Sims\\UIGraphics\\";
    fs.putFile(folder + "Broken.far", bytesOf("FAR!byAZ garbage"));
    fs.putFile(folder + "Second.FAR", buildFarArchive({{kButtonName, Bytes{1}}}));
    fs.putFile(folder + "Third.FAR", buildFarArchive({{kButtonName, Bytes{2}}}));
    fs.putFile(folder + "cpanel\\Nested.FAR", buildFarArchive({{kButtonName, Bytes{3}}}));
    FarArchive archive;
    std::size_t index = 99;
    ASSERT_TRUE(findInFolderArchives(fs, folder, "CPANEL\\buttons\\jobiconmultibutton.bmp", archive,
                                     index));
    MemoryFile out;
    ASSERT_TRUE(archive.extractEntry(index, out));
    EXPECT_EQ(out.contents(), Bytes{1});
    EXPECT_FALSE(fs.isOpen(folder + "Broken.far"));
    EXPECT_TRUE(fs.isOpen(folder + "Second.FAR"));
    EXPECT_FALSE(fs.isOpen(folder + "Third.FAR"));
    archive.release();
    EXPECT_FALSE(fs.isOpen(folder + "Second.FAR"));
}

}  // namespace
}  // namespace jf
