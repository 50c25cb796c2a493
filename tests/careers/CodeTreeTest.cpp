#include "careers/CodeTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "support/CliRunner.h"
#include "support/CodeTreeBuilders.h"

namespace jf {
namespace {

using test::BhavHeader;
using test::buildBhavBody;
using test::buildOldFormBhavBody;
using test::decodeBody;
using test::linkedRecords;
using test::RawInstruction;

using Bytes = std::vector<std::uint8_t>;
using Operands = std::array<std::uint8_t, 8>;

constexpr Operands kSequence = {1, 2, 3, 4, 5, 6, 7, 8};

Bytes encoded(CodeTree& tree) {
    Bytes body;
    EXPECT_TRUE(tree.encodedBody(body));
    return body;
}

RawInstruction record(std::uint16_t opcode, std::uint8_t t, std::uint8_t f, Operands operands) {
    RawInstruction r;
    r.opcode = opcode;
    r.trueTarget = t;
    r.falseTarget = f;
    r.operands = operands;
    return r;
}

// --- defaults and encoding ----------------------------------------------------

TEST(CodeTreeTest, NewTreeEncodesDefaultHeader) {
    CodeTree tree;
    EXPECT_EQ(tree.typeCode(), 0x42484156u);
    EXPECT_EQ(tree.signature(), 0x8002);
    EXPECT_EQ(tree.instructionCount(), 0u);
    EXPECT_EQ(encoded(tree), (Bytes{0x02, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CodeTreeTest, EncodeWritesHeaderAndInstructionsLittleEndianAndSetsFlag) {
    CodeTree tree;
    tree.setTreeType(1);
    tree.setArgumentCount(2);
    tree.setLocalCount(10);
    tree.setFlags(4);
    tree.setTreeVersion(0x01020304);
    ASSERT_TRUE(tree.append(test::makeInstruction(0x1068, 254, 255, kSequence)));
    ASSERT_TRUE(tree.append(test::makeInstruction(2, 0, 253)));

    tree.chunk()->flags = 0x0001;  // big-endian, another bit set
    ASSERT_TRUE(tree.encode());
    EXPECT_EQ(tree.chunk()->flags, 0x0011);
    Bytes expected = {0x02, 0x80, 0x02, 0x00, 1, 2, 10, 4, 0x04, 0x03, 0x02, 0x01,
                      0x68, 0x10, 254,  255,  1, 2, 3,  4, 5,    6,    7,    8,
                      0x02, 0x00, 0,    253,  0, 0, 0,  0, 0,    0,    0,    0};
    EXPECT_EQ(tree.chunk()->body(), expected);
}

TEST(CodeTreeTest, EncodeCutsALongerOldBody) {
    Bytes body = buildBhavBody({}, linkedRecords({{1, 1, 255}, {2, 254, 255}}));
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    ASSERT_EQ(tree.instructionCount(), 2u);
    tree.setInstructions({tree.instructions()[1]});
    ASSERT_TRUE(tree.encode());
    EXPECT_EQ(tree.chunk()->size, 24u);
    EXPECT_EQ(tree.chunk()->data[2], 1);
}

// --- decoding -----------------------------------------------------------------

TEST(CodeTreeTest, DecodesLittleEndianHeaderForm) {
    BhavHeader header;
    header.signature = 0x8007;
    header.treeType = 3;
    header.argumentCount = 4;
    header.localCount = 5;
    header.flags = 6;
    header.version = 0xA0B0C0D0;
    Bytes body =
        buildBhavBody(header, {record(0x1234, 1, 255, kSequence), record(2, 254, 253, {})});
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    EXPECT_EQ(tree.signature(), 0x8007);
    EXPECT_EQ(tree.treeType(), 3);
    EXPECT_EQ(tree.argumentCount(), 4);
    EXPECT_EQ(tree.localCount(), 5);
    EXPECT_EQ(tree.flags(), 6);
    EXPECT_EQ(tree.treeVersion(), 0xA0B0C0D0u);
    ASSERT_EQ(tree.instructionCount(), 2u);
    const Instruction& first = tree.instructions()[0];
    EXPECT_EQ(first.opcode, 0x1234);
    EXPECT_EQ(first.trueTarget, 1);
    EXPECT_EQ(first.falseTarget, 255);
    EXPECT_EQ(first.operands, kSequence);
    EXPECT_EQ(first.word(0), 0x0201);
    EXPECT_EQ(first.word(1), 0x0403);
    EXPECT_EQ(first.word(2), 0x0605);
    EXPECT_EQ(first.word(3), 0x0807);
}

TEST(CodeTreeTest, LittleEndianRoundTripIsByteExact) {
    BhavHeader header;
    header.treeType = 9;
    header.localCount = 10;
    header.version = 1;
    std::vector<RawInstruction> records;
    for (std::uint16_t i = 0; i < 40; ++i) {
        records.push_back(record(
            static_cast<std::uint16_t>(i * 37 + 1), std::uint8_t(i + 1), std::uint8_t(255 - i),
            {std::uint8_t(i), 0xFF, 0x80, 0x7F, 1, 0, std::uint8_t(i * 3), 0xAA}));
    }
    Bytes body = buildBhavBody(header, records);
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    EXPECT_EQ(encoded(tree), body);

    CodeTree again;
    ASSERT_TRUE(decodeBody(again, encoded(tree), true));
    EXPECT_EQ(again.instructions(), tree.instructions());
}

struct OpcodeConversion {
    std::uint16_t opcode;
    Operands expected;  // from big-endian operand bytes 01 02 .. 08
};

TEST(CodeTreeTest, BigEndianOperandsAreConvertedByOpcode) {
    const std::vector<OpcodeConversion> cases = {
        {2, {2, 1, 4, 3, 5, 6, 7, 8}},       // words 0, 1; bytes 4-7 kept
        {44, {2, 1, 4, 3, 5, 6, 7, 8}},      //
        {13, {1, 2, 3, 4, 5, 6, 7, 8}},      // all kept
        {24, {1, 2, 3, 4, 5, 6, 7, 8}},      //
        {26, {1, 2, 3, 4, 5, 6, 7, 8}},      //
        {27, {2, 1, 3, 4, 6, 5, 7, 8}},      // words 0 and 2
        {42, {2, 1, 3, 4, 5, 6, 7, 8}},      // word 0 only
        {0, {2, 1, 4, 3, 6, 5, 8, 7}},       // all four words
        {1, {2, 1, 4, 3, 6, 5, 8, 7}},       //
        {25, {2, 1, 4, 3, 6, 5, 8, 7}},      //
        {36, {2, 1, 4, 3, 6, 5, 8, 7}},      //
        {0x1068, {2, 1, 4, 3, 6, 5, 8, 7}},  // a tree call
        {0x0200, {2, 1, 4, 3, 6, 5, 8, 7}},  // swapped 2 is not 2
    };
    std::vector<RawInstruction> records;
    for (const auto& c : cases) {
        records.push_back(record(c.opcode, 7, 8, kSequence));
    }
    BhavHeader header;
    header.treeType = 1;
    header.argumentCount = 2;
    header.localCount = 3;
    header.flags = 4;
    header.version = 0x11223344;
    Bytes body = buildBhavBody(header, records, true);
    EXPECT_EQ(body[0], 0x80);  // really big-endian

    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, false));
    EXPECT_EQ(tree.signature(), 0x8002);
    EXPECT_EQ(tree.treeType(), 1);
    EXPECT_EQ(tree.argumentCount(), 2);
    EXPECT_EQ(tree.localCount(), 3);
    EXPECT_EQ(tree.flags(), 4);
    EXPECT_EQ(tree.treeVersion(), 0x11223344u);
    ASSERT_EQ(tree.instructionCount(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Instruction& instruction = tree.instructions()[i];
        EXPECT_EQ(instruction.opcode, cases[i].opcode) << i;
        EXPECT_EQ(instruction.trueTarget, 7) << i;
        EXPECT_EQ(instruction.falseTarget, 8) << i;
        EXPECT_EQ(instruction.operands, cases[i].expected) << "opcode " << cases[i].opcode;
    }
}

TEST(CodeTreeTest, BigEndianTreeIsWrittenLittleEndianAndReadsBackTheSame) {
    std::vector<RawInstruction> records = {record(2, 1, 255, {0, 56, 0, 7, 0, 2, 0x12, 0x07}),
                                           record(23, 254, 253, {1, 0x38, 0, 0, 0, 0, 0, 0})};
    Bytes body = buildBhavBody({}, records, true);
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, false));
    EXPECT_EQ(tree.instructions()[0].word(0), 56);
    EXPECT_EQ(tree.instructions()[0].word(1), 7);
    EXPECT_EQ(tree.instructions()[1].word(0), 312);

    ASSERT_TRUE(tree.encode());
    EXPECT_TRUE(tree.chunk()->littleEndian());
    Bytes written = tree.chunk()->body();
    EXPECT_EQ(written, buildBhavBody({}, {record(2, 1, 255, {56, 0, 7, 0, 0, 2, 0x12, 0x07}),
                                          record(23, 254, 253, {0x38, 1, 0, 0, 0, 0, 0, 0})}));
    CodeTree reread;
    ASSERT_TRUE(decodeBody(reread, written, true));
    EXPECT_EQ(reread.instructions(), tree.instructions());
}

TEST(CodeTreeTest, OldFormReadsCountFromSignatureAndWritesOldFormBack) {
    std::vector<RawInstruction> records = {record(5, 254, 255, kSequence)};
    Bytes body = buildOldFormBhavBody(records);
    ASSERT_EQ(body.size(), 14u);
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    EXPECT_EQ(tree.signature(), 1);
    EXPECT_EQ(tree.treeType(), 0);
    EXPECT_EQ(tree.treeVersion(), 0u);
    ASSERT_EQ(tree.instructionCount(), 1u);
    EXPECT_EQ(tree.instructions()[0].operands, kSequence);
    // Writing a header behind a signature without bit 15 would turn it into
    // instructions on the next read: the old form is kept.
    EXPECT_EQ(encoded(tree), body);

    ASSERT_TRUE(tree.append(test::makeInstruction(6, 254, 255)));
    CodeTree grown;
    ASSERT_TRUE(decodeBody(grown, encoded(tree), true));
    EXPECT_EQ(grown.instructions(), tree.instructions());
}

TEST(CodeTreeTest, OldFormBigEndian) {
    Bytes body = buildOldFormBhavBody({record(2, 254, 255, kSequence)}, true);
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, false));
    ASSERT_EQ(tree.instructionCount(), 1u);
    EXPECT_EQ(tree.instructions()[0].opcode, 2);
    EXPECT_EQ(tree.instructions()[0].operands, (Operands{2, 1, 4, 3, 5, 6, 7, 8}));
}

