// The whole loading sequence on the sample installation, against the bare
// cost of reading the same files' bytes into memory.
//
// The sample is made once in a temporary folder and loaded once before any
// timing, so that the one-time extraction of the icon strips from the
// archive is not measured: every timed load opens loose files.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "BenchSupport.h"
#include "document/EditorSession.h"
#include "iff/IffFile.h"
#include "iff/StringTable.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/SampleInstallation.h"

namespace {

using jf::bench::SilentPrompts;

struct LoadResult {
    bool ok = false;
    std::size_t tracks = 0;
};

LoadResult loadOnce(const std::string& gameFolder) {
    jf::MemorySettingsStore settings;
    jf::EditorSession session(jf::systemFileSystem(), settings);
    SilentPrompts prompts;
    LoadResult result;
    result.ok = jf::bench::loadSample(session, gameFolder, prompts);
    result.tracks = session.database.trackCount();
    session.careerView.reset();
    session.cardView.reset();
    return result;
}

// The sample installation, made and loaded once; removed at exit.
struct BenchInstallation : jf::bench::SampleFolder {
    bool ready = false;

    BenchInstallation() : SampleFolder("load") { ready = written && loadOnce(gameFolder).ok; }
};

BenchInstallation& installation() {
    static BenchInstallation instance;
    return instance;
}

std::int64_t totalBytes(const std::vector<std::string>& files) {
    std::int64_t total = 0;
    for (const std::string& file : files) {
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        total += error ? 0 : static_cast<std::int64_t>(size);
    }
    return total;
}

void BM_LoadSampleInstallation(benchmark::State& state) {
    BenchInstallation& sample = installation();
    if (!sample.ready) {
        state.SkipWithError("the sample installation could not be made or loaded");
        return;
    }
    for (auto _ : state) {
        LoadResult result = loadOnce(sample.gameFolder);
        if (!result.ok) {
            state.SkipWithError("a load failed");
            return;
        }
        benchmark::DoNotOptimize(result.tracks);
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(sample.files));
}
BENCHMARK(BM_LoadSampleInstallation)->Unit(benchmark::kMillisecond);

// Baseline: the bytes of the same four files read into memory through the
// same file layer, nothing decoded.
void BM_ReadSampleFileBytes(benchmark::State& state) {
    BenchInstallation& sample = installation();
    if (!sample.ready) {
        state.SkipWithError("the sample installation could not be made or loaded");
        return;
    }
    jf::FileSystem& fs = jf::systemFileSystem();
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        for (const std::string& path : sample.files) {
            std::unique_ptr<jf::File> file = fs.open(path, jf::OpenMode::Read);
            const std::int64_t length = file ? file->length() : -1;
            if (length < 0) {
                state.SkipWithError("a sample file cannot be read");
                return;
            }
            buffer.resize(static_cast<std::size_t>(length));
            if (!file->readExact(buffer.data(), buffer.size())) {
                state.SkipWithError("a sample file cannot be read");
                return;
            }
            benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * totalBytes(sample.files));
}
BENCHMARK(BM_ReadSampleFileBytes)->Unit(benchmark::kMillisecond);

// Where most of the load's time goes: the string tables the load decodes,
// decoded again (each into a fresh table, freed again), against the least that keeping
// every text in a string of its own can cost: the same texts copied into
// strings and freed, nothing else. Both run on bodies already in memory.
struct SampleTables {
    jf::IffFileTable table{jf::systemFileSystem()};
    std::vector<std::unique_ptr<jf::IffView>> views;
    std::vector<std::pair<jf::IffView*, jf::IffChunk*>> chunks;
    std::string pool;  // every non-empty text and comment, back to back
    std::vector<std::pair<std::size_t, std::size_t>> texts;  // start, length in pool
    bool ready = false;

    SampleTables() {
        BenchInstallation& sample = installation();
        if (!sample.ready) {
            return;
        }
        for (const std::string& name : {sample.files[0], sample.files[1]}) {
            auto view = std::make_unique<jf::IffView>(table);
            {
                std::unique_ptr<jf::File> file =
                    jf::systemFileSystem().open(name, jf::OpenMode::Read);
                // Every body in memory, then the file let go: the timed
                // loads must find it unlocked.
                if (!file || !view->openInto(*file) || !view->loadAll() ||
                    !view->releaseFile(true)) {
                    return;
                }
            }
            // The tables the load decodes: in the career file those of the
            // tracks (beside a career chunk of the same id), in the card
            // file its one table.
            const bool careerFile = name == sample.files[0];
            for (jf::IffChunk* chunk : view->chunksOfType(jf::kTypeStr)) {
                if (!careerFile || view->find(jf::kTypeCarr, chunk->id) != nullptr) {
                    chunks.emplace_back(view.get(), chunk);
                }
            }
            views.push_back(std::move(view));
        }
        for (const auto& [view, chunk] : chunks) {
            jf::StringTable strings;
            if (!strings.attachTo(*view, *chunk)) {
                return;
            }
            for (const jf::StringTable::Row& row : strings.rows()) {
                for (const jf::StringTable::Entry& entry : row) {
                    for (const std::string* text : {&entry.text, &entry.comment}) {
                        if (!text->empty()) {
                            texts.emplace_back(pool.size(), text->size());
                            pool += *text;
                        }
                    }
                }
            }
        }
        ready = !chunks.empty();
    }
};

SampleTables& sampleTables() {
    static SampleTables instance;
    return instance;
}

void BM_DecodeSampleStringTables(benchmark::State& state) {
    SampleTables& tables = sampleTables();
    if (!tables.ready) {
        state.SkipWithError("the sample's string tables could not be read");
        return;
    }
    for (auto _ : state) {
        for (const auto& [view, chunk] : tables.chunks) {
            jf::StringTable strings;
            if (!strings.attachTo(*view, *chunk)) {
                state.SkipWithError("a string table failed to decode");
                return;
            }
            benchmark::DoNotOptimize(strings.rowCount());
        }
    }
    state.counters["texts"] = static_cast<double>(tables.texts.size());
}
BENCHMARK(BM_DecodeSampleStringTables)->Unit(benchmark::kMillisecond);

void BM_SampleTextsAsStrings(benchmark::State& state) {
    SampleTables& tables = sampleTables();
    if (!tables.ready) {
        state.SkipWithError("the sample's string tables could not be read");
        return;
    }
    for (auto _ : state) {
        std::vector<std::string> strings;
        strings.reserve(tables.texts.size());
        for (const auto& [start, length] : tables.texts) {
            strings.emplace_back(tables.pool.data() + start, length);
        }
        benchmark::DoNotOptimize(strings.data());
    }
    state.counters["texts"] = static_cast<double>(tables.texts.size());
}
BENCHMARK(BM_SampleTextsAsStrings)->Unit(benchmark::kMillisecond);

}  // namespace
