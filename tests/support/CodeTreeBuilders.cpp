#include "support/CodeTreeBuilders.h"

#include <algorithm>

#include "iff/ChunkObject.h"
#include "iff/IffChunk.h"

namespace jf::test {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t value, bool bigEndian) {
    if (bigEndian) {
        out.push_back(static_cast<std::uint8_t>(value >> 8));
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    } else {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value, bool bigEndian) {
    if (bigEndian) {
        put16(out, static_cast<std::uint16_t>(value >> 16), true);
        put16(out, static_cast<std::uint16_t>(value & 0xFFFF), true);
    } else {
        put16(out, static_cast<std::uint16_t>(value & 0xFFFF), false);
        put16(out, static_cast<std::uint16_t>(value >> 16), false);
    }
}

void putRecords(std::vector<std::uint8_t>& out, const std::vector<RawInstruction>& records,
                bool bigEndian) {
    for (const RawInstruction& record : records) {
        put16(out, record.opcode, bigEndian);
        out.push_back(record.trueTarget);
        out.push_back(record.falseTarget);
        out.insert(out.end(), record.operands.begin(), record.operands.end());
    }
}

}  // namespace

Instruction makeInstruction(std::uint16_t opcode, std::uint8_t trueTarget, std::uint8_t falseTarget,
                            std::array<std::uint8_t, 8> operands) {
    Instruction instruction;
    instruction.opcode = opcode;
    instruction.trueTarget = trueTarget;
    instruction.falseTarget = falseTarget;
    std::copy(operands.begin(), operands.end(), instruction.operands.begin());
    return instruction;
}

RawInstruction rawOf(const Instruction& instruction) {
    RawInstruction record;
    record.opcode = instruction.opcode;
    record.trueTarget = instruction.trueTarget;
    record.falseTarget = instruction.falseTarget;
    std::copy(instruction.operands.begin(), instruction.operands.end(), record.operands.begin());
    return record;
}

std::vector<std::uint8_t> buildBhavBody(const BhavHeader& header,
                                        const std::vector<RawInstruction>& records,
                                        bool bigEndian) {
    std::vector<std::uint8_t> out;
    put16(out, header.signature, bigEndian);
    put16(out, header.count.value_or(static_cast<std::uint16_t>(records.size())), bigEndian);
    out.push_back(header.treeType);
    out.push_back(header.argumentCount);
    out.push_back(header.localCount);
    out.push_back(header.flags);
    put32(out, header.version, bigEndian);
    putRecords(out, records, bigEndian);
    return out;
}

std::vector<std::uint8_t> buildOldFormBhavBody(const std::vector<RawInstruction>& records,
                                               bool bigEndian, std::optional<std::uint16_t> count) {
    std::vector<std::uint8_t> out;
    put16(out, count.value_or(static_cast<std::uint16_t>(records.size())), bigEndian);
    putRecords(out, records, bigEndian);
    return out;
}

std::vector<RawInstruction> linkedRecords(
    const std::vector<std::array<std::uint16_t, 3>>& opcodeAndTargets) {
    std::vector<RawInstruction> records;
    for (const auto& entry : opcodeAndTargets) {
        RawInstruction record;
        record.opcode = entry[0];
        record.trueTarget = static_cast<std::uint8_t>(entry[1]);
        record.falseTarget = static_cast<std::uint8_t>(entry[2]);
        records.push_back(record);
    }
    return records;
}

std::vector<std::uint8_t> buildBconBody(std::uint16_t firstWord,
                                        const std::vector<std::int16_t>& values, bool bigEndian) {
    std::vector<std::uint8_t> out;
    put16(out, firstWord, bigEndian);
    for (std::int16_t value : values) {
        put16(out, static_cast<std::uint16_t>(value), bigEndian);
    }
    return out;
}

bool decodeBody(ChunkObject& object, const std::vector<std::uint8_t>& body, bool littleEndian) {
    IffChunk* chunk = object.chunk();
    if (chunk == nullptr || !chunk->setSize(static_cast<std::uint32_t>(body.size()))) {
        return false;
    }
    std::copy(body.begin(), body.end(), chunk->data.begin());
    chunk->flags = littleEndian ? kFlagLittleEndian : std::uint16_t(0);
    chunk->loaded = true;
    chunk->position = 0;
    return object.decode();
}

}  // namespace jf::test