TEST(CodeTreeTest, EmptyOldFormTreeIsWrittenInHeaderForm) {
    Bytes body(12, 0);  // signature 0: old form, no instructions
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    EXPECT_EQ(tree.instructionCount(), 0u);
    Bytes written = encoded(tree);
    EXPECT_EQ(written, (Bytes{0x02, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    CodeTree reread;
    EXPECT_TRUE(decodeBody(reread, written, true));
}

// --- hostile and short bodies -------------------------------------------------

TEST(CodeTreeTest, CountFiveNeedsSeventyTwoBytes) {
    std::vector<RawInstruction> records =
        linkedRecords({{1, 1, 255}, {1, 2, 255}, {1, 3, 255}, {1, 4, 255}, {1, 254, 255}});
    Bytes full = buildBhavBody({}, records);
    ASSERT_EQ(full.size(), 72u);
    CodeTree tree;
    EXPECT_TRUE(decodeBody(tree, full, true));
    EXPECT_EQ(tree.instructionCount(), 5u);

    Bytes shortBody(full.begin(), full.begin() + 60);
    CodeTree truncated;
    EXPECT_FALSE(decodeBody(truncated, shortBody, true));
    Bytes oneShort(full.begin(), full.begin() + 71);
    EXPECT_FALSE(decodeBody(truncated, oneShort, true));
}

TEST(CodeTreeTest, BodiesShorterThanTwelveBytesFail) {
    for (std::size_t n = 0; n < 12; ++n) {
        Bytes body(n, 0);
        if (n >= 2) {
            body[1] = 0x80;  // header form, count 0
        }
        CodeTree tree;
        EXPECT_FALSE(decodeBody(tree, body, true)) << n;
    }
}

TEST(CodeTreeTest, LoadFromEmptyFileFails) {
    MemoryFile empty;
    CodeTree tree;
    EXPECT_FALSE(tree.loadFromFile(empty));
    EXPECT_EQ(tree.instructionCount(), 0u);
}

TEST(CodeTreeTest, HugeCountsAreRejectedBeforeAllocating) {
    BhavHeader header;
    header.count = 0xFFFF;
    header.treeType = 7;
    Bytes body = buildBhavBody(header, linkedRecords({{1, 254, 255}}));
    CodeTree tree;
    EXPECT_FALSE(decodeBody(tree, body, true));
    EXPECT_EQ(tree.instructionCount(), 0u);
    EXPECT_EQ(tree.treeType(), 7);  // the header was read

    Bytes bigEndian = buildBhavBody(header, linkedRecords({{1, 254, 255}}), true);
    EXPECT_FALSE(decodeBody(tree, bigEndian, false));
    EXPECT_EQ(tree.instructionCount(), 0u);

    // Old form with the largest count the signature can hold.
    Bytes oldForm = buildOldFormBhavBody(linkedRecords({{1, 254, 255}}), false, 0x7FFF);
    EXPECT_FALSE(decodeBody(tree, oldForm, true));
    EXPECT_EQ(tree.instructionCount(), 0u);
}

TEST(CodeTreeTest, LargestCountDecodesWhenTheBodyHoldsIt) {
    std::vector<RawInstruction> records(0xFFFF, record(1, 0, 0, {}));
    Bytes body = buildBhavBody({}, records);
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, body, true));
    EXPECT_EQ(tree.instructionCount(), 0xFFFFu);
    EXPECT_FALSE(tree.append(test::makeInstruction(1, 0, 0)));
    EXPECT_EQ(tree.instructionCount(), 0xFFFFu);
    EXPECT_EQ(encoded(tree), body);
}

TEST(CodeTreeTest, FailedDecodeReplacesThePreviousTree) {
    CodeTree tree;
    ASSERT_TRUE(decodeBody(tree, buildBhavBody({}, linkedRecords({{1, 254, 255}})), true));
    ASSERT_EQ(tree.instructionCount(), 1u);
    EXPECT_FALSE(decodeBody(tree, Bytes{0x02, 0x80}, true));
    EXPECT_EQ(tree.instructionCount(), 0u);
}

TEST(CodeTreeTest, RandomBodiesNeverCrash) {
    std::mt19937 random(1234);
    for (int round = 0; round < 2000; ++round) {
        Bytes body(random() % 80);
        for (auto& b : body) {
            b = static_cast<std::uint8_t>(random());
        }
        CodeTree tree;
        bool ok = decodeBody(tree, body, (round & 1) != 0);
        if (ok) {
            for (std::size_t from = 0; from < 256; from += 17) {
                InstructionList copy = tree.copyReachable(from);
                EXPECT_LE(copy.size(), tree.instructionCount());
            }
            CodeTree reread;
            EXPECT_TRUE(decodeBody(reread, encoded(tree), true));
            EXPECT_EQ(reread.instructions(), tree.instructions());
        }
    }
}

// --- copyReachable ------------------------------------------------------------

InstructionList listOf(const std::vector<std::array<std::uint16_t, 3>>& recipe) {
    InstructionList list;
    for (const auto& s : recipe) {
        list.push_back(test::makeInstruction(s[0], std::uint8_t(s[1]), std::uint8_t(s[2])));
    }
    return list;
}

TEST(CodeTreeTest, CopyReachableRenumbersInVisitingOrder) {
    // 0 -> 3 / 1; 3 -> 254 / 255; 1 -> 3 / 255; 2 is unreachable.
    CodeTree tree;
    ASSERT_TRUE(tree.setInstructions(
        listOf({{100, 3, 1}, {101, 3, 255}, {102, 254, 255}, {103, 254, 255}})));
    InstructionList copy = tree.copyReachable(0);
    ASSERT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy[0].opcode, 100);
    EXPECT_EQ(copy[1].opcode, 103);
    EXPECT_EQ(copy[2].opcode, 101);
    EXPECT_EQ(copy[0].trueTarget, 1);
    EXPECT_EQ(copy[0].falseTarget, 2);
    EXPECT_EQ(copy[1].trueTarget, 254);
    EXPECT_EQ(copy[1].falseTarget, 255);
    EXPECT_EQ(copy[2].trueTarget, 1);
    EXPECT_EQ(copy[2].falseTarget, 255);
}

