#include "careers/GlobalOptions.h"

#include <gtest/gtest.h>

#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "support/CodeTreeBuilders.h"

namespace jf {
namespace {

using test::buildBconBody;
using test::decodeBody;
using Bytes = std::vector<std::uint8_t>;

Bytes encoded(GlobalOptions& options) {
    Bytes body;
    EXPECT_TRUE(options.encodedBody(body));
    return body;
}

const std::vector<std::int16_t> kEight = {500, 50, 8, 15, 2, 30, -40, 25};

TEST(GlobalOptionsTest, NewTableIsEmpty) {
    GlobalOptions options;
    EXPECT_EQ(options.typeCode(), 0x42434F4Eu);
    EXPECT_FALSE(options.flag());
    EXPECT_EQ(options.count(), 0u);
    std::int16_t value = 77;
    EXPECT_FALSE(options.option(0, value));
    EXPECT_EQ(value, 77);
    EXPECT_EQ(encoded(options), (Bytes{0, 0}));
}

TEST(GlobalOptionsTest, FlagAndCountShareTheFirstWord) {
    Bytes body = buildBconBody(0x8008, kEight);
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, body, true));
    EXPECT_TRUE(options.flag());
    EXPECT_EQ(options.count(), 8u);
    EXPECT_EQ(options.values(), kEight);
    Bytes written = encoded(options);
    EXPECT_EQ(written, body);
    EXPECT_EQ(written[0], 0x08);
    EXPECT_EQ(written[1], 0x80);
}

TEST(GlobalOptionsTest, BigEndianBodyIsReadSwappedAndWrittenLittleEndian) {
    Bytes body = buildBconBody(0x8008, kEight, true);
    EXPECT_EQ(body[0], 0x80);
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, body, false));
    EXPECT_TRUE(options.flag());
    EXPECT_EQ(options.values(), kEight);

    ASSERT_TRUE(options.encode());
    EXPECT_TRUE(options.chunk()->littleEndian());
    EXPECT_EQ(options.chunk()->body(), buildBconBody(0x8008, kEight));
}

TEST(GlobalOptionsTest, FlagClearAndNegativeValuesRoundTrip) {
    std::vector<std::int16_t> values = {-100, 100, -32768, 32767, 0, -1};
    Bytes body = buildBconBody(6, values);
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, body, true));
    EXPECT_FALSE(options.flag());
    EXPECT_EQ(options.values(), values);
    EXPECT_EQ(encoded(options), body);
}

TEST(GlobalOptionsTest, MissingEntriesFailAndSettingGrowsTheTable) {
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, buildBconBody(4, {1, 2, 3, 4}), true));
    std::int16_t value = -5;
    EXPECT_TRUE(options.option(3, value));
    EXPECT_EQ(value, 4);
    for (std::size_t entry = 4; entry < 8; ++entry) {
        EXPECT_FALSE(options.option(entry, value)) << entry;
    }
    EXPECT_EQ(value, 4);

    // The options dialog writes all eight entries, entry 0 first.
    for (std::size_t entry = 0; entry < kGlobalOptionCount; ++entry) {
        ASSERT_TRUE(options.setOption(entry, kEight[entry]));
    }
    EXPECT_EQ(options.count(), 8u);
    EXPECT_EQ(encoded(options), buildBconBody(8, kEight));
}

TEST(GlobalOptionsTest, GrowthFillsTheGapWithZeros) {
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, buildBconBody(0x8001, {9}), true));
    ASSERT_TRUE(options.setOption(kOptionChanceCardChance, 33));
    EXPECT_EQ(options.values(), (std::vector<std::int16_t>{9, 0, 0, 0, 0, 0, 0, 33}));
    EXPECT_TRUE(options.flag());
    EXPECT_EQ(encoded(options), buildBconBody(0x8008, {9, 0, 0, 0, 0, 0, 0, 33}));
    // Setting inside the table does not grow it.
    ASSERT_TRUE(options.setOption(2, 7));
    EXPECT_EQ(options.count(), 8u);
}

