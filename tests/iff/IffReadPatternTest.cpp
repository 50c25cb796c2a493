// How containers read their files: the scan reads headers (and, for small
// chunks, blocks ahead) but loads no body and, behind large chunks, reads
// only their headers; loadAll reads neighbouring bodies in one go and stops
// at the first body it cannot load, as loading chunk by chunk would.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "support/ForwardingFile.h"
#include "support/IffBuilder.h"

namespace jf {
namespace {

using test::buildIff;
using test::RawChunk;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kScanBlock = 64 * 1024;

// Counts read calls and bytes through a file and all of its duplicates.
struct ReadCounts {
    int calls = 0;
    std::uint64_t bytes = 0;
};

class CountingFile final : public test::ForwardingFile {
public:
    CountingFile(std::unique_ptr<File> inner, std::shared_ptr<ReadCounts> counts)
        : ForwardingFile(std::move(inner)), counts_(std::move(counts)) {}
    std::int64_t read(void* buffer, std::size_t n) override {
        ++counts_->calls;
        const std::int64_t got = ForwardingFile::read(buffer, n);
        if (got > 0) {
            counts_->bytes += static_cast<std::uint64_t>(got);
        }
        return got;
    }

protected:
    std::unique_ptr<File> rewrap(std::unique_ptr<File> copy) override {
        return std::make_unique<CountingFile>(std::move(copy), counts_);
    }

private:
    std::shared_ptr<ReadCounts> counts_;
};

Bytes bodyOf(std::size_t size, int seed) {
    Bytes body(size);
    for (std::size_t i = 0; i < size; ++i) {
        body[i] = static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(seed)) & 0xFF);
    }
    return body;
}

class IffReadPatternTest : public ::testing::Test {
protected:
    IffFileTable table{systemFileSystem()};
    std::shared_ptr<ReadCounts> counts = std::make_shared<ReadCounts>();

    // Registers the bytes as a disk-like container read through a counter.
    int open(const Bytes& bytes) {
        CountingFile file(std::make_unique<MemoryFile>(bytes), counts);
        const int slot = table.openFile(file, "test.iff", false);
        EXPECT_NE(slot, 0);
        return slot;
    }
};

TEST_F(IffReadPatternTest, ScanBehindLargeChunksReadsOnlyTheirHeaders) {
    std::vector<RawChunk> chunks;
    for (std::uint16_t id = 0; id < 12; ++id) {
        chunks.push_back({"BHAV", id, 0x10, "big", bodyOf(200 * 1024, id)});
    }
    const int slot = open(buildIff(chunks));
    ASSERT_TRUE(table.parse(slot));
    const IffFile* container = table.file(slot);
    ASSERT_EQ(container->chunks.size(), chunks.size());
    for (const auto& chunk : container->chunks) {
        EXPECT_FALSE(chunk->loaded);
    }
    // The file header, one block ahead of the first chunk, then one header
    // per chunk.
    EXPECT_LE(counts->bytes, kIffHeaderSize + kScanBlock + chunks.size() * kChunkHeaderSize);
}

TEST_F(IffReadPatternTest, ScanOfSmallChunksReadsInBlocks) {
    std::vector<RawChunk> chunks;
    for (std::uint16_t id = 0; id < 3000; ++id) {
        chunks.push_back({"STR#", id, 0x10, "", bodyOf(20, id)});
    }
    const Bytes bytes = buildIff(chunks);
    const int slot = open(bytes);
    ASSERT_TRUE(table.parse(slot));
    EXPECT_EQ(table.file(slot)->chunks.size(), chunks.size());
    EXPECT_LE(counts->calls, static_cast<int>(bytes.size() / kScanBlock) + 3);
}