TEST(CodeTreeTest, CopyReachableKeepsOperandsAndWorksOnACopy) {
    InstructionList list = listOf({{1, 2, 253}, {9, 9, 9}, {2, 3, 252}, {3, 254, 2}});
    list[3].operands = kSequence;
    InstructionList first = CodeTree::copyReachable(list, 2);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].opcode, 2);
    EXPECT_EQ(first[0].trueTarget, 1);
    EXPECT_EQ(first[0].falseTarget, 252);
    EXPECT_EQ(first[1].opcode, 3);
    EXPECT_EQ(first[1].operands, kSequence);
    EXPECT_EQ(first[1].falseTarget, 0);

    InstructionList second = CodeTree::copyReachable(first, 1);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0].opcode, 3);
    EXPECT_EQ(second[0].falseTarget, 1);
    EXPECT_EQ(second[1].opcode, 2);
    EXPECT_EQ(second[1].trueTarget, 0);
}

TEST(CodeTreeTest, CopyFromOutsideTheListIsEmpty) {
    InstructionList list = listOf({{1, 1, 255}, {2, 0, 255}});
    EXPECT_TRUE(CodeTree::copyReachable(list, 2).empty());
    EXPECT_TRUE(CodeTree::copyReachable(list, 255).empty());
    EXPECT_TRUE(CodeTree::copyReachable(list, 100000).empty());
    EXPECT_TRUE(CodeTree::copyReachable({}, 0).empty());
}

