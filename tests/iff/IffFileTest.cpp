#include <gtest/gtest.h>

#include <random>

#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "support/IffBuilder.h"

namespace jf {
namespace {

using test::buildIff;
using test::RawChunk;
using test::readBe32;
using test::readLe32;

class IffFileTest : public ::testing::Test {
protected:
    IffFileTable table{systemFileSystem()};

    // Registers bytes as an in-memory container and parses it.
    int openBytes(const std::vector<std::uint8_t>& bytes, IffParseError* error = nullptr) {
        MemoryFile file(bytes);
        int slot = table.openMemory(file, "test.iff", false);
        EXPECT_NE(slot, 0);
        if (!table.parse(slot, error)) {
            return -slot;
        }
        return slot;
    }

    std::vector<std::uint8_t> written(int slot) {
        MemoryFile out;
        EXPECT_TRUE(table.loadAll(slot));
        EXPECT_TRUE(table.writeContainer(&out, slot));
        return out.contents();
    }
};

TEST_F(IffFileTest, EmptyContainerIs160Bytes) {
    int slot = table.createEmpty(false);
    ASSERT_NE(slot, 0);
    std::vector<std::uint8_t> bytes = written(slot);
    ASSERT_EQ(bytes.size(), 160u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 34), "IFF FILE 2.5:TYPE FOLLOWED BY SIZE");
    EXPECT_EQ(bytes[34], 0);
    EXPECT_EQ(std::string(bytes.begin() + 35, bytes.begin() + 60), " QUORBLE FENNIX & MAXIS 1");
    EXPECT_EQ(readBe32(bytes, 60), 64u);
    EXPECT_EQ(std::string(bytes.begin() + 64, bytes.begin() + 68), "rsmp");
    EXPECT_EQ(readBe32(bytes, 68), 96u);
    EXPECT_EQ(test::readBe16(bytes, 74), 0x10);
    for (int i = 76; i < 140; ++i) {
        EXPECT_EQ(bytes[i], 0) << i;
    }
    EXPECT_EQ(readLe32(bytes, 140), 0u);
    EXPECT_EQ(readLe32(bytes, 144), 0u);
    EXPECT_EQ(std::string(bytes.begin() + 148, bytes.begin() + 152), "pmsr");
    EXPECT_EQ(readLe32(bytes, 152), 96u);
    EXPECT_EQ(readLe32(bytes, 156), 0u);
}

TEST_F(IffFileTest, MapListsTypesInFirstAppearanceWithPadding) {
    int slot = table.createEmpty(false);
    std::vector<std::uint8_t> body = {1, 2, 3};
    // Labels of odd and even length exercise the 0xA3 pad.
    ASSERT_NE(table.addChunkBytes(slot, kTypeStr, 5, "ab", body.data(), body.size()), nullptr);
    ASSERT_NE(table.addChunkBytes(slot, kTypeCarr, 1, "abc", body.data(), 0), nullptr);
    ASSERT_NE(table.addChunkBytes(slot, kTypeStr, 2, "", body.data(), 1), nullptr);
    std::vector<std::uint8_t> bytes = written(slot);

    std::uint32_t m = readBe32(bytes, 60);
    ASSERT_EQ(m, 64u + 79 + 76 + 77);
    std::uint32_t total = readBe32(bytes, m + 4);
    EXPECT_EQ(total, bytes.size() - m);
    EXPECT_EQ(readLe32(bytes, m + 76 + 12), total);
    EXPECT_EQ(readLe32(bytes, m + 76 + 16), 2u);  // STR#, CARR
    std::size_t at = m + 76 + 20;
    EXPECT_EQ(std::string(bytes.begin() + at, bytes.begin() + at + 4), "#RTS");
    EXPECT_EQ(readLe32(bytes, at + 4), 2u);
    at += 8;
    // Entry: STR# 5 in list order first, header at 64.
    EXPECT_EQ(readLe32(bytes, at), 64u);
    EXPECT_EQ(test::readLe16(bytes, at + 4), 5);
    EXPECT_EQ(test::readLe16(bytes, at + 6), 0x10);
    EXPECT_EQ(std::string(bytes.begin() + at + 8, bytes.begin() + at + 10), "ab");
    EXPECT_EQ(bytes[at + 10], 0);
    at += 11;
    if ((at - m) % 2 != 0) {
        EXPECT_EQ(bytes[at], 0xA3);
        ++at;
    }
    EXPECT_EQ((at - m) % 2, 0u);
    // Entry: STR# 2, empty label.
    EXPECT_EQ(readLe32(bytes, at), 64u + 79 + 76);
    EXPECT_EQ(test::readLe16(bytes, at + 4), 2);
    EXPECT_EQ(bytes[at + 8], 0);
    at += 9;
    if ((at - m) % 2 != 0) {
        EXPECT_EQ(bytes[at], 0xA3);
        ++at;
    }
    EXPECT_EQ(std::string(bytes.begin() + at, bytes.begin() + at + 4), "RRAC");
    EXPECT_EQ(readLe32(bytes, at + 4), 1u);
    at += 8 + 8 + 4;  // offset, id, flags, "abc", NUL
    if ((at - m) % 2 != 0) {
        EXPECT_EQ(bytes[at], 0xA3);
        ++at;
    }
    EXPECT_EQ(at, bytes.size());
}

TEST_F(IffFileTest, LabelIsCutTo63AndReadUpTo64) {
    int slot = table.createEmpty(false);
    std::string longLabel(70, 'L');
    ASSERT_NE(table.addChunkBytes(slot, kTypeStr, 1, longLabel, nullptr, 0), nullptr);
    std::vector<std::uint8_t> bytes = written(slot);
    EXPECT_EQ(bytes[64 + 12 + 62], 'L');
    EXPECT_EQ(bytes[64 + 75], 0);

    // A header label without any NUL is taken as all 64 bytes.
    RawChunk raw{"STR#", 1, 0x10, std::string(64, 'x'), {}};
    int read = openBytes(buildIff({raw}));
    ASSERT_GT(read, 0);
    EXPECT_EQ(table.file(read)->chunks.at(0)->label, std::string(64, 'x'));
}

TEST_F(IffFileTest, ParseErrors) {
    IffParseError error{};
    std::vector<std::uint8_t> bad = buildIff({});
    bad[3] = 'X';
    EXPECT_LT(openBytes(bad, &error), 0);
    EXPECT_EQ(error, IffParseError::NotIff);

    std::vector<std::uint8_t> version = buildIff({}, "2.1");
    EXPECT_LT(openBytes(version, &error), 0);
    EXPECT_EQ(error, IffParseError::BadVersion);

    std::vector<std::uint8_t> oddByte8 = buildIff({}, "2.0");
    oddByte8[8] = '#';
    EXPECT_GT(openBytes(oddByte8), 0);

    EXPECT_FALSE(table.parse(0, &error));
    EXPECT_EQ(error, IffParseError::BadSlot);
    EXPECT_FALSE(table.parse(9999, &error));
}

TEST_F(IffFileTest, ScanPassEdgeCases) {
    RawChunk a{"STR#", 1, 0x10, "a", {1, 2}};
    RawChunk empty{"STR#", 2, 0x10, "e", {}};
    RawChunk skipped{"BHAV", 3, 0x14, "s", {9, 9, 9}};
    RawChunk b{"CARR", 4, 0x00, "b", {7}};
    RawChunk broken{"STR#", 5, 0x10, "x", {}, 75};
    RawChunk after{"STR#", 6, 0x10, "y", {}};
    for (const char* version : {"2.0", "2.5"}) {
        int slot = openBytes(buildIff({a, empty, skipped, b, broken, after}, version, 0));
        ASSERT_GT(slot, 0);
        const auto& chunks = table.file(slot)->chunks;
        ASSERT_EQ(chunks.size(), 3u) << version;
        EXPECT_EQ(chunks[0]->id, 1);
        EXPECT_EQ(chunks[0]->size, 2u);
        EXPECT_EQ(chunks[0]->dataOffset, 64u + 76);
        EXPECT_EQ(chunks[1]->id, 2);
        EXPECT_EQ(chunks[1]->size, 0u);
        EXPECT_EQ(chunks[2]->type, kTypeCarr);
        EXPECT_EQ(chunks[2]->flags, 0);
        EXPECT_FALSE(chunks[2]->loaded);
        EXPECT_TRUE(table.loadAll(slot));
        EXPECT_EQ(chunks[2]->data[0], 7);
    }
}

TEST_F(IffFileTest, BodyPastEndRegistersButFailsToLoad) {
    RawChunk a{"STR#", 1, 0x10, "a", {1, 2, 3, 4}};
    std::vector<std::uint8_t> bytes = buildIff({a});
    // Claim a 1 MiB body; the file holds 4 bytes of it.
    bytes[64 + 4] = 0x00;
    bytes[64 + 5] = 0x10;
    int slot = openBytes(bytes);
    ASSERT_GT(slot, 0);
    ASSERT_EQ(table.file(slot)->chunks.size(), 1u);
    EXPECT_FALSE(table.loadAll(slot));
    EXPECT_FALSE(table.file(slot)->chunks[0]->loaded);
    MemoryFile out;
    EXPECT_FALSE(table.writeContainer(&out, slot));
    EXPECT_EQ(out.length(), 0);
}

TEST_F(IffFileTest, DuplicateTypeAndIdKeepsTheLater) {
    RawChunk first{"CARR", 7, 0x10, "first", {1}};
    RawChunk other{"STR#", 7, 0x10, "other", {2}};
    RawChunk second{"CARR", 7, 0x10, "second", {3}};
    int slot = openBytes(buildIff({first, other, second}));
    ASSERT_GT(slot, 0);
    const auto& chunks = table.file(slot)->chunks;
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0]->label, "other");
    EXPECT_EQ(chunks[1]->label, "second");

    IffView view(table);
    ASSERT_TRUE(view.attach(slot));
    ASSERT_TRUE(view.addBytes(kTypeStr, 7, "new", nullptr, 0));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1]->label, "new");
    EXPECT_EQ(view.find(kTypeStr, 7)->label, "new");
}

