#include "careers/CareerChunk.h"

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

using test::Bytes;

bool decodeBody(CareerChunk& career, const Bytes& body, std::uint16_t flags = kFlagLittleEndian) {
    IffChunk& chunk = *career.chunk();
    EXPECT_TRUE(chunk.setSize(static_cast<std::uint32_t>(body.size())));
    if (!body.empty()) {
        std::memcpy(chunk.data.data(), body.data(), body.size());
    }
    chunk.flags = flags;
    chunk.position = 0;
    chunk.loaded = true;
    return career.decode();
}

Bytes encoded(CareerChunk& career) {
    Bytes body;
    EXPECT_TRUE(career.encodedBody(body));
    return body;
}

std::vector<JobLevel> sampleLevels(int count) {
    std::vector<JobLevel> levels;
    for (int i = 0; i < count; ++i) {
        levels.push_back(test::sampleJobLevel(i));
    }
    return levels;
}

// Offset of the first level group: 13 + name + NUL, made even.
std::size_t groupStart(const std::string& name) {
    std::size_t p = 13 + name.size() + 1;
    return p + (p % 2);
}

TEST(CareerChunk, FieldOrderAndIndexedAccess) {
    JobLevel level;
    level.friendsNeeded = 1;
    level.reserved9 = 10;
    level.hungerPerHour = 11;
    level.salary = 18;
    level.carType = 21;
    level.internalJobName = "T0";
    level.extraText = "T4";
    EXPECT_EQ(level.value(0), 1);
    EXPECT_EQ(level.value(9), 10);
    EXPECT_EQ(level.value(10), 11);
    EXPECT_EQ(level.value(17), 18);
    EXPECT_EQ(level.value(20), 21);
    EXPECT_EQ(level.text(0), "T0");
    EXPECT_EQ(level.text(4), "T4");
    level.value(18) = 9;
    EXPECT_EQ(level.startHour, 9);
    level.text(3) = "skin";
    EXPECT_EQ(level.skinTexture, "skin");
}

TEST(CareerChunk, PlainFormIsWrittenBackPackedWithEqualValues) {
    std::vector<JobLevel> levels = sampleLevels(10);
    CareerChunk career;
    ASSERT_TRUE(decodeBody(career, test::buildPlainCareerBody("Medicine", levels)));
    EXPECT_EQ(career.formRead(), CareerChunk::kFormPlain);
    EXPECT_EQ(career.internalCareerName, "Medicine");
    ASSERT_EQ(career.levelCount(), 10u);
    EXPECT_EQ(career.levels, levels);

    Bytes packed = encoded(career);
    EXPECT_EQ(packed, test::buildPackedCareerBody("Medicine", levels));
    EXPECT_EQ(packed[12], 1);

    CareerChunk reread;
    ASSERT_TRUE(decodeBody(reread, packed));
    EXPECT_EQ(reread.formRead(), CareerChunk::kFormPacked);
    EXPECT_EQ(reread.internalCareerName, "Medicine");
    EXPECT_EQ(reread.levels, levels);
}

TEST(CareerChunk, HeaderBytes) {
    CareerChunk career;
    career.internalCareerName = "Abc";  // ends at 13 + 4 = 17: padded
    Bytes body = encoded(career);
    Bytes expected = {0, 0, 0, 0, 0, 0, 0, 0, 'R', 'R', 'A', 'C', 1, 'A', 'b', 'c', 0, 0xA3};
    EXPECT_EQ(body, expected);

    career.internalCareerName = "Ab";  // ends at 16: no pad
    body = encoded(career);
    expected = {0, 0, 0, 0, 0, 0, 0, 0, 'R', 'R', 'A', 'C', 1, 'A', 'b', 0};
    EXPECT_EQ(body, expected);
}

TEST(CareerChunk, NoLevelsWritesNothingAfterTheName) {
    CareerChunk career;
    career.internalCareerName = "Abc";
    Bytes body = encoded(career);
    ASSERT_EQ(body.size(), 18u);
    CareerChunk reread;
    ASSERT_TRUE(decodeBody(reread, body));
    EXPECT_EQ(reread.levelCount(), 0u);
    EXPECT_EQ(reread.internalCareerName, "Abc");
}

