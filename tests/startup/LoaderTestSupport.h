#pragma once
// A game installation on the fake file system and a session to load it, for
// the loading-sequence and File Save tests.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "document/EditorSession.h"
#include "iff/IffChunk.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "startup/Startup.h"
#include "support/CareerBuilders.h"
#include "support/CodeTreeBuilders.h"
#include "support/FakeFileSystem.h"
#include "support/FarBuilder.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedPrompts.h"

namespace jf::test {

inline constexpr char kGameFolder[] = "C:\\Games\\The Sims\\";

inline std::string gamePath(const std::string& relative) {
    return std::string(kGameFolder) + relative;
}
inline std::string workPath() {
    return gamePath("ExpansionShared\\Work.iff");
}
inline std::string careersIffPath() {
    return gamePath("GameData\\Careers.iff");
}
inline std::string careersPath() {
    return gamePath("GameData\\Careers");
}
inline std::string carPortalPath() {
    return gamePath("GameData\\Objects\\CarPortal.iff");
}
inline std::string interfaceFolder() {
    return gamePath("UIGraphics\\");
}
inline std::string popupPath() {
    return interfaceFolder() + kPopupIconName;
}
inline std::string buttonPath() {
    return interfaceFolder() + kButtonIconName;
}

// A career container with two tracks (ids 1 and 2) and the job-name copies.
inline Bytes sampleCareerFile(const std::string& tag = "work") {
    return buildCareerContainer({sampleTrack(1, tag + "1"), sampleTrack(2, tag + "2")});
}

// A card container: the eight global options and the global texts, no card
// trees (so every track has empty cards).
inline Bytes sampleCardFile() {
    std::vector<TextsBySlot> rows(12);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t s = 0; s < rows[r].size(); ++s) {
            rows[r][s] = "global " + std::to_string(r) + " s" + std::to_string(s);
        }
    }
    return buildContainerBytes({
        {kTypeBcon, 4097, 0x10, "Options", buildBconBody(8, {100, 20, 8, 15, 2, 30, -30, 25})},
        {kTypeStr, 301, 0x10, "Texts", buildLanguageTableBody(rows)},
    });
}

// A strip of `icons` bands of the given size; band b is filled with a colour
// made of `shade` and b.
inline Bitmap sampleStrip(int width, int iconHeight, int icons, int shade) {
    Bitmap strip(width, iconHeight * icons);
    for (int y = 0; y < strip.height(); ++y) {
        const int band = y / iconHeight;
        for (int x = 0; x < width; ++x) {
            strip.setPixel(x, y,
                           {static_cast<std::uint8_t>(shade), static_cast<std::uint8_t>(band * 20),
                            static_cast<std::uint8_t>((x + y) & 0xFF)});
        }
    }
    return strip;
}
inline Bytes popupStripFile(int shade, int icons = 3) {
    return encodeBitmapFile(sampleStrip(84, 63, icons, shade));
}
inline Bytes buttonStripFile(int shade, int icons = 3) {
    return encodeBitmapFile(sampleStrip(112, 22, icons, shade));
}

// Shades telling loose strips from archived ones.
inline constexpr int kLooseShade = 10;
inline constexpr int kArchiveShade = 200;

// A Prompts that can also act when a status text appears.
class StatusHookPrompts : public ScriptedPrompts {
public:
    std::function<void(const std::string&)> onStatus;
    void status(const std::string& text) override {
        ScriptedPrompts::status(text);
        if (onStatus) {
            onStatus(text);
        }
    }
};

class LoaderTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<EditorSession>(fs, settings);
        session->state.installation.gameDataFolder = kGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
    }

    // Everything a complete load needs, loose on disk, plus the icon
    // archive holding strips of another shade.
    void putInstallation() {
        fs.putFile(workPath(), sampleCareerFile());
        fs.putFile(carPortalPath(), sampleCardFile());
        putLooseIcons();
        putIconArchive();
    }
    void putLooseIcons() {
        fs.putFile(popupPath(), popupStripFile(kLooseShade));
        fs.putFile(buttonPath(), buttonStripFile(kLooseShade));
    }
    void putIconArchive(const std::string& name = "UIGraphics.far",
                        const std::string& popupEntry = kPopupIconName,
                        const std::string& buttonEntry = kButtonIconName,
                        int shade = kArchiveShade) {
        std::vector<FarBuilderEntry> entries = {{"cpanel\\Other.bmp", popupStripFile(1, 1)}};
        if (!popupEntry.empty()) {
            entries.push_back({popupEntry, popupStripFile(shade)});
        }
        if (!buttonEntry.empty()) {
            entries.push_back({buttonEntry, buttonStripFile(shade)});
        }
        fs.putFile(interfaceFolder() + name, buildFarArchive(entries));
    }

    LoadResult load(bool readOnly = false) {
        LoadRequest request;
        request.folder = kGameFolder;
        request.readOnly = readOnly;
        runLoader(request, *session, prompts);
        EXPECT_EQ(request.finished.load(), 1);
        return request.resultCode.load();
    }
    LoadResult reload() {
        prepareReload(*session);
        return load();
    }

    // The red channel of the top-left pixel of each strip: which file was read.
    int popupShade() const { return session->icons.popupStrip().pixel(0, 0).red; }
    int buttonShade() const { return session->icons.buttonStrip().pixel(0, 0).red; }

    std::vector<std::string> expectedStatuses(const std::string& careerName,
                                              bool cards = true) const {
        std::vector<std::string> statuses = {kStatusCarPortal, careerName, kStatusLoadingCareers};
        if (cards) {
            statuses.push_back(kStatusLoadingCards);
        }
        statuses.push_back(kStatusLoadingBitmaps);
        return statuses;
    }

    FakeFileSystem fs;
    MemorySettingsStore settings;
    StatusHookPrompts prompts;
    std::unique_ptr<EditorSession> session;
};

}  // namespace jf::test
