// Loading and saving chance cards, global options and global texts through
// the career database.
#include <gtest/gtest.h>

#include <string>
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
using test::CardRecipe;
using test::MemoryContainer;
using Instructions = std::vector<Instruction>;

constexpr std::uint16_t kLogic = CardItem::kSkillLogic;

// Three tracks with ids 3, 7 and 12 (positions 0, 1, 2).
Bytes careerFile() {
    return test::buildCareerContainer({test::sampleTrack(12, "Twelve"),
                                       test::sampleTrack(3, "Three"),
                                       test::sampleTrack(7, "Seven")});
}

// A dialog tree referring to entries 0..11 (bytes hold entry + 1), as the
// game's own code does, so that card texts start at entry 12.
test::CardTreeRecipe gameDialogTree(std::uint16_t id = 4500) {
    return {id,
            {test::dialogInstruction({1, 2, 3, 4, 5, 0, 6, 0}),
             test::dialogInstruction({7, 8, 9, 10, 11, 0, 12, 0})},
            "Dialogs"};
}

// The career container and the card container, both in memory, and a
// database loaded from them.
class CardFixture {
public:
    explicit CardFixture(const Bytes& cardBytes, std::uint32_t packs = 1)
        : careers_(careerFile()), cards_(cardBytes), packs_(packs) {
        EXPECT_TRUE(careers_.ok());
        EXPECT_TRUE(cards_.ok());
        EXPECT_TRUE(db.loadCareers(careers_.view()));
    }
    bool load() { return db.loadChanceCards(cards_.view(), packs_); }
    bool save() { return db.saveChanceCards(cards_.view(), packs_); }
    IffView& view() { return cards_.view(); }
    Bytes written() { return cards_.backingBytes(); }

    CareerDatabase db;

private:
    MemoryContainer careers_;
    MemoryContainer cards_;
    std::uint32_t packs_;
};

// The instructions of BHAV `id` in a container's bytes; nullopt when absent.
std::optional<Instructions> treeIn(const Bytes& containerBytes, std::uint16_t id,
                                   std::string* label = nullptr, CodeTree* header = nullptr) {
    MemoryContainer container(containerBytes);
    if (!container.ok()) {
        return std::nullopt;
    }
    IffChunk* chunk = container.view().find(kTypeBhav, id);
    if (chunk == nullptr) {
        return std::nullopt;
    }
    CodeTree tree;
    if (!tree.attachTo(container.view(), *chunk)) {
        return std::nullopt;
    }
    if (label != nullptr) {
        *label = chunk->label;
    }
    if (header != nullptr) {
        header->setSignature(tree.signature());
        header->setTreeType(tree.treeType());
        header->setArgumentCount(tree.argumentCount());
        header->setLocalCount(tree.localCount());
        header->setFlags(tree.flags());
        header->setTreeVersion(tree.treeVersion());
    }
    return tree.instructions();
}

std::vector<std::uint16_t> bhavIds(const Bytes& containerBytes) {
    MemoryContainer container(containerBytes);
    std::vector<std::uint16_t> ids;
    for (IffChunk* chunk : container.view().chunksOfType(kTypeBhav)) {
        ids.push_back(chunk->id);
    }
    return ids;
}

// A loaded database of the written file, for reading the cards back.
class Reloaded {
public:
    explicit Reloaded(const Bytes& cardBytes, std::uint32_t packs = 1)
        : fixture_(cardBytes, packs) {
        ok = fixture_.load();
    }
    const ChanceCard& card(std::size_t position, std::size_t level) {
        return *fixture_.db.chanceCard(position, level);
    }
    CareerDatabase& db() { return fixture_.db; }
    bool ok = false;

private:
    CardFixture fixture_;
};

CardPortalRecipe emptyPortal() {
    CardPortalRecipe recipe;
    recipe.trees.push_back({4124, test::cardOpeningInstructions(), "Chance Cards"});
    return recipe;
}

// ---- Writing --------------------------------------------------------------------

