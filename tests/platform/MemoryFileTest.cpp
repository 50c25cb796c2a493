#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/File.h"

namespace jf {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(MemoryFile, GrowsInWholeStepsOf1024Bytes) {
    MemoryFile file;
    EXPECT_EQ(file.capacity(), 0u);
    EXPECT_EQ(file.length(), 0);

    std::vector<std::uint8_t> block(1024, 0x5A);
    ASSERT_TRUE(file.write(block.data(), 1));
    EXPECT_EQ(file.capacity(), 1024u);
    ASSERT_TRUE(file.write(block.data(), 1023));
    EXPECT_EQ(file.capacity(), 1024u);
    EXPECT_EQ(file.length(), 1024);
    ASSERT_TRUE(file.write(block.data(), 1));
    EXPECT_EQ(file.capacity(), 2048u);
    EXPECT_EQ(file.length(), 1025);
    ASSERT_TRUE(file.write(block.data(), 1024));
    EXPECT_EQ(file.capacity(), 3072u);
    EXPECT_EQ(file.length(), 2049);
}

TEST(MemoryFile, InitialContentsRoundCapacityUp) {
    MemoryFile file(std::vector<std::uint8_t>(1500, 7));
    EXPECT_EQ(file.length(), 1500);
    EXPECT_EQ(file.capacity(), 2048u);
    MemoryFile exact(std::vector<std::uint8_t>(2048, 7));
    EXPECT_EQ(exact.capacity(), 2048u);
}

TEST(MemoryFile, WritePastTheEndFillsTheGapWithZeros) {
    MemoryFile file;
    ASSERT_TRUE(file.write("ab", 2));
    ASSERT_TRUE(file.seek(3000));
    ASSERT_TRUE(file.write("z", 1));
    EXPECT_EQ(file.length(), 3001);
    EXPECT_EQ(file.capacity(), 3072u);
    std::vector<std::uint8_t> contents = file.contents();
    ASSERT_EQ(contents.size(), 3001u);
    EXPECT_EQ(contents[0], 'a');
    EXPECT_EQ(contents[1], 'b');
    for (std::size_t i = 2; i < 3000; ++i) {
        ASSERT_EQ(contents[i], 0) << "at " << i;
    }
    EXPECT_EQ(contents[3000], 'z');
}

TEST(MemoryFile, BytesCutByTruncateNeverReappear) {
    MemoryFile file;
    std::vector<std::uint8_t> ones(100, 0xFF);
    ASSERT_TRUE(file.write(ones.data(), ones.size()));
    ASSERT_TRUE(file.truncate(10));
    EXPECT_EQ(file.length(), 10);
    EXPECT_EQ(file.tell(), 100u);  // truncate leaves the cursor alone

    // Growing again by writing past the end: the old 0xFF bytes are zeros now.
    ASSERT_TRUE(file.seek(50));
    ASSERT_TRUE(file.write("x", 1));
    std::vector<std::uint8_t> contents = file.contents();
    ASSERT_EQ(contents.size(), 51u);
    for (std::size_t i = 10; i < 50; ++i) {
        ASSERT_EQ(contents[i], 0) << "at " << i;
    }

    // Growing by truncate also fills with zeros.
    ASSERT_TRUE(file.truncate(5));
    ASSERT_TRUE(file.truncate(80));
    contents = file.contents();
    ASSERT_EQ(contents.size(), 80u);
    for (std::size_t i = 5; i < 80; ++i) {
        ASSERT_EQ(contents[i], 0) << "at " << i;
    }
}

TEST(MemoryFile, ReadStopsAtTheEnd) {
    MemoryFile file(bytesOf("hello"));
    char buffer[16] = {};
    ASSERT_TRUE(file.seek(3));
    EXPECT_EQ(file.read(buffer, sizeof buffer), 2);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0);
    ASSERT_TRUE(file.seek(1000));
    EXPECT_EQ(file.read(buffer, sizeof buffer), 0);
    EXPECT_FALSE(file.readExact(buffer, 1));
}

TEST(MemoryFile, EmptyWritePastTheEndDoesNotExtend) {
    MemoryFile file(bytesOf("abc"));
    ASSERT_TRUE(file.seek(500));
    EXPECT_TRUE(file.write("", 0));
    EXPECT_EQ(file.length(), 3);
}

TEST(MemoryFile, HugeSizesFailWithoutChangingTheFile) {
    MemoryFile file(bytesOf("abc"));
    EXPECT_FALSE(file.truncate(std::numeric_limits<std::uint64_t>::max()));
    EXPECT_FALSE(file.truncate((std::uint64_t(1) << 32) + 1));
    ASSERT_TRUE(file.seek(std::numeric_limits<std::uint64_t>::max() - 1));
    EXPECT_FALSE(file.write("abcd", 4));
    EXPECT_EQ(file.contents(), bytesOf("abc"));
    EXPECT_EQ(file.capacity(), 1024u);
}

TEST(MemoryFile, DuplicateSharesContentsButNotTheCursor) {
    MemoryFile file(bytesOf("0123456789"));
    ASSERT_TRUE(file.seek(4));
    std::unique_ptr<File> copy = file.duplicate();
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isMemory());
    EXPECT_EQ(copy->tell(), 4u);

    char buffer[3] = {};
    ASSERT_TRUE(copy->readExact(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(file.tell(), 4u);

    ASSERT_TRUE(copy->write("XY", 2));  // at 7
    EXPECT_EQ(file.contents(), bytesOf("0123456XY9"));
    ASSERT_TRUE(file.truncate(2));
    EXPECT_EQ(copy->length(), 2);
}

}  // namespace
}  // namespace jf