// Encodes one level whose 21 values are all `value` and returns the length
// in bytes of its packed group (the body minus the head and the five empty
// texts, each 00 or 00 A3).
std::size_t groupBytesForValue(std::int32_t value) {
    CareerChunk career;
    career.internalCareerName = "N";
    JobLevel level;
    for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
        level.value(v) = value;
    }
    career.levels.push_back(level);
    Bytes body = encoded(career);
    std::size_t end = body.size();
    for (int t = 0; t < 5; ++t) {
        if (body[end - 1] == 0xA3) {
            --end;
        }
        EXPECT_EQ(body[end - 1], 0x00);
        --end;
    }
    CareerChunk reread;
    EXPECT_TRUE(decodeBody(reread, body));
    EXPECT_EQ(reread.levels.at(0), level);
    return end - groupStart("N");
}

TEST(CareerChunk, BitsPerValueRange) {
    // The group holds the count 1 (9 bits) and 21 values.
    auto bytesFor = [](std::size_t bitsPerValue) { return (9 + 21 * bitsPerValue + 7) / 8; };
    for (std::int32_t v : {-32, -1, 1, 31}) {
        EXPECT_EQ(groupBytesForValue(v), bytesFor(9)) << v;
    }
    for (std::int32_t v : {-1024, -33, 32, 1023}) {
        EXPECT_EQ(groupBytesForValue(v), bytesFor(14)) << v;
    }
    for (std::int32_t v : {-1048576, -1025, 1024, 1048575}) {
        EXPECT_EQ(groupBytesForValue(v), bytesFor(24)) << v;
    }
    for (std::int32_t v : {-1048577, 1048576, 0x7FFFFFFF, -0x7FFFFFFF - 1}) {
        EXPECT_EQ(groupBytesForValue(v), bytesFor(35)) << v;
    }
    EXPECT_EQ(groupBytesForValue(0), bytesFor(1));
}

TEST(CareerChunk, PackedBitsOfKnownValues) {
    CareerChunk career;
    career.internalCareerName = "Ab";  // the group starts at 16
    JobLevel level;
    level.friendsNeeded = 5;
    level.cookingNeeded = -1;
    level.mechanicalNeeded = 100;
    career.levels.push_back(level);
    Bytes body = encoded(career);
    // count 1: 1 00 000001; 5: 1 00 000101; -1: 1 00 111111;
    // 100: 1 01 00001100100; then 18 zero bits.
    std::string bits =
        "100000001"
        "100000101"
        "100111111"
        "10100001100100" +
        std::string(18, '0');
    while (bits.size() % 8 != 0) {
        bits.push_back('0');
    }
    ASSERT_GE(body.size(), 16 + bits.size() / 8);
    for (std::size_t i = 0; i < bits.size() / 8; ++i) {
        std::uint8_t expected = 0;
        for (std::size_t b = 0; b < 8; ++b) {
            expected = static_cast<std::uint8_t>((expected << 1) | (bits[i * 8 + b] - '0'));
        }
        EXPECT_EQ(body[16 + i], expected) << i;
    }
}

TEST(CareerChunk, FiveEmptyTextsWithTheirPads) {
    CareerChunk career;
    career.internalCareerName = "Ab";  // group at 16
    career.levels.push_back(JobLevel{});
    // The count 1 takes 9 bits and 21 zeros 21 more: 30 bits, 4 bytes.
    Bytes body = encoded(career);
    Bytes expectedTail = {0x00, 0xA3, 0x00, 0xA3, 0x00, 0xA3, 0x00, 0xA3, 0x00, 0xA3};
    ASSERT_EQ(body.size(), 16u + 4u + expectedTail.size());
    EXPECT_EQ(Bytes(body.begin() + 20, body.end()), expectedTail);

    // An odd group length puts the first NUL at an odd offset: no pad there.
    career.levels[0].friendsNeeded = 1000;  // 14 bits: 9 + 14 + 20 = 43 bits -> 6 bytes
    body = encoded(career);
    ASSERT_EQ(body.size(), 16u + 6u + 10u);
    EXPECT_EQ(Bytes(body.begin() + 22, body.end()), expectedTail);
    career.levels[0].friendsNeeded = 0x7FFFFFFF;  // 35 bits: 9 + 35 + 20 = 64 bits -> 8 bytes
    career.levels[0].cookingNeeded = 1;           // +8 bits -> 72 bits -> 9 bytes
    body = encoded(career);
    ASSERT_EQ(body.size(), 16u + 9u + 9u);
    EXPECT_EQ(Bytes(body.begin() + 25, body.end()),
              (Bytes{0x00, 0x00, 0xA3, 0x00, 0xA3, 0x00, 0xA3, 0x00, 0xA3}));
    CareerChunk reread;
    ASSERT_TRUE(decodeBody(reread, body));
    EXPECT_EQ(reread.levels, career.levels);
}