TEST(ChanceCardSave, WorkedExampleCardIsWrittenInstructionByInstruction) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    ChanceCard& card = *f.db.chanceCard(1, 2);  // track 7, level 2
    card.textIndex = 20;
    card.items = {CardItem::budget(CardItem::kModeSubtract, 500), CardItem::sound(312),
                  CardItem::skill(CardItem::kModeAdd, kLogic, 2)};
    ASSERT_TRUE(f.save());

    std::string label;
    CodeTree header;
    std::optional<Instructions> tree = treeIn(f.written(), 4124, &label, &header);
    ASSERT_TRUE(tree);
    Instructions expected = test::cardOpeningInstructions();
    expected[4].trueTarget = 6;
    expected.push_back(test::cardCareerTest(7, 7, 255));  // 6
    expected.push_back(test::cardLevelTest(2, 8, 255));   // 7
    expected.push_back(test::cardBudgetCheck(500, 9, 255));
    expected.push_back(test::cardPlaySound(312, 10, 253));
    expected.push_back(test::cardText(20, 11, 253));
    expected.push_back(test::cardBudgetChange(false, 500, 12, 12));
    expected.push_back(test::cardSkillChange(true, kLogic, 2, 5, 253));  // 254 -> closing 5
    EXPECT_EQ(*tree, expected);
    EXPECT_EQ(label, "Chance Cards");
    EXPECT_EQ(header.signature(), 0x8002);
    EXPECT_EQ(header.treeType(), 0);
    EXPECT_EQ(header.argumentCount(), 0);
    EXPECT_EQ(header.localCount(), 10);
    EXPECT_EQ(header.flags(), 0);
    EXPECT_EQ(header.treeVersion(), 1u);

    // The body is exactly the hand-built one.
    MemoryContainer written(f.written());
    IffChunk* chunk = written.view().find(kTypeBhav, 4124);
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(chunk->body(), test::cardTreeBody(expected));
    EXPECT_NE(chunk->flags & 0x10, 0);
}

TEST(ChanceCardSave, WithoutCardsTheRootHoldsOnlyTheOpening) {
    CardFixture f(test::buildSampleCardPortal(
        {{3, 0, 13, {CardItem::sound(311), CardItem::budget(CardItem::kModeAdd, 100)}}}));
    ASSERT_TRUE(f.load());
    EXPECT_FALSE(f.db.chanceCard(0, 0)->empty());
    f.db.chanceCard(0, 0)->items.clear();
    ASSERT_TRUE(f.save());
    std::optional<Instructions> tree = treeIn(f.written(), 4124);
    ASSERT_TRUE(tree);
    EXPECT_EQ(*tree, test::cardOpeningInstructions());  // instruction 4 keeps 255
}

TEST(ChanceCardSave, TracksWithoutCardsGetNoCareerTest) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    f.db.chanceCard(0, 0)->textIndex = 0;  // track 3 stays without cards
    f.db.chanceCard(2, 9)->items = {CardItem::sound(312)};
    f.db.chanceCard(2, 9)->textIndex = 14;
    f.db.chanceCard(2, 4)->items = {CardItem::sound(311),
                                    CardItem::job(CardItem::kJobCareerPath, 7)};
    f.db.chanceCard(2, 4)->textIndex = 15;
    ASSERT_TRUE(f.save());
    std::optional<Instructions> tree = treeIn(f.written(), 4124);
    ASSERT_TRUE(tree);
    Instructions expected = test::cardOpeningInstructions();
    expected[4].trueTarget = 6;
    expected.push_back(test::cardCareerTest(12, 7, 255));    // 6
    expected.push_back(test::cardLevelTest(4, 8, 11));       // 7, false -> level 9 test
    expected.push_back(test::cardPlaySound(311, 9, 253));    // 8
    expected.push_back(test::cardText(15, 10, 253));         // 9
    expected.push_back(test::cardJobChange(56, 7, 5, 253));  // 10
    expected.push_back(test::cardLevelTest(9, 12, 255));     // 11
    expected.push_back(test::cardPlaySound(312, 13, 253));   // 12
    expected.push_back(test::cardText(14, 5, 253));          // 13
    EXPECT_EQ(*tree, expected);
}

TEST(ChanceCardSave, CareerTestsChainThroughTheirFalseTargets) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    f.db.chanceCard(0, 1)->items = {CardItem::sound(312)};
    f.db.chanceCard(2, 0)->items = {CardItem::sound(311)};
    ASSERT_TRUE(f.save());
    std::optional<Instructions> tree = treeIn(f.written(), 4124);
    ASSERT_TRUE(tree);
    Instructions expected = test::cardOpeningInstructions();
    expected[4].trueTarget = 6;
    expected.push_back(test::cardCareerTest(3, 7, 10));  // 6, false -> next career test
    expected.push_back(test::cardLevelTest(1, 8, 255));
    expected.push_back(test::cardPlaySound(312, 9, 253));
    expected.push_back(test::cardText(0, 5, 253));
    expected.push_back(test::cardCareerTest(12, 11, 255));  // 10
    expected.push_back(test::cardLevelTest(0, 12, 255));
    expected.push_back(test::cardPlaySound(311, 13, 253));
    expected.push_back(test::cardText(0, 5, 253));
    EXPECT_EQ(*tree, expected);
}

