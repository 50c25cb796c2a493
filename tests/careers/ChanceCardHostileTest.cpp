// Chance card code that is damaged or built to hurt: call cycles, more
// called trees than the card code follows, counts the body cannot hold,
// targets pointing anywhere, card parts reached from very many tests.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <vector>

#include "careers/CareerDatabase.h"
#include "careers/ChanceCardCodec.h"
#include "iff/IffFile.h"
#include "support/CardBuilders.h"
#include "support/CareerBuilders.h"
#include "support/CodeTreeBuilders.h"

namespace jf {
namespace {

using test::Bytes;
using test::CardPortalRecipe;
using test::MemoryContainer;
using Instructions = std::vector<Instruction>;

Bytes careerFile() {
    return test::buildCareerContainer({test::sampleTrack(3, "Three"), test::sampleTrack(7, "Seven"),
                                       test::sampleTrack(12, "Twelve")});
}

struct Loaded {
    explicit Loaded(const Bytes& cardBytes) : careers(careerFile()), cards(cardBytes) {
        EXPECT_TRUE(careers.ok());
        EXPECT_TRUE(cards.ok());
        EXPECT_TRUE(db.loadCareers(careers.view()));
        loaded = db.loadChanceCards(cards.view(), 1);
    }
    std::size_t itemCount() const {
        std::size_t count = 0;
        for (std::size_t p = 0; p < db.trackCount(); ++p) {
            for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
                count += db.chanceCard(p, level)->items.size();
            }
        }
        return count;
    }

    MemoryContainer careers;
    MemoryContainer cards;
    CareerDatabase db;
    bool loaded = false;
};

std::vector<std::uint16_t> bhavIds(const Bytes& containerBytes) {
    MemoryContainer container(containerBytes);
    std::vector<std::uint16_t> ids;
    for (IffChunk* chunk : container.view().chunksOfType(kTypeBhav)) {
        ids.push_back(chunk->id);
    }
    return ids;
}

// A small card of track 3 at `level`, as a tree of its own (ending true).
Instructions cardOfTrack3(std::uint16_t level, std::uint16_t sound) {
    return {test::cardCareerTest(3, 1, 255), test::cardLevelTest(level, 2, 255),
            test::cardPlaySound(sound, 3, 253), test::cardText(20, 254, 253)};
}

TEST(ChanceCardHostile, CallCyclesEnd) {
    CardPortalRecipe recipe;
    Instructions root = test::cardOpeningInstructions();
    root.push_back(test::cardTreeCall(4200));
    root.push_back(test::cardTreeCall(4124));
    recipe.trees.push_back({4124, root});
    Instructions sub = cardOfTrack3(1, 312);
    sub.push_back(test::cardTreeCall(4201));
    sub.push_back(test::cardTreeCall(4200));
    sub.push_back(test::cardTreeCall(4124));
    recipe.trees.push_back({4200, sub});
    Instructions back = cardOfTrack3(2, 311);
    back.push_back(test::cardTreeCall(4200));
    back.push_back(test::cardTreeCall(4201));
    recipe.trees.push_back({4201, back});

    MemoryContainer container(test::buildCardPortal(recipe));
    ASSERT_TRUE(container.ok());
    EXPECT_EQ(findCardTrees(container.view(), 4124).ids,
              (std::vector<std::uint16_t>{4124, 4200, 4201}));

    Loaded loaded(test::buildCardPortal(recipe));
    ASSERT_TRUE(loaded.loaded);
    // Each tree is read once: the cards are not doubled.
    EXPECT_EQ(loaded.db.chanceCard(0, 1)->items, (std::vector<CardItem>{CardItem::sound(312)}));
    EXPECT_EQ(loaded.db.chanceCard(0, 2)->items, (std::vector<CardItem>{CardItem::sound(311)}));
}

TEST(ChanceCardHostile, OnlyEightTreesAreFollowedAndTheOthersKept) {
    CardPortalRecipe recipe;
    Instructions root = test::cardOpeningInstructions();
    for (std::uint16_t id = 4200; id < 4212; ++id) {
        root.push_back(test::cardTreeCall(id));
    }
    recipe.trees.push_back({4124, root});
    for (std::uint16_t id = 4200; id < 4212; ++id) {
        recipe.trees.push_back({id, cardOfTrack3(static_cast<std::uint16_t>(id % 10), 312), "Sub"});
    }
    MemoryContainer container(test::buildCardPortal(recipe));
    ASSERT_TRUE(container.ok());
    const CardTrees trees = findCardTrees(container.view(), 4124);
    EXPECT_EQ(trees.ids,
              (std::vector<std::uint16_t>{4124, 4200, 4201, 4202, 4203, 4204, 4205, 4206}));

    Loaded loaded(test::buildCardPortal(recipe));
    ASSERT_TRUE(loaded.loaded);
    // Trees 4200..4206 give levels 0..6; 4207.. are not read.
    for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
        EXPECT_EQ(loaded.db.chanceCard(0, level)->empty(), level > 6) << level;
    }
    ASSERT_TRUE(loaded.db.saveChanceCards(loaded.cards.view(), 1));
    // Trees not followed stay as they were; those read are replaced by one root.
    EXPECT_EQ(bhavIds(loaded.cards.backingBytes()),
              (std::vector<std::uint16_t>{4207, 4208, 4209, 4210, 4211, 4124}));
}

