// export-json and apply-json on a sample installation: the round trip
// leaves every file as it was, one change is exactly that change, and a
// refused file names every problem by its JSON path and saves nothing.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "SettingsTestSupport.h"
#include "startup/SampleInstallation.h"
#include "support/CliRunner.h"

namespace jf {
namespace {

namespace stdfs = std::filesystem;
using Json = nlohmann::ordered_json;
using test::pathWord;
using test::ScratchFolder;
using Snapshot = std::map<std::string, std::vector<std::uint8_t>>;

constexpr char kPacks[] = "15";

class CareersJsonCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_ = {"HOME=" + scratch_.folder("home"),
                        "WINEPREFIX=" + pathWord(scratch_ / "prefix"),
                        "XDG_CONFIG_HOME=" + pathWord(scratch_ / "config")};
        const test::CliResult made = run({"make-sample", pathWord(scratch_ / "prefix")});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        game_ = nlohmann::json::parse(made.out)["gameDataFolder"].get<std::string>();
        scratch_.folder("out");
    }

    test::CliResult run(const test::ProgramArguments& arguments) const {
        return test::runCli(arguments, environment_);
    }

    // export-json of the game into out/NAME (more arguments after it).
    Json exportJson(const std::string& name, const test::ProgramArguments& more = {}) {
        test::ProgramArguments arguments = {"export-json", game_, out(name), "--packs", kPacks};
        arguments.insert(arguments.end(), more.begin(), more.end());
        const test::CliResult exported = run(arguments);
        EXPECT_EQ(exported.exitCode, 0) << exported.err;
        return Json::parse(test::readFileBytes(out(name)));
    }
    test::CliResult apply(const Json& document, const std::string& name) {
        const std::string text = document.dump(1);
        test::writeFileBytes(out(name), std::vector<std::uint8_t>(text.begin(), text.end()));
        return run({"apply-json", game_, out(name), "--packs", kPacks});
    }
    nlohmann::json dump() {
        const test::CliResult dumped = run({"dump", game_, "--packs", kPacks});
        EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
        return nlohmann::json::parse(dumped.out);
    }
    std::string out(const std::string& name) const { return scratch_ / ("out/" + name); }

    Snapshot snapshot() const {
        Snapshot files;
        for (const auto& entry : stdfs::recursive_directory_iterator(game_)) {
            if (entry.is_regular_file()) {
                files[entry.path().string()] = test::readFileBytes(entry.path());
            }
        }
        return files;
    }
    // Every file of `before` is byte-identical now; the only new files are
    // the icon strips, which loading extracts from the archive.
    void expectUnchangedSince(const Snapshot& before) const {
        for (const auto& [path, bytes] : snapshot()) {
            const auto old = before.find(path);
            if (old == before.end()) {
                EXPECT_NE(path.find("JobIconMulti"), std::string::npos) << path << " is new";
            } else {
                EXPECT_TRUE(old->second == bytes) << path << " changed";
            }
        }
        EXPECT_GE(snapshot().size(), before.size());
    }

    ScratchFolder scratch_;
    test::ProgramEnvironment environment_;
    std::string game_;
};

TEST_F(CareersJsonCliTest, ExportedAndAppliedUnchangedEveryFileStaysByteIdentical) {
    const Snapshot before = snapshot();
    const Json exported = exportJson("careers.json", {"--global"});
    ASSERT_EQ(exported["tracks"].size(), kSampleTrackCount);
    EXPECT_EQ(exported["tracks"][2]["position"], 2);
    EXPECT_TRUE(exported.contains("globalOptions"));
    EXPECT_EQ(exported["globalTexts"].size(), 20u);
    const Json& level = exported["tracks"][0]["levels"][0];
    EXPECT_TRUE(level["salary"].is_number_integer());
    EXPECT_TRUE(level["car"].is_string());
    EXPECT_EQ(level["texts"].size(), 20u);
    EXPECT_TRUE(level["chanceCard"]["items"][0]["kind"].is_string());
    for (const char* key : {"popup", "button"}) {
        EXPECT_TRUE(
            stdfs::is_regular_file(out(exported["tracks"][13]["icons"][key].get<std::string>())));
    }

    const test::CliResult applied =
        run({"apply-json", game_, out("careers.json"), "--packs", kPacks});
    ASSERT_EQ(applied.exitCode, 0) << applied.err;
    EXPECT_EQ(nlohmann::json::parse(applied.out)["changes"], 0);
    expectUnchangedSince(before);
}

