#include "support/FarBuilder.h"

namespace jf {

namespace {
constexpr char kFarMagic[] = "FAR!byAZ";
constexpr std::size_t kFarMagicSize = 8;
constexpr std::uint32_t kFarVersion = 1;
constexpr std::size_t kFarHeaderSize = 16;

void appendLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    appendLe16(out, value & 0xFFFF);
    appendLe16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> buildFarArchive(const std::vector<FarBuilderEntry>& entries,
                                          bool shortNameLengths) {
    std::vector<std::uint8_t> out(kFarMagic, kFarMagic + kFarMagicSize);
    appendLe32(out, kFarVersion);
    appendLe32(out, 0);  // directory offset, patched below

    std::vector<std::uint32_t> offsets;
    offsets.reserve(entries.size());
    for (const FarBuilderEntry& entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    }

    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    for (std::size_t i = 0; i < 4; ++i) {
        out[kFarHeaderSize - 4 + i] =
            static_cast<std::uint8_t>((directoryOffset >> (8 * i)) & 0xFF);
    }
    appendLe32(out, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto length = static_cast<std::uint32_t>(entries[i].second.size());
        const auto nameLength = static_cast<std::uint32_t>(entries[i].first.size());
        appendLe32(out, length);
        appendLe32(out, length);
        appendLe32(out, offsets[i]);
        if (shortNameLengths) {
            appendLe16(out, nameLength);
        } else {
            appendLe32(out, nameLength);
        }
        out.insert(out.end(), entries[i].first.begin(), entries[i].first.end());
    }
    return out;
}

}  // namespace jf
