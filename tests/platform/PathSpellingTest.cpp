// Paths that exist exactly as spelled resolve in one step; the result must be
// the same string the component-by-component walk gives: separators made
// '/', empty and "." components dropped, ".." and links left to the system.
#ifndef _WIN32

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/PosixFileSystem.h"

namespace jf {
namespace {

using test::TempFolder;

class PathSpellingTest : public ::testing::Test {
protected:
    TempFolder dir;
    PosixFileSystem fs;
};

TEST_F(PathSpellingTest, ExactSpellingsComeBackInTheWalksForm) {
    dir.write("Game/Data/Work.iff", "w");
    const std::string root = dir.path();
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/Work.iff"), dir.native("Game/Data/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "\\Game\\Data\\Work.iff"), dir.native("Game/Data/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "//Game/./Data\\\\Work.iff"), dir.native("Game/Data/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/"), dir.native("Game/Data"));
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/.\\"), dir.native("Game/Data"));
    // ".." stays in the path as given, as the walk keeps it.
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/../Data/Work.iff"),
              dir.native("Game/Data/../Data/Work.iff"));
    EXPECT_EQ(fs.nativePath("/"), "/");
    EXPECT_EQ(fs.nativePath("\\\\"), "/");
    EXPECT_EQ(fs.nativePath(""), "");
    EXPECT_EQ(fs.nativePath("./"), "");
}

TEST_F(PathSpellingTest, OneWrongCaseStillResolvesThroughTheWalk) {
    dir.write("Game/Data/Work.iff", "w");
    const std::string root = dir.path();
    EXPECT_EQ(fs.nativePath(root + "/game/Data/Work.iff"), dir.native("Game/Data/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/WORK.IFF"), dir.native("Game/Data/Work.iff"));
    // A file in place of a folder, and a missing tail, keep the case given.
    EXPECT_EQ(fs.nativePath(root + "/Game/Data/Work.iff/Inner"),
              dir.native("Game/Data/Work.iff/Inner"));
    EXPECT_EQ(fs.nativePath(root + "/GAME/New/X.Bmp"), dir.native("Game/New/X.Bmp"));
}

TEST_F(PathSpellingTest, LinksAreKeptAsSpelled) {
    dir.write("Real/Work.iff", "w");
    ASSERT_EQ(::symlink("Real", dir.native("Link").c_str()), 0);
    ASSERT_EQ(::symlink("Nowhere", dir.native("Dangling").c_str()), 0);
    const std::string root = dir.path();
    EXPECT_EQ(fs.nativePath(root + "/Link/Work.iff"), dir.native("Link/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "/link/WORK.iff"), dir.native("Link/Work.iff"));
    EXPECT_EQ(fs.nativePath(root + "/Dangling"), dir.native("Dangling"));
    EXPECT_EQ(fs.nativePath(root + "/dangling"), dir.native("Dangling"));
}

}  // namespace
}  // namespace jf

#endif
