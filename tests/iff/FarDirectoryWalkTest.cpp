// Large FAR directories: the entries located by the interleaved walk (a
// second walk from a guessed entry in the middle) must be exactly those of a
// plain walk, whatever the guess, the count or the damage.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "iff/FarArchive.h"
#include "platform/File.h"
#include "support/FarBuilder.h"

namespace jf {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kDirectoryOffsetField = 12;

std::uint32_t getLe32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

void putLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

void appendLe32(Bytes& bytes, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
    }
}

// Names of many lengths (1 to 60 bytes), mixed case, sharing prefixes.
std::vector<FarBuilderEntry> entriesWithVariedNames(std::size_t count) {
    std::vector<FarBuilderEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = "Dir\\" + std::to_string(i) + std::string(i % 41, 'q') + ".Bmp";
        if (i % 7 == 0) {
            name = std::to_string(i % 10);  // short names, below eight bytes
        }
        if (i % 7 == 0 && i % 10 != 0) {
            name = "x" + std::to_string(i);
        }
        entries.push_back({name, Bytes(i % 3, static_cast<std::uint8_t>(i))});
    }
    return entries;
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

void expectEntries(const FarArchive& archive, const std::vector<FarBuilderEntry>& expected,
                   std::size_t count) {
    ASSERT_EQ(archive.entries().size(), count);
    ASSERT_EQ(archive.entryCount(), count);
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(archive.entries()[i].name, expected[i].first) << i;
        ASSERT_EQ(archive.entries()[i].nameLength, expected[i].first.size()) << i;
        ASSERT_EQ(archive.entries()[i].dataLength, expected[i].second.size()) << i;
    }
}

TEST(FarDirectoryWalkTest, LargeDirectoriesReadAsAPlainWalkWould) {
    for (bool shortLengths : {false, true}) {
        for (std::size_t count : {255u, 256u, 257u, 1000u, 5001u}) {
            const std::vector<FarBuilderEntry> entries = entriesWithVariedNames(count);
            MemoryFile file(buildFarArchive(entries, shortLengths));
            FarArchive archive;
            ASSERT_TRUE(archive.readDirectory(file)) << count;
            EXPECT_EQ(archive.shortNameLengths(), shortLengths);
            expectEntries(archive, entries, count);
            for (std::size_t i = 0; i < count; i += 97) {
                ASSERT_TRUE(archive.loadEntry(i));
                EXPECT_EQ(*archive.entryBytes(i), entries[i].second);
            }
        }
    }
}