TEST(CodeTreeTest, CopyHandlesCyclesAndSelfLoops) {
    InstructionList list = listOf({{1, 1, 0}, {2, 2, 0}, {3, 2, 1}});
    InstructionList copy = CodeTree::copyReachable(list, 0);
    ASSERT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy[0].trueTarget, 1);
    EXPECT_EQ(copy[0].falseTarget, 0);
    EXPECT_EQ(copy[2].trueTarget, 2);
    EXPECT_EQ(copy[2].falseTarget, 1);
}

TEST(CodeTreeTest, TargetsNamingNoInstructionBecomeTheErrorEnd) {
    // Instruction 0 points at 5 and 251, beyond the three instructions; 252
    // and 253 stay as they are.
    InstructionList list = listOf({{1, 5, 2}, {2, 252, 253}, {3, 251, 1}});
    InstructionList copy = CodeTree::copyReachable(list, 0);
    ASSERT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy[0].trueTarget, kTargetError);
    EXPECT_EQ(copy[0].falseTarget, 1);
    EXPECT_EQ(copy[1].opcode, 3);
    EXPECT_EQ(copy[1].trueTarget, kTargetError);
    EXPECT_EQ(copy[1].falseTarget, 2);
    EXPECT_EQ(copy[2].trueTarget, 252);
    EXPECT_EQ(copy[2].falseTarget, 253);
    for (const Instruction& instruction : copy) {
        EXPECT_TRUE(instruction.trueTarget >= kTargetNoInstruction ||
                    instruction.trueTarget < copy.size());
    }
}