TEST(ChanceCardSave, SkillCheckOfZeroPointsCompares65535) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    f.db.chanceCard(0, 0)->items = {CardItem::sound(312),
                                    CardItem::skill(CardItem::kModeSubtract, kLogic, 0),
                                    CardItem::skill(CardItem::kModeSubtract, 10, 3)};
    ASSERT_TRUE(f.save());
    std::optional<Instructions> tree = treeIn(f.written(), 4124);
    ASSERT_TRUE(tree);
    ASSERT_GE(tree->size(), 10u);
    EXPECT_EQ((*tree)[8], test::cardSkillCheck(kLogic, 65535, 9, 255));
    EXPECT_EQ((*tree)[9], test::cardSkillCheck(10, 2, 10, 255));
    EXPECT_EQ((*tree)[12], test::cardSkillChange(false, kLogic, 0, 13, 253));
    EXPECT_EQ((*tree)[13], test::cardSkillChange(false, 10, 3, 5, 253));
}

TEST(ChanceCardSave, OptionsAndTextsAreWrittenBack) {
    CardPortalRecipe recipe = emptyPortal();
    recipe.optionsWord = 0x8004;
    recipe.options = {1, 2, 3, 4};
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    EXPECT_TRUE(f.db.globalOptions().flag());
    std::int16_t value = 0;
    EXPECT_TRUE(f.db.option(3, value));
    EXPECT_EQ(value, 4);
    EXPECT_FALSE(f.db.option(4, value));
    ASSERT_TRUE(f.db.setOption(7, -40));
    ASSERT_TRUE(f.db.setGlobalText(2, 5, "Bravo!"));
    ASSERT_TRUE(f.save());

    MemoryContainer written(f.written());
    IffChunk* bcon = written.view().find(kTypeBcon, 4097);
    ASSERT_NE(bcon, nullptr);
    EXPECT_EQ(bcon->body(), test::buildBconBody(0x8008, {1, 2, 3, 4, 0, 0, 0, -40}));

    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    std::string text;
    EXPECT_TRUE(back.db().globalText(2, 5, text));
    EXPECT_EQ(text, "Bravo!");
    EXPECT_TRUE(back.db().globalText(3, 0, text));
    EXPECT_EQ(text, "G e3 s0");
    EXPECT_TRUE(back.db().globalText(6, 19, text));
    EXPECT_EQ(text, "G e6 s19");
}

// ---- Reading back -----------------------------------------------------------------

TEST(ChanceCardSave, ReadingBackPutsSoundsFirstAndDropsChecks) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    const std::vector<CardItem> items = {
        CardItem::budget(CardItem::kModeSubtract, 500),
        CardItem::skill(CardItem::kModeSubtract, 12, 4),
        CardItem::sound(312),
        CardItem::job(CardItem::kJobPromotionLevel, 3),
        CardItem::budget(CardItem::kModeAdd, 65535),
        CardItem::skill(CardItem::kModeAdd, 17, 1),
    };
    f.db.chanceCard(1, 5)->items = items;
    f.db.chanceCard(1, 5)->textIndex = 30;
    ASSERT_TRUE(f.save());

    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    const ChanceCard& card = back.card(1, 5);
    EXPECT_EQ(card.textIndex, 30);
    EXPECT_EQ(card.items,
              (std::vector<CardItem>{items[2], items[0], items[1], items[3], items[4], items[5]}));
    for (std::size_t position = 0; position < 3; ++position) {
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            if (position != 1 || level != 5) {
                EXPECT_TRUE(back.card(position, level).empty()) << position << " " << level;
            }
        }
    }
}

TEST(ChanceCardLoad, HandLaidCardsAreRecognised) {
    CardFixture f(test::buildSampleCardPortal({
        {7, 0, 13, {CardItem::sound(312), CardItem::budget(CardItem::kModeAdd, 250)}},
        {12, 9, 14, {CardItem::sound(311), CardItem::job(CardItem::kJobCareerPath, 3)}},
        {99, 1, 15, {CardItem::sound(311)}},  // no such track
        {3, 4, 16, {CardItem::skill(CardItem::kModeSubtract, 15, 9)}},
    }));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(*f.db.chanceCard(1, 0),
              (ChanceCard{13, {CardItem::sound(312), CardItem::budget(CardItem::kModeAdd, 250)}}));
    EXPECT_EQ(*f.db.chanceCard(2, 9),
              (ChanceCard{14, {CardItem::sound(311), CardItem::job(56, 3)}}));
    EXPECT_EQ(*f.db.chanceCard(0, 4),
              (ChanceCard{16, {CardItem::skill(CardItem::kModeSubtract, 15, 9)}}));
    EXPECT_TRUE(f.db.chanceCard(0, 0)->empty());
    EXPECT_EQ(f.db.chanceCard(0, 0)->textIndex, 0);
}

