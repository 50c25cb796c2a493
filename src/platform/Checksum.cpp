#include "platform/Checksum.h"

#include <array>

namespace jf {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1u) != 0 ? (value >> 1) ^ kPolynomial : value >> 1;
        }
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = makeTable();

}  // namespace

std::uint32_t crc32(const void* bytes, std::size_t size, std::uint32_t previous) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    std::uint32_t value = ~previous;
    for (std::size_t i = 0; i < size; ++i) {
        value = kTable[(value ^ in[i]) & 0xFFu] ^ (value >> 8);
    }
    return ~value;
}

}  // namespace jf