TEST_F(IffFileTest, IdOrderTreatsIdsAsUnsigned) {
    int slot = table.createEmpty(false);
    IffView view(table);
    ASSERT_TRUE(view.attach(slot));
    for (std::uint16_t id : {0x8001, 5, 0x8000, 1, 300}) {
        ASSERT_TRUE(view.addBytes(kTypeStr, id, "", nullptr, 0));
    }
    ASSERT_TRUE(view.addBytes(kTypeCarr, 2, "", nullptr, 0));
    std::vector<std::uint16_t> ids;
    IffChunk* it = view.lowestIdOfType(kTypeStr);
    while (it != nullptr) {
        ids.push_back(view.nextIdOfType(kTypeStr, it)->id);
    }
    EXPECT_EQ(ids, (std::vector<std::uint16_t>{1, 5, 300, 0x8000, 0x8001}));
    std::vector<std::uint16_t> listOrder;
    IffView::Position p = view.firstOfType(kTypeStr);
    while (p) {
        listOrder.push_back(view.nextOfType(kTypeStr, p)->id);
    }
    EXPECT_EQ(listOrder, (std::vector<std::uint16_t>{0x8001, 5, 0x8000, 1, 300}));
    EXPECT_EQ(view.countOfType(kTypeStr, false), 5u);
    EXPECT_EQ(view.types(), (std::vector<std::uint32_t>{kTypeStr, kTypeCarr}));
    ASSERT_TRUE(view.remove(kTypeCarr, 2));
    EXPECT_EQ(view.types(), (std::vector<std::uint32_t>{kTypeStr}));
    EXPECT_FALSE(view.remove(kTypeCarr, 2));
}

