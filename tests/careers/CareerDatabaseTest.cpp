#include "careers/CareerDatabase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iff/IffFile.h"
#include "support/CareerBuilders.h"

namespace jf {
namespace {

using test::Bytes;
using test::MemoryContainer;
using test::RawTestChunk;
using test::TrackRecipe;

std::string entryText(const StringTable& table, std::size_t entry, int slot) {
    std::string value;
    EXPECT_TRUE(table.getString(entry, slot, StringTable::kText, value));
    return value;
}

// The table of type STR# and `id` in a container's bytes, decoded.
bool readStrings(const Bytes& containerBytes, std::uint16_t id, StringTable& table,
                 std::string* label = nullptr) {
    MemoryContainer reopened(containerBytes);
    if (!reopened.ok()) {
        return false;
    }
    IffChunk* chunk = reopened.view().find(kTypeStr, id);
    if (chunk == nullptr) {
        return false;
    }
    if (label != nullptr) {
        *label = chunk->label;
    }
    StringTable attached;
    if (!attached.attachTo(reopened.view(), *chunk)) {
        return false;
    }
    MemoryFile body;
    if (!attached.writeToFile(body) || !body.seek(0)) {
        return false;
    }
    return table.loadFromFile(body);
}

TEST(CareerDatabase, PositionsFollowAscendingIds) {
    MemoryContainer container(
        test::buildCareerContainer({test::sampleTrack(12, "Twelve"), test::sampleTrack(3, "Three"),
                                    test::sampleTrack(7, "Seven")}));
    ASSERT_TRUE(container.ok());
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_EQ(db.trackCount(), 3u);
    EXPECT_EQ(db.trackIds(), (std::vector<std::uint16_t>{3, 7, 12}));
    EXPECT_EQ(db.careerChunk(0)->internalCareerName, "Three");
    EXPECT_EQ(db.careerChunk(1)->internalCareerName, "Seven");
    EXPECT_EQ(db.careerChunk(2)->internalCareerName, "Twelve");
    EXPECT_EQ(entryText(*db.careerStrings(2), CareerStrings::kCareerNameEntry, 0), "Twelve e0 s0");
    for (std::size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(db.track(p)->position, p);
    }
    EXPECT_EQ(db.positionOfId(12), 2);
    EXPECT_EQ(db.positionOfId(4), -1);
    EXPECT_EQ(db.track(3), nullptr);
    EXPECT_EQ(db.careerChunk(3), nullptr);
    EXPECT_EQ(db.careerStrings(3), nullptr);
    EXPECT_EQ(db.careerChunk(0)->levelCount(), 10u);
    EXPECT_EQ(db.careerChunk(0)->levels[2], test::sampleJobLevel(2 + 3));
}

TEST(CareerDatabase, NoTrackChunksFailsTheLoad) {
    CareerDatabase db;
    MemoryContainer empty(test::buildCareerContainer({}));
    ASSERT_TRUE(empty.ok());
    EXPECT_FALSE(db.loadCareers(empty.view()));
    EXPECT_EQ(db.trackCount(), 0u);

    TrackRecipe zero = test::sampleTrack(0, "Zero");
    TrackRecipe high = test::sampleTrack(32768, "High");
    TrackRecipe highest = test::sampleTrack(65535, "Highest");
    MemoryContainer notTracks(test::buildCareerContainer({zero, high, highest}));
    ASSERT_TRUE(notTracks.ok());
    EXPECT_FALSE(db.loadCareers(notTracks.view()));
    EXPECT_EQ(db.trackCount(), 0u);

    // Beside a real track those chunks are simply not tracks.
    MemoryContainer mixed(test::buildCareerContainer(
        {zero, high, test::sampleTrack(32767, "Last"), test::sampleTrack(1, "First")}));
    ASSERT_TRUE(mixed.ok());
    ASSERT_TRUE(db.loadCareers(mixed.view()));
    EXPECT_EQ(db.trackIds(), (std::vector<std::uint16_t>{1, 32767}));
}

TEST(CareerDatabase, CareerWithoutItsStringsFailsTheLoad) {
    TrackRecipe orphan = test::sampleTrack(5, "Orphan");
    orphan.stringsBody.clear();
    MemoryContainer container(test::buildCareerContainer({test::sampleTrack(2, "Fine"), orphan}));
    ASSERT_TRUE(container.ok());
    CareerDatabase db;
    EXPECT_FALSE(db.loadCareers(container.view()));
    // A failed load leaves nothing half-built behind.
    EXPECT_EQ(db.trackCount(), 0u);
    EXPECT_TRUE(db.trackIds().empty());
}

TEST(CareerDatabase, DamagedBodiesFailTheLoadCleanly) {
    TrackRecipe badCareer = test::sampleTrack(4, "Bad");
    badCareer.careerBody.resize(40);
    TrackRecipe badStrings = test::sampleTrack(6, "Bad");
    badStrings.stringsBody = test::buildStrBody(-3, {{1, "x", ""}}, false, 0xFFFF);
    TrackRecipe hugeCount = test::sampleTrack(8, "Huge");
    hugeCount.careerBody = test::buildPackedCareerBodyWithCount("Huge", {}, 0x7FFFFFFF);
    for (const TrackRecipe& bad : {badCareer, badStrings, hugeCount}) {
        MemoryContainer container(test::buildCareerContainer({test::sampleTrack(1, "Ok"), bad}));
        ASSERT_TRUE(container.ok());
        CareerDatabase db;
        EXPECT_FALSE(db.loadCareers(container.view())) << bad.id;
        EXPECT_EQ(db.trackCount(), 0u);
        // The same database loads a sound container afterwards.
        MemoryContainer good(test::buildCareerContainer({test::sampleTrack(1, "Ok")}));
        ASSERT_TRUE(db.loadCareers(good.view()));
        EXPECT_EQ(db.trackCount(), 1u);
    }
}

TEST(CareerDatabase, DuplicateCareerIdsCannotSurviveParsing) {
    TrackRecipe first = test::sampleTrack(9, "First");
    TrackRecipe second = test::sampleTrack(9, "Second");
    Bytes bytes = test::buildContainerBytes({
        {kTypeCarr, 9, 0x10, "one", first.careerBody},
        {kTypeStr, 9, 0x10, "", first.stringsBody},
        {kTypeCarr, 9, 0x10, "two", second.careerBody},
        {kTypeCarr, 11, 0x10, "", test::sampleTrack(11, "Eleven").careerBody},
        {kTypeStr, 11, 0x10, "", test::sampleTrack(11, "Eleven").stringsBody},
    });
    MemoryContainer container(bytes);
    ASSERT_TRUE(container.ok());
    // The container keeps one chunk per type and id: the one read last.
    EXPECT_EQ(container.view().countOfType(kTypeCarr, false), 2u);
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_EQ(db.trackCount(), 2u);
    EXPECT_EQ(db.trackIds(), (std::vector<std::uint16_t>{9, 11}));
    EXPECT_EQ(db.careerChunk(0)->internalCareerName, "Second");
    EXPECT_EQ(db.careerChunk(0)->chunk()->label, "two");
}

TEST(CareerDatabase, PlainCareerIsSavedPackedAndReadsBackEqual) {
    std::vector<JobLevel> levels;
    for (int i = 0; i < 10; ++i) {
        levels.push_back(test::sampleJobLevel(i));
    }
    TrackRecipe plain;
    plain.id = 20;
    plain.careerBody = test::buildPlainCareerBody("Plain", levels);
    plain.stringsBody = test::buildLanguageTableBody(test::sampleCareerTexts("Plain"));
    RawTestChunk other{makeTypeCode('B', 'C', 'O', 'N'), 77, 0x10, "untouched", Bytes{1, 2, 3}};
    MemoryContainer container(test::buildCareerContainer({plain}, {other}));
    ASSERT_TRUE(container.ok());
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_TRUE(db.saveCareers(container.view()));

    Bytes saved = container.backingBytes();
    MemoryContainer reopened(saved);
    ASSERT_TRUE(reopened.ok());
    IffChunk* carr = reopened.view().find(kTypeCarr, 20);
    ASSERT_NE(carr, nullptr);
    EXPECT_EQ(carr->label, "Career");
    EXPECT_TRUE(carr->littleEndian());
    EXPECT_EQ(carr->body(), test::buildPackedCareerBody("Plain", levels));
    IffChunk* bcon = reopened.view().find(kTypeBcon, 77);
    ASSERT_NE(bcon, nullptr);
    EXPECT_EQ(bcon->body(), (Bytes{1, 2, 3}));

    CareerDatabase again;
    ASSERT_TRUE(again.loadCareers(reopened.view()));
    EXPECT_EQ(again.careerChunk(0)->levels, levels);
    EXPECT_EQ(again.careerChunk(0)->internalCareerName, "Plain");
    EXPECT_EQ(again.careerStrings(0)->rows(), db.careerStrings(0)->rows());
}

TEST(CareerDatabase, SavingTwiceIsStable) {
    MemoryContainer container(
        test::buildCareerContainer({test::sampleTrack(1, "One"), test::sampleTrack(2, "Two")}));
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_TRUE(db.saveCareers(container.view()));
    Bytes first = container.backingBytes();
    ASSERT_TRUE(db.saveCareers(container.view()));
    EXPECT_EQ(container.backingBytes(), first);
}

TEST(CareerDatabase, JobNameCopyIsCreatedWholeThenUpdatedAtJobNamesOnly) {
    MemoryContainer container(test::buildCareerContainer({test::sampleTrack(5, "Law")}));
    ASSERT_TRUE(container.ok());
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_EQ(container.view().find(kTypeStr, 1005), nullptr);

    // First save: a full copy labelled "Strings".
    ASSERT_TRUE(db.saveCareers(container.view()));
    IffChunk* created = container.view().find(kTypeStr, 1005);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->label, "Strings");
    EXPECT_TRUE(created->littleEndian());
    Bytes ownBody;
    ASSERT_TRUE(db.careerStrings(0)->encodedBody(ownBody));
    EXPECT_EQ(created->body(), ownBody);