TEST(ChanceCardLoad, EveryMatchIsDecodedAndTheLastTextWins) {
    // Two career tests for track 3, each with a card of level 2.
    CardFixture f(test::buildSampleCardPortal({
        {3, 2, 13, {CardItem::sound(312)}},
        {3, 2, 17, {CardItem::sound(311), CardItem::budget(CardItem::kModeSubtract, 5)}},
    }));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(*f.db.chanceCard(0, 2), (ChanceCard{17,
                                                  {CardItem::sound(312), CardItem::sound(311),
                                                   CardItem::budget(CardItem::kModeSubtract, 5)}}));
}

TEST(ChanceCardLoad, BigEndianTreesAreRead) {
    CardPortalRecipe recipe;
    std::vector<test::RawInstruction> records;
    for (const Instruction& instruction : test::handLaidCardTree(
             {{7, 3, 21, {CardItem::sound(312), CardItem::skill(CardItem::kModeAdd, 11, 2)}}})) {
        test::RawInstruction raw = test::rawOf(instruction);
        // Opcodes 2 keep bytes 4-7 and swap words 0 and 1; others swap all words.
        auto swap = [&raw](std::size_t word) {
            std::swap(raw.operands[2 * word], raw.operands[2 * word + 1]);
        };
        swap(0);
        swap(1);
        if (raw.opcode != 2) {
            swap(2);
            swap(3);
        }
        records.push_back(raw);
    }
    test::BhavHeader header;
    recipe.extra.push_back(
        {kTypeBhav, 4124, 0x00, "Chance Cards", test::buildBhavBody(header, records, true)});
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(*f.db.chanceCard(1, 3),
              (ChanceCard{21, {CardItem::sound(312), CardItem::skill(CardItem::kModeAdd, 11, 2)}}));
}

TEST(ChanceCardLoad, RootIdFollowsTheInstalledPacks) {
    const Bytes bytes = test::buildSampleCardPortal({{3, 0, 13, {CardItem::sound(312)}}}, 4134);
    CardFixture base(bytes, 0x1F);
    ASSERT_TRUE(base.load());
    EXPECT_TRUE(base.db.chanceCard(0, 0)->empty());
    CardFixture later(bytes, 0x21);
    ASSERT_TRUE(later.load());
    EXPECT_FALSE(later.db.chanceCard(0, 0)->empty());
    EXPECT_EQ(cardRootTreeId(0x01), 4124);
    EXPECT_EQ(cardRootTreeId(0x10), 4124);
    EXPECT_EQ(cardRootTreeId(0x20), 4134);
    EXPECT_EQ(cardRootTreeId(0x40), 4134);
}

TEST(ChanceCardLoad, MissingOptionsOrTextsFailTheLoad) {
    CardPortalRecipe noOptions = emptyPortal();
    noOptions.withOptions = false;
    CardFixture a(test::buildCardPortal(noOptions));
    EXPECT_FALSE(a.load());
    EXPECT_FALSE(a.save());

    CardPortalRecipe noTexts = emptyPortal();
    noTexts.withTexts = false;
    CardFixture b(test::buildCardPortal(noTexts));
    EXPECT_FALSE(b.load());
    EXPECT_FALSE(b.save());

    CardPortalRecipe shortOptions = emptyPortal();
    shortOptions.optionsWord = 9;  // nine values announced, eight stored
    CardFixture c(test::buildCardPortal(shortOptions));
    EXPECT_FALSE(c.load());
}

TEST(ChanceCardSave, RefusesWithoutASuccessfulLoadAndWritesNothing) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    const Bytes before = f.written();
    EXPECT_FALSE(f.save());
    EXPECT_EQ(f.written(), before);
}