TEST(ChanceCardHostile, TreesThatDoNotDecodeAreSkipped) {
    CardPortalRecipe recipe;
    Instructions root = test::cardOpeningInstructions();
    root.push_back(test::cardTreeCall(4200));
    root.push_back(test::cardTreeCall(4201));
    recipe.trees.push_back({4124, root});
    // 4200 claims 65535 instructions in a 24-byte body.
    test::BhavHeader huge;
    huge.count = 0xFFFF;
    recipe.extra.push_back(
        {kTypeBhav, 4200, 0x10, "Huge",
         test::buildBhavBody(huge, {test::rawOf(test::cardPlaySound(1, 0, 0))})});
    // 4201 is a body too short for any header.
    recipe.extra.push_back({kTypeBhav, 4201, 0x10, "Short", Bytes{0x02, 0x80, 0x01}});
    MemoryContainer container(test::buildCardPortal(recipe));
    ASSERT_TRUE(container.ok());
    EXPECT_EQ(findCardTrees(container.view(), 4124).ids, (std::vector<std::uint16_t>{4124, 0, 0}));

    Loaded loaded(test::buildCardPortal(recipe));
    ASSERT_TRUE(loaded.loaded);
    loaded.db.chanceCard(1, 0)->items = {CardItem::sound(312)};
    ASSERT_TRUE(loaded.db.saveChanceCards(loaded.cards.view(), 1));
    // The undecodable trees are left alone.
    EXPECT_EQ(bhavIds(loaded.cards.backingBytes()), (std::vector<std::uint16_t>{4200, 4201, 4124}));
}

TEST(ChanceCardHostile, UndecodableRootIsReplaced) {
    CardPortalRecipe recipe;
    recipe.extra.push_back({kTypeBhav, 4124, 0x10, "Broken", Bytes{0x02, 0x80, 0x05, 0x00}});
    Loaded loaded(test::buildCardPortal(recipe));
    ASSERT_TRUE(loaded.loaded);
    ASSERT_TRUE(loaded.db.saveChanceCards(loaded.cards.view(), 1));
    MemoryContainer written(loaded.cards.backingBytes());
    IffChunk* root = written.view().find(kTypeBhav, 4124);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->label, "Chance Cards");
    EXPECT_EQ(root->body(), test::cardTreeBody(test::cardOpeningInstructions()));
}

TEST(ChanceCardHostile, TargetsOutsideTheTreeGiveNoCards) {
    CardPortalRecipe recipe;
    Instructions root = test::cardOpeningInstructions();
    root[4].trueTarget = 6;
    root.push_back(test::cardCareerTest(3, 7, 8));       // 6
    root.push_back(test::cardLevelTest(0, 251, 9));      // 7: names no instruction
    root.push_back(test::cardCareerTest(7, 252, 9));     // 8: 252 names none either
    root.push_back(test::cardLevelTest(1, 253, 10));     // 9: 253 is no level test
    root.push_back(test::cardPlaySound(312, 200, 140));  // 10
    recipe.trees.push_back({4124, root});
    Loaded loaded(test::buildCardPortal(recipe));
    ASSERT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.itemCount(), 0u);
}

