#pragma once
// One chunk of an IFF container held in memory.

#include <cstdint>
#include <string>
#include <vector>

namespace jf {

// Four ASCII characters as a big-endian 32-bit code: 'S','T','R','#' -> 0x53545223.
constexpr std::uint32_t makeTypeCode(char a, char b, char c, char d) {
    return (std::uint32_t(std::uint8_t(a)) << 24) | (std::uint32_t(std::uint8_t(b)) << 16) |
           (std::uint32_t(std::uint8_t(c)) << 8) | std::uint32_t(std::uint8_t(d));
}

inline constexpr std::uint32_t kTypeStr = makeTypeCode('S', 'T', 'R', '#');
inline constexpr std::uint32_t kTypeRsmp = makeTypeCode('r', 's', 'm', 'p');
inline constexpr std::uint32_t kTypeCarr = makeTypeCode('C', 'A', 'R', 'R');
inline constexpr std::uint32_t kTypeBcon = makeTypeCode('B', 'C', 'O', 'N');
inline constexpr std::uint32_t kTypeBhav = makeTypeCode('B', 'H', 'A', 'V');

// "STR#" from 0x53545223. Bytes are copied as they are.
std::string typeCodeToString(std::uint32_t type);
// The reverse; false unless the text is exactly four bytes.
bool typeCodeFromString(const std::string& text, std::uint32_t& type);

// Flag bit: the body is stored little-endian.
inline constexpr std::uint16_t kFlagLittleEndian = 0x0010;
// Flag bit: the scan pass of a container skips this chunk.
inline constexpr std::uint16_t kFlagSkipped = 0x0004;

inline constexpr std::uint32_t kChunkHeaderSize = 76;
inline constexpr std::size_t kLabelFieldSize = 64;
inline constexpr std::size_t kBodyGranule = 64;

struct IffChunk {
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t flags = kFlagLittleEndian;
    std::string label;
    // The body buffer; data.size() is the capacity (a multiple of 64, at least 64).
    std::vector<std::uint8_t> data = std::vector<std::uint8_t>(kBodyGranule, 0);
    std::uint32_t position = 0;    // cursor of the chunk stream
    std::uint32_t size = 0;        // body length in bytes
    std::uint32_t dataOffset = 0;  // body offset in the backing file; 0 when made in memory
    bool loaded = false;

    std::uint32_t capacity() const { return static_cast<std::uint32_t>(data.size()); }
    bool littleEndian() const { return (flags & kFlagLittleEndian) != 0; }

    // Sets size to n and replaces the buffer by a zero-filled one of the smallest
    // multiple of 64 not below n (64 for 0). Position becomes 0. False when
    // memory is exhausted (the chunk is then unchanged).
    bool setSize(std::uint32_t n);

    // The body as a vector (size bytes).
    std::vector<std::uint8_t> body() const {
        return std::vector<std::uint8_t>(data.begin(), data.begin() + size);
    }
};

// The smallest multiple of 64 not below n, and 64 for 0.
std::uint32_t roundUpToGranule(std::uint64_t n);

}  // namespace jf