TEST(CareerChunk, ReaderSkipsAnyPadValue) {
    std::vector<JobLevel> levels = sampleLevels(3);
    Bytes body = test::buildPackedCareerBody("Odd", levels);
    for (auto& b : body) {
        if (b == 0xA3) {
            b = 0x55;
        }
    }
    CareerChunk career;
    ASSERT_TRUE(decodeBody(career, body));
    EXPECT_EQ(career.levels, levels);
}

TEST(CareerChunk, MagicFollowsTheByteOrderFlag) {
    std::vector<JobLevel> levels = sampleLevels(2);
    Bytes swapped = test::buildPlainCareerBody("X", levels, /*bigEndianMagic=*/true);
    Bytes normal = test::buildPlainCareerBody("X", levels, false);

    CareerChunk bigEndian;
    ASSERT_TRUE(decodeBody(bigEndian, swapped, 0));
    // Only the magic is swapped: the values are little-endian whatever the flag.
    EXPECT_EQ(bigEndian.levels, levels);

    CareerChunk a;
    EXPECT_FALSE(decodeBody(a, swapped, kFlagLittleEndian));
    CareerChunk b;
    EXPECT_FALSE(decodeBody(b, normal, 0));

    // Re-encoding sets the flag and writes the magic little-endian.
    IffChunk& chunk = *bigEndian.chunk();
    chunk.position = 0;
    ASSERT_TRUE(bigEndian.encode());
    EXPECT_TRUE(chunk.littleEndian());
    EXPECT_EQ(chunk.body(), test::buildPackedCareerBody("X", levels));
}

TEST(CareerChunk, MoreThanTenLevelsAreKept) {
    std::vector<JobLevel> levels = sampleLevels(14);
    CareerChunk career;
    ASSERT_TRUE(decodeBody(career, test::buildPackedCareerBody("Long", levels)));
    EXPECT_EQ(career.levels, levels);
    EXPECT_EQ(encoded(career), test::buildPackedCareerBody("Long", levels));
}

TEST(CareerChunk, LevelCountBounds) {
    std::vector<JobLevel> levels = sampleLevels(CareerChunk::kMaxLevelCount + 1);
    CareerChunk tooMany;
    EXPECT_FALSE(decodeBody(tooMany, test::buildPackedCareerBody("Many", levels)));
    EXPECT_TRUE(tooMany.levels.empty());
    EXPECT_FALSE(decodeBody(tooMany, test::buildPlainCareerBody("Many", levels)));

    levels.pop_back();
    CareerChunk atLimit;
    ASSERT_TRUE(decodeBody(atLimit, test::buildPackedCareerBody("Many", levels)));
    EXPECT_EQ(atLimit.levelCount(), CareerChunk::kMaxLevelCount);
}