TEST_F(IffReadPatternTest, LoadAllReadsNeighbouringBodiesTogether) {
    std::vector<RawChunk> chunks;
    for (std::uint16_t id = 0; id < 200; ++id) {
        chunks.push_back({id % 2 ? "STR#" : "CARR", id, 0x10, "", bodyOf(id * 13 % 500, id)});
    }
    const int slot = open(buildIff(chunks));
    ASSERT_TRUE(table.parse(slot));
    const int callsAfterParse = counts->calls;
    ASSERT_TRUE(table.loadAll(slot));
    EXPECT_LE(counts->calls - callsAfterParse, 2);
    const IffFile* container = table.file(slot);
    ASSERT_EQ(container->chunks.size(), chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const IffChunk& chunk = *container->chunks[i];
        ASSERT_TRUE(chunk.loaded) << i;
        ASSERT_EQ(chunk.body(), chunks[i].body) << i;
        // Buffers are whole granules, zero beyond the body.
        ASSERT_EQ(chunk.capacity(), roundUpToGranule(chunk.size));
        for (std::size_t k = chunk.size; k < chunk.capacity(); ++k) {
            ASSERT_EQ(chunk.data[k], 0) << i;
        }
        EXPECT_EQ(chunk.position, 0u);
    }
    // A second loadAll has nothing left to read.
    const int callsAfterLoad = counts->calls;
    EXPECT_TRUE(table.loadAll(slot));
    EXPECT_EQ(counts->calls, callsAfterLoad);
}

TEST_F(IffReadPatternTest, LoadAllStopsAtTheFirstBodyPastTheEnd) {
    std::vector<RawChunk> chunks = {
        {"CARR", 1, 0x10, "", bodyOf(100, 1)},
        {"STR#", 1, 0x10, "", bodyOf(300, 2)},
        {"BHAV", 9, 0x10, "", bodyOf(40, 3)},
    };
    Bytes bytes = buildIff(chunks);
    bytes.resize(bytes.size() - 10);  // the last body runs past the end
    const int slot = open(bytes);
    ASSERT_TRUE(table.parse(slot));
    ASSERT_EQ(table.file(slot)->chunks.size(), 3u);
    EXPECT_FALSE(table.loadAll(slot));
    const IffFile* container = table.file(slot);
    EXPECT_TRUE(container->chunks[0]->loaded);
    EXPECT_EQ(container->chunks[0]->body(), chunks[0].body);
    EXPECT_TRUE(container->chunks[1]->loaded);
    EXPECT_EQ(container->chunks[1]->body(), chunks[1].body);
    EXPECT_FALSE(container->chunks[2]->loaded);
}

TEST_F(IffReadPatternTest, LoadAllSkipsChunksAlreadyInMemory) {
    std::vector<RawChunk> chunks;
    for (std::uint16_t id = 0; id < 10; ++id) {
        chunks.push_back({"STR#", id, 0x10, "", bodyOf(64 + id, id)});
    }
    const int slot = open(buildIff(chunks));
    ASSERT_TRUE(table.parse(slot));
    IffFile* container = table.file(slot);
    // One body loaded on its own and changed in memory, one chunk added.
    ASSERT_TRUE(table.loadChunk(slot, *container->chunks[4]));
    container->chunks[4]->data[0] = 0xEE;
    const Bytes added = {1, 2, 3};
    ASSERT_NE(table.addChunkBytes(slot, kTypeBhav, 77, "new", added.data(), added.size()), nullptr);
    ASSERT_TRUE(table.loadAll(slot));
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        Bytes expected = chunks[i].body;
        if (i == 4) {
            expected[0] = 0xEE;
        }
        EXPECT_EQ(container->chunks[i]->body(), expected) << i;
    }
    EXPECT_EQ(container->chunks.back()->body(), added);
}

// Once armed, fails every read that touches bytes [badBegin, badEnd).
class FaultyFile final : public test::ForwardingFile {
public:
    FaultyFile(std::unique_ptr<File> inner, std::uint64_t badBegin, std::uint64_t badEnd,
               std::shared_ptr<bool> armed)
        : ForwardingFile(std::move(inner)),
          badBegin_(badBegin),
          badEnd_(badEnd),
          armed_(std::move(armed)) {}
    std::int64_t read(void* buffer, std::size_t n) override {
        const std::uint64_t at = tell();
        if (*armed_ && n > 0 && at < badEnd_ && at + n > badBegin_) {
            return -1;
        }
        return ForwardingFile::read(buffer, n);
    }

protected:
    std::unique_ptr<File> rewrap(std::unique_ptr<File> copy) override {
        return std::make_unique<FaultyFile>(std::move(copy), badBegin_, badEnd_, armed_);
    }

private:
    std::uint64_t badBegin_;
    std::uint64_t badEnd_;
    std::shared_ptr<bool> armed_;
};

