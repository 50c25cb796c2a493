#ifndef _WIN32

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "platform/PosixFileSystem.h"

namespace jf {
namespace {

using test::TempFolder;

std::string readAll(File& file) {
    std::string out(static_cast<std::size_t>(file.length()), '\0');
    file.seek(0);
    std::int64_t got = file.read(out.data(), out.size());
    out.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return out;
}

mode_t modeOf(const std::string& native) {
    struct stat info {};
    EXPECT_EQ(::stat(native.c_str(), &info), 0) << native;
    return info.st_mode;
}

class PosixFileSystemTest : public ::testing::Test {
protected:
    TempFolder dir;
    PosixFileSystem fs;
};

TEST_F(PosixFileSystemTest, ResolvesEveryComponentIgnoringCase) {
    dir.write("uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp", "icons");
    std::string core = dir.coreFolder() + "UIGraphics\\cpanel\\Backgrounds\\JobIconMultiPopup.BMP";

    EXPECT_EQ(fs.nativePath(core),
              dir.native("uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp"));
    EXPECT_TRUE(fs.exists(core));
    std::unique_ptr<File> file = fs.open(core, OpenMode::Read);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(*file), "icons");
    EXPECT_EQ(file->path(), dir.native("uigraphics/CPanel/backgrounds/jobiconmultipopup.bmp"));

    // Forward slashes, doubled separators and "." work as well.
    EXPECT_EQ(fs.nativePath(dir.path() + "/UIGRAPHICS//./cpanel/BACKGROUNDS\\"),
              dir.native("uigraphics/CPanel/backgrounds"));
}

TEST_F(PosixFileSystemTest, AnExactMatchWinsOverOtherCases) {
    dir.write("Data/File.txt", "upper");
    dir.write("Data/file.txt", "lower");
    EXPECT_EQ(fs.nativePath(dir.coreFolder() + "Data\\file.txt"), dir.native("Data/file.txt"));
    EXPECT_EQ(fs.nativePath(dir.coreFolder() + "Data\\File.txt"), dir.native("Data/File.txt"));
}

TEST_F(PosixFileSystemTest, MissingComponentsKeepTheGivenCase) {
    dir.write("uigraphics/CPanel/keep.txt", "");
    std::string folder = dir.coreFolder() + "UIGraphics\\cpanel\\NewFolder";
    EXPECT_EQ(fs.nativePath(folder + "\\Deeper\\X.Bmp"),
              dir.native("uigraphics/CPanel/NewFolder/Deeper/X.Bmp"));

    ASSERT_TRUE(fs.createFolder(folder));
    EXPECT_TRUE(dir.has("uigraphics/CPanel/NewFolder"));
    EXPECT_TRUE(fs.createFolder(dir.coreFolder() + "UIGRAPHICS\\CPANEL\\newfolder"));  // exists
    EXPECT_EQ(dir.entries("uigraphics/CPanel"),
              (std::vector<std::string>{"NewFolder", "keep.txt"}));

    std::unique_ptr<File> created = fs.open(
        dir.coreFolder() + "UIGRAPHICS\\cpanel\\newFOLDER\\Popup.BMP", OpenMode::CreateTruncate);
    ASSERT_NE(created, nullptr);
    ASSERT_TRUE(created->write("bm", 2));
    created.reset();
    EXPECT_EQ(dir.read("uigraphics/CPanel/NewFolder/Popup.BMP"), "bm");

    // Creating a file in a folder that does not exist fails.
    EXPECT_EQ(fs.open(dir.coreFolder() + "Nowhere\\A.bmp", OpenMode::CreateTruncate), nullptr);
    EXPECT_FALSE(fs.createFolder(dir.coreFolder() + "Nowhere\\Inner"));
    EXPECT_FALSE(dir.has("Nowhere"));
}

TEST_F(PosixFileSystemTest, RelativePathsResolveAgainstTheCurrentFolder) {
    dir.write("GameData/Work.iff", "w");
    char saved[PATH_MAX];
    ASSERT_NE(::getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    std::string native = fs.nativePath("gamedata\\WORK.IFF");
    std::unique_ptr<File> file = fs.open("gamedata\\WORK.IFF", OpenMode::Read);
    ASSERT_EQ(::chdir(saved), 0);
    EXPECT_EQ(native, "GameData/Work.iff");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(*file), "w");
}

TEST_F(PosixFileSystemTest, AWriterDeniesEveryOtherOpener) {
    dir.write("a.iff", "data");
    std::string path = dir.coreFolder() + "a.iff";
    std::unique_ptr<File> writer = fs.open(path, OpenMode::ReadWrite);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(fs.open(path, OpenMode::ReadWrite), nullptr);
    EXPECT_EQ(fs.open(path, OpenMode::Read), nullptr);
    EXPECT_EQ(fs.open(dir.coreFolder() + "A.IFF", OpenMode::CreateTruncate), nullptr);
    // The refused create did not empty the file under the writer.
    EXPECT_EQ(dir.read("a.iff"), "data");
    // Another FileSystem object of this program is refused as well.
    PosixFileSystem other;
    EXPECT_EQ(other.open(path, OpenMode::Read), nullptr);

    writer.reset();
    EXPECT_NE(fs.open(path, OpenMode::ReadWrite), nullptr);
}

TEST_F(PosixFileSystemTest, ReadersShareButDenyWriters) {
    dir.write("a.far", "far");
    std::string path = dir.coreFolder() + "a.far";
    std::unique_ptr<File> first = fs.open(path, OpenMode::Read);
    std::unique_ptr<File> second = fs.open(path, OpenMode::Read);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(fs.open(path, OpenMode::ReadWrite), nullptr);
    EXPECT_EQ(fs.open(path, OpenMode::CreateTruncate), nullptr);
    EXPECT_EQ(dir.read("a.far"), "far");
    first.reset();
    EXPECT_EQ(fs.open(path, OpenMode::ReadWrite), nullptr);
    second.reset();
    EXPECT_NE(fs.open(path, OpenMode::ReadWrite), nullptr);
}

TEST_F(PosixFileSystemTest, ADuplicateKeepsTheLockAfterTheOriginalCloses) {
    dir.write("careers.iff", "c");
    std::string path = dir.coreFolder() + "careers.iff";
    std::unique_ptr<File> original = fs.open(path, OpenMode::ReadWrite);
    ASSERT_NE(original, nullptr);
    std::unique_ptr<File> copy = original->duplicate();
    ASSERT_NE(copy, nullptr);
    original.reset();
    EXPECT_EQ(fs.open(path, OpenMode::ReadWrite), nullptr);
    EXPECT_EQ(fs.open(path, OpenMode::Read), nullptr);
    ASSERT_TRUE(copy->write("C", 1));
    copy.reset();
    EXPECT_EQ(dir.read("careers.iff"), "C");
    EXPECT_NE(fs.open(path, OpenMode::ReadWrite), nullptr);
}

TEST_F(PosixFileSystemTest, DuplicatesHaveIndependentCursors) {
    std::unique_ptr<File> file = fs.open(dir.coreFolder() + "d.bin", OpenMode::CreateTruncate);
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("abcdef", 6));
    ASSERT_TRUE(file->seek(2));
    std::unique_ptr<File> copy = file->duplicate();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->tell(), 2u);
    EXPECT_EQ(copy->path(), file->path());

    char buffer[4] = {};
    ASSERT_TRUE(copy->readExact(buffer, 2));
    EXPECT_EQ(std::string(buffer, 2), "cd");
    EXPECT_EQ(copy->tell(), 4u);
    EXPECT_EQ(file->tell(), 2u);
    ASSERT_TRUE(file->readExact(buffer, 2));
    EXPECT_EQ(std::string(buffer, 2), "cd");

    ASSERT_TRUE(copy->seek(0));
    ASSERT_TRUE(copy->write("XY", 2));
    EXPECT_EQ(file->tell(), 4u);
    ASSERT_TRUE(file->seek(0));
    ASSERT_TRUE(file->readExact(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "XYc");
}

