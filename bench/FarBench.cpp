// FAR archive reading: opening a large archive's directory and extracting one
// entry, against the bare cost of reading the directory's bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "iff/FarArchive.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace {

constexpr std::uint32_t kEntryCount = 20000;
constexpr std::uint32_t kEntrySize = 64;
constexpr std::uint32_t kFarHeaderSize = 16;

void appendLe32(std::vector<char>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string entryName(std::uint32_t i) {
    return "UIGraphics\\cpanel\\Buttons\\Generated" + std::to_string(i) + ".bmp";
}

// A 20,000-entry archive (4-byte name lengths) written once to a temporary
// file and removed at exit.
struct BenchArchive {
    std::string path;
    std::uint32_t directoryOffset = 0;
    std::uint32_t directorySize = 0;
    std::string lastName;

    BenchArchive() {
        path = (std::filesystem::temp_directory_path() /
                ("jf-far-bench-" + std::to_string(::getpid()) + ".far"))
                   .string();
        std::vector<char> bytes = {'F', 'A', 'R', '!', 'b', 'y', 'A', 'Z'};
        appendLe32(bytes, 1);
        appendLe32(bytes, 0);
        for (std::uint32_t i = 0; i < kEntryCount; ++i) {
            bytes.insert(bytes.end(), kEntrySize, static_cast<char>(i & 0xFF));
        }
        directoryOffset = static_cast<std::uint32_t>(bytes.size());
        for (int i = 0; i < 4; ++i) {
            bytes[12 + i] = static_cast<char>((directoryOffset >> (8 * i)) & 0xFF);
        }
        appendLe32(bytes, kEntryCount);
        for (std::uint32_t i = 0; i < kEntryCount; ++i) {
            const std::string name = entryName(i);
            appendLe32(bytes, kEntrySize);
            appendLe32(bytes, kEntrySize);
            appendLe32(bytes, kFarHeaderSize + i * kEntrySize);
            appendLe32(bytes, static_cast<std::uint32_t>(name.size()));
            bytes.insert(bytes.end(), name.begin(), name.end());
        }
        directorySize = static_cast<std::uint32_t>(bytes.size()) - directoryOffset;
        lastName = entryName(kEntryCount - 1);
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~BenchArchive() { std::remove(path.c_str()); }
};

const BenchArchive& benchArchive() {
    static const BenchArchive archive;
    return archive;
}

void BM_FarReadDirectoryAndExtract(benchmark::State& state) {
    const BenchArchive& bench = benchArchive();
    std::unique_ptr<jf::File> file = jf::systemFileSystem().open(bench.path, jf::OpenMode::Read);
    if (!file) {
        state.SkipWithError("cannot open the archive");
        return;
    }
    for (auto _ : state) {
        jf::FarArchive archive;
        if (!archive.readDirectory(*file)) {
            state.SkipWithError("readDirectory failed");
            return;
        }
        const long index = archive.findEntry(bench.lastName);
        jf::MemoryFile out;
        if (index < 0 || !archive.extractEntry(static_cast<std::size_t>(index), out)) {
            state.SkipWithError("extraction failed");
            return;
        }
        benchmark::DoNotOptimize(out.length());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bench.directorySize);
}
BENCHMARK(BM_FarReadDirectoryAndExtract)->Unit(benchmark::kMillisecond);

// Baseline: the directory's bytes read into memory in one go, nothing parsed.
void BM_FarDirectoryBytesBaseline(benchmark::State& state) {
    const BenchArchive& bench = benchArchive();
    std::unique_ptr<jf::File> file = jf::systemFileSystem().open(bench.path, jf::OpenMode::Read);
    if (!file) {
        state.SkipWithError("cannot open the archive");
        return;
    }
    for (auto _ : state) {
        std::vector<std::uint8_t> directory(bench.directorySize);
        if (!file->seek(bench.directoryOffset) ||
            !file->readExact(directory.data(), directory.size())) {
            state.SkipWithError("read failed");
            return;
        }
        benchmark::DoNotOptimize(directory.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bench.directorySize);
}
BENCHMARK(BM_FarDirectoryBytesBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