TEST(CodeTreeTest, EndTargetsInsideALongListNeverNameInstructions) {
    // With 300 instructions, 252..255 are still ends and are not followed.
    InstructionList list(300);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].opcode = static_cast<std::uint16_t>(i);
        list[i].trueTarget = 254;
        list[i].falseTarget = 252;
    }
    list[0].trueTarget = 251;
    list[251].trueTarget = 253;
    list[251].falseTarget = 255;
    InstructionList copy = CodeTree::copyReachable(list, 0);
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[1].opcode, 251);
    EXPECT_EQ(copy[0].trueTarget, 1);
    EXPECT_EQ(copy[1].falseTarget, 255);
    EXPECT_TRUE(CodeTree::copyReachable(list, 254).empty());
}

TEST(CodeTreeTest, DenselyLinkedTreeVisitsEveryInstructionOnce) {
    // Every instruction branches to its two successors: many instructions are
    // reached twice before they are visited, which must not overrun anything.
    InstructionList list(252);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].opcode = static_cast<std::uint16_t>(i);
        list[i].trueTarget = static_cast<std::uint8_t>((i + 2) % 252);
        list[i].falseTarget = static_cast<std::uint8_t>((i + 1) % 252);
    }
    InstructionList copy = CodeTree::copyReachable(list, 0);
    ASSERT_EQ(copy.size(), 252u);
    std::vector<bool> seen(252, false);
    for (const Instruction& instruction : copy) {
        EXPECT_FALSE(seen[instruction.opcode]);
        seen[instruction.opcode] = true;
        EXPECT_LT(instruction.trueTarget, 252);
        EXPECT_LT(instruction.falseTarget, 252);
        // the renumbered targets still point at the same instructions
        EXPECT_EQ(copy[instruction.trueTarget].opcode, (instruction.opcode + 2) % 252);
        EXPECT_EQ(copy[instruction.falseTarget].opcode, (instruction.opcode + 1) % 252);
    }
}

