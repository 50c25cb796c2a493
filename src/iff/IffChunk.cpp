#include "iff/IffChunk.h"

#include <new>
#include <stdexcept>

namespace jf {

std::uint32_t roundUpToGranule(std::uint64_t n) {
    if (n == 0) {
        return kBodyGranule;
    }
    return static_cast<std::uint32_t>((n + kBodyGranule - 1) / kBodyGranule * kBodyGranule);
}

bool IffChunk::setSize(std::uint32_t n) {
    try {
        std::vector<std::uint8_t> fresh(roundUpToGranule(n), 0);
        data.swap(fresh);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    size = n;
    position = 0;
    return true;
}

std::string typeCodeToString(std::uint32_t type) {
    std::string text(4, '\0');
    text[0] = static_cast<char>(type >> 24);
    text[1] = static_cast<char>(type >> 16);
    text[2] = static_cast<char>(type >> 8);
    text[3] = static_cast<char>(type);
    return text;
}

bool typeCodeFromString(const std::string& text, std::uint32_t& type) {
    if (text.size() != 4) {
        return false;
    }
    type = makeTypeCode(text[0], text[1], text[2], text[3]);
    return true;
}

}  // namespace jf