    // Change the career name, a male job name, a female job name and a job
    // description, in several languages.
    CareerStrings& strings = *db.careerStrings(0);
    ASSERT_TRUE(
        strings.setString(CareerStrings::kCareerNameEntry, 0, StringTable::kText, "Renamed"));
    ASSERT_TRUE(strings.setString(CareerStrings::maleJobNameEntry(3), 7, StringTable::kText,
                                  "Anwalt\r\nneu"));
    ASSERT_TRUE(strings.setString(CareerStrings::femaleJobNameEntry(9), 19, StringTable::kText,
                                  "female nine"));
    ASSERT_TRUE(strings.setString(CareerStrings::jobDescriptionEntry(3), 7, StringTable::kText,
                                  "new description"));
    ASSERT_TRUE(db.saveCareers(container.view()));

    Bytes saved = container.backingBytes();
    StringTable copy;
    std::string label;
    ASSERT_TRUE(readStrings(saved, 1005, copy, &label));
    EXPECT_EQ(label, "Strings");
    EXPECT_EQ(entryText(copy, CareerStrings::maleJobNameEntry(3), 7), "Anwalt\r\nneu");
    EXPECT_EQ(entryText(copy, CareerStrings::femaleJobNameEntry(9), 19), "female nine");
    // Entries other than job names keep what the copy had.
    EXPECT_EQ(entryText(copy, CareerStrings::kCareerNameEntry, 0), "Law e0 s0");
    EXPECT_EQ(entryText(copy, CareerStrings::jobDescriptionEntry(3), 7), "Law e10 s7");
    // The track's own table has everything.
    StringTable own;
    ASSERT_TRUE(readStrings(saved, 5, own));
    EXPECT_EQ(entryText(own, CareerStrings::kCareerNameEntry, 0), "Renamed");
    EXPECT_EQ(entryText(own, CareerStrings::jobDescriptionEntry(3), 7), "new description");
}

TEST(CareerDatabase, JobDescriptionChangeLeavesTheCopyAlone) {
    // An existing copy whose entries differ from the track's table.
    std::vector<test::TextsBySlot> copyTexts = test::sampleCareerTexts("Copy");
    RawTestChunk copyChunk{kTypeStr, 1004, 0x10, "Old copy",
                           test::buildLanguageTableBody(copyTexts)};
    TrackRecipe track = test::sampleTrack(4, "Track");
    MemoryContainer container(test::buildCareerContainer({track}, {copyChunk}));
    ASSERT_TRUE(container.ok());
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    // First save brings the job names in step.
    ASSERT_TRUE(db.saveCareers(container.view()));
    Bytes before = container.view().find(kTypeStr, 1004)->body();

    ASSERT_TRUE(db.careerStrings(0)->setString(CareerStrings::jobDescriptionEntry(0), 0,
                                               StringTable::kText, "changed description"));
    ASSERT_TRUE(db.saveCareers(container.view()));
    IffChunk* copy = container.view().find(kTypeStr, 1004);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->body(), before);
    EXPECT_EQ(copy->label, "Old copy");

