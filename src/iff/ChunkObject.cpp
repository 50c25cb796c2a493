#include "iff/ChunkObject.h"

#include <new>

#include "iff/IffFile.h"
#include "platform/File.h"

namespace jf {

ChunkObject::ChunkObject() : ownChunk_(std::make_unique<IffChunk>()), chunk_(ownChunk_.get()) {}

ChunkObject::~ChunkObject() = default;

ChunkObject::ChunkObject(ChunkObject&& other) noexcept
    : ownChunk_(std::move(other.ownChunk_)), chunk_(other.chunk_) {
    other.ownChunk_ = std::make_unique<IffChunk>();
    other.chunk_ = other.ownChunk_.get();
}

ChunkObject& ChunkObject::operator=(ChunkObject&& other) noexcept {
    if (this != &other) {
        ownChunk_ = std::move(other.ownChunk_);
        chunk_ = other.chunk_;
        other.ownChunk_ = std::make_unique<IffChunk>();
        other.chunk_ = other.ownChunk_.get();
    }
    return *this;
}

void ChunkObject::assign(const ChunkObject& other) {
    if (this == &other) {
        return;
    }
    if (!other.ownsChunk()) {
        ownChunk_.reset();
        chunk_ = other.chunk_;
        return;
    }
    // A deep copy of the stand-alone chunk: every field and all capacity bytes.
    ownChunk_ = std::make_unique<IffChunk>(*other.chunk_);
    chunk_ = ownChunk_.get();
}

bool ChunkObject::attachTo(IffView& view, IffChunk& target) {
    ownChunk_.reset();
    chunk_ = &target;
    if (!view.loadChunk(target)) {
        return false;
    }
    target.position = 0;
    return decode();
}

bool ChunkObject::encodeInPlace() {
    if (ownsChunk()) {
        return false;
    }
    chunk_->position = 0;
    return encode();
}

bool ChunkObject::encodeInto(IffChunk& target) {
    IffChunk* own = chunk_;
    chunk_ = &target;
    target.position = 0;
    bool ok = encode();
    chunk_ = own;
    return ok;
}

bool ChunkObject::saveUnder(IffView& view, std::uint32_t type, std::uint16_t id,
                            const std::string& label, std::uint16_t flags) {
    if (IffChunk* existing = view.find(type, id)) {
        if (!view.loadChunk(*existing)) {
            return false;
        }
        existing->label = label;
        existing->flags = flags;
        return encodeInto(*existing);
    }
    IffChunk temporary;
    temporary.type = type;
    temporary.id = id;
    temporary.flags = flags;
    temporary.label = label;
    if (!encodeInto(temporary)) {
        return false;
    }
    if (!view.addBytes(type, id, label, temporary.data.data(), temporary.size)) {
        return false;
    }
    IffChunk* added = view.find(type, id);
    if (added == nullptr) {
        return false;
    }
    added->flags = static_cast<std::uint16_t>(flags | kFlagLittleEndian);
    return true;
}

bool ChunkObject::saveTo(IffView& view) {
    IffChunk& own = *chunk_;
    std::string label = own.label;
    return saveUnder(view, own.type, own.id, label, own.flags);
}

bool ChunkObject::saveAs(IffView& view, std::uint32_t type, std::uint16_t id,
                         const std::string& label, std::uint16_t flags) {
    return saveUnder(view, type, id, label, flags);
}

bool ChunkObject::loadFromFile(File& file) {
    auto fresh = std::make_unique<IffChunk>();
    fresh->flags = kFlagLittleEndian;
    std::int64_t length = file.length();
    std::uint64_t start = file.tell();
    std::uint64_t available =
        length > 0 && std::uint64_t(length) > start ? std::uint64_t(length) - start : 0;
    if (available > 0xFFFFFFFFull) {
        return false;
    }
    ownChunk_ = std::move(fresh);
    chunk_ = ownChunk_.get();
    // The body is the rest of the file from its cursor.
    if (!chunk_->setSize(static_cast<std::uint32_t>(available))) {
        return false;
    }
    if (available > 0 &&
        !file.readExact(chunk_->data.data(), static_cast<std::size_t>(available))) {
        return false;
    }
    chunk_->loaded = true;
    chunk_->position = 0;
    return decode();
}

bool ChunkObject::encodedBody(std::vector<std::uint8_t>& body) {
    IffChunk temporary;
    temporary.type = chunk_->type;
    temporary.id = chunk_->id;
    temporary.flags = chunk_->flags;
    temporary.label = chunk_->label;
    if (!encodeInto(temporary)) {
        return false;
    }
    body = temporary.body();
    return true;
}

bool ChunkObject::writeToFile(File& file) {
    std::vector<std::uint8_t> body;
    if (!encodedBody(body)) {
        return false;
    }
    return body.empty() || file.write(body.data(), body.size());
}

}  // namespace jf