TEST_F(IffFileTest, WriteProtectionAndOwnBackingFile) {
    // A write-protected in-memory container refuses its own backing file
    // named explicitly, but writes into it when none is passed.
    int slot = table.createEmpty(true);
    IffFile* container = table.file(slot);
    EXPECT_FALSE(table.writeContainer(container->backingFile.get(), slot));
    EXPECT_EQ(container->backingFile->length(), 0);
    EXPECT_TRUE(table.writeContainer(nullptr, slot));
    EXPECT_EQ(container->backingFile->length(), 160);
    MemoryFile other;
    EXPECT_TRUE(table.writeContainer(&other, slot));
    EXPECT_EQ(other.length(), 160);
}

TEST_F(IffFileTest, RoundTripKeepsChunksAndSignature) {
    RawChunk a{"STR#", 301, 0x10, "Strings", {0xFD, 0xFF, 0, 0}};
    RawChunk b{"BHAV", 4124, 0x00, "Cards", {1, 2, 3}};
    std::vector<std::uint8_t> original = buildIff({a, b}, "2.5");
    // A signature text of the game's own, which must survive.
    const char* signature = "IFF FILE 2.5:TYPE FOLLOWED BY SIZE\0 JAMIE DOORNBOS & MAXIS 1";
    std::copy(signature, signature + 60, original.begin());
    int slot = openBytes(original);
    ASSERT_GT(slot, 0);
    std::vector<std::uint8_t> bytes = written(slot);
    EXPECT_TRUE(std::equal(original.begin(), original.begin() + 60, bytes.begin()));
    // Chunks come back byte for byte, and the map follows them.
    std::size_t chunkBytes = original.size() - 64;
    EXPECT_TRUE(std::equal(original.begin() + 64, original.end(), bytes.begin() + 64));
    EXPECT_EQ(readBe32(bytes, 60), 64u + chunkBytes);

    // A 2.0 file gets the template on writing.
    int old = openBytes(buildIff({a}, "2.0"));
    std::vector<std::uint8_t> upgraded = written(old);
    EXPECT_EQ(std::string(upgraded.begin(), upgraded.begin() + 12), "IFF FILE 2.5");
    EXPECT_TRUE(
        std::equal(iffWriteTemplate().begin(), iffWriteTemplate().begin() + 60, upgraded.begin()));

    // Written bytes parse back to the same chunks, the rsmp chunk included.
    int again = openBytes(bytes);
    ASSERT_GT(again, 0);
    const auto& chunks = table.file(again)->chunks;
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[2]->type, kTypeRsmp);
    std::vector<std::uint8_t> twice = written(again);
    EXPECT_EQ(twice, bytes);
}

