#pragma once
// Reading chance cards out of the card code trees of the chance card object
// file, and generating new trees from the cards.
//
// The card code starts at a root tree (4124, or 4134 once a later expansion
// pack is installed) that may call subroutine trees (opcodes 4096..8191).
// Inside the trees a card is recognised by fixed patterns: a career test
// (is the sim's career track T?) leads to level tests (is the job level g?),
// each followed by the card's instructions: budget and skill checks, play
// sound, card text, budget, skill and job changes.
//
// Instruction patterns (operand bytes 0..7; word n = bytes 2n, 2n+1, LE):
//   career test    op 2   38 00, track id, 00 02 12 07     first level / next career test or 255
//   level test     op 2   39 00, level, 00 02 12 07        next / next level test or 255
//   budget check   op 25  03 07, amount, 01 00 00 00       next / 255
//   skill check    op 2   skill 00, points - 1, 00 00 12 07  next / 255
//   play sound     op 23  sound, 00 00, 00 00 00 00        next / 253
//   card text      op 36  00 2C, textIndex, 00 00 04 08    next / 253
//   budget change  op 25  03 07, amount, 02 add | 00 sub, 00 00 00   next / next
//   skill change   op 2   skill 00, points, 00, 03 add | 04 sub, 12 07   next / 253
//   job change     op 2   38 00 | 39 00, number, 00 05 12 07   next / 253
//   tree call      op id  FF x 8                           254 / 255

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "careers/ChanceCard.h"
#include "careers/CodeTree.h"

