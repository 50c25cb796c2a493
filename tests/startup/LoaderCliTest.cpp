// The command line's make-sample, dump and resave on a sample installation
// in a temporary Wine prefix, with a temporary home and settings folder.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "SettingsTestSupport.h"
#include "document/EditorSession.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Version.h"
#include "startup/Loader.h"
#include "startup/SampleInstallation.h"
#include "startup/SaveJournal.h"
#include "support/CliRunner.h"
#include "support/ScriptedPrompts.h"

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

    // Status lines; a read asks no expansion-pack question, extracts no
    // strip and leaves the settings alone.
    EXPECT_NE(dump.err.find("CarPortal.iff\nWork.iff\nLoading careers...\nLoading Chance "
                            "Cards...\nLoading Bitmaps...\n"),
              std::string::npos)
        << dump.err;
    EXPECT_EQ(dump.err.find("has detected that since the last time"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(game + "UIGraphics/cpanel"));
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

// Every file under the folder with its size and time.
std::vector<std::string> listing(const std::string& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string line = entry.path().string();
        if (entry.is_regular_file()) {
            line += " " + std::to_string(entry.file_size()) + " " +
                    std::to_string(entry.last_write_time().time_since_epoch().count());
        }
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

TEST_F(LoaderCliTest, ReadsLeaveTheGameFolderUnchanged) {
    const std::string game = makeSample();
    const std::string work = game + "ExpansionShared/Work.iff";
    const std::string cards = game + "GameData/Objects/CarPortal.iff";
    const std::string out = pathWord(scratch / "out.car");
    const std::vector<std::string> before = listing(game);
    const std::vector<test::ProgramArguments> reads = {
        {"info"},
        {"dump"},
        {"dump", game, "--utf8"},
        {"check"},
        {"export", game, "0", out},
        {"careers", "dump", work},
        {"cards", "dump", work, cards, "--utf8"},
        {"str", "dump", work, "1"},
        {"iff", "list", cards},
        {"far", "list", game + "UIGraphics/UIGraphics.far"},
    };
    for (const test::ProgramArguments& arguments : reads) {
        CliRun read = run(arguments);
        EXPECT_EQ(read.exitCode, 0) << arguments[0] << ": " << read.err;
    }
    EXPECT_EQ(listing(game), before);
    EXPECT_FALSE(settingsWritten());
}

TEST_F(LoaderCliTest, Utf8ShowsEveryLanguageInItsCodePage) {
    const std::string game = makeSample();
    const std::string work = game + "ExpansionShared/Work.iff";
    CliRun latin1 = run({"dump"});
    CliRun utf8 = run({"dump", "--utf8"});
    ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
    const nlohmann::json decoded = nlohmann::json::parse(utf8.out);
    const nlohmann::json& name = decoded["tracks"][0]["strings"][0];
    EXPECT_EQ(name[11], "\u05e7\u05e8\u05d9\u05d9\u05e8\u05d4: Lighthouse");  // Hebrew
    EXPECT_EQ(name[12], "\u041a\u0430\u0440\u044c\u0435\u0440\u0430: Lighthouse");
    EXPECT_EQ(name[14], "\u30ad\u30e3\u30ea\u30a2: Lighthouse");  // Japanese
    EXPECT_EQ(decoded["tracks"][0]["internalCareerName"], "Lighthouse");
    // Without the option every byte stays a Latin-1 character.
    const nlohmann::json bytes = nlohmann::json::parse(latin1.out);
    EXPECT_EQ(bytes["tracks"][0]["strings"][0][12],
              "\u00ca\u00e0\u00f0\u00fc\u00e5\u00f0\u00e0: Lighthouse");
    // careers dump and cards dump decode the same way.
    CliRun careers = run({"careers", "dump", work, "--utf8"});
    ASSERT_EQ(careers.exitCode, 0) << careers.err;
    EXPECT_EQ(nlohmann::json::parse(careers.out)["tracks"][0]["strings"],
              decoded["tracks"][0]["strings"]);
    CliRun cards = run({"cards", "dump", work, game + "GameData/Objects/CarPortal.iff", "--packs",
                        "15", "--utf8"});
    ASSERT_EQ(cards.exitCode, 0) << cards.err;
    EXPECT_EQ(nlohmann::json::parse(cards.out)["globalTexts"], decoded["globalTexts"]);
}

TEST_F(LoaderCliTest, CheckPassesTheSampleAndNamesAPlantedFault) {
    const std::string game = makeSample();
    CliRun clean = run({"check"});
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.out, "");

    // Two cards given one text entry, saved as the editor saves.
    {
        MemorySettingsStore settings;
        EditorSession session(systemFileSystem(), settings);
        session.state.installation.gameDataFolder = game;
        session.state.installation.installedPacks = kSampleInstalledPacks;
        session.state.installation.knownPacks = kSampleInstalledPacks;
        LoadRequest request;
        request.folder = game;
        test::ScriptedPrompts prompts;
        runLoader(request, session, prompts);
        ASSERT_EQ(request.resultCode.load(), LoadResult::Ok);
        session.database.chanceCard(1, 1)->textIndex = session.database.chanceCard(0, 0)->textIndex;
        ASSERT_TRUE(saveAll(session, prompts));
    }
    CliRun text = run({"check"});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find("error: global text "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2 chance cards share this text"), std::string::npos) << text.out;
    CliRun json = run({"check", "--json"});
    EXPECT_EQ(json.exitCode, 1);
    const nlohmann::json findings = nlohmann::json::parse(json.out);
    ASSERT_EQ(findings.size(), 1u) << json.out;
    EXPECT_EQ(findings[0]["severity"], "error");
    EXPECT_EQ(findings[0]["kind"], "sharedCardText");
}

// While another program (the editor) holds the career file, a command says
// so instead of calling it missing.
TEST_F(LoaderCliTest, AFileInUseIsNamed) {
    const std::string game = makeSample();
    const std::string work = game + "ExpansionShared/Work.iff";
    std::unique_ptr<File> held = systemFileSystem().open(work, OpenMode::ReadWrite);
    ASSERT_TRUE(held);
    for (const char* command : {"dump", "resave"}) {
        CliRun blocked = run({command, game});
        EXPECT_EQ(blocked.exitCode, 1) << command;
        EXPECT_NE(blocked.err.find("Can't open " + systemFileSystem().nativePath(work) +
                                   ": the file is in use by another program"),
                  std::string::npos)
            << blocked.err;
        EXPECT_EQ(blocked.err.find(kNoCareersFileText), std::string::npos);
    }
    CliRun file = run({"careers", "dump", work});
    EXPECT_EQ(file.exitCode, 1);
    EXPECT_NE(file.err.find("the file is in use by another program"), std::string::npos)
        << file.err;
    held.reset();
    EXPECT_EQ(run({"dump", game}).exitCode, 0);
}

TEST_F(LoaderCliTest, HelpListsEveryCommandInAFixedOrder) {
    CliRun help = run({"help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(run({"--help"}).out, help.out);
    std::size_t at = 0;
    for (const char* command :
         {"\n  info ", "\n  dump ", "\n  check ", "\n  resave ", "\n  make-sample ",
          "\n  careers dump ", "\n  far extract ", "\n  bhav dump "}) {
        const std::size_t found = help.out.find(command, at);
        ASSERT_NE(found, std::string::npos) << command << " after " << at;
        at = found;
    }
    for (const char* word : {"GAMEDIR", "POSITION", "--packs MASK", "0 to 127", "#id"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    // No arguments: the same on stderr, as wrong usage.
    CliRun bare = run({});
    EXPECT_EQ(bare.exitCode, 2);
    EXPECT_EQ(bare.out, "");
    EXPECT_EQ(bare.err, help.out);

    CliRun one = run({"help", "cards", "dump"});
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_EQ(one.out.rfind("usage: jobforge3-cli cards dump CAREERFILE CARPORTAL", 0), 0u)
        << one.out;
    EXPECT_NE(one.out.find("--utf8"), std::string::npos);
    EXPECT_EQ(run({"cards", "dump", "--help"}).out, one.out);

    CliRun unknown = run({"frobnicate", "x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "unknown command 'frobnicate'\n\n" + help.out);
    EXPECT_EQ(run({"iff", "frob"}).err.rfind("unknown command 'iff frob'\n", 0), 0u);
    CliRun unknownHelp = run({"help", "frobnicate"});
    EXPECT_EQ(unknownHelp.exitCode, 2);
    EXPECT_EQ(unknownHelp.err, "unknown command 'frobnicate'\n");
}

TEST_F(LoaderCliTest, WrongUsage) {
    // Every command taking --packs checks it alike.
    const std::vector<test::ProgramArguments> commands = {
        {"dump"}, {"check", "x"}, {"export", "x", "0", "y"}, {"cards", "dump", "x", "y"}};
    for (const test::ProgramArguments& command : commands) {
        for (const char* value : {"128", "zz", "-1", "0x80"}) {
            test::ProgramArguments arguments = command;
            arguments.insert(arguments.end(), {"--packs", value});
            CliRun packs = run(arguments);
            EXPECT_EQ(packs.exitCode, 2) << command[0] << " " << value;
            EXPECT_NE(packs.err.find(std::string("--packs ") + value +
                                     ": not a pack mask; give a number from 0 to 127"),
                      std::string::npos)
                << packs.err;
        }
    }
    EXPECT_EQ(run({"dump", "--packs"}).err, "--packs needs a value: a number from 0 to 127\n");
    EXPECT_EQ(run({"dump", "--bogus"}).err, "unknown option --bogus\n");
    EXPECT_EQ(run({"dump", "--packs"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "a", "b"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "--packs", "zz"}).exitCode, 2);
    EXPECT_EQ(run({"make-sample"}).exitCode, 2);
}

}  // namespace
}  // namespace jf
