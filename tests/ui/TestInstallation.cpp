#include "TestInstallation.h"

#include "iff/IffChunk.h"
#include "platform/CodePages.h"
#include "support/BmpBuilder.h"
#include "support/CodeTreeBuilders.h"

namespace jf::test {

namespace {

constexpr int kPopupWidth = 84;
constexpr int kPopupHeight = 63;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 22;
constexpr std::uint16_t kOptionsId = 4097;
constexpr std::uint16_t kRootTreeId = 4124;
constexpr std::uint16_t kGlobalTextsId = 301;
constexpr int kOptionCount = 8;

std::string encoded(const std::string& utf8, int codePage) {
    const std::optional<std::string> bytes = fromUtf8(utf8, codePage);
    return bytes.value_or(std::string());
}

std::array<std::uint8_t, 8> operands(std::initializer_list<std::uint8_t> bytes) {
    std::array<std::uint8_t, 8> result{};
    std::size_t i = 0;
    for (std::uint8_t b : bytes) {
        result[i++] = b;
    }
    return result;
}

std::uint8_t low(unsigned value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}
std::uint8_t high(unsigned value) {
    return static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::string TestInstallation::russianCareerName() {
    return "\xD0\x92\xD1\x80\xD0\xB0\xD1\x87";  // "Врач"
}

std::string TestInstallation::japaneseCareerName() {
    return "\xE4\xBC\x9A\xE7\xA4\xBE\xE5\x93\xA1";  // "会社員"
}

std::uint32_t TestInstallation::popupColour(std::uint16_t id) {
    return 0x102030u + id * 0x141414u;
}

TestInstallation::TestInstallation() {
    const std::array<std::pair<std::uint16_t, const char*>, 3> idsAndTags = {
        {{1, "A"}, {3, "B"}, {7, "C"}}};
    int seed = 0;
    for (const auto& [id, tag] : idsAndTags) {
        TestTrack track;
        track.id = id;
        track.internalName = std::string("Career") + tag;
        for (int level = 0; level < 10; ++level) {
            JobLevel job = sampleJobLevel(seed++);
            job.internalJobName = std::string(tag) + "Job" + std::to_string(level);
            track.levels.push_back(job);
        }
        track.texts = sampleCareerTexts(tag);
        tracks.push_back(track);
    }
    tracks[0].texts[3][kSlotUsEnglish] = "Junior\r\nClerk";
    tracks[0].texts[3][kSlotFrench] = "Petit\r\nCommis";
    tracks[0].texts[0][kSlotRussian] = encoded(russianCareerName(), kCodePageCyrillic);
    tracks[0].texts[0][kSlotJapanese] = encoded(japaneseCareerName(), kCodePageJapanese);
    tracks[0].texts[3][kSlotJapanese] = kJapaneseJobName;
}

Bytes TestInstallation::careerContainer() const {
    std::vector<TrackRecipe> recipes;
    for (const TestTrack& track : tracks) {
        TrackRecipe built;
        built.id = track.id;
        built.careerBody = buildPackedCareerBody(track.internalName, track.levels);
        built.stringsBody = buildLanguageTableBody(track.texts);
        recipes.push_back(built);
    }
    return buildCareerContainer(recipes);
}

Bytes TestInstallation::carPortal() const {
    const std::uint16_t trackId = tracks.front().id;
    std::vector<RawInstruction> tree = {
        // Career test for the track, then the level test for level 0.
        rawOf(makeInstruction(2, 1, 255,
                              operands({56, 0, low(trackId), high(trackId), 0, 2, 0x12, 0x07}))),
        rawOf(makeInstruction(2, 2, 255, operands({57, 0, 0, 0, 0, 2, 0x12, 0x07}))),
        // A good sound, then the card text.
        rawOf(makeInstruction(23, 3, 253, operands({low(312), high(312)}))),
        rawOf(makeInstruction(
            36, 254, 253,
            operands({0, 0x2C, low(cardTextIndex), high(cardTextIndex), 0, 0, 4, 8}))),
    };
    BhavHeader header;
    header.localCount = 10;
    header.version = 1;

    std::vector<TextsBySlot> globalTexts(kGlobalTextCount);
    for (std::size_t entry = 0; entry < globalTexts.size(); ++entry) {
        for (std::size_t slot = 0; slot < 20; ++slot) {
            globalTexts[entry][slot] =
                "global e" + std::to_string(entry) + " s" + std::to_string(slot);
        }
    }
    std::vector<std::int16_t> options(kOptionCount);
    for (int i = 0; i < kOptionCount; ++i) {
        options[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(10 + i);
    }
    return buildContainerBytes({
        {kTypeBcon, kOptionsId, 0x10, "Options", buildBconBody(kOptionCount, options)},
        {kTypeBhav, kRootTreeId, 0x10, "Chance Cards", buildBhavBody(header, tree)},
        {kTypeStr, kGlobalTextsId, 0x10, "Texts", buildLanguageTableBody(globalTexts)},
    });
}

void TestInstallation::install(FakeFileSystem& disk) const {
    disk.putFile(kTestCareersPath, careerContainer());
    if (withCarPortal) {
        disk.putFile(kTestCarPortalPath, carPortal());
    }
    std::uint16_t maxId = 0;
    for (const TestTrack& track : tracks) {
        maxId = std::max(maxId, track.id);
    }
    const int bands = maxId + 1;
    disk.putFile(kTestPopupPath,
                 buildBmp(rgbRecipe(kPopupWidth, kPopupHeight * bands, [](int, int y) {
                     return popupColour(static_cast<std::uint16_t>(y / kPopupHeight));
                 })));
    disk.putFile(kTestButtonPath,
                 buildBmp(rgbRecipe(kButtonWidth, kButtonHeight * bands, [](int x, int y) {
                     return static_cast<std::uint32_t>((x * 2) << 8 | (y / kButtonHeight));
                 })));
}

}  // namespace jf::test