TEST_F(PosixFileSystemTest, TruncateAndLength) {
    std::unique_ptr<File> file = fs.open(dir.coreFolder() + "t.bin", OpenMode::CreateTruncate);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->length(), 0);
    ASSERT_TRUE(file->write("0123456789", 10));
    EXPECT_EQ(file->length(), 10);
    ASSERT_TRUE(file->truncate(4));
    EXPECT_EQ(file->length(), 4);
    EXPECT_EQ(file->tell(), 10u);
    // Writing at the old cursor leaves a zero-filled gap.
    ASSERT_TRUE(file->write("Z", 1));
    EXPECT_EQ(readAll(*file), std::string("0123\0\0\0\0\0\0Z", 11));
    ASSERT_TRUE(file->truncate(13));
    EXPECT_EQ(readAll(*file), std::string("0123\0\0\0\0\0\0Z\0\0", 13));
    EXPECT_TRUE(file->flush());

    // A second CreateTruncate empties it again.
    file.reset();
    file = fs.open(dir.coreFolder() + "t.bin", OpenMode::CreateTruncate);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->length(), 0);
}

TEST_F(PosixFileSystemTest, ReadHandlesCannotWriteAndFoldersCannotBeOpened) {
    dir.write("r.txt", "ro");
    dir.write("sub/x", "");
    std::unique_ptr<File> file = fs.open(dir.coreFolder() + "r.txt", OpenMode::Read);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->write("x", 1));
    EXPECT_FALSE(file->truncate(0));
    EXPECT_EQ(dir.read("r.txt"), "ro");
    EXPECT_EQ(fs.open(dir.coreFolder() + "SUB", OpenMode::Read), nullptr);
    EXPECT_EQ(fs.open(dir.coreFolder() + "missing.txt", OpenMode::Read), nullptr);
    EXPECT_EQ(fs.open(dir.coreFolder() + "missing.txt", OpenMode::ReadWrite), nullptr);
    EXPECT_FALSE(dir.has("missing.txt"));
}

