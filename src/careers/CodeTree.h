#pragma once
// Behaviour code trees ("BHAV" chunks): a numbered list of instructions, each
// with a true and a false branch target.
//
// Body layout (little-endian when the chunk carries flag 0x10, else
// big-endian; always written little-endian with the flag set):
//   0  u16  signature (bit 15 set: the header form below)
//   2  u16  instruction count
//   4  u8   tree type
//   5  u8   argument count
//   6  u8   local count
//   7  u8   flags
//   8  u32  tree version
//   12      instructions, 12 bytes each
// In the old form (signature bit 15 clear) the signature word is the
// instruction count, the header fields are 0 and the instructions start at 2.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "iff/ChunkObject.h"

namespace jf {

// Branch targets at or above kTargetNoInstruction never name an instruction.
inline constexpr std::uint8_t kTargetNoInstruction = 252;
// Ends the tree with an error.
inline constexpr std::uint8_t kTargetError = 253;
// Ends the tree with true.
inline constexpr std::uint8_t kTargetTrue = 254;
// Ends the tree with false.
inline constexpr std::uint8_t kTargetFalse = 255;

inline constexpr std::size_t kInstructionSize = 12;
inline constexpr std::size_t kOperandBytes = 8;
inline constexpr std::size_t kOperandWords = 4;

// One instruction: 12 bytes in memory order and file order.
struct Instruction {
    std::uint16_t opcode = 0;
    std::uint8_t trueTarget = 0;
    std::uint8_t falseTarget = 0;
    // Operand bytes 0..7. Word n is bytes 2n and 2n+1, little-endian.
    std::array<std::uint8_t, kOperandBytes> operands{};

    // Operand word 0..3 (little-endian); 0 for an index above 3.
    std::uint16_t word(std::size_t index) const;
    // Sets operand word 0..3; an index above 3 is ignored.
    void setWord(std::size_t index, std::uint16_t value);

    bool operator==(const Instruction&) const = default;
};

using InstructionList = std::vector<Instruction>;

class CodeTree : public ChunkObject {
public:
    static constexpr std::uint16_t kDefaultSignature = 0x8002;
    // Signature bit 15: the body has the full header.
    static constexpr std::uint16_t kHeaderFormBit = 0x8000;
    static constexpr std::size_t kHeaderSize = 12;
    // The count field is 16 bits wide.
    static constexpr std::size_t kMaxInstructions = 0xFFFF;

    // Signature 0x8002, no instructions, header bytes and version 0, with
    // the own empty chunk of ChunkObject.
    CodeTree();

    // Copies the base part (see ChunkObject::assign) and, when `other` is a
    // CodeTree, its header and instructions.
    void assign(const ChunkObject& other) override;
    std::uint32_t typeCode() const override { return kTypeBhav; }

    // Replaces header and instructions by those of the body. False for a
    // body shorter than 12 bytes, a count the body cannot hold, or a short
    // read; the tree then holds the header and the instructions read so far
    // (header defaults and no instructions when nothing could be read).
    // Big-endian bodies are converted to little-endian per opcode.
    bool decode() override;
    // Writes the tree from position 0, cuts the body and sets flag 0x10.
    // Fails only when memory is exhausted.
    bool encode() override;

    std::uint16_t signature() const { return signature_; }
    std::uint8_t treeType() const { return treeType_; }
    std::uint8_t argumentCount() const { return argumentCount_; }
    std::uint8_t localCount() const { return localCount_; }
    std::uint8_t flags() const { return flags_; }
    std::uint32_t treeVersion() const { return treeVersion_; }

    void setSignature(std::uint16_t value) { signature_ = value; }
    void setTreeType(std::uint8_t value) { treeType_ = value; }
    void setArgumentCount(std::uint8_t value) { argumentCount_ = value; }
    void setLocalCount(std::uint8_t value) { localCount_ = value; }
    void setFlags(std::uint8_t value) { flags_ = value; }
    void setTreeVersion(std::uint32_t value) { treeVersion_ = value; }

    // The instructions in index order.
    const InstructionList& instructions() const { return instructions_; }
    std::size_t instructionCount() const { return instructions_.size(); }
    // The instruction at index, or nullptr when index is not below the count.
    // The pointer is valid until the list changes size.
    const Instruction* instructionAt(std::size_t index) const;
    Instruction* instructionAt(std::size_t index);

    // Appends at the end; false (nothing changed) when the tree already holds
    // kMaxInstructions or memory is exhausted.
    bool append(const Instruction& instruction);
    // Replaces the whole list; false (nothing changed) when it is longer
    // than kMaxInstructions.
    bool setInstructions(InstructionList list);
    void clearInstructions() { instructions_.clear(); }

    // The part of this tree reachable from instruction `from`, renumbered in
    // visiting order (see the static overload).
    InstructionList copyReachable(std::size_t from) const;

    // The instructions of `list` reachable from `from` through true and
    // false targets, breadth first (true before false), renumbered in
    // visiting order, targets rewritten to the new numbers. Targets 252..255
    // stay. A target that names no instruction (from the list's length up to
    // 251) becomes kTargetError in the copy, so that it cannot name one of
    // the copy's instructions by accident. `from` not below the length (or
    // 252 and above) gives an empty list. Never reads outside `list`, and
    // visits each instruction at most once, so damaged or cyclic lists are
    // safe.
    static InstructionList copyReachable(const InstructionList& list, std::size_t from);

private:
    void resetFields();

    std::uint16_t signature_ = kDefaultSignature;
    std::uint8_t treeType_ = 0;
    std::uint8_t argumentCount_ = 0;
    std::uint8_t localCount_ = 0;
    std::uint8_t flags_ = 0;
    std::uint32_t treeVersion_ = 0;
    InstructionList instructions_;
};

}  // namespace jf
