// The command-line tool's "info" command against a fake home folder.
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "SettingsTestSupport.h"
#include "support/CliRunner.h"

namespace jf {
namespace {

using test::ScratchFolder;

using CliRun = test::CliResult;

CliRun runInfo(const test::ProgramEnvironment& environment,
               const test::ProgramArguments& extra = {}) {
    test::ProgramArguments arguments{"info"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return test::runCli(arguments, environment);
}

TEST(InstallInfoCliTest, ReportsTheInstallationOfTheWinePrefix) {
    ScratchFolder scratch;
    scratch.folder("home");
    scratch.folder("prefix/drive_c/Games");
    scratch.folder("prefix/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", scratch / "prefix/dosdevices/c:");
    scratch.file("prefix/system.reg",
                 "WINE REGISTRY Version 2\n\n"
                 "[Software\\\\Wow6432Node\\\\Maxis\\\\The Sims] 1700000000\n"
                 "\"SIMS_DATA\"=\"C:\\\\games\\\\Sims \\xe9\"\n"
                 "\"EPInstalled\"=\"1\"\n"
                 "\"EP5Installed\"=\"1\"\n"
                 "[Software\\\\Wow6432Node\\\\Quillmark\\\\Jobforge 2] 1700000000\n"
                 "\"ExpansionPacks\"=dword:00000003\n");
    CliRun run = runInfo({"HOME=" + (scratch / "home"), "WINEPREFIX=" + (scratch / "prefix"),
                          "XDG_CONFIG_HOME=" + (scratch / "config")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json doc = nlohmann::json::parse(run.out);
    std::string driveC = std::filesystem::canonical(scratch / "prefix/drive_c").string();
    // A path of this system (Games spelt as on disk); the registry's own
    // spelling beside it. The folder's bytes (UTF-8 from the registry file)
    // are shown as Latin-1.
    EXPECT_EQ(doc["gameDataFolder"], driveC + "/Games/Sims \xc3\x83\xc2\xa9/");
    EXPECT_EQ(doc["registryGameDataFolder"], "C:\\games\\Sims \xc3\x83\xc2\xa9");
    EXPECT_EQ(doc["installedPacks"], 0x23);
    EXPECT_EQ(doc["knownPacks"], 3);
    EXPECT_TRUE(std::filesystem::exists(scratch / "config/jobforge3/settings.reg"));
}

TEST(InstallInfoCliTest, FailsWithoutTheGame) {
    ScratchFolder scratch;
    scratch.folder("home");
    CliRun run = runInfo({"HOME=" + (scratch / "home")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Can't load SIMS registry info!\n");
}

TEST(InstallInfoCliTest, FindsTheLegacyCollectionWithoutAKey) {
    ScratchFolder scratch;
    std::string steam = scratch.folder("home/.local/share/Steam");
    scratch.file("home/.local/share/Steam/steamapps/appmanifest_3314060.acf",
                 "\"AppState\" { \"installdir\" \"The Sims Legacy\" }");
    scratch.folder("home/.local/share/Steam/steamapps/common/The Sims Legacy/GameData");
    CliRun run = runInfo({"HOME=" + (scratch / "home")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["gameDataFolder"], steam + "/steamapps/common/The Sims Legacy/");
    EXPECT_EQ(doc["installedPacks"], 0x7F);
    EXPECT_EQ(doc["knownPacks"], 0);
}

TEST(InstallInfoCliTest, RejectsArguments) {
    ScratchFolder scratch;
    EXPECT_EQ(runInfo({"HOME=/nonexistent"}, {"extra"}).exitCode, 2);
}

}  // namespace
}  // namespace jf