// One random change to the chunk list, applied alike to two containers.
struct ListChange {
    int kind = 0;
    std::size_t index = 0;
    std::size_t other = 0;
    std::uint32_t value = 0;
};

void applyChange(IffFileTable& table, int slot, const ListChange& change) {
    auto& chunks = table.file(slot)->chunks;
    if (chunks.empty()) {
        return;
    }
    IffChunk& chunk = *chunks[change.index % chunks.size()];
    switch (change.kind) {
        case 0:  // another chunk's body, or part of it: overlapping offsets
            chunk.dataOffset = chunks[change.other % chunks.size()]->dataOffset + change.value % 64;
            break;
        case 1:  // a body that grows into the next chunk, or past the end
            chunk.size += change.value % 400;
            break;
        case 2:  // list order no longer file order
            std::swap(chunks[change.index % chunks.size()], chunks[change.other % chunks.size()]);
            break;
        case 3:  // loaded on its own beforehand
            table.loadChunk(slot, chunk);
            break;
        default:  // an empty body
            chunk.size = 0;
            break;
    }
}

// loadAll against loading every chunk in list order with loadChunk until the
// first failure: the same result, the same chunks loaded, the same bodies.
TEST_F(IffReadPatternTest, LoadAllEndsAsLoadingChunkByChunk) {
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::vector<RawChunk> chunks;
        const std::size_t count = 1 + random() % 24;
        for (std::size_t i = 0; i < count; ++i) {
            // Mostly small bodies, now and then one larger than a read run's gap.
            const std::size_t size = random() % 8 == 0 ? 5000 + random() % 3000 : random() % 300;
            chunks.push_back(
                {"STR#", static_cast<std::uint16_t>(i), 0x10, "", bodyOf(size, round)});
        }
        Bytes bytes = buildIff(chunks);
        if (round % 4 == 1) {
            bytes.resize(bytes.size() - random() % 200);  // the end cut off
        }
        std::uint64_t badBegin = 0;
        std::uint64_t badEnd = 0;
        if (round % 3 == 2) {
            badBegin = kIffHeaderSize + kChunkHeaderSize + random() % bytes.size();
            badEnd = badBegin + 1 + random() % 100;
        }
        std::vector<ListChange> changes(random() % 6);
        for (ListChange& change : changes) {
            change = {static_cast<int>(random() % 5), random(), random(),
                      static_cast<std::uint32_t>(random())};
        }

        IffFileTable together(systemFileSystem());
        IffFileTable oneByOne(systemFileSystem());
        auto armed = std::make_shared<bool>(false);
        int slots[2] = {0, 0};
        IffFileTable* tables[2] = {&together, &oneByOne};
        for (int t = 0; t < 2; ++t) {
            // Parsed before the fault is armed, so both see every chunk.
            FaultyFile file(std::make_unique<MemoryFile>(bytes), badBegin, badEnd, armed);
            slots[t] = tables[t]->openFile(file, "test.iff", false);
            ASSERT_NE(slots[t], 0);
            ASSERT_TRUE(tables[t]->parse(slots[t]));
            // Offsets and sizes first: a body loaded beforehand keeps its size.
            for (bool loads : {false, true}) {
                for (const ListChange& change : changes) {
                    if ((change.kind == 3) == loads) {
                        applyChange(*tables[t], slots[t], change);
                    }
                }
            }
        }
        *armed = true;
        const bool ok = together.loadAll(slots[0]);
        bool expected = true;
        for (auto& chunk : oneByOne.file(slots[1])->chunks) {
            if (!oneByOne.loadChunk(slots[1], *chunk)) {
                expected = false;
                break;
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(ok, expected);
        const auto& a = together.file(slots[0])->chunks;
        const auto& b = oneByOne.file(slots[1])->chunks;
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i]->loaded, b[i]->loaded) << i;
            if (a[i]->loaded) {
                ASSERT_EQ(a[i]->body(), b[i]->body()) << i;
                ASSERT_EQ(a[i]->capacity(), b[i]->capacity()) << i;
            }
        }
    }
}

}  // namespace
}  // namespace jf