TEST_F(IffFileTest, EmptyFileParsesAsEmptyContainer) {
    int slot = openBytes({});
    ASSERT_GT(slot, 0);
    EXPECT_TRUE(table.file(slot)->chunks.empty());
}

TEST_F(IffFileTest, SlotsGrowBy64AndReuseLowest) {
    std::vector<int> slots;
    for (int i = 0; i < 70; ++i) {
        slots.push_back(table.createEmpty(true));
    }
    EXPECT_EQ(slots.front(), 1);
    EXPECT_EQ(slots.back(), 70);
    EXPECT_EQ(table.slotCount(), 128u);
    ASSERT_TRUE(table.closeSlot(5));
    EXPECT_FALSE(table.closeSlot(5));
    EXPECT_EQ(table.createEmpty(true), 5);
}

TEST_F(IffFileTest, ViewsOwnWhatTheyCreate) {
    int outside = table.createEmpty(true);
    {
        IffView view(table);
        int own = view.slot();
        EXPECT_TRUE(view.owned());
        ASSERT_TRUE(view.attach(outside));
        EXPECT_FALSE(table.valid(own));  // the owned container was closed
        EXPECT_FALSE(view.owned());
    }
    EXPECT_TRUE(table.valid(outside));  // not owned, so not closed
    IffView view(table);
    ASSERT_TRUE(view.attach(outside));
    ASSERT_TRUE(view.addBytes(kTypeStr, 1, "", nullptr, 0));
    ASSERT_TRUE(view.reset());  // reset closes even what it does not own
    EXPECT_TRUE(view.owned());
    EXPECT_TRUE(view.valid());
    EXPECT_EQ(view.find(kTypeStr, 1), nullptr);
    EXPECT_TRUE(view.file()->chunks.empty());
}

TEST_F(IffFileTest, ReleaseFileKeepsChunks) {
    RawChunk a{"STR#", 1, 0x10, "a", {1, 2}};
    MemoryFile file(buildIff({a}));
    int slot = table.openFile(file, "x.iff", false);
    ASSERT_TRUE(table.parse(slot));
    ASSERT_TRUE(table.loadAll(slot));
    ASSERT_TRUE(table.releaseFile(slot, true));
    IffFile* container = table.file(slot);
    EXPECT_TRUE(container->inMemory);
    EXPECT_TRUE(container->writeProtected);
    EXPECT_EQ(container->chunks.size(), 1u);
    EXPECT_EQ(container->chunks[0]->data[1], 2);
}

TEST_F(IffFileTest, HostileBytesNeverCrash) {
    std::mt19937 random(1234);
    RawChunk a{"STR#", 1, 0x10, "a", {1, 2, 3, 4, 5, 6}};
    RawChunk b{"CARR", 2, 0x00, "b", std::vector<std::uint8_t>(100, 7)};
    std::vector<std::uint8_t> valid = written(openBytes(buildIff({a, b})));
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> bytes = valid;
        int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        if (round % 3 == 0) {
            bytes.resize(random() % bytes.size());
        }
        MemoryFile file(bytes);
        int slot = table.openMemory(file, "fuzz", false);
        ASSERT_NE(slot, 0);
        if (table.parse(slot)) {
            if (table.loadAll(slot)) {
                MemoryFile out;
                EXPECT_TRUE(table.writeContainer(&out, slot));
            }
        }
        table.closeSlot(slot);
    }
}

}  // namespace
}  // namespace jf
