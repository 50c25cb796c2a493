#pragma once
// Typed cursor operations over a chunk body, and the bit-level stream used
// for packed integers.
//
// The stream state is the chunk's own fields (data, capacity, position,
// size). Reads never go beyond size and a failed read changes nothing.
// Multi-byte values are moved in little-endian order; the *Ordered reads
// honour the chunk's byte order (flag 0x10 clear: big-endian, so swap).

#include <cstdint>
#include <string>

#include "iff/IffChunk.h"

namespace jf {

class File;

class ChunkStream {
public:
    explicit ChunkStream(IffChunk& chunk) : chunk_(chunk) {}

    bool readU8(std::uint8_t& value);
    bool readU16(std::uint16_t& value);
    bool readU32(std::uint32_t& value);
    // As readU16/readU32, swapping the bytes when the body is big-endian.
    bool readU16Ordered(std::uint16_t& value);
    bool readU32Ordered(std::uint32_t& value);
    bool readBytes(void* destination, std::size_t n);
    // Bytes up to the first NUL (or to the end of the body); the cursor moves
    // past the NUL. Fails only when position > size.
    bool readString(std::string& value);
    // Exactly n bytes as a string, cut at an embedded NUL; position += n.
    bool readChars(std::string& value, std::size_t n);
    bool skip(std::size_t n = 1);

    bool writeU8(std::uint8_t value);
    bool writeU16(std::uint16_t value);
    bool writeU32(std::uint32_t value);
    bool writeBytes(const void* source, std::size_t n);
    bool writeString(const std::string& value);
    // Makes size n keeping the contents; position is pulled back to n.
    bool setLength(std::uint32_t n);

    std::uint32_t position() const { return chunk_.position; }
    void setPosition(std::uint32_t position) { chunk_.position = position; }
    std::uint32_t remaining() const {
        return chunk_.position >= chunk_.size ? 0 : chunk_.size - chunk_.position;
    }
    IffChunk& chunk() { return chunk_; }

private:
    bool write(const void* source, std::size_t n, std::size_t growthExtra);

    IffChunk& chunk_;
};

// Reads or writes a group of packed integers, most significant bit first.
// One object serves either reading or writing.
class BitStream {
public:
    virtual ~BitStream() = default;

    // Reading. Past the end of the source every bit is 0; the reader never fails.
    void startReading(const std::uint8_t* source, std::uint32_t sourceLength);
    int readBit();
    std::int32_t readPacked();
    std::uint32_t bytesConsumed() const { return bytesConsumed_; }

    // Writing whole bytes to the target file at its cursor.
    void startWriting(File& target);
    bool writeBit(int bit);
    bool writePacked(std::int32_t value);
    // Appends a pending partial byte (unset bits 0); nothing when none is pending.
    bool flush();

private:
    const std::uint8_t* source_ = nullptr;
    std::uint32_t sourceLength_ = 0;
    std::uint32_t bytesConsumed_ = 0;
    std::uint8_t currentByte_ = 0;
    std::uint8_t readMask_ = 0;

    File* target_ = nullptr;
    std::uint8_t accumulator_ = 0;
    std::uint8_t writeMask_ = 0x80;
};

}  // namespace jf