TEST(CodeTreeTest, RandomTargetsKeepCopiesConsistent) {
    std::mt19937 random(99);
    for (int round = 0; round < 200; ++round) {
        InstructionList list(1 + random() % 260);
        for (std::size_t i = 0; i < list.size(); ++i) {
            list[i].opcode = static_cast<std::uint16_t>(i);
            list[i].trueTarget = static_cast<std::uint8_t>(random());
            list[i].falseTarget = static_cast<std::uint8_t>(random() % (list.size() + 4));
        }
        std::size_t from = random() % 256;
        InstructionList copy = CodeTree::copyReachable(list, from);
        const std::size_t limit = std::min<std::size_t>(list.size(), 252);
        if (from >= limit) {
            EXPECT_TRUE(copy.empty());
            continue;
        }
        ASSERT_FALSE(copy.empty());
        EXPECT_EQ(copy[0].opcode, from);
        for (const Instruction& instruction : copy) {
            const Instruction& original = list[instruction.opcode];
            for (auto [copied, old] : {std::pair{instruction.trueTarget, original.trueTarget},
                                       std::pair{instruction.falseTarget, original.falseTarget}}) {
                if (old >= kTargetNoInstruction) {
                    EXPECT_EQ(copied, old);
                } else if (old >= limit) {
                    EXPECT_EQ(copied, kTargetError);
                } else {
                    ASSERT_LT(copied, copy.size());
                    EXPECT_EQ(copy[copied].opcode, old);
                }
            }
        }
    }
}

// --- chunk object behaviour ---------------------------------------------------

TEST(CodeTreeTest, AssignCopiesTheTree) {
    CodeTree source;
    source.setLocalCount(10);
    source.setTreeVersion(1);
    ASSERT_TRUE(source.append(test::makeInstruction(2, 254, 255, kSequence)));
    CodeTree copy;
    copy.assign(source);
    EXPECT_EQ(copy.localCount(), 10);
    EXPECT_EQ(copy.treeVersion(), 1u);
    EXPECT_EQ(copy.instructions(), source.instructions());
    EXPECT_TRUE(copy.ownsChunk());
}

