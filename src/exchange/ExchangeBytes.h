#pragma once
// Little-endian byte helpers for the exchange file bodies.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace jf::exchange {

using Bytes = std::vector<std::uint8_t>;

inline void appendU32(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 16) & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 24) & 0xFF));
}

// The unsigned 32-bit value at bytes[offset..offset+4); the caller checks
// that the four bytes are there.
inline std::uint32_t u32At(const std::uint8_t* bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) | (std::uint32_t(bytes[offset + 1]) << 8) |
           (std::uint32_t(bytes[offset + 2]) << 16) | (std::uint32_t(bytes[offset + 3]) << 24);
}

}  // namespace jf::exchange
