#include "support/CareerBuilders.h"

#include <limits>

#include "iff/IffChunk.h"
#include "platform/File.h"

namespace jf::test {

namespace {

constexpr std::uint32_t kCareerMagic = 0x43415252;
constexpr std::uint8_t kPad = 0xA3;
constexpr std::size_t kChunkHeaderBytes = 76;
constexpr std::size_t kLabelBytes = 64;

void appendLe16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void appendLe32(Bytes& out, std::uint32_t value) {
    appendLe16(out, value & 0xFFFF);
    appendLe16(out, value >> 16);
}

void appendBe16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

void appendBe32(Bytes& out, std::uint32_t value) {
    appendBe16(out, value >> 16);
    appendBe16(out, value & 0xFFFF);
}

void append16(Bytes& out, std::uint32_t value, bool bigEndian) {
    if (bigEndian) {
        appendBe16(out, value);
    } else {
        appendLe16(out, value);
    }
}

void appendCString(Bytes& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void appendPaddedText(Bytes& out, const std::string& text) {
    appendCString(out, text);
    if (out.size() % 2 != 0) {
        out.push_back(kPad);
    }
}

// Bits most significant first, as the game packs them.
class BitWriter {
public:
    void bit(int b) {
        if (used_ == 0) {
            bytes_.push_back(0);
        }
        if (b) {
            bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80 >> used_));
        }
        used_ = (used_ + 1) % 8;
    }
    void bits(std::uint32_t value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            bit(static_cast<int>((value >> i) & 1u));
        }
    }
    void packed(std::int32_t value) {
        if (value == 0) {
            bit(0);
            return;
        }
        int selector = 3;
        if (value >= -32 && value <= 31) {
            selector = 0;
        } else if (value >= -1024 && value <= 1023) {
            selector = 1;
        } else if (value >= -1048576 && value <= 1048575) {
            selector = 2;
        }
        static constexpr int kWidths[4] = {6, 11, 21, 32};
        bit(1);
        bits(static_cast<std::uint32_t>(selector), 2);
        bits(static_cast<std::uint32_t>(value), kWidths[selector]);
    }
    // The whole bytes written so far (a partial byte counts, low bits zero).
    Bytes take() {
        Bytes out;
        out.swap(bytes_);
        used_ = 0;
        return out;
    }
    std::string asText() const {
        std::string text;
        std::size_t total = bytes_.size() * 8 - (used_ == 0 ? 0 : 8 - used_);
        for (std::size_t i = 0; i < total; ++i) {
            text.push_back((bytes_[i / 8] & (0x80 >> (i % 8))) != 0 ? '1' : '0');
        }
        return text;
    }

private:
    Bytes bytes_;
    int used_ = 0;
};

void appendCareerHead(Bytes& out, const std::string& name, std::uint8_t form, bool swapMagic) {
    appendLe32(out, 0);
    appendLe32(out, 0);
    if (swapMagic) {
        appendBe32(out, kCareerMagic);
    } else {
        appendLe32(out, kCareerMagic);
    }
    out.push_back(form);
    appendPaddedText(out, name);
}

}  // namespace

// ---- STR# bodies -------------------------------------------------------------

Bytes buildStrBody(int form, const std::vector<StrEntry>& entries, bool bigEndian, long count) {
    Bytes out;
    std::uint32_t n =
        count >= 0 ? static_cast<std::uint32_t>(count) : static_cast<std::uint32_t>(entries.size());
    if (form == 0) {
        append16(out, n, bigEndian);
    } else {
        append16(out, static_cast<std::uint16_t>(form), bigEndian);
        append16(out, n, bigEndian);
    }
    for (const StrEntry& e : entries) {
        switch (form) {
            case 0:
                out.push_back(static_cast<std::uint8_t>(e.text.size()));
                out.insert(out.end(), e.text.begin(), e.text.end());
                break;
            case -1:
                appendCString(out, e.text);
                break;
            case -2:
                appendCString(out, e.text);
                appendCString(out, e.comment);
                break;
            default:
                out.push_back(e.language);
                appendCString(out, e.text);
                appendCString(out, e.comment);
                break;
        }
    }
    return out;
}

Bytes buildLanguageTableBody(const std::vector<TextsBySlot>& rows) {
    std::vector<StrEntry> entries;
    for (std::size_t slot = 0; slot < 20; ++slot) {
        bool any = false;
        for (const TextsBySlot& row : rows) {
            any = any || !row[slot].empty();
        }
        if (!any) {
            continue;
        }
        for (const TextsBySlot& row : rows) {
            entries.push_back({static_cast<std::uint8_t>(slot + 1), row[slot], ""});
        }
    }
    return buildStrBody(-3, entries);
}

std::vector<TextsBySlot> sampleCareerTexts(const std::string& tag) {
    std::vector<TextsBySlot> rows(33);
    for (std::size_t entry = 0; entry < rows.size(); ++entry) {
        for (std::size_t slot = 0; slot < 20; ++slot) {
            rows[entry][slot] = tag + " e" + std::to_string(entry) + " s" + std::to_string(slot);
        }
    }
    return rows;
}

// ---- CARR bodies ---------------------------------------------------------------