TEST(ChanceCardSave, ReloadingTheCareersAloneBlocksTheSave) {
    MemoryContainer careers(careerFile());
    MemoryContainer cards(test::buildSampleCardPortal({{3, 0, 13, {CardItem::sound(312)}}}));
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(careers.view()));
    ASSERT_TRUE(db.loadChanceCards(cards.view(), 1));
    ASSERT_TRUE(db.loadCareers(careers.view()));  // the cards are empty again
    EXPECT_TRUE(db.chanceCard(0, 0)->empty());
    const Bytes before = cards.backingBytes();
    EXPECT_FALSE(db.saveChanceCards(cards.view(), 1));
    EXPECT_EQ(cards.backingBytes(), before);
    ASSERT_TRUE(db.loadChanceCards(cards.view(), 1));
    EXPECT_FALSE(db.chanceCard(0, 0)->empty());
    EXPECT_TRUE(db.saveChanceCards(cards.view(), 1));
}

// ---- Subroutine trees and continuation trees -----------------------------------------

// A root that calls 4200 and 4201; 4200 holds a card of track 3, 4201 one of
// track 12 and calls 4200 again and the root (a cycle).
CardPortalRecipe subroutinePortal() {
    CardPortalRecipe recipe;
    Instructions root = test::cardOpeningInstructions();
    root[4].trueTarget = 6;
    root.push_back(test::cardTreeCall(4200));  // 6
    root[6].falseTarget = 7;
    root.push_back(test::cardTreeCall(4201));  // 7
    recipe.trees.push_back({4124, root, "Chance Cards"});
    Instructions first = {test::cardCareerTest(3, 1, 255), test::cardLevelTest(0, 2, 255),
                          test::cardPlaySound(312, 3, 253), test::cardText(13, 254, 253)};
    recipe.trees.push_back({4200, first, "Sub"});
    Instructions second = {test::cardCareerTest(12, 1, 255), test::cardLevelTest(5, 2, 255),
                           test::cardPlaySound(311, 3, 253), test::cardText(14, 254, 253),
                           test::cardTreeCall(4200),         test::cardTreeCall(4124)};
    recipe.trees.push_back({4201, second, "Sub"});
    recipe.trees.push_back(gameDialogTree());
    return recipe;
}

TEST(ChanceCardTrees, CalledTreesAreFoundOnceEach) {
    MemoryContainer container(test::buildCardPortal(subroutinePortal()));
    ASSERT_TRUE(container.ok());
    CardTrees trees = findCardTrees(container.view(), 4124);
    EXPECT_EQ(trees.ids, (std::vector<std::uint16_t>{4124, 4200, 4201}));
    ASSERT_EQ(trees.trees.size(), 3u);
    EXPECT_EQ(trees.trees[1].size(), 4u);
}

TEST(ChanceCardTrees, SubroutineCardsAreReadAndTheTreesReplaced) {
    CardFixture f(test::buildCardPortal(subroutinePortal()));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(*f.db.chanceCard(0, 0), (ChanceCard{13, {CardItem::sound(312)}}));
    EXPECT_EQ(*f.db.chanceCard(2, 5), (ChanceCard{14, {CardItem::sound(311)}}));
    ASSERT_TRUE(f.save());
    // One tree holds both cards; the subroutine trees are gone, the dialog
    // tree stays.
    EXPECT_EQ(bhavIds(f.written()), (std::vector<std::uint16_t>{4500, 4124}));
    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.card(0, 0), (ChanceCard{13, {CardItem::sound(312)}}));
    EXPECT_EQ(back.card(2, 5), (ChanceCard{14, {CardItem::sound(311)}}));
}

// Cards enough for several trees: every level of every track, each card with
// a sound, two checks and four changes (9 instructions a level).
void fillAllCards(CareerDatabase& db) {
    for (std::size_t position = 0; position < db.trackCount(); ++position) {
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            ChanceCard& card = *db.chanceCard(position, level);
            const auto seed = static_cast<std::uint16_t>(position * 10 + level);
            card.textIndex = static_cast<std::uint16_t>(13 + seed);
            card.items = {
                CardItem::budget(CardItem::kModeSubtract, static_cast<std::uint16_t>(100 + seed)),
                CardItem::sound(seed % 2 == 0 ? 312 : 311),
                CardItem::skill(CardItem::kModeSubtract, 10, seed),
                CardItem::job(CardItem::kJobPromotionLevel, static_cast<std::uint16_t>(level)),
                CardItem::skill(CardItem::kModeAdd, kLogic, 1),
            };
        }
    }
}

// The cards as read back: sound items first.
std::vector<CardItem> readBackOrder(const std::vector<CardItem>& items) {
    std::vector<CardItem> sorted;
    for (const CardItem& item : items) {
        if (item.kind == CardItem::kKindSound) {
            sorted.push_back(item);
        }
    }
    for (const CardItem& item : items) {
        if (item.kind != CardItem::kKindSound) {
            sorted.push_back(item);
        }
    }
    return sorted;
}

