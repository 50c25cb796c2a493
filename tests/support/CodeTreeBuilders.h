#pragma once
// Builds raw BHAV and BCON bodies for tests, independently of the codecs,
// and loads bodies into chunk objects with a chosen byte order.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "careers/CodeTree.h"

namespace jf {
class ChunkObject;
}

namespace jf::test {

// One instruction record as it stands in a body: the opcode is written in
// the body's byte order, the operand bytes exactly as given (so a big-endian
// record carries its operands already in big-endian form).
struct RawInstruction {
    std::uint16_t opcode = 0;
    std::uint8_t trueTarget = 0;
    std::uint8_t falseTarget = 0;
    std::array<std::uint8_t, 8> operands{};
};

// Header of a BHAV body in the header form.
struct BhavHeader {
    std::uint16_t signature = 0x8002;
    // Written as the count field; the number of records when empty.
    std::optional<std::uint16_t> count;
    std::uint8_t treeType = 0;
    std::uint8_t argumentCount = 0;
    std::uint8_t localCount = 0;
    std::uint8_t flags = 0;
    std::uint32_t version = 0;
};

Instruction makeInstruction(std::uint16_t opcode, std::uint8_t trueTarget, std::uint8_t falseTarget,
                            std::array<std::uint8_t, 8> operands = {});
RawInstruction rawOf(const Instruction& instruction);

// Header form: 12-byte header, then the records (12 bytes each).
std::vector<std::uint8_t> buildBhavBody(const BhavHeader& header,
                                        const std::vector<RawInstruction>& records,
                                        bool bigEndian = false);
// Old form: the signature word holds `count` (the number of records when
// empty), the records follow at offset 2.
std::vector<std::uint8_t> buildOldFormBhavBody(const std::vector<RawInstruction>& records,
                                               bool bigEndian = false,
                                               std::optional<std::uint16_t> count = {});

// A tree of instructions given as (opcode, true, false) with zero operands.
std::vector<RawInstruction> linkedRecords(
    const std::vector<std::array<std::uint16_t, 3>>& opcodeAndTargets);

// BCON: the first word as given (bit 15 flag, bits 0-14 count), then values.
std::vector<std::uint8_t> buildBconBody(std::uint16_t firstWord,
                                        const std::vector<std::int16_t>& values,
                                        bool bigEndian = false);

// Puts `body` into the object's own chunk with flag 0x10 set (little-endian)
// or clear (big-endian) and decodes it; returns the result of decode().
bool decodeBody(ChunkObject& object, const std::vector<std::uint8_t>& body, bool littleEndian);

}  // namespace jf::test
