// Standard output of the command-line tool carries bytes unchanged on every
// system: `iff cat` prints a chunk body exactly (on Windows no CR is added
// before an LF and 0x1A ends nothing), and JSON lines end with a bare LF.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/CliRunner.h"
#include "support/IffBuilder.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

namespace fs = std::filesystem;

TEST(IffCatCli, PrintsTheChunkBodyByteForByteAndJsonWithBareLineFeeds) {
    const fs::path folder = fs::temp_directory_path() / "jf-iff-cat-cli";
    fs::remove_all(folder);
    const fs::path file = folder / "Raw.iff";
    const std::vector<std::uint8_t> body{'a', '\n', 'b', '\r', '\n', 0x1A, 0x00, 0xFF, '\n'};
    test::writeFileBytes(file, test::buildIff({{"BHAV", 4096, 0x10, "raw", body}}));

    const test::CliResult cat = test::runCli({"iff", "cat", test::pathWord(file), "BHAV", "4096"});
    EXPECT_EQ(cat.exitCode, 0) << cat.err;
    EXPECT_EQ(cat.out, std::string(body.begin(), body.end()));

    const test::CliResult list = test::runCli({"iff", "list", test::pathWord(file)});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find('\n'), std::string::npos);
    EXPECT_EQ(list.out.find('\r'), std::string::npos) << "a JSON line ends with CR LF";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace jf
#endif