TEST_F(CareersJsonCliTest, OneChangeIsExactlyThatChangeInDump) {
    Json edited = exportJson("careers.json");
    const nlohmann::json before = dump();
    edited["tracks"][2]["levels"][4]["salary"] = 5000;
    edited["tracks"][2]["texts"]["French"]["careerName"] = "M\u00e9tier neuf";
    edited["tracks"][3]["icons"]["popup"] = edited["tracks"][0]["icons"]["popup"];
    const test::CliResult applied = apply(edited, "edited.json");
    ASSERT_EQ(applied.exitCode, 0) << applied.err;
    EXPECT_EQ(nlohmann::json::parse(applied.out)["changes"], 3);

    nlohmann::json expected = before;
    expected["tracks"][2]["levels"][4]["values"][17] = 5000;
    // French is stored in Windows-1252, which dump shows as Latin-1.
    expected["tracks"][2]["strings"][0][2] = "M\u00e9tier neuf";
    EXPECT_EQ(dump(), expected);
    exportJson("again.json", {"3"});
    EXPECT_EQ(test::readFileBytes(out("again-icons/3-popup.bmp")),
              test::readFileBytes(out("careers-icons/0-popup.bmp")));
}

// Card items in words become the stored numbers; a new card takes a text
// entry; global options and texts are changed by their dialog names.
TEST_F(CareersJsonCliTest, CardsAndGlobalsInWordsAreStoredAsTheEditorStoresThem) {
    Json edited = exportJson("careers.json", {"--global"});
    const nlohmann::json before = dump();
    ASSERT_TRUE(before["tracks"][2]["cards"][4]["items"].empty());
    edited["tracks"][2]["levels"][4]["chanceCard"] = {
        {"items", Json::parse(R"([{"kind": "sound", "sound": "bad"},
                                  {"kind": "skill", "skill": "logic", "mode": "subtract", "points": 7},
                                  {"kind": "job", "target": "promotionLevel", "number": 3},
                                  {"kind": "budget", "mode": "add", "amount": 250}])")},
        {"texts", {{"Russian", "\u041f\u043b\u043e\u0445\u043e\u0439\n\u0434\u0435\u043d\u044c"}}}};
    edited["globalOptions"]["schoolEndHour"] = 16;
    edited["globalTexts"]["German"]["schoolBusName"] = "Bus";
    const test::CliResult applied = apply(edited, "edited.json");
    ASSERT_EQ(applied.exitCode, 0) << applied.err;

    const nlohmann::json after = dump();
    const nlohmann::json& card = after["tracks"][2]["cards"][4];
    EXPECT_EQ(card["items"],
              nlohmann::json::parse("[[4, 2, 311], [2, 1, 1179655], [3, 2, 3735555], "
                                    "[1, 0, 250]]"));
    const std::size_t entry = card["textIndex"].get<std::size_t>() - 1;
    EXPECT_EQ(entry, before["freeEntries"][0]);
    // Windows-1251 bytes shown as Latin-1, the line break stored as CR LF.
    EXPECT_EQ(after["globalTexts"][entry][12],
              "\u00cf\u00eb\u00ee\u00f5\u00ee\u00e9\r\n\u00e4\u00e5\u00ed\u00fc");
    EXPECT_EQ(after["options"]["values"][3], 16);
    EXPECT_EQ(after["globalTexts"][10][3], "Bus");
    // Exported again, the card reads as it was written.
    const Json again = exportJson("again.json", {"2"})["tracks"][0]["levels"][4]["chanceCard"];
    EXPECT_EQ(again["items"], edited["tracks"][2]["levels"][4]["chanceCard"]["items"]);
    EXPECT_EQ(again["texts"]["Russian"],
              edited["tracks"][2]["levels"][4]["chanceCard"]["texts"]["Russian"]);
}

