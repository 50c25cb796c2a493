// The cards dump / cards resave commands of the command-line tool.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include "careers/ChanceCard.h"
#include "support/CardBuilders.h"
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

class ChanceCardCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("jf-cards-cli-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        work_ = folder_ / "Work.iff";
        portal_ = folder_ / "CarPortal.iff";
        writeFileBytes(work_, test::buildCareerContainer(
                                  {test::sampleTrack(3, "Three"), test::sampleTrack(7, "Seven")}));
        test::CardPortalRecipe recipe;
        recipe.optionsWord = 0x8008;
        recipe.texts = test::sampleGlobalTexts(12);
        recipe.texts[11][0] = "Schulbus \xFC";
        recipe.trees.push_back(
            {4124, test::handLaidCardTree({{7,
                                            2,
                                            13,
                                            {CardItem::sound(312),
                                             CardItem::skill(CardItem::kModeSubtract, 18, 3)}}})});
        // The game's dialogs refer to entries 0..11.
        recipe.trees.push_back({4500,
                                {test::dialogInstruction({1, 2, 3, 4, 5, 0, 6, 0}),
                                 test::dialogInstruction({7, 8, 9, 10, 11, 0, 12, 0})},
                                "Dialogs"});
        // Under the root for later packs, a card of track 3.
        recipe.trees.push_back(
            {4134, test::handLaidCardTree({{3, 0, 14, {CardItem::sound(311)}}})});
        writeFileBytes(portal_, test::buildCardPortal(recipe));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    CliResult run(const test::ProgramArguments& arguments) { return runCli(arguments); }

    fs::path folder_;
    fs::path work_;
    fs::path portal_;
};

TEST_F(ChanceCardCliTest, DumpShowsCardsOptionsTextsAndFreeEntries) {
    CliResult result = run({"cards", "dump", pathWord(work_), pathWord(portal_)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const nlohmann::json doc = nlohmann::json::parse(result.out);
    ASSERT_EQ(doc["tracks"].size(), 2u);
    EXPECT_EQ(doc["tracks"][0]["id"], 3);
    ASSERT_EQ(doc["tracks"][0]["cards"].size(), 10u);
    EXPECT_EQ(doc["tracks"][0]["cards"][0]["items"].size(), 0u);  // under root 4134 only
    const nlohmann::json& card = doc["tracks"][1]["cards"][2];
    EXPECT_EQ(card["textIndex"], 13);
    EXPECT_EQ(card["items"], nlohmann::json::parse("[[4, 2, 312], [2, 1, 1179651]]"));
    EXPECT_EQ(doc["options"]["flag"], 1);
    EXPECT_EQ(doc["options"]["values"], nlohmann::json::parse("[500, 30, 8, 15, 2, 40, -40, 25]"));
    ASSERT_EQ(doc["globalTexts"].size(), 12u);
    ASSERT_EQ(doc["globalTexts"][11].size(), 20u);
    EXPECT_EQ(doc["globalTexts"][11][0], "Schulbus \xC3\xBC");
    EXPECT_EQ(doc["globalTexts"][4][19], "G e4 s19");
    // Entries 0..11 (dialogs), 12 and 13 (the card texts in both roots), 43
    // and 3 (every card text) are taken.
    nlohmann::json expectedFree = nlohmann::json::array();
    for (int entry = 14; entry < 300; ++entry) {
        if (entry != 43) {
            expectedFree.push_back(entry);
        }
    }
    EXPECT_EQ(doc["freeEntries"], expectedFree);
}

TEST_F(ChanceCardCliTest, PacksChooseTheRootTree) {
    CliResult result =
        run({"cards", "dump", pathWord(work_), pathWord(portal_), "--packs", "0x21"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const nlohmann::json doc = nlohmann::json::parse(result.out);
    EXPECT_EQ(doc["tracks"][0]["cards"][0]["items"], nlohmann::json::parse("[[4, 2, 311]]"));
    EXPECT_EQ(doc["tracks"][1]["cards"][2]["items"].size(), 0u);

    EXPECT_EQ(run({"cards", "dump", pathWord(work_), pathWord(portal_), "--packs", "16"}).exitCode,
              0);
    EXPECT_EQ(run({"cards", "dump", pathWord(work_), pathWord(portal_), "--packs"}).exitCode, 2);
    EXPECT_EQ(run({"cards", "dump", pathWord(work_), pathWord(portal_), "--packs", "x"}).exitCode,
              2);
    EXPECT_EQ(run({"cards", "dump", pathWord(work_)}).exitCode, 2);
}

TEST_F(ChanceCardCliTest, DumpFailsOnACardFileWithoutOptions) {
    const fs::path broken = folder_ / "Broken.iff";
    test::CardPortalRecipe recipe;
    recipe.withOptions = false;
    writeFileBytes(broken, test::buildCardPortal(recipe));
    CliResult result = run({"cards", "dump", pathWord(work_), pathWord(broken)});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Cannot load the Chance Cards!\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(run({"cards", "dump", pathWord(work_), pathWord(folder_ / "none.iff")}).exitCode, 1);
}

TEST_F(ChanceCardCliTest, ResaveRegeneratesTheTreesAndKeepsTheCards) {
    const fs::path out = folder_ / "Out.iff";
    const Bytes original = readFileBytes(portal_);
    CliResult result = run({"cards", "resave", pathWord(work_), pathWord(portal_), pathWord(out)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(readFileBytes(portal_), original);

    CliResult before = run({"cards", "dump", pathWord(work_), pathWord(portal_)});
    CliResult after = run({"cards", "dump", pathWord(work_), pathWord(out)});
    ASSERT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(nlohmann::json::parse(before.out), nlohmann::json::parse(after.out));

    // The root now holds the generated code: checks before the sound.
    test::MemoryContainer written(readFileBytes(out));
    ASSERT_TRUE(written.ok());
    IffChunk* root = written.view().find(kTypeBhav, 4124);
    ASSERT_NE(root, nullptr);
    std::vector<Instruction> expected = test::cardOpeningInstructions();
    expected[4].trueTarget = 6;
    expected.push_back(test::cardCareerTest(7, 7, 255));
    expected.push_back(test::cardLevelTest(2, 8, 255));
    expected.push_back(test::cardSkillCheck(18, 2, 9, 255));
    expected.push_back(test::cardPlaySound(312, 10, 253));
    expected.push_back(test::cardText(13, 11, 253));
    expected.push_back(test::cardSkillChange(false, 18, 3, 5, 253));
    EXPECT_EQ(root->body(), test::cardTreeBody(expected));

    // Resaving the result changes nothing.
    const fs::path again = folder_ / "Again.iff";
    ASSERT_EQ(run({"cards", "resave", pathWord(work_), pathWord(out), pathWord(again)}).exitCode,
              0);
    EXPECT_EQ(readFileBytes(again), readFileBytes(out));

    EXPECT_EQ(run({"cards", "resave", pathWord(work_), pathWord(portal_)}).exitCode, 2);
}

}  // namespace
}  // namespace jf
#endif
