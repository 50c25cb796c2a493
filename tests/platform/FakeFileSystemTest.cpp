// The fake file system stands in for the disk in many tests; these pin down
// that it behaves like the real ones where it matters.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"

namespace jf {
namespace {

using test::FakeFileSystem;
using test::FaultInjectingFileSystem;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

TEST(FakeFileSystem, PathsIgnoreCaseAndSeparatorKind) {
    FakeFileSystem fs;
    fs.putFile("uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp", "icons");
    std::string core = "UIGraphics\\cpanel\\Backgrounds\\JobIconMultiPopup.BMP";
    EXPECT_TRUE(fs.exists(core));
    EXPECT_TRUE(fs.isFolder("UIGRAPHICS\\CPANEL\\"));
    EXPECT_EQ(fs.nativePath(core), "uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp");
    EXPECT_EQ(fs.nativePath("UIGraphics\\cpanel\\New\\X.bmp"), "uigraphics/CPanel/New/X.bmp");
    std::unique_ptr<File> file = fs.open(core, OpenMode::Read);
    ASSERT_NE(file, nullptr);
    char buffer[5];
    ASSERT_TRUE(file->readExact(buffer, 5));
    EXPECT_EQ(std::string(buffer, 5), "icons");
    EXPECT_EQ(file->path(), "uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp");
}

TEST(FakeFileSystem, CreatingNeedsAnExistingFolder) {
    FakeFileSystem fs;
    EXPECT_EQ(fs.open("Game\\Data\\Work.iff", OpenMode::CreateTruncate), nullptr);
    EXPECT_FALSE(fs.createFolder("Game\\Data"));
    EXPECT_TRUE(fs.createFolder("Game"));
    EXPECT_TRUE(fs.createFolder("game\\Data\\"));
    EXPECT_TRUE(fs.createFolder("GAME\\DATA"));  // already there
    std::unique_ptr<File> file = fs.open("GAME\\DATA\\Work.iff", OpenMode::CreateTruncate);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("abc", 3));
    file.reset();
    EXPECT_EQ(fs.allFiles(), (std::vector<std::string>{"Game/Data/Work.iff"}));
    EXPECT_EQ(fs.allFolders(), (std::vector<std::string>{"Game", "Game/Data"}));
    EXPECT_EQ(fs.fileBytes("game/data/work.iff"), bytesOf("abc"));
    // Roots and drives always exist.
    EXPECT_TRUE(fs.createFolder("C:\\Games"));
    EXPECT_TRUE(fs.createFolder("/home"));
}

TEST(FakeFileSystem, SharingFollowsOtherWritersDenied) {
    FakeFileSystem fs;
    fs.putFile("a.iff", "data");
    {
        std::unique_ptr<File> writer = fs.open("A.IFF", OpenMode::ReadWrite);
        ASSERT_NE(writer, nullptr);
        EXPECT_TRUE(fs.isOpen("a.iff"));
        EXPECT_EQ(fs.open("a.iff", OpenMode::ReadWrite), nullptr);
        EXPECT_EQ(fs.open("a.iff", OpenMode::Read), nullptr);
        EXPECT_EQ(fs.open("a.iff", OpenMode::CreateTruncate), nullptr);
        EXPECT_EQ(fs.fileBytes("a.iff"), bytesOf("data"));
        std::unique_ptr<File> copy = writer->duplicate();
        ASSERT_NE(copy, nullptr);
        writer.reset();
        EXPECT_EQ(fs.open("a.iff", OpenMode::Read), nullptr);  // the duplicate holds it
    }
    EXPECT_FALSE(fs.isOpen("a.iff"));
    std::unique_ptr<File> first = fs.open("a.iff", OpenMode::Read);
    std::unique_ptr<File> second = fs.open("a.iff", OpenMode::Read);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(fs.open("a.iff", OpenMode::ReadWrite), nullptr);
    EXPECT_FALSE(first->write("x", 1));
}

TEST(FakeFileSystem, ReadOnlyFilesRefuseWriting) {
    FakeFileSystem fs;
    fs.putFile("Icons\\Popup.bmp", "bmp");
    ASSERT_TRUE(fs.setReadOnly("icons\\popup.BMP"));
    EXPECT_TRUE(fs.isReadOnly("Icons\\Popup.bmp"));
    EXPECT_EQ(fs.open("Icons\\Popup.bmp", OpenMode::ReadWrite), nullptr);
    EXPECT_EQ(fs.open("Icons\\Popup.bmp", OpenMode::CreateTruncate), nullptr);
    EXPECT_NE(fs.open("Icons\\Popup.bmp", OpenMode::Read), nullptr);
    EXPECT_EQ(fs.deleteFile("Icons\\Popup.bmp"), DeleteResult::Failed);
    ASSERT_TRUE(fs.clearReadOnly("Icons\\Popup.bmp"));
    EXPECT_NE(fs.open("Icons\\Popup.bmp", OpenMode::ReadWrite), nullptr);
    EXPECT_TRUE(fs.clearReadOnly("Icons\\Missing.bmp"));
    EXPECT_FALSE(fs.exists("Icons\\Missing.bmp"));
    EXPECT_FALSE(fs.setReadOnly("Icons\\Missing.bmp"));
}

TEST(FakeFileSystem, DeleteAndReplace) {
    FakeFileSystem fs;
    fs.putFile("d\\Work.iff", "old");
    fs.putFile("d\\work.tmp", "new");
    std::unique_ptr<File> oldHandle = fs.open("d\\Work.iff", OpenMode::Read);
    ASSERT_TRUE(fs.replaceFile("D\\WORK.TMP", "D\\WORK.IFF"));
    EXPECT_EQ(fs.allFiles(), (std::vector<std::string>{"d/Work.iff"}));
    EXPECT_EQ(fs.fileBytes("d\\Work.iff"), bytesOf("new"));
    // The handle opened before still reads the replaced contents.
    char buffer[3];
    ASSERT_TRUE(oldHandle->readExact(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "old");
    EXPECT_FALSE(fs.replaceFile("d\\gone", "d\\Work.iff"));

    EXPECT_EQ(fs.deleteFile("D\\work.IFF"), DeleteResult::Deleted);
    EXPECT_EQ(fs.deleteFile("d\\Work.iff"), DeleteResult::NotFound);
    EXPECT_EQ(fs.deleteFile("d"), DeleteResult::Failed);
}

TEST(FakeFileSystem, ListArchivesInCreationOrder) {
    FakeFileSystem fs;
    for (const char* name : {"z.FAR", "a.far", "m.Far", "b.farx", "c.txt"}) {
        fs.putFile(std::string("GameData\\") + name, "");
    }
    fs.putFile("GameData\\Sub\\inner.far", "");
    fs.putFile("other.far", "");
    EXPECT_EQ(fs.listArchives("gamedata\\"), (std::vector<std::string>{"z.FAR", "a.far", "m.Far"}));
    EXPECT_EQ(fs.listArchives(""), (std::vector<std::string>{"other.far"}));
    EXPECT_TRUE(fs.listArchives("nowhere\\").empty());
}

TEST(FakeFileSystem, ListFilesInCreationOrder) {
    FakeFileSystem fs;
    fs.putFile("GameData\\z.iff", "");
    fs.putFile("GameData\\Sub\\inner.iff", "");
    fs.putFile("GameData\\A.BMP", "");
    EXPECT_EQ(fs.listFiles("gamedata"), (std::vector<std::string>{"z.iff", "A.BMP"}));
    EXPECT_TRUE(fs.syncFolder("GameData\\Sub\\"));
    EXPECT_FALSE(fs.syncFolder("nowhere\\"));
}

TEST(FakeFileSystem, PutFileReachesOpenHandles) {
    FakeFileSystem fs;
    fs.putFile("x.bin", "one");
    std::unique_ptr<File> file = fs.open("x.bin", OpenMode::Read);
    fs.putFile("X.BIN", "two!");
    EXPECT_EQ(file->length(), 4);
    EXPECT_EQ(fs.allFiles(), (std::vector<std::string>{"x.bin"}));
}

TEST(FaultInjectingFileSystem, CountsAndFailsOnlyTheChosenCall) {
    FakeFileSystem fake;
    fake.addFolder("d");
    FaultInjectingFileSystem faulty(fake);
    faulty.failWriteAt(2);
    std::unique_ptr<File> file = faulty.open("d\\f.bin", OpenMode::CreateTruncate);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->write("aaaa", 4));
    std::unique_ptr<File> copy = file->duplicate();  // duplicates are counted too
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->write("bbbb", 4));  // half of it lands
    ASSERT_TRUE(file->seek(6));
    EXPECT_TRUE(file->write("cc", 2));
    EXPECT_EQ(faulty.writeCount(), 3u);
    EXPECT_EQ(fake.fileBytes("d\\f.bin"), bytesOf("aaaabbcc"));

    faulty.failFlushAt(1);
    EXPECT_FALSE(file->flush());
    EXPECT_TRUE(copy->flush());
    EXPECT_EQ(faulty.flushCount(), 2u);

    file.reset();
    copy.reset();
    faulty.failRenameAt(1);
    EXPECT_FALSE(faulty.replaceFile("d\\f.bin", "d\\g.bin"));
    EXPECT_EQ(fake.allFiles(), (std::vector<std::string>{"d/f.bin"}));
    EXPECT_TRUE(faulty.replaceFile("d\\f.bin", "d\\g.bin"));
    EXPECT_EQ(faulty.renameCount(), 2u);

    faulty.failOpenAt(3);  // the create above was the first
    EXPECT_NE(faulty.open("d\\g.bin", OpenMode::Read), nullptr);
    EXPECT_EQ(faulty.open("d\\g.bin", OpenMode::Read), nullptr);
    EXPECT_EQ(faulty.openCount(), 3u);

    faulty.resetCounts();
    EXPECT_EQ(faulty.writeCount() + faulty.flushCount() + faulty.renameCount() + faulty.openCount(),
              0u);
}

}  // namespace
}  // namespace jf
