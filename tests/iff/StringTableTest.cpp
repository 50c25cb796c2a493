#include "iff/StringTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "iff/IffChunk.h"
#include "platform/File.h"
#include "support/CareerBuilders.h"

namespace jf {
namespace {

using test::buildStrBody;
using test::Bytes;
using test::StrEntry;

// Puts `body` into the table's own chunk with the given flags and decodes it.
bool decodeBody(StringTable& table, const Bytes& body, std::uint16_t flags = kFlagLittleEndian) {
    IffChunk& chunk = *table.chunk();
    EXPECT_TRUE(chunk.setSize(static_cast<std::uint32_t>(body.size())));
    if (!body.empty()) {
        std::memcpy(chunk.data.data(), body.data(), body.size());
    }
    chunk.flags = flags;
    chunk.position = 0;
    chunk.loaded = true;
    return table.decode();
}

Bytes encoded(StringTable& table) {
    Bytes body;
    EXPECT_TRUE(table.encodedBody(body));
    return body;
}

std::string text(const StringTable& table, std::size_t row, int slot) {
    std::string value;
    EXPECT_TRUE(table.getString(row, slot, StringTable::kText, value));
    return value;
}

std::string comment(const StringTable& table, std::size_t row, int slot) {
    std::string value;
    EXPECT_TRUE(table.getString(row, slot, StringTable::kComment, value));
    return value;
}

TEST(StringTable, NewTableIsEmptyAndWritesFormMinus3) {
    StringTable table;
    EXPECT_EQ(table.rowCount(), 0u);
    EXPECT_EQ(table.bodyForm(), StringTable::WithLanguages);
    EXPECT_EQ(table.typeCode(), 0x53545223u);
    EXPECT_EQ(encoded(table), (Bytes{0xFD, 0xFF, 0x00, 0x00}));
}

TEST(StringTable, BigEndianEmptyFormMinus3) {
    StringTable table;
    ASSERT_TRUE(decodeBody(table, Bytes{0xFF, 0xFD, 0x00, 0x00}, 0));
    EXPECT_EQ(table.rowCount(), 0u);
    EXPECT_EQ(table.bodyForm(), StringTable::WithLanguages);
    EXPECT_TRUE(table.hasComments());
    EXPECT_TRUE(table.hasLanguages());
    EXPECT_FALSE(table.countFirstForm());
}

TEST(StringTable, ByteOrderFlagDecidesHowFIsRead) {
    // The same bytes read little-endian are a count-first table of 0xFDFF
    // entries, which the body cannot hold.
    StringTable table;
    EXPECT_FALSE(decodeBody(table, Bytes{0xFF, 0xFD, 0x00, 0x00}, kFlagLittleEndian));
    EXPECT_TRUE(table.countFirstForm());
}

TEST(StringTable, BigEndianBodyIsWrittenLittleEndianWithFlag) {
    Bytes body = buildStrBody(-3, {{1, "A", "c"}, {2, "B", ""}}, /*bigEndian=*/true);
    StringTable table;
    ASSERT_TRUE(decodeBody(table, body, 0x0001));
    EXPECT_EQ(text(table, 0, 0), "A");
    EXPECT_EQ(comment(table, 0, 0), "c");
    EXPECT_EQ(text(table, 0, 1), "B");
    // Encode in place: flag 0x10 is added, the other bits are kept.
    IffChunk& chunk = *table.chunk();
    chunk.position = 0;
    ASSERT_TRUE(table.encode());
    EXPECT_EQ(chunk.flags, 0x0011);
    EXPECT_EQ(chunk.body(), buildStrBody(-3, {{1, "A", "c"}, {2, "B", ""}}));
}

TEST(StringTable, LanguageRunsOfDifferentLengths) {
    Bytes body = buildStrBody(
        -3, {{1, "a0", ""}, {1, "a1", ""}, {3, "c0", ""}, {3, "c1", ""}, {3, "c2", ""}});
    StringTable table;
    ASSERT_TRUE(decodeBody(table, body));
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(text(table, 0, 0), "a0");
    EXPECT_EQ(text(table, 1, 0), "a1");
    EXPECT_EQ(text(table, 2, 0), "");
    EXPECT_EQ(text(table, 0, 2), "c0");
    EXPECT_EQ(text(table, 1, 2), "c1");
    EXPECT_EQ(text(table, 2, 2), "c2");
    EXPECT_EQ(text(table, 0, 1), "");
    // Written back, each non-empty language has exactly rowCount entries.
    Bytes expected = buildStrBody(
        -3,
        {{1, "a0", ""}, {1, "a1", ""}, {1, "", ""}, {3, "c0", ""}, {3, "c1", ""}, {3, "c2", ""}});
    EXPECT_EQ(encoded(table), expected);
}

TEST(StringTable, SecondRunOfALanguageOverwritesFromRowZero) {
    Bytes body = buildStrBody(-3, {{1, "x0", ""}, {1, "x1", ""}, {2, "y0", ""}, {1, "z0", ""}});
    StringTable table;
    ASSERT_TRUE(decodeBody(table, body));
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(text(table, 0, 0), "z0");
    EXPECT_EQ(text(table, 1, 0), "x1");
}

TEST(StringTable, LanguageByteZeroOrAbove20Fails) {
    for (std::uint8_t bad : {std::uint8_t(0), std::uint8_t(21), std::uint8_t(255)}) {
        StringTable table;
        Bytes body = buildStrBody(-3, {{1, "ok", ""}, {bad, "bad", ""}});
        EXPECT_FALSE(decodeBody(table, body)) << int(bad);
        // The rows decoded before the failure are kept.
        EXPECT_EQ(table.rowCount(), 1u);
    }
    StringTable korean;
    ASSERT_TRUE(decodeBody(korean, buildStrBody(-3, {{20, "ko", "kc"}})));
    EXPECT_EQ(text(korean, 0, 19), "ko");
    EXPECT_EQ(comment(korean, 0, 19), "kc");
}

TEST(StringTable, OnlySlotZeroWritesOneBlock) {
    StringTable table;
    ASSERT_TRUE(table.setString(0, 0, StringTable::kText, "first"));
    ASSERT_TRUE(table.setString(1, 0, StringTable::kText, "second"));
    ASSERT_TRUE(table.setString(1, 0, StringTable::kComment, "note"));
    Bytes expected = {0xFD, 0xFF, 0x02, 0x00, 0x01};
    for (char c : std::string("first")) {
        expected.push_back(static_cast<std::uint8_t>(c));
    }
    expected.insert(expected.end(), {0x00, 0x00, 0x01});
    for (char c : std::string("second")) {
        expected.push_back(static_cast<std::uint8_t>(c));
    }
    expected.push_back(0x00);
    for (char c : std::string("note")) {
        expected.push_back(static_cast<std::uint8_t>(c));
    }
    expected.push_back(0x00);
    EXPECT_EQ(encoded(table), expected);
}

TEST(StringTable, EmptySlotsAreDroppedOnEncode) {
    StringTable table;
    ASSERT_TRUE(table.setString(0, 5, StringTable::kText, "f"));
    ASSERT_TRUE(table.setString(1, 19, StringTable::kComment, "only a comment"));
    Bytes expected =
        buildStrBody(-3, {{6, "f", ""}, {6, "", ""}, {20, "", ""}, {20, "", "only a comment"}});
    EXPECT_EQ(encoded(table), expected);
}

TEST(StringTable, AllEmptyTableWritesZeroCount) {
    StringTable table;
    for (std::size_t row = 0; row < 4; ++row) {
        ASSERT_TRUE(table.setString(row, 3, StringTable::kText, ""));
    }
    EXPECT_EQ(table.rowCount(), 4u);
    EXPECT_EQ(encoded(table), (Bytes{0xFD, 0xFF, 0x00, 0x00}));

    StringTable countFirst;
    ASSERT_TRUE(decodeBody(countFirst, buildStrBody(0, {{1, "", ""}, {1, "", ""}})));
    EXPECT_EQ(countFirst.rowCount(), 2u);
    EXPECT_EQ(encoded(countFirst), (Bytes{0x00, 0x00}));
}

TEST(StringTable, CountFirstZeroIsEmpty) {
    StringTable table;
    ASSERT_TRUE(decodeBody(table, Bytes{0x00, 0x00}));
    EXPECT_EQ(table.rowCount(), 0u);
    EXPECT_EQ(table.bodyForm(), StringTable::CountFirst);
}

TEST(StringTable, CountFirstFFFCNeedsItsEntries) {
    StringTable table;
    Bytes body = buildStrBody(0, {{1, "abc", ""}, {1, "de", ""}}, false, 0xFFFC);
    EXPECT_FALSE(decodeBody(table, body));
    EXPECT_TRUE(table.countFirstForm());
    EXPECT_EQ(table.rowCount(), 2u);

    // A body that does hold 65532 one-byte entries decodes.
    Bytes full = {0xFC, 0xFF};
    full.resize(2 + 0xFFFC, 0);
    StringTable big;
    ASSERT_TRUE(decodeBody(big, full));
    EXPECT_EQ(big.rowCount(), 0xFFFCu);
}

TEST(StringTable, CountFirstReadsExactLengthsAndWritesThemBack) {
    Bytes body = {0x03, 0x00, 0x02, 'h', 'i', 0x00, 0x04, 'a', 0x00, 'b', 'c'};
    StringTable table;
    ASSERT_TRUE(decodeBody(table, body));
    ASSERT_EQ(table.rowCount(), 3u);
    EXPECT_EQ(text(table, 0, 0), "hi");
    EXPECT_EQ(text(table, 1, 0), "");
    EXPECT_EQ(text(table, 2, 0), "a");  // cut at the embedded NUL
    EXPECT_EQ(encoded(table), (Bytes{0x03, 0x00, 0x02, 'h', 'i', 0x00, 0x01, 'a'}));

    StringTable bigEndian;
    ASSERT_TRUE(decodeBody(bigEndian, Bytes{0x00, 0x01, 0x02, 'o', 'k'}, 0));
    EXPECT_EQ(text(bigEndian, 0, 0), "ok");
}

TEST(StringTable, CountFirstCutsTextsTo255AndDropsComments) {
    StringTable table;
    ASSERT_TRUE(decodeBody(table, buildStrBody(0, {{1, "x", ""}})));
    std::string longText(300, 'q');
    longText[254] = 'L';
    longText[255] = 'M';
    ASSERT_TRUE(table.setString(0, 0, StringTable::kText, longText));
    ASSERT_TRUE(table.setString(0, 0, StringTable::kComment, "lost"));
    ASSERT_TRUE(table.setString(0, 7, StringTable::kText, "other slot is lost"));
    Bytes body = encoded(table);
    ASSERT_EQ(body.size(), 2u + 1u + 255u);
    EXPECT_EQ(body[0], 0x01);
    EXPECT_EQ(body[1], 0x00);
    EXPECT_EQ(body[2], 255);
    EXPECT_EQ(body.back(), 'L');

    StringTable reread;
    ASSERT_TRUE(decodeBody(reread, body));
    EXPECT_EQ(text(reread, 0, 0), longText.substr(0, 255));
    EXPECT_EQ(comment(reread, 0, 0), "");
}

TEST(StringTable, FormsMinus1AndMinus2RoundTripExactly) {
    Bytes textsOnly = buildStrBody(-1, {{1, "one", ""}, {1, "", ""}, {1, "three", ""}});
    StringTable a;
    ASSERT_TRUE(decodeBody(a, textsOnly));
    EXPECT_EQ(a.bodyForm(), StringTable::TextsOnly);
    EXPECT_FALSE(a.hasLanguages());
    EXPECT_EQ(a.rowCount(), 3u);
    EXPECT_EQ(encoded(a), textsOnly);

    Bytes withComments = buildStrBody(-2, {{1, "one", "c1"}, {1, "two", ""}});
    StringTable b;
    ASSERT_TRUE(decodeBody(b, withComments));
    EXPECT_EQ(b.bodyForm(), StringTable::WithComments);
    EXPECT_EQ(comment(b, 0, 0), "c1");
    EXPECT_EQ(encoded(b), withComments);
}

TEST(StringTable, BuiltInDefaultTextsShape) {
    std::vector<StrEntry> entries;
    for (int language = 1; language <= 20; ++language) {
        for (int k = 0; k < 12; ++k) {
            entries.push_back({static_cast<std::uint8_t>(language),
                               "t" + std::to_string(language) + "." + std::to_string(k), ""});
        }
    }
    Bytes body = buildStrBody(-3, entries);
    StringTable table;
    ASSERT_TRUE(decodeBody(table, body));
    ASSERT_EQ(table.rowCount(), 12u);
    for (int slot = 0; slot < 20; ++slot) {
        for (std::size_t row = 0; row < 12; ++row) {
            EXPECT_EQ(text(table, row, slot),
                      "t" + std::to_string(slot + 1) + "." + std::to_string(row));
        }
    }
    EXPECT_EQ(encoded(table), body);
}

TEST(StringTable, GetAndSetStringBounds) {
    StringTable table;
    std::string out = "unchanged";
    EXPECT_FALSE(table.getString(0, 0, StringTable::kText, out));
    EXPECT_FALSE(table.setString(1, 0, StringTable::kText, "x"));
    EXPECT_TRUE(table.setString(0, 0, StringTable::kText, "x"));
    EXPECT_EQ(table.rowCount(), 1u);
    EXPECT_FALSE(table.setString(2, 0, StringTable::kText, "y"));
    EXPECT_TRUE(table.setString(1, 4, StringTable::kComment, "y"));
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(text(table, 1, 0), "");
    EXPECT_EQ(comment(table, 1, 4), "y");
    EXPECT_FALSE(table.setString(0, 20, StringTable::kText, "z"));
    EXPECT_FALSE(table.setString(0, -1, StringTable::kText, "z"));
    EXPECT_FALSE(table.setString(0, 0, 2, "z"));
    EXPECT_FALSE(table.getString(0, 20, StringTable::kText, out));
    EXPECT_FALSE(table.getString(0, 0, 2, out));
    EXPECT_FALSE(table.getString(2, 0, StringTable::kText, out));
    EXPECT_EQ(out, "unchanged");
    EXPECT_EQ(table.rowCount(), 2u);
}

TEST(StringTable, BytesAreKeptExactly) {
    std::string bytes = "caf\xE9\r\n\x81\x40\xFF";
    StringTable table;
    ASSERT_TRUE(table.setString(0, 14, StringTable::kText, bytes));
    StringTable reread;
    ASSERT_TRUE(decodeBody(reread, encoded(table)));
    EXPECT_EQ(text(reread, 0, 14), bytes);
}

TEST(StringTable, TooManyEntriesForTheCountFieldFailsToEncode) {
    // 3277 rows in all twenty languages would need a count of 65540.
    StringTable table;
    for (std::size_t row = 0; row < 3277; ++row) {
        for (int slot = 0; slot < 20; ++slot) {
            ASSERT_TRUE(table.setString(row, slot, StringTable::kText, "x"));
        }
    }
    Bytes body;
    EXPECT_FALSE(table.encodedBody(body));

    // 3276 rows (65520 entries) still fit.
    StringTable fits;
    for (std::size_t row = 0; row < 3276; ++row) {
        for (int slot = 0; slot < 20; ++slot) {
            ASSERT_TRUE(fits.setString(row, slot, StringTable::kText, "x"));
        }
    }
    ASSERT_TRUE(fits.encodedBody(body));
    StringTable reread;
    ASSERT_TRUE(decodeBody(reread, body));
    EXPECT_EQ(reread.rowCount(), 3276u);
}

TEST(StringTable, HostileCountsFailWithoutAllocatingRows) {
    for (int form : {-1, -2, -3}) {
        StringTable table;
        Bytes body = buildStrBody(form, {{1, "a", "b"}}, false, 0xFFFF);
        EXPECT_FALSE(decodeBody(table, body)) << form;
        // Form -1 reads one more empty text at the very end of the body.
        EXPECT_LE(table.rowCount(), 2u);
    }
    StringTable shortBody;
    EXPECT_FALSE(decodeBody(shortBody, Bytes{0xFD}));
    EXPECT_FALSE(decodeBody(shortBody, Bytes{}));
    EXPECT_FALSE(decodeBody(shortBody, Bytes{0xFF, 0xFF, 0x01}));
}

TEST(StringTable, EveryTruncationOfABodyIsSafe) {
    Bytes body = buildStrBody(-3, {{1, "alpha", "A"}, {1, "beta", ""}, {4, "gamma", "G"}});
    for (std::size_t n = 0; n < body.size(); ++n) {
        StringTable table;
        Bytes prefix(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
        // The last comment may run to the end without its NUL, or be missing
        // altogether (a string read at the very end is empty); anything
        // shorter than that fails.
        bool ok = decodeBody(table, prefix);
        if (n + 2 < body.size()) {
            EXPECT_FALSE(ok) << n;
        }
    }
}

TEST(StringTable, RandomBodiesNeverCrash) {
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes body(static_cast<std::size_t>(random() % 64));
        for (auto& b : body) {
            b = static_cast<std::uint8_t>(random());
        }
        if (body.size() >= 2 && round % 3 == 0) {
            body[0] = static_cast<std::uint8_t>(0xFD + round % 3);
            body[1] = 0xFF;
        }
        StringTable table;
        bool ok = decodeBody(table, body, round % 2 == 0 ? kFlagLittleEndian : 0);
        if (ok) {
            Bytes again;
            EXPECT_TRUE(table.encodedBody(again));
        }
    }
}

TEST(StringTable, AssignCopiesRowsAndFlags) {
    StringTable source;
    ASSERT_TRUE(decodeBody(source, buildStrBody(-2, {{1, "t", "c"}})));
    StringTable copy;
    copy.assign(source);
    EXPECT_EQ(copy.bodyForm(), StringTable::WithComments);
    EXPECT_EQ(text(copy, 0, 0), "t");
    EXPECT_TRUE(copy.ownsChunk());
    EXPECT_NE(copy.chunk(), source.chunk());
    // Independent rows.
    ASSERT_TRUE(copy.setString(0, 0, StringTable::kText, "changed"));
    EXPECT_EQ(text(source, 0, 0), "t");

    // Through the base class reference the rows come along too.
    StringTable viaBase;
    const ChunkObject& base = source;
    viaBase.assign(base);
    EXPECT_EQ(comment(viaBase, 0, 0), "c");
}

TEST(StringTable, WriteToFileThenLoadFromFile) {
    StringTable table;
    ASSERT_TRUE(table.setString(0, 0, StringTable::kText, "hello"));
    ASSERT_TRUE(table.setString(0, 2, StringTable::kComment, "bonjour"));
    MemoryFile file;
    ASSERT_TRUE(table.writeToFile(file));
    ASSERT_TRUE(file.seek(0));
    StringTable reread;
    ASSERT_TRUE(reread.loadFromFile(file));
    EXPECT_EQ(text(reread, 0, 0), "hello");
    EXPECT_EQ(comment(reread, 0, 2), "bonjour");
    EXPECT_EQ(reread.rows(), table.rows());
}

}  // namespace
}  // namespace jf
