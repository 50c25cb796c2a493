// The read-only load and the installation check on the sample installation
// in the fake file system.
#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "LoaderTestSupport.h"
#include "startup/InstallationCheck.h"
#include "startup/SampleInstallation.h"

namespace jf {
namespace {

using test::LoaderTestBase;

class InstallationCheckTest : public LoaderTestBase {
protected:
    void SetUp() override {
        LoaderTestBase::SetUp();
        fs.addFolder(test::kGameFolder);
        session->state.installation.installedPacks = kSampleInstalledPacks;
        // No pack is known yet: a load as the editor does would ask.
        session->state.installation.knownPacks = 0;
        ASSERT_TRUE(writeSampleGameFiles(fs, test::kGameFolder));
    }

    // Every file with its bytes.
    std::map<std::string, std::vector<std::uint8_t>> files() const {
        std::map<std::string, std::vector<std::uint8_t>> all;
        for (const std::string& path : fs.allFiles()) {
            all[path] = fs.fileBytes(path).value_or(std::vector<std::uint8_t>{});
        }
        return all;
    }

    std::vector<std::string> kinds() const {
        std::vector<std::string> found;
        for (const Finding& finding : checkInstallation(*session)) {
            found.push_back(finding.kind);
        }
        return found;
    }

    static bool has(const std::vector<std::string>& kinds, const char* kind) {
        return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
    }
};

TEST_F(InstallationCheckTest, AReadOnlyLoadCreatesAndChangesNothing) {
    const auto before = files();
    ASSERT_EQ(load(true), LoadResult::Ok);
    EXPECT_TRUE(prompts.shown.empty()) << "no expansion-pack question";
    EXPECT_EQ(prompts.statuses, expectedStatuses("Work.iff"));
    EXPECT_EQ(session->database.trackIds(), sampleTrackIds());
    EXPECT_GT(session->icons.popupIconCount(), 0);
    EXPECT_GT(session->icons.buttonIconCount(), 0);
    EXPECT_EQ(files(), before) << "the strips were read from the archive into memory";
    // File Save refuses such a session, and writes nothing.
    EXPECT_FALSE(saveAll(*session, prompts));
    EXPECT_EQ(files(), before);
}

TEST_F(InstallationCheckTest, TheSampleIsCleanAndPlantedFaultsAreFound) {
    ASSERT_EQ(load(true), LoadResult::Ok);
    EXPECT_TRUE(kinds().empty());

    CareerDatabase& database = session->database;
    ChanceCard& first = *database.chanceCard(0, 0);
    ChanceCard& second = *database.chanceCard(1, 1);
    ASSERT_NE(first.textIndex, 0);
    ASSERT_FALSE(second.items.empty());
    second.textIndex = first.textIndex;
    // The sample's cards stand on every third level.
    database.chanceCard(2, 2)->textIndex = database.chanceCard(3, 0)->textIndex;
    ASSERT_NE(database.chanceCard(2, 5)->textIndex, 0);
    database.chanceCard(2, 5)->items.clear();
    std::vector<JobLevel>& levels = database.track(4)->career.levels;
    levels[5].logicNeeded = levels[4].logicNeeded - 1;
    ASSERT_TRUE(database.setGlobalText(first.textIndex - 1u, 12, ""));

    std::vector<Finding> findings = checkInstallation(*session);
    EXPECT_TRUE(hasErrors(findings));
    const std::vector<std::string> found = kinds();
    EXPECT_EQ(std::count(found.begin(), found.end(), kFindingSharedCardText), 2);
    EXPECT_TRUE(has(found, kFindingCardTextWithoutItems));
    EXPECT_TRUE(has(found, kFindingRequirementGoesDown));
    auto russian = std::find_if(findings.begin(), findings.end(),
                                [](const Finding& f) { return f.place == "Russian"; });
    ASSERT_NE(russian, findings.end());
    EXPECT_EQ(russian->severity, FindingSeverity::Warning);
    EXPECT_EQ(russian->message.rfind("2 texts", 0), 0u) << "the card text, used twice";
    auto falling = std::find_if(findings.begin(), findings.end(), [](const Finding& f) {
        return f.kind == kFindingRequirementGoesDown;
    });
    EXPECT_NE(falling->place.find("track 4 (#"), std::string::npos) << falling->place;
    EXPECT_NE(falling->place.find("level 6"), std::string::npos) << falling->place;
    EXPECT_EQ(falling->message.rfind("Logic needed goes down", 0), 0u) << falling->message;

    // Icons missing from the strips are warnings.
    session->icons.clear();
    findings = checkInstallation(*session);
    EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                            [](const Finding& f) { return f.kind == kFindingMissingIcon; }),
              static_cast<long>(2 * database.trackCount()));
}

}  // namespace
}  // namespace jf