TEST(ChanceCardHostile, TooManyItemsFailTheLoad) {
    // 200 career tests for track 3 lead to one level part with two sounds:
    // every match is decoded, so the card would get 400 items.
    CardPortalRecipe recipe;
    Instructions root;
    for (int i = 0; i < 200; ++i) {
        root.push_back(test::cardCareerTest(3, 200, static_cast<std::uint8_t>(i + 1)));
    }
    root.push_back(test::cardLevelTest(4, 201, 255));    // 200
    root.push_back(test::cardPlaySound(312, 202, 253));  // 201
    root.push_back(test::cardPlaySound(311, 254, 253));  // 202
    recipe.trees.push_back({4124, root});
    Loaded loaded(test::buildCardPortal(recipe));
    EXPECT_FALSE(loaded.loaded);
    EXPECT_EQ(loaded.itemCount(), 0u);
    EXPECT_FALSE(loaded.db.saveChanceCards(loaded.cards.view(), 1));

    // 128 tests give 256 items, the most a card may hold.
    root.erase(root.begin() + 128, root.begin() + 200);
    for (Instruction& instruction : root) {
        for (std::uint8_t* target : {&instruction.trueTarget, &instruction.falseTarget}) {
            if (*target >= 200 && *target <= 202) {
                *target = static_cast<std::uint8_t>(*target - 72);
            }
        }
    }
    recipe.trees[0].instructions = root;
    Loaded fits(test::buildCardPortal(recipe));
    ASSERT_TRUE(fits.loaded);
    EXPECT_EQ(fits.db.chanceCard(0, 4)->items.size(), 256u);
}

TEST(ChanceCardHostile, LargestTreesLoadInBoundedTime) {
    // Seven called trees of 65535 instructions, every one a career test for
    // track 3 or a level test, pointing somewhere in 0..252: every career
    // test is decoded, but the work per tree is bounded by the 252
    // addressable instructions, not by the count.
    CardPortalRecipe recipe;
    std::mt19937 random(7);
    Instructions root = test::cardOpeningInstructions();
    for (std::uint16_t id = 4200; id < 4207; ++id) {
        root.push_back(test::cardTreeCall(id));
    }
    recipe.trees.push_back({4124, root});
    for (std::uint16_t id = 4200; id < 4207; ++id) {
        Instructions tree;
        tree.reserve(0xFFFF);
        for (std::size_t i = 0; i < 0xFFFF; ++i) {
            const auto t = static_cast<std::uint8_t>(random() % 253);
            const auto f = static_cast<std::uint8_t>(random() % 256);
            if (i % 3 == 0) {
                tree.push_back(test::cardLevelTest(static_cast<std::uint16_t>(i % 10), t, f));
            } else {
                tree.push_back(test::cardCareerTest(3, t, f));
            }
        }
        recipe.trees.push_back({id, tree, "Big"});
    }
    const auto start = std::chrono::steady_clock::now();
    Loaded loaded(test::buildCardPortal(recipe));
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(loaded.loaded);
    EXPECT_EQ(loaded.itemCount(), 0u);
    EXPECT_LT(seconds, 60.0);
}

// Instructions drawn from the card patterns with random operands and
// targets.
Instruction randomInstruction(std::mt19937& random, std::size_t count) {
    auto target = [&]() -> std::uint8_t {
        switch (random() % 4) {
            case 0:
                return static_cast<std::uint8_t>(252 + random() % 4);
            case 1:
                return static_cast<std::uint8_t>(random() % 256);
            default:
                return static_cast<std::uint8_t>(random() % (count + 1));
        }
    };
    const std::uint8_t t = target();
    const std::uint8_t f = target();
    static constexpr std::uint16_t kTracks[] = {3, 7, 12, 99};
    static constexpr std::uint16_t kSkills[] = {10, 11, 12, 15, 17, 18, 13};
    const auto small = static_cast<std::uint16_t>(random() % 12);
    switch (random() % 11) {
        case 0:
            return test::cardCareerTest(kTracks[random() % 4], t, f);
        case 1:
            return test::cardLevelTest(small, t, f);
        case 2:
            return test::cardBudgetCheck(static_cast<std::uint16_t>(random()), t, f);
        case 3:
            return test::cardSkillCheck(kSkills[random() % 7], small, t, f);
        case 4:
            return test::cardPlaySound(random() % 2 == 0 ? 312 : 311, t, f);
        case 5:
            return test::cardText(static_cast<std::uint16_t>(random() % 300), t, f);
        case 6:
            return test::cardBudgetChange(random() % 2 == 0, static_cast<std::uint16_t>(random()),
                                          t, f);
        case 7:
            return test::cardSkillChange(random() % 2 == 0, kSkills[random() % 7], small, t, f);
        case 8:
            return test::cardJobChange(static_cast<std::uint16_t>(56 + random() % 2), small, t, f);
        case 9:
            return test::cardTreeCall(static_cast<std::uint16_t>(4200 + random() % 6));
        default: {
            std::array<std::uint8_t, 8> operands;
            for (std::uint8_t& byte : operands) {
                byte = static_cast<std::uint8_t>(random());
            }
            return test::makeInstruction(static_cast<std::uint16_t>(random() % 40), t, f, operands);
        }
    }
}

