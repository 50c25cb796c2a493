// export-po and import-po on the sample installation: a file gettext's own
// checker accepts, round trips that change exactly what the file changes,
// and refusals that list every problem and save nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "startup/SettingsTestSupport.h"
#include "support/CliRunner.h"

#ifdef JF_CLI_PATH
namespace jf {
namespace {

using test::pathWord;

// Debian's gettext (dev.sh installs it).
constexpr char kMsgfmt[] = "/usr/bin/msgfmt";

class TranslationCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment = test::scratchEnvironment(scratch);
        const test::CliResult made = run({"make-sample", pathWord(scratch / "prefix")});
        ASSERT_EQ(made.exitCode, 0) << made.err;
        game = nlohmann::json::parse(made.out)["gameDataFolder"].get<std::string>();
        // The first writing load extracts the icon strips, as the editor's
        // does; later ones leave them.
        ASSERT_EQ(run({"resave", game}).exitCode, 0);
    }

    test::CliResult run(const test::ProgramArguments& arguments) const {
        return test::runCli(arguments, environment);
    }

    // Every file of the game folder with its bytes.
    std::map<std::string, std::vector<std::uint8_t>> gameFiles() const {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& item : std::filesystem::recursive_directory_iterator(game)) {
            if (item.is_regular_file()) {
                files[item.path().string()] = test::readFileBytes(item.path());
            }
        }
        return files;
    }

    std::string readText(const std::string& path) const {
        const std::vector<std::uint8_t> bytes = test::readFileBytes(path);
        return {bytes.begin(), bytes.end()};
    }
    void writeText(const std::string& path, const std::string& text) const {
        test::writeFileBytes(path, {text.begin(), text.end()});
    }

    nlohmann::json dump() const {
        const test::CliResult result = run({"dump", game});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return nlohmann::json::parse(result.out);
    }

    test::ScratchFolder scratch;
    test::ProgramEnvironment environment;
    std::string game;
};

// The JSON pointers at which two documents differ.
std::vector<std::string> differences(const nlohmann::json& before, const nlohmann::json& after) {
    std::vector<std::string> paths;
    for (const auto& change : nlohmann::json::diff(before, after)) {
        paths.push_back(change["path"].get<std::string>());
    }
    return paths;
}

TEST_F(TranslationCliTest, UnchangedRoundTripKeepsEveryFileAndPassesMsgfmt) {
    const std::string po = scratch / "ru.po";
    const auto before = gameFiles();
    const test::CliResult exported = run({"export-po", game, "RUSSIAN", po});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const nlohmann::json summary = nlohmann::json::parse(exported.out);
    EXPECT_EQ(summary["code"], "ru");
    EXPECT_GT(summary["entries"].get<int>(), 500);
    EXPECT_EQ(gameFiles(), before);

    const std::string text = readText(po);
    EXPECT_NE(text.find("\"Language: ru\\n\""), std::string::npos);
    EXPECT_NE(text.find("\"Content-Type: text/plain; charset=UTF-8\\n\""), std::string::npos);
    EXPECT_NE(text.find("msgctxt \"track 0 (id 1) job 1 maleJobName\""), std::string::npos);
    EXPECT_NE(text.find("msgctxt \"global carPoolName\""), std::string::npos);
    EXPECT_NE(text.find("msgstr \"\xD0\x9A\xD0\xB0\xD1\x80\xD1\x8C\xD0\xB5\xD1\x80\xD0\xB0: "
                        "Lighthouse\""),  // "Карьера: " decoded from code page 1251
              std::string::npos);
#ifndef _WIN32  // msgfmt is the build machine's: the Windows run under Wine cannot start it
    ASSERT_TRUE(std::filesystem::exists(kMsgfmt)) << "msgfmt is missing: install gettext";
    const test::CliResult checked = test::runProgram(kMsgfmt, {"--check", "-o", "/dev/null", po});
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
#endif

    const test::CliResult imported = run({"import-po", game, po});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const nlohmann::json counts = nlohmann::json::parse(imported.out);
    EXPECT_EQ(counts["applied"], 0);
    EXPECT_EQ(counts["unchanged"], summary["entries"]);
    EXPECT_EQ(gameFiles(), before);
}