TEST(CodeTreeTest, AttachEncodeInPlaceAndSaveTo) {
    IffFileTable table(systemFileSystem());
    IffView view(table);
    Bytes body = buildBhavBody({}, {record(2, 254, 255, kSequence)}, true);
    ASSERT_TRUE(view.addBytes(kTypeBhav, 4124, "Chance Cards", body.data(), body.size()));
    IffChunk* chunk = view.find(kTypeBhav, 4124);
    ASSERT_NE(chunk, nullptr);
    chunk->flags = 0;  // a big-endian game chunk

    CodeTree tree;
    ASSERT_TRUE(tree.attachTo(view, *chunk));
    EXPECT_EQ(tree.instructions()[0].operands, (Operands{2, 1, 4, 3, 5, 6, 7, 8}));
    ASSERT_TRUE(tree.encodeInPlace());
    EXPECT_EQ(chunk->flags, kFlagLittleEndian);
    EXPECT_EQ(chunk->body(), buildBhavBody({}, {record(2, 254, 255, {2, 1, 4, 3, 5, 6, 7, 8})}));

    // A stand-alone tree saved under a new id adds a chunk that reads back.
    CodeTree fresh;
    ASSERT_TRUE(fresh.append(test::makeInstruction(0x1068, 254, 255)));
    ASSERT_TRUE(fresh.saveAs(view, kTypeBhav, 4200, "Chance Cards", 0));
    IffChunk* added = view.find(kTypeBhav, 4200);
    ASSERT_NE(added, nullptr);
    CodeTree reread;
    ASSERT_TRUE(reread.attachTo(view, *added));
    EXPECT_EQ(reread.instructions(), fresh.instructions());
}

// --- command line -------------------------------------------------------------

#ifdef JF_CLI_PATH
TEST(CodeTreeTest, CliDumpsATree) {
    namespace fs = std::filesystem;
    fs::path path = fs::temp_directory_path() / ("jf-bhav-" + std::to_string(::getpid()) + ".iff");
    {
        IffFileTable table(systemFileSystem());
        IffView view(table);
        BhavHeader header;
        header.treeType = 1;
        header.argumentCount = 2;
        header.localCount = 10;
        header.flags = 3;
        header.version = 7;
        Bytes body =
            buildBhavBody(header, {record(2, 1, 255, kSequence), record(23, 254, 253, {})}, true);
        ASSERT_TRUE(view.addBytes(kTypeBhav, 4124, "tree", body.data(), body.size()));
        view.find(kTypeBhav, 4124)->flags = 0;
        Bytes damaged = {0x02, 0x80, 0x05, 0x00};
        ASSERT_TRUE(view.addBytes(kTypeBhav, 4125, "damaged", damaged.data(), damaged.size()));
        ASSERT_TRUE(table.writeContainerToPath(path.string(), view.slot()));
    }

    test::CliResult ok = test::runCli({"bhav", "dump", path.string(), "4124"});
    ASSERT_EQ(ok.exitCode, 0);
    nlohmann::json document = nlohmann::json::parse(ok.out);
    EXPECT_EQ(document["signature"], 0x8002);
    EXPECT_EQ(document["treeType"], 1);
    EXPECT_EQ(document["argCount"], 2);
    EXPECT_EQ(document["localCount"], 10);
    EXPECT_EQ(document["flags"], 3);
    EXPECT_EQ(document["version"], 7);
    ASSERT_EQ(document["instructions"].size(), 2u);
    EXPECT_EQ(document["instructions"][0]["opcode"], 2);
    EXPECT_EQ(document["instructions"][0]["true"], 1);
    EXPECT_EQ(document["instructions"][0]["false"], 255);
    EXPECT_EQ(document["instructions"][0]["operands"],
              nlohmann::json::array({2, 1, 4, 3, 5, 6, 7, 8}));
    EXPECT_EQ(document["instructions"][1]["opcode"], 23);

    EXPECT_EQ(test::runCli({"bhav", "dump", path.string(), "0x101C"}).exitCode, 0);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string(), "4125"}).exitCode, 1);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string(), "999"}).exitCode, 1);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string() + "-missing", "4124"}).exitCode, 1);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string()}).exitCode, 2);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string(), "70000"}).exitCode, 2);
    EXPECT_EQ(test::runCli({"bhav", "dump", path.string(), "x"}).exitCode, 2);
    fs::remove(path);
}
#endif

}  // namespace
}  // namespace jf