TEST(ChanceCardTrees, ContinuationTreesTakeTheSubroutineIdsAndReadBack) {
    CardFixture f(test::buildCardPortal(subroutinePortal()));
    ASSERT_TRUE(f.load());
    fillAllCards(f.db);  // 3 blocks of 1 + 10 x 9 = 91 instructions
    ASSERT_TRUE(f.save());
    const Bytes written = f.written();
    EXPECT_EQ(bhavIds(written), (std::vector<std::uint16_t>{4500, 4124, 4200}));

    std::optional<Instructions> root = treeIn(written, 4124);
    std::optional<Instructions> second = treeIn(written, 4200);
    std::optional<Instructions> third = treeIn(written, 4201);
    ASSERT_TRUE(root && second);
    // Root: opening, two blocks (6 + 182), the call to 4200.
    ASSERT_EQ(root->size(), 6u + 91 + 91 + 1);
    EXPECT_EQ(root->back(), test::cardTreeCall(4200));
    EXPECT_EQ((*root)[4].trueTarget, 6);
    EXPECT_EQ((*root)[6].falseTarget, 97);    // the second block's career test
    EXPECT_EQ((*root)[97].falseTarget, 188);  // the call
    EXPECT_LE(root->size(), 249u);
    // 4200: continuation instructions and the third block.
    ASSERT_EQ(second->size(), 4u + 91);
    Instructions start = test::cardContinuationInstructions();
    start[2].trueTarget = 4;
    EXPECT_EQ(Instructions(second->begin(), second->begin() + 4), start);
    EXPECT_EQ((*second)[4], test::cardCareerTest(12, 5, 255));
    // Renumbered 254: the closing instruction 3 in a continuation tree.
    EXPECT_EQ((*second)[94].trueTarget, 3);
    EXPECT_EQ((*root)[96].trueTarget, 5);
    EXPECT_FALSE(third);

    Reloaded back(written);
    ASSERT_TRUE(back.ok);
    for (std::size_t position = 0; position < 3; ++position) {
        for (std::size_t level = 0; level < kCardsPerTrack; ++level) {
            const ChanceCard& expected = *f.db.chanceCard(position, level);
            const ChanceCard& card = back.card(position, level);
            EXPECT_EQ(card.textIndex, expected.textIndex);
            EXPECT_EQ(card.items, readBackOrder(expected.items)) << position << " " << level;
        }
    }
}

TEST(ChanceCardTrees, SaveLoadSaveGivesIdenticalBytes) {
    CardFixture f(test::buildCardPortal(subroutinePortal()));
    ASSERT_TRUE(f.load());
    fillAllCards(f.db);
    ASSERT_TRUE(f.save());
    const Bytes first = f.written();

    CardFixture again(first);
    ASSERT_TRUE(again.load());
    ASSERT_TRUE(again.save());
    EXPECT_EQ(again.written(), first);

    CardFixture third(again.written());
    ASSERT_TRUE(third.load());
    ASSERT_TRUE(third.save());
    EXPECT_EQ(third.written(), first);
}

TEST(ChanceCardTrees, ContinuationIdsFallBackToTheLowestFreeId) {
    CardPortalRecipe recipe = emptyPortal();
    recipe.extra.push_back({kTypeBhav, 4096, 0x10, "Other", test::cardTreeBody({})});
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    fillAllCards(f.db);
    ASSERT_TRUE(f.save());
    EXPECT_EQ(bhavIds(f.written()), (std::vector<std::uint16_t>{4096, 4124, 4097}));
    std::optional<Instructions> root = treeIn(f.written(), 4124);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->back(), test::cardTreeCall(4097));

    // Loading follows the call, so a second save chooses the same id.
    CardFixture again(f.written());
    ASSERT_TRUE(again.load());
    ASSERT_TRUE(again.save());
    EXPECT_EQ(again.written(), f.written());
}

TEST(ChanceCardTrees, MissingRootIsCreatedUnderTheRootId) {
    CardPortalRecipe recipe;  // no trees at all
    CardFixture f(test::buildCardPortal(recipe), 0x41);
    ASSERT_TRUE(f.load());
    f.db.chanceCard(0, 0)->items = {CardItem::sound(312)};
    ASSERT_TRUE(f.save());
    EXPECT_EQ(bhavIds(f.written()), (std::vector<std::uint16_t>{4134}));
}

