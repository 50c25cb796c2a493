// Containers on (fake) disks: opening by path, archive fallback, and the
// all-or-nothing replacement of the game's files.
#include <gtest/gtest.h>

#include "iff/IffFile.h"
#include "platform/File.h"
#include "support/FakeFileSystem.h"
#include "support/FarBuilder.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/IffBuilder.h"

namespace jf {
namespace {

using test::buildIff;
using test::RawChunk;

const char* kFolder = "C:\\Games\\Sims\\";

std::vector<std::uint8_t> sampleContainer() {
    RawChunk a{"STR#", 1, 0x10, "one", {0xFF, 0xFF, 0, 0}};
    RawChunk b{"CARR", 2, 0x10, "two", {1, 2, 3}};
    return buildIff({a, b});
}

TEST(IffFileDisk, OpenPathReadsAndRewritesInPlace) {
    test::FakeFileSystem fs;
    fs.addFolder("C:\\Games\\Sims");
    fs.putFile("C:\\Games\\Sims\\Work.iff", sampleContainer());
    fs.setReadOnly("C:\\Games\\Sims\\Work.iff");
    IffFileTable table(fs);
    int slot = table.openPath(kFolder, "Work.iff", true);
    ASSERT_NE(slot, 0);
    EXPECT_FALSE(fs.isReadOnly("C:\\Games\\Sims\\Work.iff"));
    EXPECT_FALSE(table.file(slot)->inMemory);
    ASSERT_TRUE(table.parse(slot));
    ASSERT_TRUE(table.loadAll(slot));
    IffView view(table);
    ASSERT_TRUE(view.attach(slot));
    std::uint8_t body[] = {9};
    ASSERT_TRUE(view.addBytes(kTypeStr, 3, "three", body, 1));
    ASSERT_TRUE(view.writeTo(nullptr));
    auto bytes = fs.fileBytes("C:\\Games\\Sims\\Work.iff");
    ASSERT_TRUE(bytes);
    MemoryFile copy(*bytes);
    int again = table.openMemory(copy, "copy", true);
    ASSERT_TRUE(table.parse(again));
    ASSERT_EQ(table.file(again)->chunks.size(), 4u);  // three chunks and the map
    // The container goes on with the new file: a second save works too.
    ASSERT_TRUE(view.remove(kTypeStr, 3));
    ASSERT_TRUE(view.writeTo(nullptr));
    EXPECT_LT(fs.fileBytes("C:\\Games\\Sims\\Work.iff")->size(), bytes->size());
    EXPECT_EQ(fs.allFiles().size(), 1u);
}

TEST(IffFileDisk, EmptyFileOnDiskParses) {
    test::FakeFileSystem fs;
    fs.addFolder("C:\\Games\\Sims");
    fs.putFile("C:\\Games\\Sims\\Empty.iff", std::vector<std::uint8_t>{});
    IffFileTable table(fs);
    int slot = table.openPath(kFolder, "Empty.iff", false);
    ASSERT_NE(slot, 0);
    EXPECT_TRUE(table.parse(slot));
    EXPECT_TRUE(table.file(slot)->chunks.empty());
}

TEST(IffFileDisk, ArchiveFallbackExtractsToDiskWithFolders) {
    test::FakeFileSystem fs;
    fs.addFolder("C:\\Games\\Sims");
    fs.putFile(
        "C:\\Games\\Sims\\Objects.far",
        buildFarArchive({{"Other.iff", {1, 2}}, {"Sub\\Dir\\CarPortal.iff", sampleContainer()}}));
    IffFileTable table(fs);
    int slot = table.openPath(kFolder, "sub\\dir\\carportal.IFF", true);
    ASSERT_NE(slot, 0);
    EXPECT_FALSE(table.file(slot)->inMemory);
    EXPECT_TRUE(fs.isFolder("C:\\Games\\Sims\\sub"));
    EXPECT_TRUE(fs.isFolder("C:\\Games\\Sims\\sub\\dir"));
    EXPECT_EQ(fs.fileBytes("C:\\Games\\Sims\\sub\\dir\\carportal.IFF"), sampleContainer());
    ASSERT_TRUE(table.parse(slot));
    EXPECT_EQ(table.file(slot)->chunks.size(), 2u);
    // Written back there.
    ASSERT_TRUE(table.loadAll(slot));
    ASSERT_TRUE(table.writeContainer(nullptr, slot));
    EXPECT_NE(fs.fileBytes("C:\\Games\\Sims\\sub\\dir\\carportal.IFF"), sampleContainer());
}

TEST(IffFileDisk, ArchiveFallbackIntoMemory) {
    test::FakeFileSystem fs;
    fs.addFolder("C:\\Games\\Sims");
    fs.putFile("C:\\Games\\Sims\\A.FAR", buildFarArchive({{"Work.iff", sampleContainer()}}));
    IffFileTable table(fs);
    int slot = table.openFromArchive(kFolder, "WORK.IFF", false);
    ASSERT_NE(slot, 0);
    EXPECT_TRUE(table.file(slot)->inMemory);
    EXPECT_TRUE(table.file(slot)->writeProtected);
    EXPECT_FALSE(fs.isFile("C:\\Games\\Sims\\WORK.IFF"));
    EXPECT_EQ(table.openFromArchive(kFolder, "Missing.iff", false), 0);
}

TEST(IffFileDisk, FailedExtractionLeavesNothingBehind) {
    test::FakeFileSystem inner;
    inner.addFolder("C:\\Games\\Sims");
    inner.putFile("C:\\Games\\Sims\\A.FAR", buildFarArchive({{"Work.iff", sampleContainer()}}));
    for (int fault = 0; fault < 3; ++fault) {
        test::FaultInjectingFileSystem fs(inner);
        if (fault == 0) {
            fs.failWriteAt(1);
        } else if (fault == 1) {
            fs.failFlushAt(1);
        } else {
            fs.failRenameAt(1);
        }
        IffFileTable table(fs);
        EXPECT_EQ(table.openPath(kFolder, "Work.iff", true), 0) << fault;
        EXPECT_EQ(inner.allFiles().size(), 1u) << fault;  // only the archive
    }
}

TEST(IffFileDisk, SaveIsAllOrNothingUnderEveryFault) {
    test::FakeFileSystem inner;
    inner.addFolder("C:\\Games\\Sims");
    const std::string path = "C:\\Games\\Sims\\Work.iff";
    const std::vector<std::uint8_t> original = sampleContainer();

    // Count the operations one successful save needs.
    std::uint64_t writes = 0, flushes = 0, renames = 0;
    std::vector<std::uint8_t> saved;
    {
        inner.putFile(path, original);
        test::FaultInjectingFileSystem fs(inner);
        IffFileTable table(fs);
        int slot = table.openPath(kFolder, "Work.iff", false);
        ASSERT_TRUE(table.parse(slot));
        ASSERT_TRUE(table.loadAll(slot));
        fs.resetCounts();
        ASSERT_TRUE(table.writeContainer(nullptr, slot));
        writes = fs.writeCount();
        flushes = fs.flushCount();
        renames = fs.renameCount();
        saved = *inner.fileBytes(path);
    }
    ASSERT_GE(writes, 1u);
    ASSERT_GE(flushes, 1u);
    ASSERT_EQ(renames, 1u);
    ASSERT_NE(saved, original);

    auto attempt = [&](int kind, std::uint64_t k) {
        inner.putFile(path, original);
        test::FaultInjectingFileSystem fs(inner);
        IffFileTable table(fs);
        int slot = table.openPath(kFolder, "Work.iff", false);
        ASSERT_TRUE(table.parse(slot));
        ASSERT_TRUE(table.loadAll(slot));
        std::vector<std::uint32_t> offsets;
        for (const auto& c : table.file(slot)->chunks) {
            offsets.push_back(c->dataOffset);
        }
        fs.resetCounts();
        if (kind == 0) {
            fs.failWriteAt(k);
        } else if (kind == 1) {
            fs.failFlushAt(k);
        } else {
            fs.failRenameAt(k);
        }
        EXPECT_FALSE(table.writeContainer(nullptr, slot)) << kind << " " << k;
        EXPECT_EQ(*inner.fileBytes(path), original) << kind << " " << k;
        EXPECT_EQ(inner.allFiles().size(), 1u) << "temporary file left behind";
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            EXPECT_EQ(table.file(slot)->chunks[i]->dataOffset, offsets[i]);
        }
        // The container is still usable: the next save succeeds.
        fs.clearFaults();
        EXPECT_TRUE(table.writeContainer(nullptr, slot));
        EXPECT_EQ(*inner.fileBytes(path), saved);
    };
    for (std::uint64_t k = 1; k <= writes; ++k) {
        attempt(0, k);
    }
    for (std::uint64_t k = 1; k <= flushes; ++k) {
        attempt(1, k);
    }
    attempt(2, 1);
}

}  // namespace
}  // namespace jf

