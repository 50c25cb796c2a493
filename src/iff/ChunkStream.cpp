#include "iff/ChunkStream.h"

#include <cstring>
#include <new>
#include <stdexcept>

#include "platform/ByteOrder.h"
#include "platform/File.h"

namespace jf {

bool ChunkStream::readBytes(void* destination, std::size_t n) {
    if (std::uint64_t(chunk_.position) + n > chunk_.size) {
        return false;
    }
    if (n > 0) {
        std::memcpy(destination, chunk_.data.data() + chunk_.position, n);
    }
    chunk_.position += static_cast<std::uint32_t>(n);
    return true;
}

bool ChunkStream::readU8(std::uint8_t& value) {
    return readBytes(&value, 1);
}

bool ChunkStream::readU16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (!readBytes(b, 2)) {
        return false;
    }
    value = readLE16(b);
    return true;
}

bool ChunkStream::readU32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!readBytes(b, 4)) {
        return false;
    }
    value = readLE32(b);
    return true;
}

bool ChunkStream::readU16Ordered(std::uint16_t& value) {
    if (!readU16(value)) {
        return false;
    }
    if (!chunk_.littleEndian()) {
        value = swap16(value);
    }
    return true;
}

bool ChunkStream::readU32Ordered(std::uint32_t& value) {
    if (!readU32(value)) {
        return false;
    }
    if (!chunk_.littleEndian()) {
        value = swap32(value);
    }
    return true;
}

bool ChunkStream::readString(std::string& value) {
    if (chunk_.position > chunk_.size) {
        return false;
    }
    const std::uint8_t* begin = chunk_.data.data() + chunk_.position;
    std::size_t available = chunk_.size - chunk_.position;
    const void* nul = std::memchr(begin, 0, available);
    std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - begin) : available;
    value.assign(reinterpret_cast<const char*>(begin), length);
    // Past a string without a NUL the cursor stands one beyond size, so every
    // later read fails.
    chunk_.position += static_cast<std::uint32_t>(length + 1);
    return true;
}

bool ChunkStream::readChars(std::string& value, std::size_t n) {
    if (std::uint64_t(chunk_.position) + n > chunk_.size) {
        return false;
    }
    const char* begin = reinterpret_cast<const char*>(chunk_.data.data() + chunk_.position);
    std::size_t length = strnlen(begin, n);
    value.assign(begin, length);
    chunk_.position += static_cast<std::uint32_t>(n);
    return true;
}

bool ChunkStream::skip(std::size_t n) {
    if (std::uint64_t(chunk_.position) + n > chunk_.size) {
        return false;
    }
    chunk_.position += static_cast<std::uint32_t>(n);
    return true;
}

bool ChunkStream::write(const void* source, std::size_t n, std::size_t growthExtra) {
    std::uint64_t end = std::uint64_t(chunk_.position) + n;
    if (end > 0xFFFFFFFFu) {
        return false;
    }
    if (end > chunk_.capacity()) {
        std::uint64_t grown =
            (std::uint64_t(chunk_.capacity()) + n + growthExtra) / kBodyGranule * kBodyGranule;
        if (grown < end) {
            grown = roundUpToGranule(end);
        }
        try {
            chunk_.data.resize(static_cast<std::size_t>(grown), 0);
        } catch (const std::bad_alloc&) {
            return false;
        } catch (const std::length_error&) {
            return false;
        }
    }
    if (n > 0) {
        std::memcpy(chunk_.data.data() + chunk_.position, source, n);
    }
    chunk_.position = static_cast<std::uint32_t>(end);
    if (chunk_.position > chunk_.size) {
        chunk_.size = chunk_.position;
    }
    return true;
}

bool ChunkStream::writeU8(std::uint8_t value) {
    return write(&value, 1, kBodyGranule - 1);
}

bool ChunkStream::writeU16(std::uint16_t value) {
    std::uint8_t b[2];
    writeLE16(b, value);
    return write(b, 2, kBodyGranule - 1);
}

