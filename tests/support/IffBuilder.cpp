#include "support/IffBuilder.h"

namespace jf::test {

namespace {
void be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(std::uint8_t(v >> shift));
    }
}
void be16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}
}  // namespace

std::vector<std::uint8_t> buildIff(const std::vector<RawChunk>& chunks, const std::string& version,
                                   std::uint32_t mapOffset) {
    std::vector<std::uint8_t> out;
    std::string head = "IFF FILE " + version + ":TYPE FOLLOWED BY SIZE";
    head.resize(60, '\0');
    out.insert(out.end(), head.begin(), head.end());
    be32(out, mapOffset);
    for (const RawChunk& c : chunks) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(std::uint8_t(i < int(c.type.size()) ? c.type[i] : ' '));
        }
        be32(out, c.sizeOverride ? c.sizeOverride : std::uint32_t(76 + c.body.size()));
        be16(out, c.id);
        be16(out, c.flags);
        std::string label = c.label;
        label.resize(64, '\0');
        out.insert(out.end(), label.begin(), label.end());
        out.insert(out.end(), c.body.begin(), c.body.end());
    }
    return out;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::uint32_t readBe32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return (std::uint32_t(b.at(at)) << 24) | (std::uint32_t(b.at(at + 1)) << 16) |
           (std::uint32_t(b.at(at + 2)) << 8) | b.at(at + 3);
}
std::uint16_t readBe16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint16_t((b.at(at) << 8) | b.at(at + 1));
}
std::uint32_t readLe32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b.at(at)) | (std::uint32_t(b.at(at + 1)) << 8) |
           (std::uint32_t(b.at(at + 2)) << 16) | (std::uint32_t(b.at(at + 3)) << 24);
}
std::uint16_t readLe16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint16_t(b.at(at) | (b.at(at + 1) << 8));
}

}  // namespace jf::test