    StringTable decoded;
    ASSERT_TRUE(readStrings(container.backingBytes(), 1004, decoded));
    for (std::size_t entry = 0; entry < CareerStrings::kEntryCount; ++entry) {
        for (int slot = 0; slot < 20; ++slot) {
            std::string expected =
                CareerStrings::isJobNameEntry(entry)
                    ? "Track e" + std::to_string(entry) + " s" + std::to_string(slot)
                    : copyTexts[entry][static_cast<std::size_t>(slot)];
            EXPECT_EQ(entryText(decoded, entry, slot), expected) << entry << " " << slot;
        }
    }
}

TEST(CareerDatabase, ShortJobNameCopyIsLengthened) {
    RawTestChunk shortCopy{kTypeStr, 1001, 0x10, "Strings",
                           test::buildStrBody(-3, {{1, "only", ""}})};
    MemoryContainer container(test::buildCareerContainer({test::sampleTrack(1, "T")}, {shortCopy}));
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    ASSERT_TRUE(db.saveCareers(container.view()));
    StringTable copy;
    ASSERT_TRUE(readStrings(container.backingBytes(), 1001, copy));
    ASSERT_EQ(copy.rowCount(), 33u);
    EXPECT_EQ(entryText(copy, 0, 0), "only");
    EXPECT_EQ(entryText(copy, 4, 0), "");
    EXPECT_EQ(entryText(copy, 32, 19), "T e32 s19");
}

