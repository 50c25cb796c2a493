// Runs every fuzz target over its committed seeds (fuzz/corpus/<target>) and
// the inputs of past findings (fuzz/regressions/<target>) in the normal test
// build, so that the round-trip and consistency checks of the targets guard
// every test run, not only fuzzing runs.
//
// The target sources are compiled into this test as they are.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "../../fuzz/BconTarget.cpp"
#include "../../fuzz/BhavTarget.cpp"
#include "../../fuzz/BmpTarget.cpp"
#include "../../fuzz/CardsTarget.cpp"
#include "../../fuzz/CarrTarget.cpp"
#include "../../fuzz/ExchangeTarget.cpp"
#include "../../fuzz/FarTarget.cpp"
#include "../../fuzz/FuzzSupport.cpp"
#include "../../fuzz/IffTarget.cpp"
#include "../../fuzz/StrTarget.cpp"

namespace jf::fuzz {
namespace {

namespace fsys = std::filesystem;

struct Violation : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void throwViolation(const char* target, const std::string& what) {
    throw Violation(std::string(target) + ": " + what);
}

using TargetFunction = int (*)(const std::uint8_t*, std::size_t);

struct TargetCase {
    const char* name;
    TargetFunction run;
};

const TargetCase kTargets[] = {
    {"iff", runIff},   {"far", runFar},     {"str", runStr}, {"carr", runCarr}, {"bhav", runBhav},
    {"bcon", runBcon}, {"cards", runCards}, {"bmp", runBmp}, {"car", runCar},   {"cbk", runCbk},
};

std::vector<fsys::path> inputsOf(const std::string& target) {
    std::vector<fsys::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        const fsys::path dir = fsys::path(JF_SOURCE_DIR) / "fuzz" / folder / target;
        if (!fsys::is_directory(dir)) {
            continue;
        }
        for (const auto& entry : fsys::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

class FuzzReplayTest : public ::testing::TestWithParam<TargetCase> {
protected:
    void SetUp() override { setViolationHandler(throwViolation); }
    void TearDown() override { setViolationHandler(nullptr); }
};

TEST_P(FuzzReplayTest, SeedsAndPastFindingsKeepEveryProperty) {
    const TargetCase target = GetParam();
    const std::vector<fsys::path> inputs = inputsOf(target.name);
    ASSERT_FALSE(inputs.empty()) << "no seeds for " << target.name;
    for (const fsys::path& input : inputs) {
        SCOPED_TRACE(input.string());
        std::ifstream in(input, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        try {
            target.run(bytes.data(), bytes.size());
        } catch (const Violation& violation) {
            ADD_FAILURE() << violation.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplayTest, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<TargetCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace jf::fuzz
