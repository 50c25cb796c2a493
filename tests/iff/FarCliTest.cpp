// The far list / far extract commands of the command-line tool.
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

#include "support/FarBuilder.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct CliResult {
    int exitCode = -1;
    std::string out;
};

// Runs the tool with arguments that are already quoted for the shell.
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

class FarCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("jf-far-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        archive_ = folder_ / "UI.far";
        writeBytes(
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
    CliResult result = runCli("far list " + quoted(archive_));
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
    CliResult result = runCli("far extract " + quoted(archive_) +
                              " 'CPANEL\\BUTTONS\\JOBICONMULTIBUTTON.BMP' " + quoted(out));
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(readBytes(out), (Bytes{'B', 'M', 0, 0xFF}));

    const fs::path second = folder_ / "second.bin";
    ASSERT_EQ(runCli("far extract " + quoted(archive_) + " second " + quoted(second)).exitCode, 0);
    EXPECT_EQ(readBytes(second), (Bytes{7, 8, 9}));
}

TEST_F(FarCliTest, MissingEntryFailsWithoutWritingTheOutput) {
    const fs::path out = folder_ / "none.bin";
    EXPECT_EQ(runCli("far extract " + quoted(archive_) + " 'nothing' " + quoted(out)).exitCode, 1);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(FarCliTest, DamagedOrMissingArchiveFails) {
    const fs::path damaged = folder_ / "Damaged.FAR";
    Bytes bytes = buildFarArchive({{"name", Bytes{1}}});
    bytes.pop_back();  // the name's last two bytes
    bytes.pop_back();
    writeBytes(damaged, bytes);
    EXPECT_EQ(runCli("far list " + quoted(damaged)).exitCode, 1);
    EXPECT_EQ(runCli("far list " + quoted(folder_ / "Missing.FAR")).exitCode, 1);
    EXPECT_EQ(runCli("far extract " + quoted(damaged) + " name " + quoted(folder_ / "x")).exitCode,
              1);
}

TEST_F(FarCliTest, WrongArgumentCountIsAUsageError) {
    EXPECT_EQ(runCli("far list").exitCode, 2);
    EXPECT_EQ(runCli("far list " + quoted(archive_) + " extra").exitCode, 2);
    EXPECT_EQ(runCli("far extract " + quoted(archive_) + " name").exitCode, 2);
}

}  // namespace
}  // namespace jf
#endif
