// IFF containers: parse, load every body, write, and parse the written image
// again. The second reading must hold exactly the chunks of the first (the
// map chunk aside, which the writer builds afresh, and labels cut to the 63
// bytes a label field keeps), and writing it again must give the same bytes.
#include <string>
#include <tuple>
#include <vector>

#include "FuzzSupport.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace iff_target {

constexpr const char* kTarget = "iff";
constexpr std::size_t kWrittenLabelLength = 63;

struct ChunkSummary {
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t flags = 0;
    std::string label;
    Bytes body;

    bool operator==(const ChunkSummary&) const = default;
};

std::vector<ChunkSummary> summarise(IffView& view, bool cutLabels) {
    std::vector<ChunkSummary> result;
    IffFile* container = view.file();
    if (container == nullptr) {
        return result;
    }
    for (const auto& chunk : container->chunks) {
        if (chunk->type == kTypeRsmp) {
            continue;
        }
        ChunkSummary summary;
        summary.type = chunk->type;
        summary.id = chunk->id;
        summary.flags = chunk->flags;
        summary.label = cutLabels ? chunk->label.substr(0, kWrittenLabelLength) : chunk->label;
        summary.body = chunk->body();
        result.push_back(std::move(summary));
    }
    return result;
}

}  // namespace iff_target

int runIff(const std::uint8_t* data, std::size_t size) {
    using namespace iff_target;
    NullFileSystem fs;
    IffFileTable table(fs);
    IffView view(table);
    if (!openContainer(table, view, data, size)) {
        return 0;
    }
    // Every registered chunk is unique by type and id.
    IffFile* container = view.file();
    for (const auto& chunk : container->chunks) {
        check(view.find(chunk->type, chunk->id) == chunk.get(), kTarget,
              "find() does not return the registered chunk");
    }
    if (!view.loadAll()) {
        // The writer needs every body but those of map chunks, which it
        // builds afresh.
        bool complete = true;
        for (const auto& chunk : container->chunks) {
            complete = complete && (chunk->loaded || chunk->type == kTypeRsmp);
        }
        Bytes image;
        check(table.buildImage(view.slot(), image) == complete, kTarget,
              complete ? "no image of a container whose bodies are loaded"
                       : "an image was built with a body not loaded");
        return 0;
    }
    const std::vector<ChunkSummary> first = summarise(view, true);

    Bytes image;
    check(table.buildImage(view.slot(), image), kTarget, "buildImage failed on a loaded container");
    MemoryFile target;
    check(view.writeTo(&target), kTarget, "writeTo failed on a loaded container");
    check(target.contents() == image, kTarget, "writeTo and buildImage differ");

    IffFileTable again(fs);
    IffView secondView(again);
    check(openContainer(again, secondView, image.data(), image.size()), kTarget,
          "the written image does not parse");
    check(secondView.loadAll(), kTarget, "the written image does not load");
    check(summarise(secondView, false) == first, kTarget,
          "the written image holds other chunks than were read");
    Bytes second;
    check(again.buildImage(secondView.slot(), second), kTarget, "rebuilding the image failed");
    check(second == image, kTarget, "writing the image again gives other bytes");
    return 0;
}

}  // namespace jf::fuzz
