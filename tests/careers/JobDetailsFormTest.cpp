#include "careers/JobDetailsForm.h"

#include <gtest/gtest.h>

#include <set>

namespace jf {
namespace {

JobLevel sampleLevel() {
    JobLevel level;
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        level.value(i) = static_cast<std::int32_t>(i + 1);
    }
    level.internalJobName = "Chef";
    level.maleMesh = "m";
    level.femaleMesh = "f";
    level.skinTexture = "s";
    level.extraText = "extra";
    return level;
}

TEST(JobDetailsForm, EveryFieldAppearsOnceInTheReadingOrder) {
    std::set<JobDetailField> seen(kJobDetailReadOrder.begin(), kJobDetailReadOrder.end());
    EXPECT_EQ(seen.size(), kJobDetailFieldCount);
    EXPECT_EQ(kJobDetailReadOrder.front(), JobDetailField::BeginTime);
    EXPECT_EQ(kJobDetailReadOrder[3], JobDetailField::Vehicle);
    EXPECT_EQ(kJobDetailReadOrder.back(), JobDetailField::SkinTexture);
}

TEST(JobDetailsForm, FieldsMapOntoTheJobLevelValues) {
    for (std::size_t i = 0; i < kJobDetailFieldCount; ++i) {
        EXPECT_EQ(jobDetailFields()[i].field, static_cast<JobDetailField>(i));
    }
    EXPECT_EQ(jobDetailField(JobDetailField::Friends).index, 0u);
    EXPECT_EQ(jobDetailField(JobDetailField::Creativity).index, 6u);
    EXPECT_EQ(jobDetailField(JobDetailField::Hunger).index, 10u);
    EXPECT_EQ(jobDetailField(JobDetailField::Social).index, 16u);
    EXPECT_EQ(jobDetailField(JobDetailField::Salary).index, 17u);
    EXPECT_EQ(jobDetailField(JobDetailField::Vehicle).index, 20u);
    EXPECT_EQ(jobDetailField(JobDetailField::SkinTexture).index, 3u);
    EXPECT_EQ(jobDetailField(JobDetailField::Cooking).spinId, 1059);
    EXPECT_TRUE(jobDetailField(JobDetailField::Logic).acceleratedSpin);
    EXPECT_FALSE(jobDetailField(JobDetailField::Friends).acceleratedSpin);
    EXPECT_FALSE(jobDetailField(JobDetailField::Hunger).acceleratedSpin);
}

TEST(JobDetailsForm, SkillsAreBoundedBelowByThePreviousLevel) {
    const JobRequirements previous{3, 250, 0, 0, 0, 0, 0};
    std::int32_t value = -1;
    NumericCheck check = checkJobField(JobDetailField::Cooking, "249", previous, value);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, "Please enter an integer between 250 and 1000.");
    EXPECT_EQ(value, -1);
    check = checkJobField(JobDetailField::Cooking, "250", previous, value);
    EXPECT_TRUE(check.ok);
    EXPECT_EQ(value, 250);
    check = checkJobField(JobDetailField::Friends, "2", previous, value);
    EXPECT_EQ(check.message, "Please enter an integer between 3 and 25.");

    const NumericRange spin = jobFieldSpinRange(JobDetailField::Cooking, previous);
    EXPECT_EQ(spin.minimum, 250);
    EXPECT_EQ(spin.maximum, 1000);
}

TEST(JobDetailsForm, FriendsRefuseNegativesAndValuesAbove25) {
    const JobRequirements previous{};
    std::int32_t value = 0;
    EXPECT_EQ(checkJobField(JobDetailField::Friends, "-1", previous, value).message,
              "Please enter a positive integer.");
    EXPECT_EQ(checkJobField(JobDetailField::Friends, "26", previous, value).message,
              "Please enter an integer between 0 and 25.");
    EXPECT_TRUE(checkJobField(JobDetailField::Friends, "25", previous, value).ok);
}

TEST(JobDetailsForm, MoodsTakeALoneMinusAndStayWithinPlusMinus100) {
    const JobRequirements previous{};
    std::int32_t value = 7;
    EXPECT_TRUE(checkJobField(JobDetailField::Bladder, "-", previous, value).ok);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(checkJobField(JobDetailField::Fun, "-101", previous, value).message,
              "Please enter an integer between -100 and 100.");
    EXPECT_EQ(checkJobField(JobDetailField::Fun, "x", previous, value).message,
              "Please enter an integer.");
    EXPECT_EQ(checkJobField(JobDetailField::BeginTime, "-", previous, value).message,
              "Please enter an integer.");
}

