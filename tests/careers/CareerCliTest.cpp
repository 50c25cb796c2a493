// The careers dump / careers resave / str dump commands of the command-line tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include "careers/CareerDatabase.h"
#include "support/CareerBuilders.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

struct CliResult {
    int exitCode = -1;
    std::string out;
};

CliResult runCli(const std::string& arguments) {
    CliResult result;
    const std::string command = std::string(JF_CLI_PATH) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class CareerCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("jf-careers-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        work_ = folder_ / "Work.iff";
        std::vector<JobLevel> levels = {test::sampleJobLevel(1), test::sampleJobLevel(2)};
        test::TrackSpec plain;
        plain.id = 3;
        plain.careerBody = test::buildPlainCareerBody("Caf\xE9", levels);
        plain.stringsBody = test::buildLanguageTableBody(test::sampleCareerTexts("Three"));
        writeBytes(work_, test::buildCareerContainer({test::sampleTrack(12, "Twelve"), plain}));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    fs::path work_;
};

TEST_F(CareerCliTest, DumpShowsTracksByPosition) {
    CliResult run = runCli("careers dump " + quoted(work_));
    ASSERT_EQ(run.exitCode, 0);
    nlohmann::json doc = nlohmann::json::parse(run.out);
    ASSERT_EQ(doc["tracks"].size(), 2u);
    const nlohmann::json& first = doc["tracks"][0];
    EXPECT_EQ(first["position"], 0);
    EXPECT_EQ(first["id"], 3);
    EXPECT_EQ(first["internalCareerName"], "Caf\xC3\xA9");
    ASSERT_EQ(first["levels"].size(), 2u);
    ASSERT_EQ(first["levels"][1]["values"].size(), 21u);
    EXPECT_EQ(first["levels"][1]["values"][17], test::sampleJobLevel(2).salary);
    EXPECT_EQ(first["levels"][1]["values"][12], 0x7FFFFFFF);
    ASSERT_EQ(first["levels"][1]["texts"].size(), 5u);
    EXPECT_EQ(first["levels"][1]["texts"][0], "Job2");
    ASSERT_EQ(first["strings"].size(), 33u);
    ASSERT_EQ(first["strings"][4].size(), 20u);
    EXPECT_EQ(first["strings"][4][19], "Three e4 s19");
    EXPECT_EQ(doc["tracks"][1]["id"], 12);
}

TEST_F(CareerCliTest, DumpFailsWithoutCareers) {
    fs::path empty = folder_ / "Empty.iff";
    writeBytes(empty, test::buildCareerContainer({}));
    EXPECT_EQ(runCli("careers dump " + quoted(empty)).exitCode, 1);
    EXPECT_EQ(runCli("careers dump").exitCode, 2);
    EXPECT_EQ(runCli("careers dump " + quoted(folder_ / "missing.iff")).exitCode, 1);
}

TEST_F(CareerCliTest, ResaveWritesPackedCareersAndTheJobNameCopy) {
    fs::path out = folder_ / "Resaved.iff";
    Bytes original = readBytes(work_);
    CliResult run = runCli("careers resave " + quoted(work_) + " " + quoted(out));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(readBytes(work_), original);

    CliResult copy = runCli("str dump " + quoted(out) + " 1003");
    ASSERT_EQ(copy.exitCode, 0);
    nlohmann::json doc = nlohmann::json::parse(copy.out);
    EXPECT_EQ(doc["form"], -3);
    ASSERT_EQ(doc["rows"].size(), 33u);
    EXPECT_EQ(doc["rows"][5][2]["text"], "Three e5 s2");
    EXPECT_EQ(doc["rows"][5][2]["comment"], "");

    test::MemoryContainer reopened(readBytes(out));
    ASSERT_TRUE(reopened.ok());
    IffChunk* carr = reopened.view().find(kTypeCarr, 3);
    ASSERT_NE(carr, nullptr);
    EXPECT_EQ(carr->body(), test::buildPackedCareerBody(
                                "Caf\xE9", {test::sampleJobLevel(1), test::sampleJobLevel(2)}));
    EXPECT_NE(reopened.view().find(kTypeStr, 1012), nullptr);

    // The dumps of both files agree.
    CliResult before = runCli("careers dump " + quoted(work_));
    CliResult after = runCli("careers dump " + quoted(out));
    ASSERT_EQ(after.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(before.out), nlohmann::json::parse(after.out));
}

TEST_F(CareerCliTest, StrDumpForms) {
    fs::path file = folder_ / "Str.iff";
    writeBytes(file, test::buildContainerBytes({
                         {kTypeStr, 1, 0x10, "", test::buildStrBody(0, {{1, "ab", ""}})},
                         {kTypeStr, 2, 0x10, "", test::buildStrBody(-2, {{1, "t", "c"}})},
                         {kTypeStr, 3, 0x10, "", test::buildStrBody(-3, {{0, "bad", ""}})},
                     }));
    CliResult countFirst = runCli("str dump " + quoted(file) + " 1");
    ASSERT_EQ(countFirst.exitCode, 0);
    nlohmann::json doc = nlohmann::json::parse(countFirst.out);
    EXPECT_EQ(doc["form"], 0);
    EXPECT_EQ(doc["rows"][0][0]["text"], "ab");
    ASSERT_EQ(doc["rows"][0].size(), 20u);

    CliResult comments = runCli("str dump " + quoted(file) + " 2");
    ASSERT_EQ(comments.exitCode, 0);
    doc = nlohmann::json::parse(comments.out);
    EXPECT_EQ(doc["form"], -2);
    EXPECT_EQ(doc["rows"][0][0]["comment"], "c");

    EXPECT_EQ(runCli("str dump " + quoted(file) + " 3").exitCode, 1);
    EXPECT_EQ(runCli("str dump " + quoted(file) + " 4").exitCode, 1);
    EXPECT_EQ(runCli("str dump " + quoted(file) + " x").exitCode, 2);
    EXPECT_EQ(runCli("str dump " + quoted(file) + " 70000").exitCode, 2);
}

}  // namespace
}  // namespace jf
#endif
