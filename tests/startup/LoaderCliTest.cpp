// The command line's make-sample, dump and resave on a sample installation
// in a temporary Wine prefix, with a temporary home and settings folder.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "SettingsTestSupport.h"
#include "platform/Version.h"
#include "startup/SampleInstallation.h"
#include "startup/SaveJournal.h"
#include "support/CliRunner.h"

namespace jf {
namespace {

using test::ScratchFolder;

using CliRun = test::CliResult;

using test::pathWord;

class LoaderCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        scratch.folder("home");
        environment = {"HOME=" + pathWord(scratch / "home"),
                       "WINEPREFIX=" + pathWord(scratch / "prefix"),
                       "XDG_CONFIG_HOME=" + pathWord(scratch / "config")};
    }

    CliRun run(const test::ProgramArguments& arguments) const {
        return test::runCli(arguments, environment);
    }

    std::string makeSample() {
        CliRun made = run({"make-sample", pathWord(scratch / "prefix")});
        EXPECT_EQ(made.exitCode, 0) << made.err;
        const nlohmann::json doc = nlohmann::json::parse(made.out);
        return doc["gameDataFolder"].get<std::string>();
    }

    bool settingsWritten() const {
        return std::filesystem::exists(scratch / "config/jobforge3/settings.reg");
    }

    ScratchFolder scratch;
    test::ProgramEnvironment environment;
};

TEST_F(LoaderCliTest, DumpLoadsTheSampleInstallation) {
    const std::string game = makeSample();
    EXPECT_TRUE(std::filesystem::is_regular_file(scratch / "prefix/system.reg"));
    EXPECT_TRUE(std::filesystem::is_symlink(scratch / "prefix/dosdevices/c:"));
    EXPECT_FALSE(std::filesystem::exists(game + "UIGraphics/cpanel"));

    CliRun dump = run({"dump"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const nlohmann::json doc = nlohmann::json::parse(dump.out);
    EXPECT_EQ(doc["careerFile"], "Work.iff");
    EXPECT_EQ(doc["chanceCardsDisabled"], false);
    ASSERT_EQ(doc["tracks"].size(), kSampleTrackCount);
    const nlohmann::json& first = doc["tracks"][0];
    EXPECT_EQ(first["id"], 1);
    EXPECT_EQ(first["internalCareerName"], "Lighthouse");
    EXPECT_EQ(first["levels"].size(), 10u);
    EXPECT_EQ(first["strings"].size(), 33u);
    EXPECT_EQ(first["strings"][0].size(), 20u);
    ASSERT_EQ(first["cards"].size(), 10u);
    EXPECT_GT(first["cards"][0]["textIndex"], 0);
    EXPECT_FALSE(first["cards"][0]["items"].empty());
    EXPECT_EQ(doc["options"]["values"].size(), 8u);
    EXPECT_GE(doc["globalTexts"].size(), 48u);
    EXPECT_FALSE(doc["freeEntries"].empty());
    EXPECT_EQ(doc["icons"]["popup"]["width"], 84);
    EXPECT_EQ(doc["icons"]["button"]["width"], 112);
    EXPECT_EQ(doc["icons"]["popup"]["height"].get<int>() % 63, 0);
    EXPECT_EQ(doc["icons"]["button"]["height"].get<int>() % 22, 0);
    EXPECT_EQ(doc["icons"]["popup"]["height"].get<int>() / 63,
              doc["icons"]["button"]["height"].get<int>() / 22);

    // Status lines, and the expansion-pack question answered No.
    EXPECT_NE(dump.err.find("CarPortal.iff\nWork.iff\nLoading careers...\nLoading Chance "
                            "Cards...\nLoading Bitmaps...\n"),
              std::string::npos)
        << dump.err;
    EXPECT_NE(dump.err.find("has detected that since the last time"), std::string::npos);
    EXPECT_NE(dump.err.find("-> No"), std::string::npos);
    // The first load extracted the strips; the settings were left alone.
    EXPECT_TRUE(std::filesystem::is_regular_file(
        game + "UIGraphics/cpanel/Backgrounds/JobIconMultiPopup.BMP"));
    EXPECT_TRUE(std::filesystem::is_regular_file(
        game + "UIGraphics/cpanel/Buttons/JobIconMultiButton.BMP"));
    EXPECT_FALSE(settingsWritten());

    // A game folder given directly loads the same tracks.
    CliRun direct = run({"dump", pathWord(game), "--packs", "0x0F"});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;
    const nlohmann::json directDoc = nlohmann::json::parse(direct.out);
    EXPECT_EQ(directDoc["tracks"], doc["tracks"]);
    EXPECT_FALSE(settingsWritten());
}

TEST_F(LoaderCliTest, ResaveWritesWhatLoadsBackTheSame) {
    const std::string game = makeSample();
    CliRun before = run({"dump"});
    ASSERT_EQ(before.exitCode, 0) << before.err;
    const auto stamp = std::filesystem::last_write_time(game + "ExpansionShared/Work.iff");
    CliRun resave = run({"resave"});
    ASSERT_EQ(resave.exitCode, 0) << resave.err;
    const nlohmann::json result = nlohmann::json::parse(resave.out);
    EXPECT_EQ(result["tracks"], kSampleTrackCount);
    EXPECT_EQ(result["chanceCardsSaved"], true);
    EXPECT_GE(std::filesystem::last_write_time(game + "ExpansionShared/Work.iff"), stamp);
    CliRun after = run({"dump"});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(nlohmann::json::parse(after.out), nlohmann::json::parse(before.out));
    EXPECT_FALSE(settingsWritten());
}

TEST_F(LoaderCliTest, VersionNamesTheProjectVersion) {
    CliRun version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind(std::string("jobforge3-cli ") + programVersion(), 0), 0u)
        << version.out;
}

TEST_F(LoaderCliTest, AFailedLoadExitsWithTheLoadersMessage) {
    const std::string empty = scratch.folder("empty");
    CliRun dump = run({"dump", pathWord(empty)});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.out, "");
    // The card file warning, then the fatal text as the last line.
    EXPECT_NE(dump.err.find("Cannot load the CarPortal.iff file!"), std::string::npos);
    const std::string last = "Can't locate/open/load the Careers or Careers.iff file!\n";
    ASSERT_GE(dump.err.size(), last.size());
    EXPECT_EQ(dump.err.substr(dump.err.size() - last.size()), last);

    CliRun packs = run({"dump", pathWord(empty), "--packs", "0x0F"});
    EXPECT_EQ(packs.exitCode, 1);
    EXPECT_NE(packs.err.find("Can't locate/open/load the Work.iff file!\n"), std::string::npos);

    CliRun resave = run({"resave", pathWord(empty)});
    EXPECT_EQ(resave.exitCode, 1);
    EXPECT_FALSE(settingsWritten());
}

