#pragma once
// Builds raw IFF container bytes for tests, independently of the writer.

#include <cstdint>
#include <string>
#include <vector>

namespace jf::test {

struct RawChunk {
    std::string type;  // four characters
    std::uint16_t id = 0;
    std::uint16_t flags = 0x10;
    std::string label;
    std::vector<std::uint8_t> body;
    // When non-zero, written as the size field instead of 76 + body size.
    std::uint32_t sizeOverride = 0;
};

// A 64-byte header with the given version text ("2.0", "2.5", ...) and map
// offset, followed by the chunks as given.
std::vector<std::uint8_t> buildIff(const std::vector<RawChunk>& chunks,
                                   const std::string& version = "2.5", std::uint32_t mapOffset = 0);

std::vector<std::uint8_t> bytesOf(const std::string& text);
std::uint32_t readBe32(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint16_t readBe16(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint32_t readLe32(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::uint16_t readLe16(const std::vector<std::uint8_t>& bytes, std::size_t at);

}  // namespace jf::test