TEST(ChanceCardTrees, FirstBlockLongerThan242FailsWithoutWriting) {
    CardFixture f(test::buildCardPortal(subroutinePortal()));
    ASSERT_TRUE(f.load());
    // Track 3: 1 + 10 levels; level 0 gets enough items for 243 in all.
    ChanceCard& card = *f.db.chanceCard(0, 0);
    card.items = {CardItem::sound(312)};
    // 1 career test + 1 level test + 1 sound + 1 text = 4; 239 changes more.
    for (int i = 0; i < 239; ++i) {
        card.items.push_back(CardItem::budget(CardItem::kModeAdd, 1));
    }
    const Bytes before = f.written();
    const std::size_t chunks = f.view().file()->chunks.size();
    EXPECT_FALSE(f.save());
    EXPECT_EQ(f.written(), before);
    // The container was not touched: the old trees are all still there.
    EXPECT_EQ(f.view().file()->chunks.size(), chunks);
    EXPECT_NE(f.view().find(kTypeBhav, 4200), nullptr);

    // 242 fits behind the opening.
    card.items.pop_back();
    EXPECT_TRUE(f.save());
}

TEST(ChanceCardTrees, LaterBlockLongerThan244FailsWithoutWriting) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    f.db.chanceCard(0, 0)->items = {CardItem::sound(312)};
    ChanceCard& card = *f.db.chanceCard(1, 0);
    card.items = {CardItem::sound(312)};
    for (int i = 0; i < 241; ++i) {  // block of 245
        card.items.push_back(CardItem::budget(CardItem::kModeAdd, 1));
    }
    const Bytes before = f.written();
    EXPECT_FALSE(f.save());
    EXPECT_EQ(f.written(), before);

    card.items.pop_back();  // 244: fits a continuation tree of its own
    ASSERT_TRUE(f.save());
    const std::vector<std::uint16_t> ids = bhavIds(f.written());
    ASSERT_EQ(ids.size(), 2u);
    std::optional<Instructions> second = treeIn(f.written(), ids[1]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size(), 248u);
    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.card(1, 0).items.size(), 241u);
}

// ---- Free entries and card texts --------------------------------------------------

TEST(ChanceCardTexts, DialogBytesMarkEntriesTaken) {
    CardPortalRecipe recipe = emptyPortal();
    // Entry 40 only through byte 1, entry 50 only through byte 6; byte 5
    // and byte 7 are no references.
    recipe.trees.push_back({4600, {test::dialogInstruction({0, 41, 0, 0, 0, 61, 51, 71})}, "D"});
    // An instruction of another opcode refers to nothing.
    recipe.trees.push_back(
        {4601, {test::makeInstruction(37, 254, 255, {81, 81, 81, 81, 81, 81, 81, 81})}, "D"});
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    EXPECT_FALSE(f.db.textEntryFree(40));
    EXPECT_FALSE(f.db.textEntryFree(50));
    EXPECT_TRUE(f.db.textEntryFree(60));
    EXPECT_TRUE(f.db.textEntryFree(70));
    EXPECT_TRUE(f.db.textEntryFree(80));
    EXPECT_TRUE(f.db.textEntryFree(0));
    EXPECT_TRUE(f.db.textEntryFree(299));
    EXPECT_FALSE(f.db.textEntryFree(300));
}

TEST(ChanceCardTexts, GeneratedCardTextsReferToEntries43And3) {
    CardFixture f(test::buildCardPortal(emptyPortal()));
    ASSERT_TRUE(f.load());
    EXPECT_TRUE(f.db.textEntryFree(43));
    EXPECT_TRUE(f.db.textEntryFree(3));
    f.db.chanceCard(0, 0)->items = {CardItem::sound(312)};
    f.db.chanceCard(0, 0)->textIndex = 100;
    ASSERT_TRUE(f.save());
    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    EXPECT_FALSE(back.db().textEntryFree(43));
    EXPECT_FALSE(back.db().textEntryFree(3));
    EXPECT_FALSE(back.db().textEntryFree(99));
    EXPECT_TRUE(back.db().textEntryFree(98));
}

TEST(ChanceCardTexts, ACardTextInEntry255StaysTaken) {
    // textIndex 256 stores 00 01 in bytes 2-3: byte 2 alone would not show it.
    CardFixture f(test::buildSampleCardPortal({{3, 0, 256, {CardItem::sound(312)}}}));
    ASSERT_TRUE(f.load());
    EXPECT_EQ(f.db.chanceCard(0, 0)->textIndex, 256);
    EXPECT_FALSE(f.db.textEntryFree(255));
}

