#pragma once
// CRC-32 as zlib, PNG and Ethernet compute it (reflected polynomial
// 0xEDB88320, initial value and final xor 0xFFFFFFFF): "123456789" gives
// 0xCBF43926. Used to tell whether a file holds exactly the bytes written.

#include <cstddef>
#include <cstdint>

namespace jf {

// The checksum of `size` bytes; `previous` continues the checksum of the
// bytes before them (0 for the start).
std::uint32_t crc32(const void* bytes, std::size_t size, std::uint32_t previous = 0);

}  // namespace jf
