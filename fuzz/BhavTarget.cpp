// BHAV code trees: decode, copyReachable from a fuzzed start, encode, decode.
//
// copyReachable must give at most 252 instructions, each target naming one
// of the copy's instructions or one of the four ends, and the copy of a copy
// from 0 is the copy itself (the numbering is canonical). What decodes must
// come back with the same header and instructions; an old-form tree that the
// old form cannot hold comes back in the header form with the default
// signature.
//
// Input: byte 0 bit 0 chooses the byte order (set: little-endian), byte 1 is
// the start instruction for copyReachable, the rest is the body.
#include <algorithm>

#include "FuzzSupport.h"
#include "careers/CodeTree.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace bhav_target {

constexpr const char* kTarget = "bhav";
constexpr std::size_t kMaxOldFormInstructions = 0x7FFF;

void checkCopy(const InstructionList& list, std::size_t from) {
    const InstructionList copy = CodeTree::copyReachable(list, from);
    const std::size_t limit = std::min<std::size_t>(list.size(), kTargetNoInstruction);
    if (from >= limit) {
        check(copy.empty(), kTarget, "a copy from outside the tree is not empty");
        return;
    }
    check(!copy.empty() && copy.size() <= limit, kTarget, "copy size out of bounds");
    check(copy[0].opcode == list[from].opcode && copy[0].operands == list[from].operands, kTarget,
          "the copy does not start with the start instruction");
    for (const Instruction& instruction : copy) {
        for (std::uint8_t target : {instruction.trueTarget, instruction.falseTarget}) {
            check(target < copy.size() || target >= kTargetNoInstruction, kTarget,
                  "a copied target names no instruction of the copy");
        }
    }
    check(CodeTree::copyReachable(copy, 0) == copy, kTarget, "copying the copy renumbers it again");
}

}  // namespace bhav_target

int runBhav(const std::uint8_t* data, std::size_t size) {
    using namespace bhav_target;
    if (size < 2) {
        return 0;
    }
    CodeTree tree;
    const bool decoded = decodeBody(tree, data + 2, size - 2, (data[0] & 1) != 0);
    // Damaged trees are walked as well: the card reader copies whatever was read.
    checkCopy(tree.instructions(), data[1]);
    checkCopy(tree.instructions(), 0);
    if (!decoded) {
        return 0;
    }
    Bytes body;
    check(encodeBody(tree, body), kTarget, "encode failed");
    CodeTree again;
    check(decodeBody(again, body.data(), body.size(), true), kTarget,
          "the encoded body does not decode");
    check(again.instructions() == tree.instructions(), kTarget, "the instructions changed");
    const bool oldForm = (tree.signature() & CodeTree::kHeaderFormBit) == 0;
    const bool keepsOldForm =
        tree.instructionCount() > 0 && tree.instructionCount() <= kMaxOldFormInstructions;
    if (oldForm && !keepsOldForm) {
        check(again.signature() == CodeTree::kDefaultSignature, kTarget,
              "an old-form tree without a fitting count kept its signature");
    } else {
        check(again.signature() == tree.signature(), kTarget, "the signature changed");
    }
    check(again.treeType() == tree.treeType() && again.argumentCount() == tree.argumentCount() &&
              again.localCount() == tree.localCount() && again.flags() == tree.flags() &&
              again.treeVersion() == tree.treeVersion(),
          kTarget, "the header changed");
    Bytes second;
    check(encodeBody(again, second) && second == body, kTarget,
          "encoding the decoded body again gives other bytes");
    return 0;
}

}  // namespace jf::fuzz
