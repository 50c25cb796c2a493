#include "careers/CodeTree.h"

#include <algorithm>
#include <new>
#include <utility>

#include "iff/ChunkStream.h"
#include "platform/ByteOrder.h"

namespace jf {

namespace {

// Opcodes whose operands need a conversion of their own when a big-endian
// body is read.
constexpr std::uint16_t kOpcodeExpression = 2;
constexpr std::uint16_t kOpcodeKeepOperands13 = 13;
constexpr std::uint16_t kOpcodeKeepOperands24 = 24;
constexpr std::uint16_t kOpcodeKeepOperands26 = 26;
constexpr std::uint16_t kOpcodeWords0And2 = 27;
constexpr std::uint16_t kOpcodeFirstWordOnly = 42;
constexpr std::uint16_t kOpcodeWords0And1 = 44;

// The old form keeps its instruction count in the 15 low bits of the
// signature word.
constexpr std::size_t kMaxOldFormInstructions = 0x7FFF;
constexpr std::size_t kOldFormHeaderSize = 2;

// Number of possible branch target values (a target is one byte).
constexpr std::size_t kTargetValues = 256;

void swapWord(Instruction& instruction, std::size_t index) {
    instruction.setWord(index, swap16(instruction.word(index)));
}

// Converts the operands of an instruction read from a big-endian body to the
// little-endian layout. Listed words are byte-swapped in place; words are
// never exchanged with one another.
void convertOperandsFromBigEndian(Instruction& instruction) {
    switch (instruction.opcode) {
        case kOpcodeExpression:
        case kOpcodeWords0And1:
            swapWord(instruction, 0);
            swapWord(instruction, 1);
            break;
        case kOpcodeKeepOperands13:
        case kOpcodeKeepOperands24:
        case kOpcodeKeepOperands26:
            break;
        case kOpcodeWords0And2:
            swapWord(instruction, 0);
            swapWord(instruction, 2);
            break;
        case kOpcodeFirstWordOnly:
            // Only the first word is a 16-bit value; it is byte-swapped like
            // every other word, so the conversion loses nothing and can be
            // undone. Bytes 2-7 are kept. (Squashing the word to 0 or 0xFFFF
            // by its sign would destroy the operand.)
            swapWord(instruction, 0);
            break;
        default:
            for (std::size_t i = 0; i < kOperandWords; ++i) {
                swapWord(instruction, i);
            }
            break;
    }
}

Instruction instructionFromBytes(const std::uint8_t* bytes) {
    Instruction instruction;
    instruction.opcode = readLE16(bytes);
    instruction.trueTarget = bytes[2];
    instruction.falseTarget = bytes[3];
    for (std::size_t i = 0; i < kOperandBytes; ++i) {
        instruction.operands[i] = bytes[4 + i];
    }
    return instruction;
}

bool writeInstruction(ChunkStream& stream, const Instruction& instruction) {
    return stream.writeU16(instruction.opcode) && stream.writeU8(instruction.trueTarget) &&
           stream.writeU8(instruction.falseTarget) &&
           stream.writeBytes(instruction.operands.data(), instruction.operands.size());
}

}  // namespace

std::uint16_t Instruction::word(std::size_t index) const {
    if (index >= kOperandWords) {
        return 0;
    }
    return readLE16(operands.data() + 2 * index);
}

void Instruction::setWord(std::size_t index, std::uint16_t value) {
    if (index >= kOperandWords) {
        return;
    }
    writeLE16(operands.data() + 2 * index, value);
}

CodeTree::CodeTree() = default;

void CodeTree::resetFields() {
    signature_ = kDefaultSignature;
    treeType_ = 0;
    argumentCount_ = 0;
    localCount_ = 0;
    flags_ = 0;
    treeVersion_ = 0;
    instructions_.clear();
}

void CodeTree::assign(const ChunkObject& other) {
    if (this == &other) {
        return;
    }
    ChunkObject::assign(other);
    if (const auto* tree = dynamic_cast<const CodeTree*>(&other)) {
        signature_ = tree->signature_;
        treeType_ = tree->treeType_;
        argumentCount_ = tree->argumentCount_;
        localCount_ = tree->localCount_;
        flags_ = tree->flags_;
        treeVersion_ = tree->treeVersion_;
        instructions_ = tree->instructions_;
    }
}

bool CodeTree::decode() {
    resetFields();
    IffChunk* body = chunk();
    if (body == nullptr || body->size < kHeaderSize) {
        return false;
    }
    ChunkStream stream(*body);
    const bool bigEndian = !body->littleEndian();

    std::uint16_t signature = 0;
    if (!stream.readU16Ordered(signature)) {
        return false;
    }
    signature_ = signature;

    std::size_t count = 0;
    std::size_t needed = 0;
    if ((signature & kHeaderFormBit) != 0) {
        std::uint16_t storedCount = 0;
        std::uint8_t header[4] = {};
        std::uint32_t version = 0;
        if (!stream.readU16Ordered(storedCount) || !stream.readBytes(header, sizeof header) ||
            !stream.readU32Ordered(version)) {
            return false;
        }
        treeType_ = header[0];
        argumentCount_ = header[1];
        localCount_ = header[2];
        flags_ = header[3];
        treeVersion_ = version;
        count = storedCount;
        needed = kInstructionSize * (count + 1);
    } else {
        // Old form: the signature is the count; the instructions follow it.
        count = signature;
        needed = kOldFormHeaderSize + kInstructionSize * count;
    }
    // The count comes from the file: check it against the body before
    // allocating anything for it.
    if (body->size < needed) {
        return false;
    }
    try {
        instructions_.reserve(count);
    } catch (const std::bad_alloc&) {
        return false;
    }

    std::uint8_t bytes[kInstructionSize];
    for (std::size_t i = 0; i < count; ++i) {
        if (!stream.readBytes(bytes, sizeof bytes)) {
            return false;
        }
        Instruction instruction = instructionFromBytes(bytes);
        if (bigEndian) {
            instruction.opcode = swap16(instruction.opcode);
            convertOperandsFromBigEndian(instruction);
        }
        instructions_.push_back(instruction);
    }
    return true;
}

bool CodeTree::encode() {
    IffChunk* body = chunk();
    if (body == nullptr) {
        return false;
    }
    ChunkStream stream(*body);
    if (!stream.setLength(0)) {
        return false;
    }
    stream.setPosition(0);

    const std::size_t count = instructions_.size();
    bool ok = true;
    if ((signature_ & kHeaderFormBit) == 0 && count > 0 && count <= kMaxOldFormInstructions) {
        // A tree read in the old form is written back in the old form, with
        // the current count as its signature word: a header behind a
        // signature without bit 15 would be read back as instructions.
        ok = stream.writeU16(static_cast<std::uint16_t>(count));
    } else {
        // An old-form tree that the old form cannot hold (no instructions,
        // which would make a body too short to read back, or more than 0x7FFF)
        // is written in the header form with the default signature.
        const std::uint16_t signature =
            (signature_ & kHeaderFormBit) != 0 ? signature_ : kDefaultSignature;
        ok = stream.writeU16(signature) && stream.writeU16(static_cast<std::uint16_t>(count)) &&
             stream.writeU8(treeType_) && stream.writeU8(argumentCount_) &&
             stream.writeU8(localCount_) && stream.writeU8(flags_) && stream.writeU32(treeVersion_);
    }
    for (std::size_t i = 0; ok && i < count; ++i) {
        ok = writeInstruction(stream, instructions_[i]);
    }
    if (!ok) {
        return false;
    }
    body->flags = static_cast<std::uint16_t>(body->flags | kFlagLittleEndian);
    return true;
}

const Instruction* CodeTree::instructionAt(std::size_t index) const {
    return index < instructions_.size() ? &instructions_[index] : nullptr;
}

Instruction* CodeTree::instructionAt(std::size_t index) {
    return index < instructions_.size() ? &instructions_[index] : nullptr;
}

bool CodeTree::append(const Instruction& instruction) {
    if (instructions_.size() >= kMaxInstructions) {
        return false;
    }
    try {
        instructions_.push_back(instruction);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool CodeTree::setInstructions(InstructionList list) {
    if (list.size() > kMaxInstructions) {
        return false;
    }
    instructions_ = std::move(list);
    return true;
}

InstructionList CodeTree::copyReachable(std::size_t from) const {
    return copyReachable(instructions_, from);
}

InstructionList CodeTree::copyReachable(const InstructionList& list, std::size_t from) {
    InstructionList result;
    // Only 0..251 can name an instruction.
    const std::size_t limit = std::min<std::size_t>(list.size(), kTargetNoInstruction);
    if (from >= limit) {
        return result;
    }

    constexpr int kUnvisited = -1;
    std::array<int, kTargetValues> newIndex;
    newIndex.fill(kUnvisited);
    for (std::size_t t = kTargetNoInstruction; t < kTargetValues; ++t) {
        newIndex[t] = static_cast<int>(t);
    }
    // Each index enters the queue at most once, so the queue never holds
    // more than 252 entries however the targets point. Skipping repeats when
    // queueing gives the same visiting order as skipping them when taken.
    std::array<bool, kTargetValues> queued{};
    std::array<std::uint8_t, kTargetValues> queue{};
    std::size_t head = 0;
    std::size_t tail = 0;
    queue[tail++] = static_cast<std::uint8_t>(from);
    queued[from] = true;
    result.reserve(limit);

    while (head < tail) {
        const std::uint8_t index = queue[head++];
        const Instruction& instruction = list[index];
        newIndex[index] = static_cast<int>(result.size());
        for (std::uint8_t target : {instruction.trueTarget, instruction.falseTarget}) {
            if (target < limit && !queued[target]) {
                queued[target] = true;
                queue[tail++] = target;
            }
        }
        result.push_back(instruction);
    }

    // Targets that name no instruction (count..251) become the error end.
    auto renumber = [&newIndex](std::uint8_t target) {
        const int mapped = newIndex[target];
        return mapped == kUnvisited ? kTargetError : static_cast<std::uint8_t>(mapped);
    };
    for (Instruction& instruction : result) {
        instruction.trueTarget = renumber(instruction.trueTarget);
        instruction.falseTarget = renumber(instruction.falseTarget);
    }
    return result;
}

}  // namespace jf
