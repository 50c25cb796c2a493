#include "careers/CareerChunk.h"

#include <new>
#include <utility>

#include "iff/ChunkStream.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

namespace jf {

namespace {

constexpr std::size_t kReservedBytes = 8;

// A NUL-terminated text that must end inside the body.
bool readText(ChunkStream& stream, std::string& text) {
    if (!stream.readString(text)) {
        return false;
    }
    // readString accepts a text that runs to the end without a NUL and then
    // leaves the cursor one past the end; here that is a damaged body.
    return stream.position() <= stream.chunk().size;
}

// Skips the pad byte after a text that ended at an odd position. A final
// text at the very end of the body may lack it.
void skipPad(ChunkStream& stream) {
    if (stream.position() % 2 != 0 && stream.remaining() > 0) {
        stream.skip(1);
    }
}

bool readPaddedText(ChunkStream& stream, std::string& text) {
    if (!readText(stream, text)) {
        return false;
    }
    skipPad(stream);
    return true;
}

bool writePaddedText(ChunkStream& stream, const std::string& text) {
    if (!stream.writeString(text)) {
        return false;
    }
    if (stream.position() % 2 != 0) {
        return stream.writeU8(CareerChunk::kPadByte);
    }
    return true;
}

bool readLevelTexts(ChunkStream& stream, JobLevel& level) {
    for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
        if (!readPaddedText(stream, level.text(t))) {
            return false;
        }
    }
    return true;
}

// A level count read from a file must fit in the bytes left for the levels.
bool levelCountAcceptable(std::uint32_t count, std::uint32_t remaining,
                          std::uint32_t minimumLevelBytes) {
    return count <= CareerChunk::kMaxLevelCount &&
           std::uint64_t(count) * minimumLevelBytes <= remaining;
}

}  // namespace

bool CareerChunk::decode() {
    internalCareerName.clear();
    levels.clear();
    IffChunk& body = *chunk();
    ChunkStream stream(body);
    if (body.size < kMinimumBodySize) {
        return false;
    }
    std::uint32_t magic = 0;
    std::uint8_t form = 0;
    if (!stream.skip(kReservedBytes) || !stream.readU32(magic) || !stream.readU8(form)) {
        return false;
    }
    if (!body.littleEndian()) {
        magic = swap32(magic);
    }
    if (magic != kMagic) {
        return false;
    }
    formRead_ = form;
    if (!readPaddedText(stream, internalCareerName)) {
        return false;
    }
    try {
        return form == kFormPlain ? decodePlain(stream) : decodePacked(stream);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CareerChunk::decodePlain(ChunkStream& stream) {
    std::uint32_t count = 0;
    if (!stream.readU32(count)) {
        return false;
    }
    if (!levelCountAcceptable(count, stream.remaining(), kMinPlainLevelBytes)) {
        return false;
    }
    levels.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        JobLevel level;
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            std::uint32_t raw = 0;
            if (!stream.readU32(raw)) {
                return false;
            }
            level.value(v) = static_cast<std::int32_t>(raw);
        }
        if (!readLevelTexts(stream, level)) {
            return false;
        }
        levels.push_back(std::move(level));
    }
    return true;
}

bool CareerChunk::decodePacked(ChunkStream& stream) {
    IffChunk& body = stream.chunk();
    BitStream bits;
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i == 0 || i < count; ++i) {
        // Each group starts at the byte after the previous level's last text.
        bits.startReading(body.data.data() + stream.position(), stream.remaining());
        if (i == 0) {
            count = static_cast<std::uint32_t>(bits.readPacked());
            if (count == 0) {
                return true;
            }
            if (!levelCountAcceptable(count, stream.remaining(), kMinPackedLevelBytes)) {
                return false;
            }
            levels.reserve(count);
        }
        JobLevel level;
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            level.value(v) = bits.readPacked();
        }
        // The reader yields zero bits past the end and never consumes more
        // than the body holds; a group cut short then leaves no room for the
        // texts, which fail below.
        if (!stream.skip(bits.bytesConsumed())) {
            return false;
        }
        if (!readLevelTexts(stream, level)) {
            return false;
        }
        levels.push_back(std::move(level));
    }
    return true;
}

bool CareerChunk::encode() {
    IffChunk& body = *chunk();
    ChunkStream stream(body);
    stream.setPosition(0);
    if (!stream.setLength(0)) {
        return false;
    }
    try {
        if (!stream.writeU32(0) || !stream.writeU32(0) || !stream.writeU32(kMagic) ||
            !stream.writeU8(kFormPacked) || !writePaddedText(stream, internalCareerName)) {
            return false;
        }
        MemoryFile group;
        BitStream bits;
        bits.startWriting(group);
        if (!bits.writePacked(static_cast<std::int32_t>(levelCount()))) {
            return false;
        }
        // With no levels the count's single bit is never flushed.
        for (const JobLevel& level : levels) {
            for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
                if (!bits.writePacked(level.value(v))) {
                    return false;
                }
            }
            if (!bits.flush()) {
                return false;
            }
            std::int64_t length = group.length();
            if (length > 0 && !stream.writeBytes(group.data(), static_cast<std::size_t>(length))) {
                return false;
            }
            if (!group.truncate(0) || !group.seek(0)) {
                return false;
            }
            for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
                if (!writePaddedText(stream, level.text(t))) {
                    return false;
                }
            }
        }
        // An empty name without levels ends at byte 14, below the 16 bytes a
        // reader demands: the count's zero bit is then written out, as zero
        // bytes up to that size, so that the body reads back as it was.
        while (stream.position() < kMinimumBodySize) {
            if (!stream.writeU8(0)) {
                return false;
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!stream.setLength(stream.position())) {
        return false;
    }
    body.flags = static_cast<std::uint16_t>(body.flags | kFlagLittleEndian);
    return true;
}

void CareerChunk::assign(const ChunkObject& other) {
    if (const auto* career = dynamic_cast<const CareerChunk*>(&other)) {
        assign(*career);
        return;
    }
    ChunkObject::assign(other);
}

void CareerChunk::assign(const CareerChunk& other) {
    if (this == &other) {
        return;
    }
    ChunkObject::assign(other);
    internalCareerName = other.internalCareerName;
    levels = other.levels;
    formRead_ = other.formRead_;
}

}  // namespace jf
