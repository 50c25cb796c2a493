// File Save of the sample installation (the career file, CarPortal.iff and
// both icon strips, each replaced all-or-nothing), against writing the same
// bytes to new files with one write, one flush to disk and one rename each.
//
// Both are bound by the disk's flushes, so the figure that counts is the
// elapsed (real) time; the processor time is reported beside it.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "document/EditorSession.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/SampleInstallation.h"

namespace {

using jf::bench::SilentPrompts;

// A sample installation in a temporary folder, loaded once into a session
// that every timed save writes back; removed at exit.
struct SaveFixture : jf::bench::SampleFolder {
    jf::MemorySettingsStore settings;
    std::unique_ptr<jf::EditorSession> session;
    SilentPrompts prompts;
    bool ready = false;

    SaveFixture() : SampleFolder("save") {
        if (!written) {
            return;
        }
        session = std::make_unique<jf::EditorSession>(jf::systemFileSystem(), settings);
        ready = jf::bench::loadSample(*session, gameFolder, prompts) &&
                !session->state.chanceCardsDisabled && jf::saveAll(*session, prompts);
    }
    ~SaveFixture() { session.reset(); }
};

SaveFixture& fixture() {
    static SaveFixture instance;
    return instance;
}

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void BM_SaveSampleInstallation(benchmark::State& state) {
    SaveFixture& sample = fixture();
    if (!sample.ready) {
        state.SkipWithError("the sample installation could not be made, loaded or saved");
        return;
    }
    for (auto _ : state) {
        if (!jf::saveAll(*sample.session, sample.prompts)) {
            state.SkipWithError("a save failed");
            return;
        }
    }
}
BENCHMARK(BM_SaveSampleInstallation)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: the bytes File Save writes, each put into a new file beside the
// original with one write, one fsync and one rename over the previous copy.
void BM_WriteSampleFileBytes(benchmark::State& state) {
    SaveFixture& sample = fixture();
    if (!sample.ready) {
        state.SkipWithError("the sample installation could not be made, loaded or saved");
        return;
    }
    std::vector<std::vector<char>> contents;
    for (const std::string& file : sample.files) {
        contents.push_back(fileBytes(file));
    }
    for (auto _ : state) {
        for (std::size_t i = 0; i < sample.files.size(); ++i) {
            const std::string target = sample.files[i] + ".baseline";
            const std::string temporary = target + ".new";
            const int fd =
                ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            const std::vector<char>& bytes = contents[i];
            const bool ok =
                fd >= 0 &&
                ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                ::fsync(fd) == 0;
            if (fd >= 0) {
                ::close(fd);
            }
            if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
                state.SkipWithError("a baseline write failed");
                return;
            }
        }
    }
}
BENCHMARK(BM_WriteSampleFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