TEST(FarDirectoryWalkTest, EveryNameIsFoundIgnoringCase) {
    const std::vector<FarBuilderEntry> entries = entriesWithVariedNames(1200);
    MemoryFile file(buildFarArchive(entries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // Short names repeat ("0" .. "9"): the first of equal names wins.
        long first = -1;
        for (std::size_t j = 0; j <= i; ++j) {
            if (upper(entries[j].first) == upper(entries[i].first)) {
                first = static_cast<long>(j);
                break;
            }
        }
        ASSERT_EQ(archive.findEntry(upper(entries[i].first)), first) << i;
        ASSERT_EQ(archive.findEntry(entries[i].first), first) << i;
    }
    EXPECT_EQ(archive.findEntry("Dir\\1.Bm"), -1);
    EXPECT_EQ(archive.findEntry("Dir\\1.Bmq"), -1);
}

TEST(FarDirectoryWalkTest, NamesWithTheSameEndingAreToldApart) {
    // Equal length and equal last eight bytes: only the full comparison
    // decides, including bytes that differ only outside the letters' case bit.
    std::vector<FarBuilderEntry> entries;
    for (int i = 0; i < 600; ++i) {
        entries.push_back({"A" + std::to_string(100 + i % 900) + "_same_tail.bmp", Bytes{1}});
    }
    entries.push_back({"@999_same_tail.bmp", Bytes{2}});
    entries.push_back({"`999_same_tail.bmp", Bytes{3}});
    MemoryFile file(buildFarArchive(entries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_EQ(archive.findEntry("a123_SAME_TAIL.BMP"), 23);
    EXPECT_EQ(archive.findEntry("@999_same_tail.bmp"), 600);
    EXPECT_EQ(archive.findEntry("`999_same_tail.bmp"), 601);
    EXPECT_EQ(archive.findEntry("a999_same_tail.bmp"), -1);
    EXPECT_EQ(archive.findEntry("[999_same_tail.bmp"), -1);
}

TEST(FarDirectoryWalkTest, CountBelowTheEntriesPresentStopsThere) {
    const std::vector<FarBuilderEntry> entries = entriesWithVariedNames(1000);
    const Bytes archiveBytes = buildFarArchive(entries);
    const std::size_t directory = getLe32(archiveBytes, kDirectoryOffsetField);
    // Before the middle of the directory (where the second walk starts), just
    // after it, and near the end.
    for (std::uint32_t count : {300u, 499u, 520u, 700u, 999u}) {
        Bytes shorter = archiveBytes;
        putLe32(shorter, directory, count);
        MemoryFile file(shorter);
        FarArchive archive;
        ASSERT_TRUE(archive.readDirectory(file)) << count;
        expectEntries(archive, entries, count);
        EXPECT_EQ(archive.findEntry(entries[999].first), -1);
    }
}

TEST(FarDirectoryWalkTest, DamageInTheSecondHalfKeepsTheEntriesBeforeIt) {
    const std::vector<FarBuilderEntry> entries = entriesWithVariedNames(1000);
    const Bytes archiveBytes = buildFarArchive(entries);
    // Cut inside the name of entry 900: entries 0..899 remain.
    std::size_t cut = getLe32(archiveBytes, kDirectoryOffsetField) + 4;
    for (std::size_t i = 0; i < 900; ++i) {
        cut += 16 + entries[i].first.size();
    }
    cut += 16 + entries[900].first.size() / 2;
    MemoryFile file(Bytes(archiveBytes.begin(), archiveBytes.begin() + cut));
    FarArchive archive;
    EXPECT_FALSE(archive.readDirectory(file));
    expectEntries(archive, entries, 900);
}

TEST(FarDirectoryWalkTest, SwitchToShortLengthsInTheSecondHalf) {
    // Entries 0..799 with 4-byte name lengths, then one whose 4-byte length
    // has a non-zero upper half: from there on the lengths are 16 bits wide.
    Bytes bytes = {'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
    appendLe32(bytes, 1);
    appendLe32(bytes, 16);
    constexpr std::uint32_t kLong = 800;
    constexpr std::uint32_t kShort = 400;
    appendLe32(bytes, kLong + kShort);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < kLong + kShort; ++i) {
        const std::string name = "Pictures\\Entry" + std::to_string(i) + ".bmp";
        names.push_back(name);
        appendLe32(bytes, 0);
        appendLe32(bytes, 0);
        appendLe32(bytes, 16);
        if (i < kLong) {
            appendLe32(bytes, static_cast<std::uint32_t>(name.size()));
        } else {
            bytes.push_back(static_cast<std::uint8_t>(name.size()));
            bytes.push_back(0);
        }
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    MemoryFile file(bytes);
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    EXPECT_TRUE(archive.shortNameLengths());
    ASSERT_EQ(archive.entries().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(archive.entries()[i].name, names[i]) << i;
        ASSERT_EQ(archive.entries()[i].dataOffset, 16u) << i;
    }
    EXPECT_EQ(archive.findEntry(upper(names[1100])), 1100);
}

TEST(FarDirectoryWalkTest, AMisleadingMiddleDoesNotChangeTheResult) {
    // Long names full of bytes that look like plausible entries, so that the
    // guessed start in the middle is likely wrong.
    std::vector<FarBuilderEntry> entries;
    for (int i = 0; i < 400; ++i) {
        std::string name;
        for (int k = 0; k < 20; ++k) {
            // Three small 32-bit values and a short length, over and over.
            name += std::string("\x10\0\0\0\x10\0\0\0\x10\0\0\0\x04\0\0\0", 16);
        }
        name += std::to_string(i);
        entries.push_back({name, Bytes(16, 7)});
    }
    MemoryFile file(buildFarArchive(entries));
    FarArchive archive;
    ASSERT_TRUE(archive.readDirectory(file));
    expectEntries(archive, entries, entries.size());
    EXPECT_EQ(archive.findEntry(entries[399].first), 399);
}

}  // namespace
}  // namespace jf