bool ChunkStream::writeU32(std::uint32_t value) {
    std::uint8_t b[4];
    writeLE32(b, value);
    return write(b, 4, kBodyGranule - 1);
}

bool ChunkStream::writeBytes(const void* source, std::size_t n) {
    return write(source, n, kBodyGranule - 1);
}

bool ChunkStream::writeString(const std::string& value) {
    // The characters and one NUL, written as one block.
    std::string withNul = value;
    withNul.push_back('\0');
    return write(withNul.data(), withNul.size(), kBodyGranule - 1);
}

bool ChunkStream::setLength(std::uint32_t n) {
    if (n > chunk_.capacity()) {
        try {
            chunk_.data.resize(roundUpToGranule(n), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    chunk_.size = n;
    if (chunk_.position > n) {
        chunk_.position = n;
    }
    return true;
}

// --- BitStream ---------------------------------------------------------------

namespace {
// Packed integer widths by selector 0..3.
constexpr int kPackedWidths[4] = {6, 11, 21, 32};

int selectorFor(std::int32_t v) {
    if (v >= -32 && v <= 31) {
        return 0;
    }
    if (v >= -1024 && v <= 1023) {
        return 1;
    }
    if (v >= -1048576 && v <= 1048575) {
        return 2;
    }
    return 3;
}
}  // namespace

void BitStream::startReading(const std::uint8_t* source, std::uint32_t sourceLength) {
    source_ = source;
    sourceLength_ = sourceLength;
    bytesConsumed_ = 0;
    readMask_ = 0;
    currentByte_ = 0;
}

int BitStream::readBit() {
    if (readMask_ == 0) {
        if (bytesConsumed_ >= sourceLength_) {
            return 0;
        }
        currentByte_ = source_[bytesConsumed_];
        ++bytesConsumed_;
        readMask_ = 0x80;
    }
    int bit = (currentByte_ & readMask_) != 0 ? 1 : 0;
    readMask_ = static_cast<std::uint8_t>(readMask_ >> 1);
    return bit;
}

std::int32_t BitStream::readPacked() {
    if (readBit() == 0) {
        return 0;
    }
    int selector = (readBit() << 1) | readBit();
    int width = kPackedWidths[selector];
    std::uint32_t bits = 0;
    for (int i = 0; i < width; ++i) {
        bits = (bits << 1) | static_cast<std::uint32_t>(readBit());
    }
    if (width < 32 && (bits & (1u << (width - 1))) != 0) {
        bits |= ~((1u << width) - 1);  // sign-extend
    }
    return static_cast<std::int32_t>(bits);
}

void BitStream::startWriting(File& target) {
    target_ = &target;
    accumulator_ = 0;
    writeMask_ = 0x80;
}

bool BitStream::writeBit(int bit) {
    if (bit) {
        accumulator_ |= writeMask_;
    }
    writeMask_ = static_cast<std::uint8_t>(writeMask_ >> 1);
    if (writeMask_ == 0) {
        bool ok = target_ != nullptr && target_->write(&accumulator_, 1);
        accumulator_ = 0;
        writeMask_ = 0x80;
        return ok;
    }
    return true;
}

bool BitStream::writePacked(std::int32_t value) {
    if (value == 0) {
        return writeBit(0);
    }
    int selector = selectorFor(value);
    int width = kPackedWidths[selector];
    bool ok = writeBit(1) && writeBit(selector >> 1) && writeBit(selector & 1);
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (int i = width - 1; ok && i >= 0; --i) {
        ok = writeBit(static_cast<int>((bits >> i) & 1u));
    }
    return ok;
}

bool BitStream::flush() {
    if (writeMask_ == 0x80) {
        return true;
    }
    bool ok = target_ != nullptr && target_->write(&accumulator_, 1);
    accumulator_ = 0;
    writeMask_ = 0x80;
    return ok;
}

}  // namespace jf