JobLevel sampleJobLevel(int seed) {
    // Values covering every packed width and both signs.
    static constexpr std::int32_t kBase[JobLevel::kValueCount] = {
        0,          5,
        -1,         31,
        32,         -33,
        1023,       1024,
        -1025,      1048575,
        1048576,    -1048577,
        0x7FFFFFFF, std::numeric_limits<std::int32_t>::min(),
        -32,        -1024,
        -1048576,   500,
        9,          17,
        3,
    };
    JobLevel level;
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        level.value(i) = kBase[i];
    }
    level.friendsNeeded = seed;
    level.salary = 100 + 37 * seed;
    level.carType = seed % 9;
    level.internalJobName = "Job" + std::to_string(seed);
    level.maleMesh = "m" + std::to_string(seed) + "x";
    level.femaleMesh = seed % 2 == 0 ? "" : "female";
    level.skinTexture = std::string(static_cast<std::size_t>(seed % 4), 's');
    level.extraText = seed % 3 == 0 ? "" : "extra\xE9";
    return level;
}

Bytes buildPlainCareerBody(const std::string& name, const std::vector<JobLevel>& levels,
                           bool bigEndianMagic) {
    Bytes out;
    appendCareerHead(out, name, 0, bigEndianMagic);
    appendLe32(out, static_cast<std::uint32_t>(levels.size()));
    for (const JobLevel& level : levels) {
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            appendLe32(out, static_cast<std::uint32_t>(level.value(v)));
        }
        for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
            appendPaddedText(out, level.text(t));
        }
    }
    return out;
}

Bytes buildPackedCareerBodyWithCount(const std::string& name, const std::vector<JobLevel>& levels,
                                     std::int32_t count) {
    Bytes out;
    appendCareerHead(out, name, 1, false);
    BitWriter bits;
    bits.packed(count);
    for (const JobLevel& level : levels) {
        for (std::size_t v = 0; v < JobLevel::kValueCount; ++v) {
            bits.packed(level.value(v));
        }
        Bytes group = bits.take();
        out.insert(out.end(), group.begin(), group.end());
        for (std::size_t t = 0; t < JobLevel::kTextCount; ++t) {
            appendPaddedText(out, level.text(t));
        }
    }
    if (levels.empty() && count != 0) {
        Bytes group = bits.take();
        out.insert(out.end(), group.begin(), group.end());
    }
    return out;
}

Bytes buildPackedCareerBody(const std::string& name, const std::vector<JobLevel>& levels) {
    return buildPackedCareerBodyWithCount(name, levels, static_cast<std::int32_t>(levels.size()));
}

std::string packedBits(std::int32_t value) {
    BitWriter bits;
    bits.packed(value);
    return bits.asText();
}

// ---- Containers ----------------------------------------------------------------

Bytes buildContainerBytes(const std::vector<RawTestChunk>& chunks) {
    const auto& header = iffWriteTemplate();
    Bytes out(header.begin(), header.end());
    for (std::size_t i = 60; i < 64; ++i) {
        out[i] = 0;  // no map
    }
    for (const RawTestChunk& chunk : chunks) {
        appendBe32(out, chunk.type);
        appendBe32(out, static_cast<std::uint32_t>(kChunkHeaderBytes + chunk.body.size()));
        appendBe16(out, chunk.id);
        appendBe16(out, chunk.flags);
        Bytes label(kLabelBytes, 0);
        for (std::size_t i = 0; i < chunk.label.size() && i + 1 < kLabelBytes; ++i) {
            label[i] = static_cast<std::uint8_t>(chunk.label[i]);
        }
        out.insert(out.end(), label.begin(), label.end());
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    }
    return out;
}

Bytes buildCareerContainer(const std::vector<TrackRecipe>& tracks,
                           const std::vector<RawTestChunk>& extra) {
    std::vector<RawTestChunk> chunks;
    for (const TrackRecipe& track : tracks) {
        chunks.push_back({kTypeCarr, track.id, 0x10, "Career", track.careerBody});
        if (!track.stringsBody.empty()) {
            chunks.push_back({kTypeStr, track.id, 0x10, "Career texts", track.stringsBody});
        }
    }
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    return buildContainerBytes(chunks);
}

TrackRecipe sampleTrack(std::uint16_t id, const std::string& tag, int levels) {
    std::vector<JobLevel> jobs;
    for (int i = 0; i < levels; ++i) {
        jobs.push_back(sampleJobLevel(i + id));
    }
    TrackRecipe recipe;
    recipe.id = id;
    recipe.careerBody = buildPackedCareerBody(tag, jobs);
    recipe.stringsBody = buildLanguageTableBody(sampleCareerTexts(tag));
    return recipe;
}

// ---- MemoryContainer -------------------------------------------------------------

MemoryContainer::MemoryContainer(const Bytes& bytes) {
    view_ = std::make_unique<IffView>(table_);
    MemoryFile source(bytes);
    int slot = table_.openMemory(source, "Work.iff", false);
    ok_ = slot != 0 && table_.parse(slot) && view_->attach(slot) && view_->loadAll();
}

Bytes MemoryContainer::backingBytes() {
    IffFile* container = view_->file();
    if (container == nullptr || !container->backingFile) {
        return {};
    }
    auto* memory = dynamic_cast<MemoryFile*>(container->backingFile.get());
    return memory != nullptr ? memory->contents() : Bytes{};
}

}  // namespace jf::test
