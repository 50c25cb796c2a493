// The careers dump / careers resave / str dump commands of the command-line tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include "careers/CareerDatabase.h"
#include "support/CareerBuilders.h"
#include "support/CliRunner.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

using test::CliResult;
using test::pathWord;
using test::readFileBytes;
using test::runCli;
using test::writeFileBytes;

class CareerCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("jf-careers-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        work_ = folder_ / "Work.iff";
        std::vector<JobLevel> levels = {test::sampleJobLevel(1), test::sampleJobLevel(2)};
        test::TrackRecipe plain;
        plain.id = 3;
        plain.careerBody = test::buildPlainCareerBody("Caf\xE9", levels);
        plain.stringsBody = test::buildLanguageTableBody(test::sampleCareerTexts("Three"));
        writeFileBytes(work_, test::buildCareerContainer({test::sampleTrack(12, "Twelve"), plain}));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    fs::path work_;
};

TEST_F(CareerCliTest, DumpShowsTracksByPosition) {
    CliResult run = runCli({"careers", "dump", pathWord(work_)});
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
    writeFileBytes(empty, test::buildCareerContainer({}));
    EXPECT_EQ(runCli({"careers", "dump", pathWord(empty)}).exitCode, 1);
    EXPECT_EQ(runCli({"careers", "dump"}).exitCode, 2);
    EXPECT_EQ(runCli({"careers", "dump", pathWord(folder_ / "missing.iff")}).exitCode, 1);
}

TEST_F(CareerCliTest, ResaveWritesPackedCareersAndTheJobNameCopy) {
    fs::path out = folder_ / "Resaved.iff";
    Bytes original = readFileBytes(work_);
    CliResult run = runCli({"careers", "resave", pathWord(work_), pathWord(out)});
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(readFileBytes(work_), original);

    CliResult copy = runCli({"str", "dump", pathWord(out), "1003"});
    ASSERT_EQ(copy.exitCode, 0);
    nlohmann::json doc = nlohmann::json::parse(copy.out);
    EXPECT_EQ(doc["form"], -3);
    ASSERT_EQ(doc["rows"].size(), 33u);
    EXPECT_EQ(doc["rows"][5][2]["text"], "Three e5 s2");
    EXPECT_EQ(doc["rows"][5][2]["comment"], "");

    test::MemoryContainer reopened(readFileBytes(out));
    ASSERT_TRUE(reopened.ok());
    IffChunk* carr = reopened.view().find(kTypeCarr, 3);
    ASSERT_NE(carr, nullptr);
    EXPECT_EQ(carr->body(), test::buildPackedCareerBody(
                                "Caf\xE9", {test::sampleJobLevel(1), test::sampleJobLevel(2)}));
    EXPECT_NE(reopened.view().find(kTypeStr, 1012), nullptr);

    // The dumps of both files agree.
    CliResult before = runCli({"careers", "dump", pathWord(work_)});
    CliResult after = runCli({"careers", "dump", pathWord(out)});
    ASSERT_EQ(after.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(before.out), nlohmann::json::parse(after.out));
}

TEST_F(CareerCliTest, StrDumpForms) {
    fs::path file = folder_ / "Str.iff";
    writeFileBytes(file, test::buildContainerBytes({
                             {kTypeStr, 1, 0x10, "", test::buildStrBody(0, {{1, "ab", ""}})},
                             {kTypeStr, 2, 0x10, "", test::buildStrBody(-2, {{1, "t", "c"}})},
                             {kTypeStr, 3, 0x10, "", test::buildStrBody(-3, {{0, "bad", ""}})},
                         }));
    CliResult countFirst = runCli({"str", "dump", pathWord(file), "1"});
    ASSERT_EQ(countFirst.exitCode, 0);
    nlohmann::json doc = nlohmann::json::parse(countFirst.out);
    EXPECT_EQ(doc["form"], 0);
    EXPECT_EQ(doc["rows"][0][0]["text"], "ab");
    ASSERT_EQ(doc["rows"][0].size(), 20u);

    CliResult comments = runCli({"str", "dump", pathWord(file), "2"});
    ASSERT_EQ(comments.exitCode, 0);
    doc = nlohmann::json::parse(comments.out);
    EXPECT_EQ(doc["form"], -2);
    EXPECT_EQ(doc["rows"][0][0]["comment"], "c");

    EXPECT_EQ(runCli({"str", "dump", pathWord(file), "3"}).exitCode, 1);
    EXPECT_EQ(runCli({"str", "dump", pathWord(file), "4"}).exitCode, 1);
    EXPECT_EQ(runCli({"str", "dump", pathWord(file), "x"}).exitCode, 2);
    EXPECT_EQ(runCli({"str", "dump", pathWord(file), "70000"}).exitCode, 2);
}

}  // namespace
}  // namespace jf
#endif
