#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/Checksum.h"
#include "platform/FileSystem.h"

namespace jf {
namespace {

TEST(Paths, FileNameAndFolder) {
    EXPECT_EQ(paths::fileName("a\\b\\c.iff"), "c.iff");
    EXPECT_EQ(paths::folderOf("a\\b\\c.iff"), "a\\b\\");
    EXPECT_EQ(paths::fileName("c.iff"), "c.iff");
    EXPECT_EQ(paths::folderOf("c.iff"), "");
    EXPECT_EQ(paths::fileName("/tmp/game\\GameData\\Work.iff"), "Work.iff");
    EXPECT_EQ(paths::folderOf("/tmp/game\\GameData\\Work.iff"), "/tmp/game\\GameData\\");
    EXPECT_EQ(paths::folderOf("/tmp/x/y"), "/tmp/x/");
    EXPECT_EQ(paths::fileName("folder\\"), "");
}

TEST(Paths, JoinAddsABackslashOnlyWhenMissing) {
    EXPECT_EQ(paths::join("C:\\Games\\", "Work.iff"), "C:\\Games\\Work.iff");
    EXPECT_EQ(paths::join("C:\\Games", "Work.iff"), "C:\\Games\\Work.iff");
    EXPECT_EQ(paths::join("/home/u/sims/", "a\\b"), "/home/u/sims/a\\b");
    EXPECT_EQ(paths::join("", "Work.iff"), "Work.iff");
}

TEST(Paths, EqualsIgnoreCaseFoldsAsciiLettersOnly) {
    EXPECT_TRUE(paths::equalsIgnoreCase("JobIconMultiPopup.BMP", "jobiconmultipopup.bmp"));
    EXPECT_FALSE(paths::equalsIgnoreCase("abc", "abcd"));
    EXPECT_FALSE(paths::equalsIgnoreCase("a[", "A{"));  // '[' and '{' differ by 0x20 too
    EXPECT_FALSE(paths::equalsIgnoreCase("@", "`"));
    // Bytes of multibyte characters are compared exactly: U+00C4 vs U+00E4.
    EXPECT_FALSE(paths::equalsIgnoreCase("\xC3\x84", "\xC3\xA4"));
    EXPECT_TRUE(paths::equalsIgnoreCase("\xC3\x84x", "\xC3\x84X"));
}

TEST(Paths, TemporarySiblingsAreInTheSameFolderAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 5; ++i) {
        std::string name = paths::temporarySibling("game\\Data\\Work.iff");
        EXPECT_EQ(paths::folderOf(name), "game\\Data\\");
        EXPECT_EQ(name.rfind("game\\Data\\Work.iff", 0), 0u);
        EXPECT_TRUE(seen.insert(name).second);
    }
    // Never mistaken for an archive by a folder listing.
    std::string far = paths::temporarySibling("x.FAR");
    EXPECT_NE(far.substr(far.size() - 4), ".FAR");
    EXPECT_TRUE(paths::isTemporarySiblingName(paths::fileName(far)));
}

TEST(Paths, TemporarySiblingNamesAreRecognisedExactly) {
    EXPECT_TRUE(paths::isTemporarySiblingName("Work.iff.jf3tmp-123-4"));
    for (const char* other : {".jf3tmp-1-2", "Work.iff.jf3tmp-", "Work.iff.jf3tmp-12",
                              "Work.iff.jf3tmp-1-", "Work.iff.jf3tmp--2", "Work.iff.jf3tmp-1-2x",
                              "Work.iff.jf3tmp-1-2-3", "Work.iff.JF3TMP-1-2", "Work.iff"}) {
        EXPECT_FALSE(paths::isTemporarySiblingName(other)) << other;
    }
}

TEST(Checksum, IsTheCrc32OfZlib) {
    EXPECT_EQ(crc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32("", 0), 0u);
    // In two parts as in one.
    EXPECT_EQ(crc32("6789", 4, crc32("12345", 5)), 0xCBF43926u);
}

}  // namespace
}  // namespace jf