TEST(ChanceCardHostile, RandomCardCodeNeverBreaksLoadingOrSaving) {
    std::mt19937 random(2024);
    int savedWithCards = 0;
    for (int round = 0; round < 40; ++round) {
        CardPortalRecipe recipe;
        for (std::uint16_t id :
             {std::uint16_t{4124}, std::uint16_t{4200}, std::uint16_t{4201}, std::uint16_t{4202}}) {
            const std::size_t count = random() % 60;
            Instructions tree;
            for (std::size_t i = 0; i < count; ++i) {
                tree.push_back(randomInstruction(random, count));
            }
            recipe.trees.push_back({id, tree});
        }
        Loaded loaded(test::buildCardPortal(recipe));
        if (!loaded.loaded) {
            EXPECT_FALSE(loaded.db.saveChanceCards(loaded.cards.view(), 1));
            continue;
        }
        const Bytes before = loaded.cards.backingBytes();
        if (!loaded.db.saveChanceCards(loaded.cards.view(), 1)) {
            EXPECT_EQ(loaded.cards.backingBytes(), before) << round;
            continue;
        }
        // What was saved loads again, and saving that gives the same bytes.
        const Bytes written = loaded.cards.backingBytes();
        savedWithCards += loaded.itemCount() > 0 ? 1 : 0;
        Loaded again(written);
        ASSERT_TRUE(again.loaded) << round;
        ASSERT_TRUE(again.db.saveChanceCards(again.cards.view(), 1)) << round;
        Loaded third(again.cards.backingBytes());
        ASSERT_TRUE(third.loaded) << round;
        ASSERT_TRUE(third.db.saveChanceCards(third.cards.view(), 1)) << round;
        EXPECT_EQ(third.cards.backingBytes(), again.cards.backingBytes()) << round;
        EXPECT_EQ(third.itemCount(), again.itemCount()) << round;
    }
    EXPECT_GE(savedWithCards, 5);
}

// ---- Tree assembly on its own ----------------------------------------------------

TEST(ChanceCardAssembly, NoIdLeftFailsTheSave) {
    TrackCards cards;
    for (ChanceCard& card : cards) {
        card.items.assign(20, CardItem::budget(CardItem::kModeAdd, 1));
    }
    InstructionList block;
    ASSERT_TRUE(buildTrackBlock(3, cards, block));
    ASSERT_EQ(block.size(), 1u + 10 * 22);
    std::vector<GeneratedTree> trees;
    auto everyIdTaken = [](std::uint16_t) { return true; };
    EXPECT_FALSE(assembleCardTrees({block, block}, {4124}, 4124, everyIdTaken, trees));
    auto noneTaken = [](std::uint16_t) { return false; };
    ASSERT_TRUE(assembleCardTrees({block, block}, {4124}, 4124, noneTaken, trees));
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[1].id, 4096);
}

TEST(ChanceCardAssembly, ContinuationIdsSkipZeroTakenAndCurrentEntries) {
    TrackCards cards;
    cards[0].items.assign(200, CardItem::budget(CardItem::kModeAdd, 1));
    InstructionList block;
    ASSERT_TRUE(buildTrackBlock(3, cards, block));  // 203 instructions
    std::vector<GeneratedTree> trees;
    auto taken = [](std::uint16_t id) { return id == 4300 || id == 4096; };
    ASSERT_TRUE(assembleCardTrees({block, block, block, block}, {4124, 0, 4124, 4300, 4301, 4301},
                                  4124, taken, trees));
    ASSERT_EQ(trees.size(), 4u);
    EXPECT_EQ(trees[0].id, 4124);
    EXPECT_EQ(trees[1].id, 4301);  // 0, the current id and a taken id skipped
    EXPECT_EQ(trees[2].id, 4097);  // entry 5 names the current tree; then the lowest free
    EXPECT_EQ(trees[3].id, 4098);
    EXPECT_EQ(trees[0].instructions.back(), test::cardTreeCall(4301));
    EXPECT_EQ(trees[0].instructions.size(), 6u + 203 + 1);
    EXPECT_EQ(trees[1].instructions.size(), 4u + 203 + 1);
    EXPECT_EQ(trees[3].instructions.size(), 4u + 203);
}

TEST(ChanceCardAssembly, ATrackWithoutCardsIsOnlyItsCareerTest) {
    InstructionList block;
    ASSERT_TRUE(buildTrackBlock(12, TrackCards{}, block));
    EXPECT_EQ(block, (InstructionList{test::cardCareerTest(12, 1, 255)}));
    std::vector<GeneratedTree> trees;
    ASSERT_TRUE(assembleCardTrees(
        {block}, {4124}, 4124, [](std::uint16_t) { return false; }, trees));
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0].instructions, test::cardOpeningInstructions());
}

}  // namespace
}  // namespace jf