TEST_F(PosixFileSystemTest, ReadOnlyAttributeUsesTheWriteBits) {
    dir.write("Icons/Popup.bmp", "bmp");
    std::string path = dir.coreFolder() + "icons\\POPUP.BMP";
    std::string native = dir.native("Icons/Popup.bmp");
    ASSERT_EQ(::chmod(native.c_str(), 0664), 0);
    EXPECT_FALSE(fs.isReadOnly(path));

    ASSERT_TRUE(fs.setReadOnly(path));
    EXPECT_TRUE(fs.isReadOnly(path));
    EXPECT_EQ(modeOf(native) & 0777, 0444u);

    ASSERT_TRUE(fs.clearReadOnly(path));
    EXPECT_FALSE(fs.isReadOnly(path));
    EXPECT_EQ(modeOf(native) & 0777, 0644u);  // only the owner gets write back

    // A missing file: clearing succeeds and changes nothing; it is not read-only.
    std::string missing = dir.coreFolder() + "Icons\\Missing.bmp";
    EXPECT_TRUE(fs.clearReadOnly(missing));
    EXPECT_FALSE(fs.exists(missing));
    EXPECT_FALSE(fs.isReadOnly(missing));
    EXPECT_FALSE(fs.setReadOnly(missing));
    EXPECT_TRUE(fs.clearReadOnly(dir.coreFolder() + "NoFolder\\Missing.bmp"));
}

TEST_F(PosixFileSystemTest, DeleteTellsNotFoundFromFailure) {
    dir.write("GameData/Old.bmp", "x");
    EXPECT_EQ(fs.deleteFile(dir.coreFolder() + "gamedata\\old.BMP"), DeleteResult::Deleted);
    EXPECT_FALSE(dir.has("GameData/Old.bmp"));
    EXPECT_EQ(fs.deleteFile(dir.coreFolder() + "gamedata\\old.BMP"), DeleteResult::NotFound);
    EXPECT_EQ(fs.deleteFile(dir.coreFolder() + "NoFolder\\old.BMP"), DeleteResult::NotFound);
    dir.write("GameData/file", "x");
    EXPECT_EQ(fs.deleteFile(dir.coreFolder() + "GameData\\file\\below"), DeleteResult::NotFound);
    EXPECT_EQ(fs.deleteFile(dir.coreFolder() + "GameData"), DeleteResult::Failed);
    EXPECT_TRUE(dir.has("GameData"));
}

TEST_F(PosixFileSystemTest, ReplaceFileMovesOverTheTargetInOneStep) {
    dir.write("Work.iff", "old");
    dir.write("work.new", "new");
    ASSERT_TRUE(fs.replaceFile(dir.coreFolder() + "WORK.NEW", dir.coreFolder() + "WORK.IFF"));
    EXPECT_EQ(dir.read("Work.iff"), "new");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"Work.iff"}));

    // A missing source fails and leaves the target alone.
    EXPECT_FALSE(fs.replaceFile(dir.coreFolder() + "gone", dir.coreFolder() + "Work.iff"));
    EXPECT_EQ(dir.read("Work.iff"), "new");
    // So does a folder in the way.
    dir.write("Folder/keep", "");
    dir.write("src", "s");
    EXPECT_FALSE(fs.replaceFile(dir.coreFolder() + "src", dir.coreFolder() + "folder"));
    EXPECT_EQ(dir.read("src"), "s");
}

TEST_F(PosixFileSystemTest, ListArchivesMatchesFarIgnoringCaseAndOnlyFiles) {
    for (const char* name : {"a.far", "B.FAR", "c.Far", "d.farx", "e.txt", "far", "x.fa", ".FAR"}) {
        dir.write(std::string("GameData/") + name, "");
    }
    dir.write("GameData/folder.FAR/inside.far", "");
    std::vector<std::string> names = fs.listArchives(dir.coreFolder() + "GAMEDATA\\");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".FAR", "B.FAR", "a.far", "c.Far"}));
    EXPECT_TRUE(fs.listArchives(dir.coreFolder() + "Missing\\").empty());
}

TEST_F(PosixFileSystemTest, ListFilesGivesEveryFileButNoFolderAndSyncsFolders) {
    for (const char* name : {"a.iff", "B.BMP", "c.iff.jf3tmp-1-2"}) {
        dir.write(std::string("GameData/") + name, "");
    }
    dir.write("GameData/Objects/inside.iff", "");
    std::vector<std::string> names = fs.listFiles(dir.coreFolder() + "GAMEDATA\\");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.BMP", "a.iff", "c.iff.jf3tmp-1-2"}));
    EXPECT_TRUE(fs.listFiles(dir.coreFolder() + "Missing\\").empty());
    EXPECT_TRUE(fs.syncFolder(dir.coreFolder() + "gamedata\\objects\\"));
    EXPECT_FALSE(fs.syncFolder(dir.coreFolder() + "Missing\\"));
}

TEST(SystemFileSystem, IsOneLongLivedObject) {
    EXPECT_EQ(&systemFileSystem(), &systemFileSystem());
    EXPECT_NE(dynamic_cast<PosixFileSystem*>(&systemFileSystem()), nullptr);
}

}  // namespace
}  // namespace jf

#endif  // !_WIN32