TEST(CareerChunk, HostileCountsFailBeforeAllocating) {
    std::vector<JobLevel> two = sampleLevels(2);
    for (std::int32_t count : {3, 50, 0x7FFFFFFF, -1}) {
        CareerChunk career;
        EXPECT_FALSE(decodeBody(career, test::buildPackedCareerBodyWithCount("H", two, count)))
            << count;
        EXPECT_EQ(career.levels.capacity() <= 100u, true);
    }
    Bytes plain = test::buildPlainCareerBody("H", two);
    std::size_t countAt = groupStart("H");
    for (std::uint32_t count : {3u, 0xFFFFFFFFu, 0x80000000u}) {
        for (int i = 0; i < 4; ++i) {
            plain[countAt + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(count >> (8 * i));
        }
        CareerChunk career;
        EXPECT_FALSE(decodeBody(career, plain)) << count;
        EXPECT_LE(career.levels.size(), 2u);
    }
}

TEST(CareerChunk, DamagedBodiesFail) {
    CareerChunk career;
    EXPECT_FALSE(decodeBody(career, Bytes{}));
    EXPECT_FALSE(decodeBody(career, Bytes(15, 0)));
    // Wrong magic.
    Bytes body = test::buildPackedCareerBody("Name", sampleLevels(1));
    body[8] = 'X';
    EXPECT_FALSE(decodeBody(career, body));
    // A name without its NUL.
    Bytes unterminated = {0, 0, 0, 0, 0, 0, 0, 0, 'R', 'R', 'A', 'C', 1, 'N', 'a', 'm'};
    EXPECT_FALSE(decodeBody(career, unterminated));
    // An empty name, its pad and a zero byte: no levels.
    EXPECT_TRUE(decodeBody(career, Bytes{0, 0, 0, 0, 0, 0, 0, 0, 'R', 'R', 'A', 'C', 1, 0, 0, 0}));
    EXPECT_EQ(career.levelCount(), 0u);
}

TEST(CareerChunk, EveryTruncationFailsSafely) {
    for (bool plain : {false, true}) {
        std::vector<JobLevel> levels = sampleLevels(3);
        Bytes body = plain ? test::buildPlainCareerBody("Truncate", levels)
                           : test::buildPackedCareerBody("Truncate", levels);
        // The last text of the last level may lose its pad, and a packed body
        // cut right after the padded name is a career without levels; every
        // other prefix fails.
        for (std::size_t n = 0; n + 1 < body.size(); ++n) {
            CareerChunk career;
            Bytes prefix(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(n));
            bool ok = decodeBody(career, prefix);
            if (!plain && n == groupStart("Truncate")) {
                EXPECT_TRUE(ok);
                EXPECT_EQ(career.levelCount(), 0u);
                continue;
            }
            EXPECT_FALSE(ok) << plain << " " << n;
            EXPECT_LE(career.levels.size(), levels.size());
        }
        CareerChunk whole;
        ASSERT_TRUE(decodeBody(whole, body));
        EXPECT_EQ(whole.levels, levels);
    }
}

TEST(CareerChunk, RandomBodiesNeverCrash) {
    std::mt19937 random(99);
    Bytes base = test::buildPackedCareerBody("Fuzz", sampleLevels(4));
    for (int round = 0; round < 3000; ++round) {
        Bytes body = base;
        int flips = 1 + static_cast<int>(random() % 6);
        for (int f = 0; f < flips; ++f) {
            std::size_t at = 12 + random() % (body.size() - 12);
            body[at] = static_cast<std::uint8_t>(random());
        }
        if (round % 5 == 0) {
            body.resize(16 + random() % (body.size() - 16));
        }
        CareerChunk career;
        if (decodeBody(career, body)) {
            EXPECT_LE(career.levelCount(), CareerChunk::kMaxLevelCount);
            Bytes again;
            EXPECT_TRUE(career.encodedBody(again));
        }
    }
}

TEST(CareerChunk, WriteToFileLoadFromFileAndAssign) {
    CareerChunk career;
    career.internalCareerName = "Xfer";
    career.levels = sampleLevels(5);
    MemoryFile file;
    ASSERT_TRUE(career.writeToFile(file));
    ASSERT_TRUE(file.seek(0));
    CareerChunk reread;
    ASSERT_TRUE(reread.loadFromFile(file));
    EXPECT_EQ(reread.internalCareerName, "Xfer");
    EXPECT_EQ(reread.levels, career.levels);

    CareerChunk copy;
    copy.assign(reread);
    EXPECT_EQ(copy.levels, career.levels);
    EXPECT_EQ(copy.internalCareerName, "Xfer");
    EXPECT_NE(copy.chunk(), reread.chunk());
    const ChunkObject& base = career;
    CareerChunk viaBase;
    viaBase.assign(base);
    EXPECT_EQ(viaBase.levels, career.levels);
}

}  // namespace
}  // namespace jf
