// The far list / far extract commands of the command-line tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include "support/CliRunner.h"
#include "support/FarBuilder.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using test::CliResult;
using test::pathWord;
using test::readFileBytes;
using test::runCli;
using test::writeFileBytes;

class FarCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("jf-far-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        archive_ = folder_ / "UI.far";
        writeFileBytes(
            archive_,
            buildFarArchive({{"cpanel\\Buttons\\JobIconMultiButton.BMP", Bytes{'B', 'M', 0, 0xFF}},
                             {"caf\xE9.txt", Bytes{}},
                             {"Second", Bytes{7, 8, 9}}},
                            true));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    fs::path archive_;
};

TEST_F(FarCliTest, ListsEntriesInDirectoryOrder) {
    CliResult result = runCli({"far", "list", pathWord(archive_)});
    ASSERT_EQ(result.exitCode, 0);
    const nlohmann::json document = nlohmann::json::parse(result.out);
    const nlohmann::json expected = nlohmann::json::parse(R"({"entries": [
        {"name": "cpanel\\Buttons\\JobIconMultiButton.BMP", "size": 4, "offset": 16},
        {"name": "caf\u00e9.txt", "size": 0, "offset": 20},
        {"name": "Second", "size": 3, "offset": 20}]})");
    EXPECT_EQ(document, expected);
}

TEST_F(FarCliTest, ExtractsTheEntryMatchingIgnoringCase) {
    const fs::path out = folder_ / "button.bmp";
    CliResult result = runCli({"far", "extract", pathWord(archive_),
                               "CPANEL\\BUTTONS\\JOBICONMULTIBUTTON.BMP", pathWord(out)});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(readFileBytes(out), (Bytes{'B', 'M', 0, 0xFF}));

    const fs::path second = folder_ / "second.bin";
    ASSERT_EQ(runCli({"far", "extract", pathWord(archive_), "second", pathWord(second)}).exitCode,
              0);
    EXPECT_EQ(readFileBytes(second), (Bytes{7, 8, 9}));
}

TEST_F(FarCliTest, MissingEntryFailsWithoutWritingTheOutput) {
    const fs::path out = folder_ / "none.bin";
    EXPECT_EQ(runCli({"far", "extract", pathWord(archive_), "nothing", pathWord(out)}).exitCode, 1);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(FarCliTest, DamagedOrMissingArchiveFails) {
    const fs::path damaged = folder_ / "Damaged.FAR";
    Bytes bytes = buildFarArchive({{"name", Bytes{1}}});
    bytes.pop_back();  // the name's last two bytes
    bytes.pop_back();
    writeFileBytes(damaged, bytes);
    EXPECT_EQ(runCli({"far", "list", pathWord(damaged)}).exitCode, 1);
    EXPECT_EQ(runCli({"far", "list", pathWord(folder_ / "Missing.FAR")}).exitCode, 1);
    EXPECT_EQ(
        runCli({"far", "extract", pathWord(damaged), "name", pathWord(folder_ / "x")}).exitCode, 1);
}

TEST_F(FarCliTest, WrongArgumentCountIsAUsageError) {
    EXPECT_EQ(runCli({"far", "list"}).exitCode, 2);
    EXPECT_EQ(runCli({"far", "list", pathWord(archive_), "extra"}).exitCode, 2);
    EXPECT_EQ(runCli({"far", "extract", pathWord(archive_), "name"}).exitCode, 2);
}

}  // namespace
}  // namespace jf
#endif
