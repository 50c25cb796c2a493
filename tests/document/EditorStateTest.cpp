#include "document/EditorState.h"

#include <gtest/gtest.h>

#include <set>

namespace jf {
namespace {

TEST(EditorStateTest, EnablingTable) {
    const ControlEnabling none = controlEnabling(false, false, false);
    EXPECT_EQ(none, (ControlEnabling{false, false, false}));
    // A job row without a career cannot enable anything.
    EXPECT_EQ(controlEnabling(false, true, false), none);
    EXPECT_EQ(controlEnabling(true, false, false), (ControlEnabling{true, false, false}));
    EXPECT_EQ(controlEnabling(true, true, false), (ControlEnabling{true, true, true}));
    EXPECT_EQ(controlEnabling(true, true, true), (ControlEnabling{true, true, false}));
    EXPECT_EQ(controlEnabling(true, false, true), (ControlEnabling{true, false, false}));
}

TEST(EditorStateTest, JobRowKeptAcrossCareers) {
    JobRowMemory memory;
    EXPECT_EQ(memory.value(), 0);
    // Career A shown with row 0, the user picks row 3, then career B.
    memory.takeSelection(3);
    EXPECT_EQ(memory.rowToSelect(), 3);
    // No job row selected: the next career starts at row 0.
    memory.takeSelection(-1);
    EXPECT_EQ(memory.rowToSelect(), 0);
}

TEST(EditorStateTest, JobRowSurvivesAMomentWithoutACareer) {
    JobRowMemory memory;
    memory.takeSelection(3);
    memory.careerCleared();
    EXPECT_EQ(memory.value(), ~3);
    EXPECT_LT(memory.value(), 0);
    // Further notifications without a career (the job list is empty then)
    // must not lose the row.
    memory.takeSelection(-1);
    memory.careerCleared();
    EXPECT_EQ(memory.value(), ~3);
    EXPECT_EQ(memory.rowToSelect(), 3);
    EXPECT_EQ(memory.value(), 3);
}

TEST(EditorStateTest, RowZeroIsKeptAsMinusOne) {
    JobRowMemory memory;
    memory.takeSelection(0);
    memory.careerCleared();
    EXPECT_EQ(memory.value(), -1);
    EXPECT_EQ(memory.rowToSelect(), 0);
}

TEST(EditorStateTest, EntriesOfFields) {
    EXPECT_FALSE(entryOfField(TextField::InternalCareerName, 0).has_value());
    EXPECT_EQ(entryOfField(TextField::CareerName, 5), 0u);
    EXPECT_EQ(entryOfField(TextField::MaleOffer, 5), 1u);
    EXPECT_EQ(entryOfField(TextField::FemaleOffer, 5), 2u);
    EXPECT_EQ(entryOfField(TextField::MaleJobName, 0), 3u);
    EXPECT_EQ(entryOfField(TextField::JobDescription, 0), 4u);
    EXPECT_EQ(entryOfField(TextField::FemaleJobName, 0), 23u);
    EXPECT_EQ(entryOfField(TextField::MaleJobName, 9), 21u);
    EXPECT_EQ(entryOfField(TextField::JobDescription, 9), 22u);
    EXPECT_EQ(entryOfField(TextField::FemaleJobName, 9), 32u);
    // Every entry 0..32 belongs to exactly one field and level.
    std::set<std::size_t> entries;
    for (std::size_t level = 0; level < 10; ++level) {
        for (std::size_t f = 1; f < kTextFieldCount; ++f) {
            const auto field = static_cast<TextField>(f);
            if (isJobField(field) || level == 0) {
                entries.insert(*entryOfField(field, level));
            }
        }
    }
    EXPECT_EQ(entries.size(), 33u);
    EXPECT_EQ(*entries.rbegin(), 32u);
}

TEST(EditorStateTest, FieldKinds) {
    EXPECT_TRUE(isJobNameField(TextField::MaleJobName));
    EXPECT_TRUE(isJobNameField(TextField::FemaleJobName));
    EXPECT_FALSE(isJobNameField(TextField::JobDescription));
    EXPECT_TRUE(isMultiLineField(TextField::JobDescription));
    EXPECT_TRUE(isMultiLineField(TextField::MaleOffer));
    EXPECT_FALSE(isMultiLineField(TextField::CareerName));
    EXPECT_FALSE(isJobField(TextField::FemaleOffer));
}

TEST(EditorStateTest, LanguageCommandsDispatchToSlots) {
    EXPECT_EQ(slotOfLanguageCommand(32772), 0);
    EXPECT_EQ(slotOfLanguageCommand(32778), 6);   // Dutch
    EXPECT_EQ(slotOfLanguageCommand(32794), 7);   // Danish
    EXPECT_EQ(slotOfLanguageCommand(32779), 8);   // Swedish
    EXPECT_EQ(slotOfLanguageCommand(32798), 12);  // Russian
    EXPECT_EQ(slotOfLanguageCommand(32781), 14);  // Japanese
    EXPECT_EQ(slotOfLanguageCommand(32786), 19);  // Korean
    EXPECT_EQ(slotOfLanguageCommand(command::kSetAll), -1);
    std::set<int> ids;
    for (std::size_t slot = 0; slot < kLanguageMenu.size(); ++slot) {
        ids.insert(kLanguageMenu[slot].commandId);
        EXPECT_EQ(slotOfLanguageCommand(kLanguageMenu[slot].commandId), static_cast<int>(slot));
    }
    EXPECT_EQ(ids.size(), 20u);
    EXPECT_STREQ(kLanguageMenu[16].label, "Simplified Chinese");
    EXPECT_STREQ(kLanguageMenu[17].label, "Traditional Chinese");
    EXPECT_STREQ(kLanguageMenu[7].label, "Danish");
}

}  // namespace
}  // namespace jf