TEST(JobDetailsForm, SalaryIsUncheckedAboveItsSpinRange) {
    const JobRequirements previous{};
    std::int32_t value = 0;
    EXPECT_TRUE(checkJobField(JobDetailField::Salary, "40000", previous, value).ok);
    EXPECT_EQ(value, 40000);
    EXPECT_EQ(jobFieldSpinRange(JobDetailField::Salary, previous).maximum, 32767);
    EXPECT_FALSE(jobFieldRange(JobDetailField::Salary, previous).has_value());
    EXPECT_EQ(checkJobField(JobDetailField::Salary, "-5", previous, value).message,
              "Please enter a positive integer.");
    // The unsigned text of a negative stored salary reads back to the same bits.
    JobLevel level;
    level.salary = -1;
    EXPECT_EQ(jobFieldText(level, JobDetailField::Salary), "4294967295");
    EXPECT_TRUE(checkJobField(JobDetailField::Salary, "4294967295", previous, value).ok);
    EXPECT_EQ(value, -1);
}

TEST(JobDetailsForm, HoursRunFrom0To23) {
    const JobRequirements previous{};
    std::int32_t value = 0;
    EXPECT_TRUE(checkJobField(JobDetailField::EndTime, "23", previous, value).ok);
    EXPECT_EQ(checkJobField(JobDetailField::EndTime, "24", previous, value).message,
              "Please enter an integer between 0 and 23.");
}

TEST(JobDetailsForm, VehicleOutsideTheListIsKeptWhenTheListIsLeftAlone) {
    EXPECT_EQ(vehicleListIndex(0), 0);
    EXPECT_EQ(vehicleListIndex(8), 8);
    EXPECT_EQ(vehicleListIndex(9), -1);
    EXPECT_EQ(vehicleListIndex(-3), -1);
    EXPECT_EQ(carTypeForSelection(-1, 42), 42);
    EXPECT_EQ(carTypeForSelection(5, 42), 5);
}

TEST(JobDetailsForm, TextsOfTheNumericFields) {
    const JobLevel level = sampleLevel();
    EXPECT_EQ(jobFieldText(level, JobDetailField::Friends), "1");
    EXPECT_EQ(jobFieldText(level, JobDetailField::Hunger), "11");
    EXPECT_EQ(jobFieldText(level, JobDetailField::InternalName), "");
    JobLevel negative;
    negative.hungerPerHour = -40;
    EXPECT_EQ(jobFieldText(negative, JobDetailField::Hunger), "-40");
}

TEST(JobDetailsForm, LoadPreviousSetsOnlyFriendsAndSkills) {
    JobLevel buffers = sampleLevel();
    const JobLevel before = buffers;
    loadPreviousRequirements(buffers, {9, 8, 7, 6, 5, 4, 3});
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(buffers.value(i), static_cast<std::int32_t>(9 - i));
    }
    for (std::size_t i = 7; i < JobLevel::kValueCount; ++i) {
        EXPECT_EQ(buffers.value(i), before.value(i));
    }
}

TEST(JobDetailsForm, CopyBackLeavesTheReservedValuesAndExtraText) {
    JobLevel level = sampleLevel();
    JobLevel edited;
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        edited.value(i) = 100 + static_cast<std::int32_t>(i);
    }
    edited.internalJobName = "Cook";
    edited.maleMesh = "M";
    edited.femaleMesh = "F";
    edited.skinTexture = "S";
    edited.extraText = "changed";
    copyEditedJobFields(edited, level);
    for (std::size_t i = 0; i < JobLevel::kValueCount; ++i) {
        if (i >= 7 && i <= 9) {
            EXPECT_EQ(level.value(i), static_cast<std::int32_t>(i + 1)) << i;
        } else {
            EXPECT_EQ(level.value(i), edited.value(i)) << i;
        }
    }
    EXPECT_EQ(level.internalJobName, "Cook");
    EXPECT_EQ(level.skinTexture, "S");
    EXPECT_EQ(level.extraText, "extra");
}

}  // namespace
}  // namespace jf
