// Decoding takes the strings straight out of the body. These tests hold it
// to a plain reading through ChunkStream (length byte then readChars, or
// readString for NUL-terminated strings, one setString per string): the same
// rows, the same result and the same cursor position afterwards, for every
// form, on well-formed, truncated, damaged and random bodies.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "iff/ChunkStream.h"
#include "iff/IffChunk.h"
#include "iff/StringTable.h"
#include "support/CareerBuilders.h"

namespace jf {
namespace {

using test::buildStrBody;
using test::Bytes;
using test::StrEntry;

struct Decoded {
    bool ok = false;
    std::vector<StringTable::Row> rows;
    std::uint32_t position = 0;
    bool operator==(const Decoded&) const = default;
};

void fillChunk(IffChunk& chunk, const Bytes& body, std::uint16_t flags) {
    ASSERT_TRUE(chunk.setSize(static_cast<std::uint32_t>(body.size())));
    if (!body.empty()) {
        std::memcpy(chunk.data.data(), body.data(), body.size());
    }
    chunk.flags = flags;
    chunk.position = 0;
    chunk.loaded = true;
}

// The reference: every field read through the chunk stream.
Decoded readThroughStream(const Bytes& body, std::uint16_t flags) {
    IffChunk chunk;
    fillChunk(chunk, body, flags);
    ChunkStream stream(chunk);
    StringTable rows;  // used only for setString
    Decoded out;
    auto finish = [&](bool ok) {
        out.ok = ok;
        out.rows = rows.rows();
        out.position = stream.position();
        return out;
    };
    std::uint16_t first = 0;
    if (!stream.readU16Ordered(first)) {
        return finish(false);
    }
    const bool countFirst = first < StringTable::kFormTextsCommentsLanguages;
    const bool comments = first == StringTable::kFormTextsComments ||
                          first == StringTable::kFormTextsCommentsLanguages;
    const bool languages = first == StringTable::kFormTextsCommentsLanguages;
    std::uint32_t count = first;
    if (!countFirst) {
        std::uint16_t n = 0;
        if (!stream.readU16Ordered(n)) {
            return finish(false);
        }
        count = n;
    }
    int slot = 0;
    std::size_t k = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string text;
        std::string comment;
        if (countFirst) {
            std::uint8_t length = 0;
            if (!stream.readU8(length) || !stream.readChars(text, length)) {
                return finish(false);
            }
        } else {
            if (languages) {
                std::uint8_t language = 0;
                if (!stream.readU8(language)) {
                    return finish(false);
                }
                const int entrySlot = int(language) - 1;
                if (entrySlot < 0 || entrySlot >= kLanguageSlotCount) {
                    return finish(false);
                }
                if (entrySlot != slot) {
                    slot = entrySlot;
                    k = 0;
                }
            }
            if (!stream.readString(text) || (comments && !stream.readString(comment))) {
                return finish(false);
            }
        }
        if (!rows.setString(k, slot, StringTable::kText, text) ||
            !rows.setString(k, slot, StringTable::kComment, comment)) {
            return finish(false);
        }
        ++k;
    }
    return finish(true);
}

Decoded decodeTable(const Bytes& body, std::uint16_t flags, StringTable& table) {
    fillChunk(*table.chunk(), body, flags);
    Decoded out;
    out.ok = table.decode();
    out.rows = table.rows();
    out.position = table.chunk()->position;
    return out;
}

Decoded decodeTable(const Bytes& body, std::uint16_t flags = kFlagLittleEndian) {
    StringTable table;
    return decodeTable(body, flags, table);
}

void expectSameAsStream(const Bytes& body, std::uint16_t flags, const std::string& what) {
    const Decoded expected = readThroughStream(body, flags);
    const Decoded actual = decodeTable(body, flags);
    EXPECT_EQ(actual.ok, expected.ok) << what;
    EXPECT_EQ(actual.position, expected.position) << what;
    EXPECT_TRUE(actual.rows == expected.rows) << what;
}

Bytes prefix(const Bytes& body, std::size_t n) {
    return Bytes(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
}

TEST(StringTableDecode, CountFirstStringsWithNulBytesAreCutAtTheFirst) {
    // Lengths 3 ("a", NUL, "b"), 2 (two NULs), 4 ("xyz" then NUL).
    const Bytes body = {0x03, 0x00, 0x03, 'a', 0x00, 'b', 0x02,
                        0x00, 0x00, 0x04, 'x', 'y',  'z', 0x00};
    const Decoded decoded = decodeTable(body);
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 3u);
    EXPECT_EQ(decoded.rows[0][0].text, "a");
    EXPECT_EQ(decoded.rows[1][0].text, "");
    EXPECT_EQ(decoded.rows[2][0].text, "xyz");
    EXPECT_EQ(decoded.position, body.size());
    expectSameAsStream(body, kFlagLittleEndian, "count-first with NULs");
}

TEST(StringTableDecode, CountFirstLengthPastTheEndFailsAfterItsLengthByte) {
    // Entry 2 claims 2 bytes where one is left.
    const Bytes body = {0x02, 0x00, 0x03, 'a', 0x00, 'b', 0x02, 'c'};
    const Decoded decoded = decodeTable(body);
    EXPECT_FALSE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 1u);
    EXPECT_EQ(decoded.rows[0][0].text, "a");
    EXPECT_EQ(decoded.position, 7u);  // just past the length byte
    expectSameAsStream(body, kFlagLittleEndian, "count-first cut");
    // The length byte itself missing: the cursor stays at the end.
    const Decoded noLength = decodeTable(prefix(body, 6));
    EXPECT_FALSE(noLength.ok);
    EXPECT_EQ(noLength.position, 6u);
    expectSameAsStream(prefix(body, 6), kFlagLittleEndian, "count-first without length");
}