namespace jf {
namespace {

// Some systems refuse to replace a file that is still open; the save must
// work there too and go on with the new file.
TEST(IffFileDisk, SaveWorksWhereOpenFilesCannotBeReplaced) {
    test::FakeFileSystem fs;
    fs.setReplaceFailsWhileTargetOpen(true);
    fs.putFile("C:\\Games\\Sims\\Work.iff", sampleContainer());
    IffFileTable table(fs);
    int slot = table.openPath(kFolder, "Work.iff", false);
    ASSERT_TRUE(table.parse(slot));
    ASSERT_TRUE(table.loadAll(slot));
    ASSERT_TRUE(table.removeChunk(slot, kTypeCarr, 2));
    ASSERT_TRUE(table.writeContainer(nullptr, slot));
    ASSERT_TRUE(table.writeContainer(nullptr, slot));
    EXPECT_TRUE(fs.isOpen("C:\\Games\\Sims\\Work.iff"));
    MemoryFile copy(*fs.fileBytes("C:\\Games\\Sims\\Work.iff"));
    int again = table.openMemory(copy, "copy", true);
    ASSERT_TRUE(table.parse(again));
    EXPECT_EQ(table.file(again)->chunks.size(), 2u);  // one chunk and the map
}

}  // namespace
}  // namespace jf