TEST_F(TranslationCliTest, OneChangedEntryIsTheOnlyChangeSaved) {
    const std::string po = scratch / "fr.po";
    ASSERT_EQ(run({"export-po", game, "2", po}).exitCode, 0);
    const nlohmann::json before = dump();
    std::string text = readText(po);
    const std::string context = "msgctxt \"track 1 (id 2) job 3 femaleJobName\"\n";
    const std::size_t at = text.find(context);
    ASSERT_NE(at, std::string::npos);
    text.insert(text.find("msgstr \"", at) + 8, "Ma\xC3\xAEtre \\\"x\\\" ");
    // Fuzzy entries are skipped and counted.
    text.insert(at, "#, fuzzy\n");
    text.insert(text.find("msgctxt \"track 0 (id 1) careerName\""), "#, fuzzy\n");
    writeText(po, text);

    const test::CliResult imported = run({"import-po", game, po});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    const nlohmann::json counts = nlohmann::json::parse(imported.out);
    EXPECT_EQ(counts["applied"], 0);
    EXPECT_EQ(counts["fuzzySkipped"], 2);
    EXPECT_EQ(dump(), before);

    // Without the flag the entry applies; the other fuzzy one still does not.
    text.erase(text.find("#, fuzzy\n" + context), 9);
    writeText(po, text);
    const test::CliResult applied = run({"import-po", game, po});
    ASSERT_EQ(applied.exitCode, 0) << applied.err;
    EXPECT_EQ(nlohmann::json::parse(applied.out)["applied"], 1);
    const nlohmann::json after = dump();
    ASSERT_EQ(differences(before, after), (std::vector<std::string>{"/tracks/1/strings/25/2"}));
    // Shown as Latin-1 code points: the bytes of code page 1252.
    const std::string stored = after["tracks"][1]["strings"][25][2].get<std::string>();
    EXPECT_NE(stored.find("Ma\xC3\xAEtre \"x\" "), std::string::npos);
}

TEST_F(TranslationCliTest, RefusalListsEveryProblemAndSavesNothing) {
    const std::string po = scratch / "de.po";
    writeText(po,
              "msgid \"\"\n"
              "msgstr \"Language: de\\n\"\n"
              "\n"
              "msgctxt \"track 0 (id 1) careerName\"\n"
              "msgid \"Career: Lighthouse\"\n"
              "msgstr \"Beruf: Leuchtturm\"\n"
              "\n"
              "msgctxt \"track 0 (id 999) careerName\"\n"
              "msgid \"Gone\"\n"
              "msgstr \"Weg\"\n"
              "\n"
              "msgctxt \"track 0 (id 1) job 2 maleJobName\"\n"
              "msgid \"Helper\"\n"
              "msgstr \"Helfer \xE6\xB0\xB4\"\n");  // U+6C34, no character of 1252
    const auto before = gameFiles();
    const test::CliResult refused = run({"import-po", game, po});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("line 8: msgctxt \"track 0 (id 999) careerName\": there is no "
                               "career with id 999"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("line 12: msgctxt \"track 0 (id 1) job 2 maleJobName\": the "
                               "character U+6C34 cannot be stored in German"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("nothing saved (2 problems)"), std::string::npos);
    EXPECT_EQ(gameFiles(), before);

    // A language given on the command line decides over the header's.
    EXPECT_EQ(run({"import-po", game, po, "--language", "Klingon"}).exitCode, 2);
    EXPECT_EQ(run({"export-po", game, "Klingon", po}).exitCode, 2);
    EXPECT_EQ(run({"import-po", game, po, "--packs", "128"}).exitCode, 2);
    EXPECT_EQ(gameFiles(), before);
}

}  // namespace
}  // namespace jf
#endif