TEST(StringTableDecode, LastStringWithoutNulRunsToTheEnd) {
    // Form -1: "ab" without NUL ends the body, the cursor stands one beyond
    // it and the next string fails.
    const Bytes noNul = {0xFF, 0xFF, 0x02, 0x00, 'a', 'b'};
    Decoded decoded = decodeTable(noNul);
    EXPECT_FALSE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 1u);
    EXPECT_EQ(decoded.rows[0][0].text, "ab");
    EXPECT_EQ(decoded.position, 7u);
    expectSameAsStream(noNul, kFlagLittleEndian, "form -1 without NUL");

    // With its NUL the body ends exactly there: a string read at the end is
    // empty, and the cursor again stands one beyond the end.
    const Bytes withNul = {0xFF, 0xFF, 0x02, 0x00, 'a', 'b', 0x00};
    decoded = decodeTable(withNul);
    EXPECT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 2u);
    EXPECT_EQ(decoded.rows[1][0].text, "");
    EXPECT_EQ(decoded.position, 8u);
    expectSameAsStream(withNul, kFlagLittleEndian, "form -1 ending at a NUL");

    // Form -2: the comment of the last entry runs to the end without NUL.
    const Bytes comment = {0xFE, 0xFF, 0x01, 0x00, 't', 0x00, 'c', 'c'};
    decoded = decodeTable(comment);
    EXPECT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 1u);
    EXPECT_EQ(decoded.rows[0][0].text, "t");
    EXPECT_EQ(decoded.rows[0][0].comment, "cc");
    EXPECT_EQ(decoded.position, comment.size() + 1);
    expectSameAsStream(comment, kFlagLittleEndian, "form -2 comment without NUL");
}

TEST(StringTableDecode, BadLanguageByteFailsPastIt) {
    const Bytes body = {0xFD, 0xFF, 0x02, 0x00, 0x03, 'x', 0x00, 'y', 0x00, 21, 'z', 0x00, 0x00};
    const Decoded decoded = decodeTable(body);
    EXPECT_FALSE(decoded.ok);
    ASSERT_EQ(decoded.rows.size(), 1u);
    EXPECT_EQ(decoded.rows[0][2].text, "x");
    EXPECT_EQ(decoded.rows[0][2].comment, "y");
    EXPECT_EQ(decoded.position, 10u);
    expectSameAsStream(body, kFlagLittleEndian, "language 21");
}

TEST(StringTableDecode, FailureKeepsTheRowsOfAnEarlierDecodeOnlyAsFarAsRead) {
    // A table decoded twice: the second body replaces every row, and what a
    // failing second decode leaves is what it read before failing.
    StringTable table;
    const Bytes full = buildStrBody(-3, {{1, "one", "c1"}, {1, "two", ""}, {2, "zwei", "k"}});
    ASSERT_TRUE(decodeTable(full, kFlagLittleEndian, table).ok);
    ASSERT_EQ(table.rowCount(), 2u);
    const Bytes cut = prefix(full, full.size() - 3);
    const Decoded again = decodeTable(cut, kFlagLittleEndian, table);
    EXPECT_TRUE(again.rows == readThroughStream(cut, kFlagLittleEndian).rows);
    EXPECT_EQ(again.ok, readThroughStream(cut, kFlagLittleEndian).ok);
}

TEST(StringTableDecode, EveryPrefixOfEveryFormMatchesTheStreamReading) {
    const std::vector<StrEntry> entries = {
        {1, std::string("with\0nul", 8), "c"},
        {1, "", ""},
        {3, "third", std::string("\xE9\x00x", 3)},
        {3, std::string(200, 'w'), "long"},
        {20, "last slot", ""},
        {1, "again", "first slot"},
    };
    for (int form : {0, -1, -2, -3}) {
        for (bool bigEndian : {false, true}) {
            const Bytes body = buildStrBody(form, entries, bigEndian);
            const std::uint16_t flags = bigEndian ? 0 : kFlagLittleEndian;
            for (std::size_t n = 0; n <= body.size(); ++n) {
                expectSameAsStream(prefix(body, n), flags,
                                   "form " + std::to_string(form) + " prefix " + std::to_string(n));
            }
        }
    }
}

TEST(StringTableDecode, RandomBodiesMatchTheStreamReading) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 20000; ++round) {
        Bytes body(static_cast<std::size_t>(random() % 48));
        for (auto& b : body) {
            // Mostly small values, so that NULs, valid language bytes and
            // short lengths are common.
            b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : random() % 24);
        }
        if (body.size() >= 4) {
            switch (round % 5) {
                case 0:
                case 1:
                case 2:
                    body[0] = static_cast<std::uint8_t>(0xFD + round % 3);
                    body[1] = 0xFF;
                    body[2] = static_cast<std::uint8_t>(random() % 8);
                    body[3] = 0;
                    break;
                case 3:
                    body[0] = static_cast<std::uint8_t>(random() % 6);
                    body[1] = 0;
                    break;
                default:
                    break;
            }
        }
        expectSameAsStream(body, round % 2 == 0 ? kFlagLittleEndian : 0,
                           "round " + std::to_string(round));
        if (HasFailure()) {
            return;
        }
    }
}

}  // namespace
}  // namespace jf