TEST(GlobalOptionsTest, CountNeverReachesTheFlagBit) {
    GlobalOptions options;
    EXPECT_FALSE(options.setOption(0x7FFF, 1));
    EXPECT_FALSE(options.setOption(0x10000, 1));
    EXPECT_EQ(options.count(), 0u);
    ASSERT_TRUE(options.setOption(0x7FFE, 5));
    EXPECT_EQ(options.count(), 0x7FFFu);
    Bytes body = encoded(options);
    ASSERT_EQ(body.size(), 2u + 2u * 0x7FFF);
    EXPECT_EQ(body[0], 0xFF);
    EXPECT_EQ(body[1], 0x7F);  // flag still clear
    GlobalOptions reread;
    ASSERT_TRUE(decodeBody(reread, body, true));
    EXPECT_FALSE(reread.flag());
    EXPECT_EQ(reread.count(), 0x7FFFu);
}

TEST(GlobalOptionsTest, ShortBodiesFail) {
    GlobalOptions options;
    EXPECT_FALSE(decodeBody(options, {}, true));
    EXPECT_FALSE(decodeBody(options, {0x01}, true));
    // Count 3 needs 8 bytes.
    Bytes body = buildBconBody(3, {1, 2, 3});
    EXPECT_TRUE(decodeBody(options, body, true));
    body.pop_back();
    EXPECT_FALSE(decodeBody(options, body, true));
    EXPECT_EQ(options.count(), 0u);
    // An empty table is two bytes.
    EXPECT_TRUE(decodeBody(options, {0x00, 0x80}, true));
    EXPECT_TRUE(options.flag());
    EXPECT_EQ(options.count(), 0u);
}

TEST(GlobalOptionsTest, HugeCountIsCheckedAgainstTheBody) {
    GlobalOptions options;
    ASSERT_TRUE(decodeBody(options, buildBconBody(2, {1, 2}), true));
    EXPECT_FALSE(decodeBody(options, buildBconBody(0xFFFF, {1, 2, 3}), true));
    EXPECT_EQ(options.count(), 0u);
    EXPECT_FALSE(decodeBody(options, buildBconBody(0x7FFF, {1, 2, 3}), false));
    EXPECT_EQ(options.count(), 0u);
}

TEST(GlobalOptionsTest, LoadFromEmptyFileFails) {
    MemoryFile empty;
    GlobalOptions options;
    EXPECT_FALSE(options.loadFromFile(empty));
}

TEST(GlobalOptionsTest, AttachedTableReencodesInPlace) {
    IffFileTable table(systemFileSystem());
    IffView view(table);
    Bytes body = buildBconBody(0x8004, {1, 2, 3, 4}, true);
    ASSERT_TRUE(view.addBytes(kTypeBcon, kGlobalOptionsChunkId, "", body.data(), body.size()));
    IffChunk* chunk = view.find(kTypeBcon, kGlobalOptionsChunkId);
    ASSERT_NE(chunk, nullptr);
    chunk->flags = 0;

    GlobalOptions options;
    ASSERT_TRUE(options.attachTo(view, *chunk));
    EXPECT_EQ(options.count(), 4u);
    ASSERT_TRUE(options.setOption(5, -100));
    ASSERT_TRUE(options.encodeInPlace());
    EXPECT_EQ(chunk->flags, kFlagLittleEndian);
    EXPECT_EQ(chunk->body(), buildBconBody(0x8006, {1, 2, 3, 4, 0, -100}));
}

TEST(GlobalOptionsTest, AssignCopiesFlagAndValues) {
    GlobalOptions source;
    source.setFlag(true);
    ASSERT_TRUE(source.setOption(1, 42));
    GlobalOptions copy;
    copy.assign(source);
    EXPECT_TRUE(copy.flag());
    EXPECT_EQ(copy.values(), source.values());
}

TEST(GlobalOptionsTest, OptionRangesFollowTheDialog) {
    ASSERT_NE(globalOptionInfo(kOptionPromotionBonus), nullptr);
    EXPECT_EQ(globalOptionInfo(kOptionPromotionBonus)->maximum, 10);
    EXPECT_EQ(globalOptionInfo(kOptionMinimalMoodHigher)->minimum, -100);
    EXPECT_STREQ(globalOptionInfo(kOptionAPlusBonus)->label, "A++ bonus for children:");
    EXPECT_EQ(globalOptionInfo(kGlobalOptionCount), nullptr);
}

}  // namespace
}  // namespace jf