TEST(ChanceCardTexts, AllocationTakesTheLowestFreeEntryAndClosesTheGap) {
    CardPortalRecipe recipe = emptyPortal();
    recipe.texts = test::sampleGlobalTexts(5);
    recipe.trees.push_back(gameDialogTree());
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    ASSERT_EQ(f.db.globalTexts().rowCount(), 5u);

    ChanceCard& card = *f.db.chanceCard(1, 1);
    ASSERT_TRUE(f.db.allocateCardText(card));
    EXPECT_EQ(card.textIndex, 13);  // entry 12, past the end of the table
    EXPECT_FALSE(f.db.textEntryFree(12));
    EXPECT_EQ(f.db.globalTexts().rowCount(), 13u);
    ASSERT_TRUE(f.db.setGlobalText(12, 3, "Lucky day"));
    std::string text;
    EXPECT_TRUE(f.db.globalText(12, 3, text));
    EXPECT_EQ(text, "Lucky day");
    EXPECT_TRUE(f.db.globalText(7, 3, text));
    EXPECT_EQ(text, "");

    // A card that has a text keeps it.
    ASSERT_TRUE(f.db.allocateCardText(card));
    EXPECT_EQ(card.textIndex, 13);

    std::uint16_t other = 0;
    ASSERT_TRUE(f.db.allocateCardText(other));
    EXPECT_EQ(other, 14);

    // Released entries come back first; their strings stay.
    f.db.releaseCardText(card);
    EXPECT_EQ(card.textIndex, 0);
    EXPECT_TRUE(f.db.textEntryFree(12));
    EXPECT_TRUE(f.db.globalText(12, 3, text));
    EXPECT_EQ(text, "Lucky day");
    std::uint16_t third = 0;
    ASSERT_TRUE(f.db.allocateCardText(third));
    EXPECT_EQ(third, 13);

    // The text survives a save and a reload.
    card.items = {CardItem::sound(312)};
    card.textIndex = third;
    ASSERT_TRUE(f.save());
    Reloaded back(f.written());
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.card(1, 1).textIndex, 13);
    EXPECT_TRUE(back.db().globalText(12, 3, text));
    EXPECT_EQ(text, "Lucky day");
}

TEST(ChanceCardTexts, AllocationFailsWhenEntries0To255AreTaken) {
    CardPortalRecipe recipe = emptyPortal();
    Instructions dialogs;
    for (int first = 1; first <= 256; first += 6) {
        std::array<std::uint8_t, 8> operands{};
        std::size_t b = 0;
        for (int e = first; e < first + 6 && e <= 255; ++e) {
            static constexpr std::size_t kBytes[] = {0, 1, 2, 3, 4, 6};
            operands[kBytes[b++]] = static_cast<std::uint8_t>(e);
        }
        dialogs.push_back(test::dialogInstruction(operands));
    }
    // Entry 255 (byte 256) can only be taken through word 1 = 256.
    dialogs.push_back(test::dialogInstruction({0, 0, 0x00, 0x01, 0, 0, 0, 0}));
    recipe.trees.push_back({4600, dialogs, "D"});
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    std::uint16_t index = 0;
    EXPECT_FALSE(f.db.allocateCardText(index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(f.db.textEntryFree(256));  // beyond the card range
}

TEST(ChanceCardTexts, ReleaseKeepsEntriesOtherDialogsReferTo) {
    CardPortalRecipe recipe = emptyPortal();
    // A card whose text is entry 43, which every card text names via byte 1.
    recipe.trees[0] = {4124,
                       test::handLaidCardTree({{3, 0, 44, {CardItem::sound(312)}},
                                               {7, 0, 60, {CardItem::sound(312)}}}),
                       "Chance Cards"};
    recipe.trees.push_back({4600, {test::dialogInstruction({0, 0, 80, 0, 0, 0, 0, 0})}, "D"});
    CardFixture f(test::buildCardPortal(recipe));
    ASSERT_TRUE(f.load());
    ChanceCard& shared = *f.db.chanceCard(0, 0);
    ChanceCard& own = *f.db.chanceCard(1, 0);
    EXPECT_FALSE(f.db.textEntryFree(43));
    EXPECT_FALSE(f.db.textEntryFree(59));
    f.db.releaseCardText(shared);
    f.db.releaseCardText(own);
    EXPECT_EQ(shared.textIndex, 0);
    EXPECT_FALSE(f.db.textEntryFree(43));  // still named by byte 1 of card texts
    EXPECT_TRUE(f.db.textEntryFree(59));
    std::uint16_t dialogEntry = 80;
    f.db.releaseCardText(dialogEntry);  // entry 79, a dialog's text
    EXPECT_FALSE(f.db.textEntryFree(79));
}

}  // namespace
}  // namespace jf