TEST(CareerDatabase, DamagedJobNameCopyFailsTheSaveWithoutWriting) {
    RawTestChunk damaged{kTypeStr, 1001, 0x10, "Strings", Bytes{0xFD}};
    Bytes original = test::buildCareerContainer({test::sampleTrack(1, "T")}, {damaged});
    MemoryContainer container(original);
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    EXPECT_FALSE(db.saveCareers(container.view()));
    EXPECT_EQ(container.backingBytes(), original);
    EXPECT_EQ(db.trackCount(), 1u);
}

TEST(CareerDatabase, EditedLevelsAreSaved) {
    MemoryContainer container(test::buildCareerContainer({test::sampleTrack(3, "Edit", 2)}));
    CareerDatabase db;
    ASSERT_TRUE(db.loadCareers(container.view()));
    CareerChunk& career = *db.careerChunk(0);
    career.levels[1].salary = 4321;
    career.levels[1].maleMesh = "newmesh";
    career.internalCareerName = "Edited";
    ASSERT_TRUE(db.saveCareers(container.view()));

    MemoryContainer reopened(container.backingBytes());
    CareerDatabase again;
    ASSERT_TRUE(again.loadCareers(reopened.view()));
    EXPECT_EQ(again.careerChunk(0)->internalCareerName, "Edited");
    EXPECT_EQ(again.careerChunk(0)->levels[1].salary, 4321);
    EXPECT_EQ(again.careerChunk(0)->levels[1].maleMesh, "newmesh");
    EXPECT_EQ(again.careerChunk(0)->levels, career.levels);
}

TEST(CareerDatabase, SaveWithoutTracksOnlyWritesTheContainer) {
    Bytes original = test::buildCareerContainer({});
    MemoryContainer container(original);
    CareerDatabase db;
    EXPECT_FALSE(db.loadCareers(container.view()));
    ASSERT_TRUE(db.saveCareers(container.view()));
    MemoryContainer reopened(container.backingBytes());
    ASSERT_TRUE(reopened.ok());
    EXPECT_EQ(reopened.view().countOfType(kTypeStr, false), 0u);
}

}  // namespace
}  // namespace jf