namespace jf {

class IffView;

// The global texts table of the chance card object file.
inline constexpr std::uint16_t kGlobalTextsChunkId = 301;
// Root trees of the card code.
inline constexpr std::uint16_t kCardRootTreeId = 4124;           // 0x101C
inline constexpr std::uint16_t kCardRootTreeIdExpansion = 4134;  // 0x1026
// installedPacks bits 0-4; any bit above selects kCardRootTreeIdExpansion.
inline constexpr std::uint32_t kEarlyPacksMask = 0x1F;
// Opcodes in this range call the tree with that id.
inline constexpr std::uint16_t kFirstSubroutineTreeId = 4096;
inline constexpr std::uint16_t kLastSubroutineTreeId = 8191;
// cardTreeIds has room for the root and seven subroutine trees.
inline constexpr std::size_t kMaxCardTrees = 8;
// Label of every generated tree.
inline constexpr const char* kCardTreeLabel = "Chance Cards";

// One free flag per global texts entry 0..299.
inline constexpr std::size_t kFreeTextFlagCount = 300;
using FreeTextFlags = std::array<bool, kFreeTextFlagCount>;
// Card texts are only given entries 0..255.
inline constexpr std::size_t kCardTextEntries = 256;

// Generated trees: at most 248 instructions of opening and track blocks,
// and behind them room for one tree call (so at most 249 instructions).
inline constexpr std::size_t kMaxTreeContent = 248;
inline constexpr std::size_t kOpeningInstructions = 6;
inline constexpr std::size_t kContinuationInstructions = 4;
inline constexpr std::uint8_t kOpeningClosingIndex = 5;
inline constexpr std::uint8_t kContinuationClosingIndex = 3;
// The longest track block any generated tree can hold (behind the four
// continuation instructions). Longer blocks cannot be saved.
inline constexpr std::size_t kMaxTrackBlock = kMaxTreeContent - kContinuationInstructions;

// Loading limits against damaged or hostile trees: the same card code can be
// reached from many career tests, and every match is decoded. A card with
// more items than any tree could hold again, or more items in all, makes
// the load fail instead of growing without bound.
inline constexpr std::size_t kMaxCardItems = 256;
inline constexpr std::size_t kMaxTotalCardItems = std::size_t{1} << 20;

// Header of every generated tree.
inline constexpr std::uint16_t kCardTreeSignature = 0x8002;
inline constexpr std::uint8_t kCardTreeLocalCount = 10;
inline constexpr std::uint32_t kCardTreeVersion = 1;

// The root tree id for an installed-packs mask.
std::uint16_t cardRootTreeId(std::uint32_t installedPacks);

// The card trees reachable from the root through tree calls.
struct CardTrees {
    // cardTreeIds: entry 0 the root, then the called trees in the order
    // found, at most kMaxCardTrees. An entry is 0 when its tree is missing
    // or does not decode. Each id is listed once: a tree called again (or
    // calling the root or itself) is not examined twice, which also ends
    // call cycles. Calls found after eight ids are listed are ignored; their
    // trees are then neither read nor removed.
    std::vector<std::uint16_t> ids;
    // The instructions of each tree, parallel to ids (empty for 0 entries).
    std::vector<InstructionList> trees;
};

// Finds the card trees from rootId (attaching a temporary CodeTree to each,
// which loads its body). The container is not changed.
CardTrees findCardTrees(IffView& cardView, std::uint16_t rootId);

// Where recognised card text instructions stand: tree id -> instruction indices.
using CardTextSites = std::map<std::uint16_t, std::set<std::size_t>>;

// Decodes the cards of every track (trackIds by position) out of the trees.
// `cards` receives one TrackCards per track; `textSites` (optional) the
// card text instructions that were decoded into a card. False, with `cards`
// then unspecified, when a card would exceed kMaxCardItems or all cards
// kMaxTotalCardItems. Work is bounded for any trees.
bool decodeChanceCards(const CardTrees& trees, const std::vector<std::uint16_t>& trackIds,
                       std::vector<TrackCards>& cards, CardTextSites* textSites = nullptr);

// Clears in `freeFlags` the entry (byte - 1) of every non-zero operand byte
// 0, 1, 2, 3, 4 and 6 of every opcode-36 (dialog) instruction, and the entry
// (word 1 - 1) when word 1 is 1..300, so that a card text in entry 255
// (textIndex 256, whose byte 2 is 0) is not taken for free.
void markReferencedTexts(const InstructionList& tree, FreeTextFlags& freeFlags);
// The same for the entries a dialog refers to other than as the text of a
// recognised card: every reference except word 1 of the instructions whose
// indices are in `cardTexts`.
void markPinnedTexts(const InstructionList& tree, const std::set<std::size_t>& cardTexts,
                     FreeTextFlags& pinned);

// The block of one track, with targets relative to the block start: the
// career test, then for every level with items its level test, checks,
// sounds, card text and changes. A track without cards gives the career
// test alone. False when the block would be longer than kMaxTrackBlock.
bool buildTrackBlock(std::uint16_t trackId, const TrackCards& cards, InstructionList& block);

struct GeneratedTree {
    std::uint16_t id = 0;
    InstructionList instructions;
};

// Joins the track blocks (blocks of fewer than two instructions are left
// out) into the first tree, with id firstId and the six opening
// instructions, and as many continuation trees as needed, each linked from
// the one before by a tree call. Continuation ids are the entries of
// cardTreeIds after the one used last that are not 0, differ from the
// current tree and for which bhavExists() is false; after those, the lowest
// such id from 4096 up to 8191. bhavExists() answers for the container as
// it will be before the generated trees are added; ids of generated trees
// are excluded here. False when a block does not fit a tree of its own (the
// first block more than 242 instructions, a later one more than 244) or
// no id is left.
bool assembleCardTrees(const std::vector<InstructionList>& blocks,
                       const std::vector<std::uint16_t>& cardTreeIds, std::uint16_t firstId,
                       const std::function<bool(std::uint16_t)>& bhavExists,
                       std::vector<GeneratedTree>& trees);

// The BHAV body of a generated tree (signature 0x8002, tree type 0, argument
// count 0, local count 10, flags 0, version 1). False when memory runs out.
bool encodeCardTree(const GeneratedTree& tree, std::vector<std::uint8_t>& body);

}  // namespace jf
