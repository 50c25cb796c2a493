// The scan pass of IffFileTable::parse over a file of 100,000 chunks from the
// page cache, counted in chunk headers per second, and over a file of large
// chunks, where the bytes read per chunk show that no body is read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "iff/IffChunk.h"
#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::uint32_t kChunkHeaderBytes = 76;
constexpr std::size_t kFileHeaderBytes = 64;

void appendBe32(std::vector<char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

void appendBe16(std::vector<char>& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

// A version 2.5 container of `count` chunks with `bodySize`-byte bodies,
// four chunk types taking turns so that every (type, id) pair is distinct,
// written once to a temporary file and removed at exit.
struct BenchContainer {
    std::string path;
    std::size_t count = 0;
    std::uint64_t bytes = 0;

    BenchContainer(const char* tag, std::size_t chunkCount, std::uint32_t bodySize)
        : count(chunkCount) {
        static const std::uint32_t kTypes[] = {0x53545223, 0x42484156, 0x42434F4E, 0x43415252};
        path = (std::filesystem::temp_directory_path() /
                ("jf-iff-bench-" + std::string(tag) + "-" + std::to_string(::getpid()) + ".iff"))
                   .string();
        const auto& header = jf::iffWriteTemplate();
        std::vector<char> out(header.begin(), header.end());
        out.reserve(kFileHeaderBytes + chunkCount * (kChunkHeaderBytes + bodySize));
        for (std::size_t i = 0; i < chunkCount; ++i) {
            appendBe32(out, kTypes[i % 4]);
            appendBe32(out, kChunkHeaderBytes + bodySize);
            appendBe16(out, static_cast<std::uint16_t>(i / 4));
            appendBe16(out, 0x0010);
            const std::string label = "Chunk " + std::to_string(i);
            out.insert(out.end(), label.begin(), label.end());
            out.insert(out.end(), 64 - label.size(), '\0');
            out.insert(out.end(), bodySize, static_cast<char>(i & 0xFF));
        }
        bytes = out.size();
        std::ofstream file(path, std::ios::binary);
        file.write(out.data(), static_cast<std::streamsize>(out.size()));
    }
    ~BenchContainer() { std::remove(path.c_str()); }
};

const BenchContainer& manySmallChunks() {
    static const BenchContainer container("small", 100000, 24);
    return container;
}

const BenchContainer& fewLargeChunks() {
    static const BenchContainer container("large", 2000, 256 * 1024);
    return container;
}

// Counts the bytes read through a file and every duplicate of it.
class CountingFile final : public jf::File {
public:
    CountingFile(std::unique_ptr<jf::File> inner, std::shared_ptr<std::uint64_t> bytesRead)
        : inner_(std::move(inner)), bytesRead_(std::move(bytesRead)) {}
    bool seek(std::uint64_t position) override { return inner_->seek(position); }
    std::uint64_t tell() const override { return inner_->tell(); }
    std::int64_t read(void* buffer, std::size_t n) override {
        const std::int64_t got = inner_->read(buffer, n);
        if (got > 0) {
            *bytesRead_ += static_cast<std::uint64_t>(got);
        }
        return got;
    }
    bool write(const void* buffer, std::size_t n) override { return inner_->write(buffer, n); }
    bool truncate(std::uint64_t length) override { return inner_->truncate(length); }
    std::int64_t length() const override { return inner_->length(); }
    bool flush() override { return inner_->flush(); }
    std::unique_ptr<jf::File> duplicate() override {
        std::unique_ptr<jf::File> copy = inner_->duplicate();
        return copy ? std::make_unique<CountingFile>(std::move(copy), bytesRead_) : nullptr;
    }
    std::string path() const override { return inner_->path(); }

private:
    std::unique_ptr<jf::File> inner_;
    std::shared_ptr<std::uint64_t> bytesRead_;
};

void parseLoop(benchmark::State& state, const BenchContainer& container) {
    auto bytesRead = std::make_shared<std::uint64_t>(0);
    std::unique_ptr<jf::File> disk =
        jf::systemFileSystem().open(container.path, jf::OpenMode::Read);
    if (!disk) {
        state.SkipWithError("cannot open the container");
        return;
    }
    CountingFile file(std::move(disk), bytesRead);
    jf::IffFileTable table(jf::systemFileSystem());
    for (auto _ : state) {
        const int slot = table.openFile(file, "bench.iff", true);
        if (slot == 0 || !table.parse(slot)) {
            state.SkipWithError("parse failed");
            return;
        }
        const jf::IffFile* parsed = table.file(slot);
        if (parsed->chunks.size() != container.count) {
            state.SkipWithError("wrong chunk count");
            return;
        }
        for (const auto& chunk : parsed->chunks) {
            if (chunk->loaded) {
                state.SkipWithError("a body was loaded by the scan");
                return;
            }
        }
        // Freeing the chunks is not part of the scan.
        state.PauseTiming();
        table.closeSlot(slot);
        state.ResumeTiming();
    }
    const double parses = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(container.count));
    state.counters["chunks"] = static_cast<double>(container.count);
    state.counters["bytesReadPerChunk"] =
        static_cast<double>(*bytesRead) / (parses * static_cast<double>(container.count));
}

// The figure against the target: chunk headers per second.
void BM_IffParse100kChunks(benchmark::State& state) {
    parseLoop(state, manySmallChunks());
}
BENCHMARK(BM_IffParse100kChunks)->Unit(benchmark::kMillisecond);

// Chunks of 256 KiB: the scan must read about one header per chunk.
void BM_IffParseLargeBodies(benchmark::State& state) {
    parseLoop(state, fewLargeChunks());
}
BENCHMARK(BM_IffParseLargeBodies)->Unit(benchmark::kMillisecond);

}  // namespace