TEST_F(CareersJsonCliTest, RefusalsNameEveryProblemByPathAndSaveNothing) {
    Json edited = exportJson("careers.json");
    Json& level = edited["tracks"][2]["levels"][4];
    level["hunger"] = 500;
    level["colour"] = "red";
    edited["tracks"][0]["levels"][1]["salary"] = "lots";
    edited["tracks"][2]["texts"]["Polish"]["careerName"] =
        "\u041a\u0430\u0440\u044c\u0435\u0440\u0430";
    edited["tracks"][3]["icons"]["popup"] = edited["tracks"][3]["icons"]["button"];
    edited["tracks"][3]["icons"]["button"] = "missing.bmp";
    edited["tracks"].push_back({{"position", kSampleTrackCount}});
    const Snapshot before = snapshot();

    const test::CliResult refused = apply(edited, "refused.json");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    for (const char* path :
         {"tracks[2].levels[4].hunger: Please enter an integer between -100 and 100.",
          "tracks[2].levels[4].colour: unknown key",
          "tracks[0].levels[1].salary: expected an integer",
          "tracks[2].texts.Polish.careerName: the text holds a character",
          "(U+041A), language: Polish", "tracks[3].icons.popup: ",
          "is 112 x 22 pixels; the icon must be 84 x 63", "tracks[3].icons.button: cannot open",
          "tracks[14].position: There is no career at position 14",
          "Nothing was saved: 7 problems in "}) {
        EXPECT_NE(refused.err.find(path), std::string::npos) << path << "\n" << refused.err;
    }
    test::writeFileBytes(out("broken.json"), {'{', '"'});
    const test::CliResult broken = run({"apply-json", game_, out("broken.json")});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.err.find("not a JSON file"), std::string::npos) << broken.err;
    expectUnchangedSince(before);
}

TEST_F(CareersJsonCliTest, ChosenPositionsAndWrongUsage) {
    const Json chosen = exportJson("two.json", {"3", "1"});
    ASSERT_EQ(chosen["tracks"].size(), 2u);
    EXPECT_EQ(chosen["tracks"][0]["position"], 3);
    EXPECT_EQ(chosen["tracks"][1]["position"], 1);
    EXPECT_FALSE(chosen.contains("globalOptions"));
    EXPECT_FALSE(stdfs::exists(out("two-icons/0-popup.bmp")));

    EXPECT_EQ(run({"export-json", game_, out("x.json"), "99"}).exitCode, 1);
    EXPECT_EQ(run({"export-json", game_}).exitCode, 2);
    EXPECT_EQ(run({"export-json", game_, out("x.json"), "--packs", "200"}).exitCode, 2);
    EXPECT_EQ(run({"apply-json", game_}).exitCode, 2);
    EXPECT_EQ(run({"apply-json", game_, out("two.json"), "--global"}).exitCode, 2);
}

// The schema beside docs/careers-json.md accepts what export-json writes
// (checked with python3-jsonschema where it is installed).
TEST_F(CareersJsonCliTest, ExportedFileFollowsTheSchema) {
    const test::ProgramArguments probe = {"-c", "import jsonschema"};
    if (test::runProgram("/usr/bin/python3", probe).exitCode != 0) {
        GTEST_SKIP() << "python3-jsonschema is not installed";
    }
    exportJson("careers.json", {"--global"});
    const std::string check =
        "import json, sys, jsonschema\n"
        "schema = json.load(open(sys.argv[1]))\n"
        "jsonschema.Draft202012Validator.check_schema(schema)\n"
        "jsonschema.Draft202012Validator(schema).validate(json.load(open(sys.argv[2])))\n";
    const test::CliResult validated = test::runProgram(
        "/usr/bin/python3",
        {"-c", check, std::string(JF_SOURCE_DIR) + "/docs/careers-json.schema.json",
         out("careers.json")});
    EXPECT_EQ(validated.exitCode, 0) << validated.err;
}

}  // namespace
}  // namespace jf
