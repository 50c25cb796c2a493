#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>

namespace jf::fuzz {

namespace {
ViolationHandler gHandler = nullptr;
}  // namespace

void setViolationHandler(ViolationHandler handler) {
    gHandler = handler;
}

void violation(const char* target, const std::string& what) {
    if (gHandler != nullptr) {
        gHandler(target, what);
    }
    std::fprintf(stderr, "fuzz target %s: property violated: %s\n", target, what.c_str());
    std::fflush(stderr);
    std::abort();
}

bool decodeBody(ChunkObject& object, const std::uint8_t* body, std::size_t size,
                bool littleEndian) {
    MemoryFile file(Bytes(body, body + size));
    // loadFromFile decodes the body as little-endian; a big-endian body is
    // decoded again once its flag is cleared.
    const bool decoded = object.loadFromFile(file);
    if (littleEndian || object.chunk() == nullptr || !object.chunk()->loaded) {
        return decoded;
    }
    object.chunk()->flags = static_cast<std::uint16_t>(object.chunk()->flags & ~kFlagLittleEndian);
    object.chunk()->position = 0;
    return object.decode();
}

bool encodeBody(ChunkObject& object, Bytes& body) {
    return object.encodedBody(body);
}

bool openContainer(IffFileTable& table, IffView& view, const std::uint8_t* bytes, std::size_t size,
                   const std::string& name) {
    MemoryFile file(Bytes(bytes, bytes + size));
    const int slot = table.openMemory(file, name, false);
    if (slot == 0) {
        return false;
    }
    if (!table.parse(slot) || !view.attach(slot)) {
        table.closeSlot(slot);
        return false;
    }
    return true;
}

Bytes backingBytes(IffView& view) {
    IffFile* container = view.file();
    if (container == nullptr || !container->backingFile) {
        return {};
    }
    File& file = *container->backingFile;
    const std::int64_t length = file.length();
    if (length <= 0 || !file.seek(0)) {
        return {};
    }
    Bytes bytes(static_cast<std::size_t>(length));
    if (!file.readExact(bytes.data(), bytes.size())) {
        return {};
    }
    return bytes;
}

}  // namespace jf::fuzz