TEST_F(LoaderCliTest, WithoutTheGameTheRegistryErrorIsShown) {
    CliRun dump = run({"dump"});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.err, "Can't load SIMS registry info!\n");
}

// A temporary file left by a save killed before its journal: commands that
// only read say so and change nothing; recover (and any command that
// writes) removes it.
TEST_F(LoaderCliTest, RecoverRemovesWhatAnInterruptedSaveLeft) {
    const std::string game = makeSample();
    const std::string leftover = game + "GameData/Objects/CarPortal.iff.jf3tmp-77-1";
    test::writeFileBytes(leftover, {1, 2, 3});
    CliRun dump = run({"dump"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.err.find("An interrupted save was found in "), std::string::npos);
    EXPECT_NE(dump.err.find("run: jobforge3-cli recover "), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(leftover));

    CliRun recover = run({"recover", pathWord(game)});
    ASSERT_EQ(recover.exitCode, 0) << recover.err;
    EXPECT_EQ(recover.out,
              "{\n \"journal\": false,\n \"action\": \"undone\",\n \"removed\": [\n  " +
                  nlohmann::json(leftover).dump() + "\n ]\n}\n");
    EXPECT_FALSE(std::filesystem::exists(leftover));
    CliRun again = run({"recover", pathWord(game)});
    EXPECT_EQ(nlohmann::json::parse(again.out),
              nlohmann::json::parse(R"({"journal": false, "action": "none", "removed": []})"));

    test::writeFileBytes(leftover, {1, 2, 3});
    CliRun resave = run({"resave"});
    ASSERT_EQ(resave.exitCode, 0) << resave.err;
    EXPECT_NE(resave.err.find(kRecoveryUndoneText), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(run({"recover"}).exitCode, 2);
}

TEST_F(LoaderCliTest, WrongUsage) {
    EXPECT_EQ(run({"dump", "--packs"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "a", "b"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "--packs", "zz"}).exitCode, 2);
    EXPECT_EQ(run({"make-sample"}).exitCode, 2);
}

}  // namespace
}  // namespace jf
