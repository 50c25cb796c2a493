#include <gtest/gtest.h>

#include "iff/ChunkStream.h"
#include "platform/File.h"

namespace jf {
namespace {

IffChunk chunkWith(const std::vector<std::uint8_t>& body) {
    IffChunk chunk;
    chunk.setSize(static_cast<std::uint32_t>(body.size()));
    std::copy(body.begin(), body.end(), chunk.data.begin());
    chunk.loaded = true;
    return chunk;
}

TEST(ChunkStream, EmptyBodyReads) {
    IffChunk chunk = chunkWith({});
    ChunkStream s(chunk);
    std::uint8_t b;
    std::uint16_t w;
    std::uint32_t d;
    EXPECT_FALSE(s.readU8(b));
    EXPECT_FALSE(s.readU16(w));
    EXPECT_FALSE(s.readU32(d));
    EXPECT_TRUE(s.skip(0));
    std::string text = "x";
    EXPECT_TRUE(s.readString(text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(s.readString(text));
}

TEST(ChunkStream, FailedReadLeavesPosition) {
    IffChunk chunk = chunkWith({1, 2, 3, 4});
    ChunkStream s(chunk);
    ASSERT_TRUE(s.skip(1));
    std::uint32_t d = 77;
    EXPECT_FALSE(s.readU32(d));
    EXPECT_EQ(d, 77u);
    EXPECT_EQ(chunk.position, 1u);
    EXPECT_FALSE(s.skip(4));
    EXPECT_EQ(chunk.position, 1u);
}

TEST(ChunkStream, StringWithoutNulAtEnd) {
    IffChunk chunk = chunkWith({'x', 0, 'a', 'b'});
    ChunkStream s(chunk);
    ASSERT_TRUE(s.skip(2));
    std::string text;
    ASSERT_TRUE(s.readString(text));
    EXPECT_EQ(text, "ab");
    std::uint8_t b;
    EXPECT_FALSE(s.readU8(b));
    EXPECT_FALSE(s.readString(text));
}

TEST(ChunkStream, ReadCharsStopsAtNulButAdvancesFully) {
    IffChunk chunk = chunkWith({0x41, 0x00, 0x42, 0x43});
    ChunkStream s(chunk);
    std::string text;
    ASSERT_TRUE(s.readChars(text, 4));
    EXPECT_EQ(text, "A");
    EXPECT_EQ(chunk.position, 4u);
    EXPECT_FALSE(s.readChars(text, 1));
}

TEST(ChunkStream, LittleEndianAndOrderedReads) {
    IffChunk chunk = chunkWith({0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    ChunkStream s(chunk);
    std::uint16_t w;
    std::uint32_t d;
    ASSERT_TRUE(s.readU16(w));
    EXPECT_EQ(w, 0x0201);
    ASSERT_TRUE(s.readU32(d));
    EXPECT_EQ(d, 0x06050403u);
    chunk.flags = 0;  // big-endian body
    chunk.position = 0;
    ASSERT_TRUE(s.readU16Ordered(w));
    EXPECT_EQ(w, 0x0102);
    ASSERT_TRUE(s.readU32Ordered(d));
    EXPECT_EQ(d, 0x03040506u);
}

TEST(ChunkStream, SetLengthPullsPositionBack) {
    IffChunk chunk = chunkWith({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    chunk.position = 8;
    ChunkStream s(chunk);
    ASSERT_TRUE(s.setLength(3));
    EXPECT_EQ(chunk.size, 3u);
    EXPECT_EQ(chunk.position, 3u);
}

TEST(ChunkStream, WriteGrowsCapacityInGranules) {
    IffChunk chunk;
    ChunkStream s(chunk);
    EXPECT_EQ(chunk.capacity(), 64u);
    chunk.position = 64;
    ASSERT_TRUE(s.writeU8(7));
    EXPECT_EQ(chunk.capacity(), 128u);
    EXPECT_EQ(chunk.size, 65u);
    EXPECT_EQ(chunk.data[64], 7);
    // Writing in the middle overwrites without growing the size.
    chunk.position = 0;
    ASSERT_TRUE(s.writeU32(0x11223344));
    EXPECT_EQ(chunk.size, 65u);
    EXPECT_EQ(chunk.data[0], 0x44);
    EXPECT_EQ(chunk.data[3], 0x11);
    chunk.position = 65;
    ASSERT_TRUE(s.writeString("hello"));
    EXPECT_EQ(chunk.size, 71u);
    EXPECT_EQ(chunk.data[70], 0);
    EXPECT_EQ(chunk.capacity() % 64, 0u);
}

std::vector<std::uint8_t> packed(const std::vector<std::int32_t>& values) {
    MemoryFile file;
    BitStream bits;
    bits.startWriting(file);
    for (std::int32_t v : values) {
        EXPECT_TRUE(bits.writePacked(v));
    }
    EXPECT_TRUE(bits.flush());
    return file.contents();
}

TEST(BitStream, PackedEncodingsAreExact) {
    // 5 -> 1 00 000101 (9 bits) -> 10000010 1.......
    EXPECT_EQ(packed({5}), (std::vector<std::uint8_t>{0x82, 0x80}));
    // -1 -> 1 00 111111
    EXPECT_EQ(packed({-1}), (std::vector<std::uint8_t>{0x9F, 0x80}));
    // 100 -> 1 01 00001100100 (14 bits)
    EXPECT_EQ(packed({100}), (std::vector<std::uint8_t>{0xA1, 0x90}));
    // 0 -> a single 0 bit
    EXPECT_EQ(packed({0}), (std::vector<std::uint8_t>{0x00}));
    EXPECT_TRUE(packed({}).empty());
}

TEST(BitStream, BitCountsPerRange) {
    struct Case {
        std::int32_t value;
        std::size_t bits;
    };
    for (Case c :
         {Case{0, 1}, Case{31, 9}, Case{-32, 9}, Case{32, 14}, Case{-33, 14}, Case{1023, 14},
          Case{1024, 24}, Case{-1025, 24}, Case{1048576, 35}, Case{-1048577, 35}}) {
        // n values of the same kind fill n * bits bits.
        std::vector<std::int32_t> eight(8, c.value);
        EXPECT_EQ(packed(eight).size(), c.bits) << c.value;
    }
}

TEST(BitStream, BoundaryValuesRoundTrip) {
    std::vector<std::int32_t> values = {0,       31,       32,       -32,        -33,
                                        1023,    1024,     -1024,    -1025,      1048575,
                                        1048576, -1048576, -1048577, 0x7FFFFFFF, INT32_MIN};
    std::vector<std::uint8_t> bytes = packed(values);
    BitStream reader;
    reader.startReading(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    for (std::int32_t v : values) {
        EXPECT_EQ(reader.readPacked(), v);
    }
    EXPECT_EQ(reader.bytesConsumed(), bytes.size());
    // Past the end every bit is zero, so the reader yields zeros.
    EXPECT_EQ(reader.readPacked(), 0);
    EXPECT_EQ(reader.bytesConsumed(), bytes.size());
}

TEST(BitStream, FlushAfterNineBits) {
    MemoryFile file;
    BitStream bits;
    bits.startWriting(file);
    EXPECT_TRUE(bits.flush());
    EXPECT_EQ(file.length(), 0);
    for (int i = 0; i < 9; ++i) {
        bits.writeBit(1);
    }
    bits.flush();
    EXPECT_EQ(file.contents(), (std::vector<std::uint8_t>{0xFF, 0x80}));
}

}  // namespace
}  // namespace jf
