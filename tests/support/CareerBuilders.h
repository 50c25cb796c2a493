#pragma once
// Builders for career test data: STR# bodies in every form, CARR bodies in
// the plain and packed forms (written here bit by bit, independently of the
// codec under test), raw career containers, and a career container opened
// in memory through an IffFileTable.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "careers/JobLevel.h"
#include "iff/IffFile.h"
#include "platform/FileSystem.h"

namespace jf::test {

using Bytes = std::vector<std::uint8_t>;

// ---- STR# bodies -------------------------------------------------------------

// One entry of a STR# body. `language` is the stored byte (slot + 1) and is
// used by form -3 only; `comment` by forms -2 and -3.
struct StrEntry {
    std::uint8_t language = 1;
    std::string text;
    std::string comment;
};

// A STR# body of the given form (-1, -2, -3, or 0 for count-first) holding
// the entries in order. `count` overrides the stored entry count when it is
// not negative. `bigEndian` writes F and N big-endian (for chunks without
// flag 0x10). Count-first texts are written with their full length byte (the
// caller keeps them below 256 bytes).
Bytes buildStrBody(int form, const std::vector<StrEntry>& entries, bool bigEndian = false,
                   long count = -1);

// Twenty texts, one per language slot; "" leaves a slot empty.
using TextsBySlot = std::array<std::string, 20>;

// A form -3 body for rows of texts (comments empty): every slot that has a
// non-empty text in some row gets one run of rows.size() entries, in slot
// order.
Bytes buildLanguageTableBody(const std::vector<TextsBySlot>& rows);

// 33 rows of distinct texts for the career strings of a track:
// "<tag> e<entry> s<slot>" in all twenty slots.
std::vector<TextsBySlot> sampleCareerTexts(const std::string& tag);

// ---- CARR bodies ---------------------------------------------------------------

// A job level with distinct values (seed-dependent, spanning every packed
// width) and texts.
JobLevel sampleJobLevel(int seed);

// The plain form (form byte 0). `bigEndianMagic` stores the magic byte-swapped
// (as in a chunk without flag 0x10).
Bytes buildPlainCareerBody(const std::string& name, const std::vector<JobLevel>& levels,
                           bool bigEndianMagic = false);
// The packed form (form byte 1), with pads 0xA3.
Bytes buildPackedCareerBody(const std::string& name, const std::vector<JobLevel>& levels);
// The packed form with the stored level count replaced by `count`.
Bytes buildPackedCareerBodyWithCount(const std::string& name, const std::vector<JobLevel>& levels,
                                     std::int32_t count);

// The packed bits of one value as a string of '0' and '1' (for bit-count checks).
std::string packedBits(std::int32_t value);

// ---- Containers ----------------------------------------------------------------

struct RawTestChunk {
    std::uint32_t type = 0;
    std::uint16_t id = 0;
    std::uint16_t flags = 0x10;
    std::string label;
    Bytes body;
};

// A version 2.5 container (the writer's header, map offset 0, no map) holding
// the chunks in order, exactly as given (duplicates included).
Bytes buildContainerBytes(const std::vector<RawTestChunk>& chunks);

// One track for buildCareerContainer: its CARR body and its STR# body
// (an empty strings body means "no STR# chunk").
struct TrackRecipe {
    std::uint16_t id = 0;
    Bytes careerBody;
    Bytes stringsBody;
};

// A container with, for each recipe in order, the CARR chunk and then the STR#
// chunk of the same id, followed by `extra` chunks.
Bytes buildCareerContainer(const std::vector<TrackRecipe>& tracks,
                           const std::vector<RawTestChunk>& extra = {});

// A simple track: `levels` sample levels and sampleCareerTexts(tag).
TrackRecipe sampleTrack(std::uint16_t id, const std::string& tag, int levels = 10);

// A FileSystem on which every operation fails (the containers below live in
// memory and never touch it).
class NoDiskFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string&, OpenMode) override { return nullptr; }
    bool exists(const std::string&) override { return false; }
    bool isReadOnly(const std::string&) override { return false; }
    bool clearReadOnly(const std::string&) override { return true; }
    bool setReadOnly(const std::string&) override { return false; }
    bool createFolder(const std::string&) override { return false; }
    DeleteResult deleteFile(const std::string&) override { return DeleteResult::Failed; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> listArchives(const std::string&) override { return {}; }
    std::vector<std::string> listFiles(const std::string&) override { return {}; }
    bool syncFolder(const std::string&) override { return false; }
    std::string nativePath(const std::string& path) override { return path; }
};

// A container opened in memory from bytes, parsed, all bodies loaded, and
// attached to `view` (not owned by the view). writeTo(nullptr) writes into
// the in-memory backing file, whose bytes backingBytes() returns.
class MemoryContainer {
public:
    explicit MemoryContainer(const Bytes& bytes);
    // True when opening, parsing and loading succeeded.
    bool ok() const { return ok_; }
    IffView& view() { return *view_; }
    IffFileTable& table() { return table_; }
    Bytes backingBytes();

private:
    NoDiskFileSystem fs_;
    IffFileTable table_{fs_};
    std::unique_ptr<IffView> view_;
    bool ok_ = false;
};

}  // namespace jf::test
