// Inputs found by fuzzing that once broke a property of the career chunk
// codecs, kept as plain unit tests (the raw inputs also live in
// fuzz/regressions and are replayed by the reliability tests).
#include <gtest/gtest.h>

#include "careers/CareerChunk.h"
#include "support/CareerBuilders.h"
#include "support/CodeTreeBuilders.h"

namespace jf::test {
namespace {

// A track with an empty name and no levels: the packed form ends right
// after the name's NUL at byte 14, which no reader accepts (a body must have
// 16 bytes). The writer pads such a body with zero bytes, a packed count of
// 0, so the career file it writes loads again.
TEST(CareerChunkCrashInputs, AnEmptyNameWithoutLevelsReadsBack) {
    const Bytes body = {0, 0, 0, 0, 0, 0, 0, 0, 0x52, 0x52, 0x41, 0x43, 0x54, 0x00, 0x00, 0x00};
    CareerChunk career;
    ASSERT_TRUE(decodeBody(career, body, true));
    EXPECT_EQ(career.internalCareerName, "");
    EXPECT_EQ(career.levelCount(), 0u);

    std::vector<std::uint8_t> encoded;
    ASSERT_TRUE(career.encodedBody(encoded));
    EXPECT_EQ(encoded, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x52, 0x52, 0x41, 0x43, 1, 0, 0, 0}));
    CareerChunk again;
    ASSERT_TRUE(decodeBody(again, encoded, true));
    EXPECT_EQ(again.internalCareerName, "");
    EXPECT_EQ(again.levelCount(), 0u);
    std::vector<std::uint8_t> second;
    ASSERT_TRUE(again.encodedBody(second));
    EXPECT_EQ(second, encoded);
}

// A one-letter name already reaches 16 bytes with its pad: nothing is added.
TEST(CareerChunkCrashInputs, AOneLetterNameWithoutLevelsIsNotPadded) {
    CareerChunk career;
    career.internalCareerName = "A";
    std::vector<std::uint8_t> encoded;
    ASSERT_TRUE(career.encodedBody(encoded));
    EXPECT_EQ(encoded, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x52, 0x52, 0x41, 0x43, 1, 'A', 0, 0xA3}));
}

}  // namespace
}  // namespace jf::test
