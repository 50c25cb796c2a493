#pragma once
// The base of every typed chunk object (string tables, career chunks, code
// trees, the options table). An object either owns a stand-alone chunk
// (after construction or loadFromFile) or refers to a chunk in a container's
// list (after attachTo). A referring object must not outlive that chunk.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "iff/IffChunk.h"

namespace jf {

class File;
class IffView;

class ChunkObject {
public:
    // Starts with an own empty chunk (type 0, id 0, flags 0x10, label "").
    ChunkObject();
    virtual ~ChunkObject();
    ChunkObject(const ChunkObject&) = delete;
    ChunkObject& operator=(const ChunkObject&) = delete;
    ChunkObject(ChunkObject&&) noexcept;
    ChunkObject& operator=(ChunkObject&&) noexcept;

    // Copies the base part: an attached source makes this object refer to
    // the same container chunk; a stand-alone source is deep-copied.
    virtual void assign(const ChunkObject& other);
    virtual std::uint32_t typeCode() const { return 0; }
    // Fill the fields from the chunk body (position 0 at entry).
    virtual bool decode() { return true; }
    // Write the fields into the chunk body from position 0, cut it to the
    // bytes written and set flag 0x10.
    virtual bool encode() { return true; }

    // Refers to `target` (a chunk of the view's container), loads its body
    // and decodes it. The object refers to target even when this fails.
    bool attachTo(IffView& view, IffChunk& target);
    // encode() into the referred container chunk; fails for an own chunk.
    bool encodeInPlace();
    // Stores the encoding in the view's container under the own chunk's
    // type and id (in place when such a chunk exists, else added).
    bool saveTo(IffView& view);
    bool saveAs(IffView& view, std::uint32_t type, std::uint16_t id, const std::string& label,
                std::uint16_t flags);
    // Reads the rest of the file (from its cursor) as a bare body into a new
    // own chunk and decodes it.
    bool loadFromFile(File& file);
    // Writes the encoded bare body at the file's cursor. The own chunk is
    // not changed.
    bool writeToFile(File& file);
    // The encoded bare body; false when encoding fails.
    bool encodedBody(std::vector<std::uint8_t>& body);

    IffChunk* chunk() { return chunk_; }
    const IffChunk* chunk() const { return chunk_; }
    bool ownsChunk() const { return ownChunk_ != nullptr; }

protected:
    // Runs encode() with chunk() temporarily pointing at `target`.
    bool encodeInto(IffChunk& target);

private:
    bool saveUnder(IffView& view, std::uint32_t type, std::uint16_t id, const std::string& label,
                   std::uint16_t flags);

    std::unique_ptr<IffChunk> ownChunk_;
    IffChunk* chunk_ = nullptr;
};

}  // namespace jf
