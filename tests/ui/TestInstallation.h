#pragma once
// A game installation in a FakeFileSystem for the interface tests: a career
// file with three tracks, CarPortal.iff with one chance card, and the two
// icon strips, all built from the test builders.

#include <cstdint>
#include <string>
#include <vector>

#include "careers/JobLevel.h"
#include "support/CareerBuilders.h"
#include "support/FakeFileSystem.h"

namespace jf::test {

inline constexpr char kTestGameFolder[] = "C:\\Sims\\";
inline constexpr char kTestCareersPath[] = "C:\\Sims\\GameData\\Careers.iff";
inline constexpr char kTestCarPortalPath[] = "C:\\Sims\\GameData\\Objects\\CarPortal.iff";
inline constexpr char kTestPopupPath[] =
    "C:\\Sims\\UIGraphics\\cpanel\\Backgrounds\\JobIconMultiPopup.BMP";
inline constexpr char kTestButtonPath[] =
    "C:\\Sims\\UIGraphics\\cpanel\\Buttons\\JobIconMultiButton.BMP";

// Language slots used by the tests.
inline constexpr int kSlotUsEnglish = 0;
inline constexpr int kSlotFrench = 2;
inline constexpr int kSlotGerman = 3;
inline constexpr int kSlotRussian = 12;
inline constexpr int kSlotJapanese = 14;

struct TestTrack {
    std::uint16_t id = 0;
    std::string internalName;
    std::vector<JobLevel> levels;
    std::vector<TextsBySlot> texts;  // entries 0..32 (or fewer)
};

class TestInstallation {
public:
    // Tracks 1, 3 and 7 with ten levels each. Texts are "<tag> e<entry>
    // s<slot>" with tags A, B, C, except:
    //   track 1 entry 3 (male job name of level 0), slots 0 and 2: two lines;
    //   track 1 entry 0, slot 12: Russian, slot 14: Japanese (in their code pages);
    //   track 1 entry 3, slot 14: the Japanese character U+8868 (Shift-JIS
    //   0x95 0x5C, a trail byte equal to a backslash) followed by "n".
    TestInstallation();

    std::vector<TestTrack> tracks;
    // The card of track 1, level 0: a good sound and text entry 2 (textIndex 2).
    bool withCarPortal = true;
    std::uint16_t cardTextIndex = 2;

    // Writes every file into `disk`.
    void install(FakeFileSystem& disk) const;

    // Colour of the popup icon of a track id (each band is one colour).
    static std::uint32_t popupColour(std::uint16_t id);

    static std::string russianCareerName();   // UTF-8
    static std::string japaneseCareerName();  // UTF-8
    // Shift-JIS bytes of entry 3, slot 14 of track 1.
    static constexpr char kJapaneseJobName[] = "\x95\x5Cn";
    // The global texts: entry e, slot s = "global e<e> s<s>".
    static constexpr std::size_t kGlobalTextCount = 6;

private:
    Bytes careerContainer() const;
    Bytes carPortal() const;
};

}  // namespace jf::test
