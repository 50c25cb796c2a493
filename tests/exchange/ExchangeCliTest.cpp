// The export / backup / import / restore commands of the command-line tool
// on a game installation on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "careers/CareerDatabase.h"
#include "exchange/ExchangeTestSupport.h"
#include "iff/IffFile.h"
#include "support/CliRunner.h"

#ifdef JF_CLI_PATH
namespace jf::test {
namespace {

namespace stdfs = std::filesystem;

using test::CliResult;
using test::pathWord;
using test::readFileBytes;
using test::runCli;
using test::writeFileBytes;

class ExchangeCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = stdfs::temp_directory_path() / ("jf-exchange-cli-" + std::to_string(::getpid()));
        stdfs::remove_all(folder_);
        game_ = folder_ / "game";
        writeFileBytes(work(),
                       buildCareerContainer({sampleTrack(1, "one"), sampleTrack(2, "two", 4),
                                             sampleTrack(3, "three")}));
        CardPortalRecipe cards;
        writeFileBytes(game_ / "GameData" / "Objects" / "CarPortal.iff", buildCardPortal(cards));
        writeFileBytes(game_ / "UIGraphics" / "cpanel" / "Backgrounds" / "JobIconMultiPopup.BMP",
                       encodeBitmapFile(bandedStrip(84, 63, 10)));
        writeFileBytes(game_ / "UIGraphics" / "cpanel" / "Buttons" / "JobIconMultiButton.BMP",
                       encodeBitmapFile(bandedStrip(112, 22, 20)));
    }
    void TearDown() override {
        std::error_code ignored;
        stdfs::remove_all(folder_, ignored);
    }
    stdfs::path work() const { return game_ / "ExpansionShared" / "Work.iff"; }

    CliResult run(const test::ProgramArguments& arguments) { return runCli(arguments); }

    // The internal career names of Work.iff by position.
    std::vector<std::string> careerNames() {
        NoDiskFileSystem none;
        IffFileTable table(none);
        MemoryFile file(readFileBytes(work()));
        const int slot = table.openMemory(file, "Work.iff", true);
        EXPECT_TRUE(table.parse(slot));
        IffView view(table);
        view.attach(slot);
        CareerDatabase database;
        EXPECT_TRUE(database.loadCareers(view));
        std::vector<std::string> names;
        for (std::size_t p = 0; p < database.trackCount(); ++p) {
            names.push_back(database.track(p)->career.internalCareerName);
        }
        return names;
    }

    stdfs::path folder_;
    stdfs::path game_;
};

TEST_F(ExchangeCliTest, ExportThenImportOverAnotherTrack) {
    const stdfs::path car = folder_ / "two.car";
    CliResult exported = run({"export", pathWord(game_), "1", pathWord(car)});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_NE(exported.err.find("Successfully exported!"), std::string::npos);
    EXPECT_EQ(readChunks(readFileBytes(car)).size(), 8u);

    CliResult imported = run({"import", pathWord(game_), pathWord(car), "2"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.err.find("Successfully imported!"), std::string::npos);
    EXPECT_EQ(careerNames(), (std::vector<std::string>{"one", "two", "two"}));
}

TEST_F(ExchangeCliTest, BackupAndRestore) {
    const stdfs::path cbk = folder_ / "all.cbk";
    CliResult backup = run({"backup", pathWord(game_), pathWord(cbk)});
    ASSERT_EQ(backup.exitCode, 0) << backup.err;
    EXPECT_EQ(readChunks(readFileBytes(cbk)).size(), 23u);

    const stdfs::path car = folder_ / "one.car";
    ASSERT_EQ(run({"export", pathWord(game_), "0", pathWord(car)}).exitCode, 0);
    ASSERT_EQ(run({"import", pathWord(game_), pathWord(car)}).exitCode,
              0);  // position 0
    ASSERT_EQ(run({"import", pathWord(game_), pathWord(car), "2"}).exitCode, 0);
    EXPECT_EQ(careerNames(), (std::vector<std::string>{"one", "two", "one"}));

    CliResult restored = run({"restore", pathWord(game_), pathWord(cbk)});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_NE(restored.err.find("Successfully restored!"), std::string::npos);
    EXPECT_EQ(careerNames(), (std::vector<std::string>{"one", "two", "three"}));

    // import accepts a backup too, answering its question.
    CliResult again = run({"import", pathWord(game_), pathWord(cbk)});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.err.find("Are you sure you want to restore the careers?"), std::string::npos);
}

TEST_F(ExchangeCliTest, FailuresSaveNothing) {
    const stdfs::path car = folder_ / "one.car";
    ASSERT_EQ(run({"export", pathWord(game_), "0", pathWord(car)}).exitCode, 0);
    const Bytes before = readFileBytes(work());

    // restore refuses a single track.
    CliResult notBackup = run({"restore", pathWord(game_), pathWord(car)});
    EXPECT_EQ(notBackup.exitCode, 1);
    EXPECT_NE(notBackup.err.find("not a backup"), std::string::npos);

    // A damaged file: its message, exit 1, nothing saved.
    std::vector<RawTestChunk> chunks = readChunks(readFileBytes(car));
    std::erase_if(chunks, [](const RawTestChunk& c) {
        return c.type == kTypeButtonBitmap || c.type == kTypeRsmp;
    });
    const stdfs::path damaged = folder_ / "damaged.car";
    writeFileBytes(damaged, buildContainerBytes(chunks));
    CliResult failed = run({"import", pathWord(game_), pathWord(damaged), "1"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("Can't load the button resource!"), std::string::npos);
    EXPECT_EQ(readFileBytes(work()), before);

    CliResult missing = run({"import", pathWord(game_), pathWord(folder_ / "none.car")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Couldn't open this file!"), std::string::npos);

    CliResult beyond = run({"import", pathWord(game_), pathWord(car), "3"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_EQ(readFileBytes(work()), before);

    EXPECT_EQ(run({"export", pathWord(game_), "7", pathWord(folder_ / "x.car")}).exitCode, 1);
    EXPECT_FALSE(stdfs::exists(folder_ / "x.car"));
    EXPECT_EQ(run({"export", pathWord(folder_ / "nogame"), "0", pathWord(car)}).exitCode, 1);
}

TEST_F(ExchangeCliTest, WrongUsage) {
    EXPECT_EQ(run({"export", pathWord(game_)}).exitCode, 2);
    EXPECT_EQ(run({"export", pathWord(game_), "x", pathWord(folder_ / "a.car")}).exitCode, 2);
    EXPECT_EQ(run({"backup", pathWord(game_)}).exitCode, 2);
    EXPECT_EQ(run({"import", pathWord(game_)}).exitCode, 2);
    EXPECT_EQ(run({"restore", pathWord(game_), "a", "b"}).exitCode, 2);
    EXPECT_EQ(run({"backup", pathWord(game_), "out", "--packs"}).exitCode, 2);
}

}  // namespace
}  // namespace jf::test
#endif
