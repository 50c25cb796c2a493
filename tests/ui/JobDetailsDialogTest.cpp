#include "ui/JobDetailsDialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "support/ScriptedPrompts.h"
#include "ui/SpinButton.h"

namespace jf {
namespace {

using F = JobDetailField;
using test::fieldMessage;
using test::retype;

JobLevel levelThree() {
    JobLevel level;
    level.friendsNeeded = 4;
    level.cookingNeeded = 320;
    level.mechanicalNeeded = 100;
    level.charismaNeeded = 200;
    level.bodyNeeded = 300;
    level.logicNeeded = 0;
    level.creativityNeeded = 50;
    level.reserved7 = 77;
    level.reserved8 = -88;
    level.reserved9 = 99999;
    level.hungerPerHour = -10;
    level.comfortPerHour = 20;
    level.hygienePerHour = -30;
    level.bladderPerHour = 5;
    level.energyPerHour = -40;
    level.funPerHour = 15;
    level.socialPerHour = 0;
    level.salary = 450;
    level.startHour = 9;
    level.endHour = 17;
    level.carType = 3;
    level.internalJobName = "Sous Chef";
    level.maleMesh = "b003mafit_01";
    level.femaleMesh = "b003fafit_01";
    level.skinTexture = "chef";
    level.extraText = "do not touch";
    return level;
}

// Level 2's first seven values.
constexpr JobRequirements kLevelTwo = {3, 300, 100, 150, 200, 0, 50};

class JobDetailsDialogTest : public ::testing::Test {
protected:
    void open(const JobRequirements& previous = kLevelTwo) {
        dialog = std::make_unique<JobDetailsDialog>(prompts, level, previous);
        dialog->show();
    }
    QLineEdit* edit(F field) { return dialog->edit(field); }
    void pressOk() { QTest::mouseClick(dialog->okButton(), Qt::LeftButton); }
    bool accepted() const { return dialog->result() == QDialog::Accepted; }

    test::ScriptedPrompts prompts;
    JobLevel level = levelThree();
    std::unique_ptr<JobDetailsDialog> dialog;
};

TEST_F(JobDetailsDialogTest, ShowsTheLevelsValuesAndTexts) {
    open();
    EXPECT_EQ(dialog->windowTitle(), "Job details...");
    EXPECT_EQ(edit(F::InternalName)->text(), "Sous Chef");
    EXPECT_EQ(edit(F::SkinTexture)->text(), "chef");
    EXPECT_EQ(edit(F::Friends)->text(), "4");
    EXPECT_EQ(edit(F::Cooking)->text(), "320");
    EXPECT_EQ(edit(F::Energy)->text(), "-40");
    EXPECT_EQ(edit(F::Salary)->text(), "450");
    EXPECT_EQ(edit(F::EndTime)->text(), "17");
    EXPECT_EQ(dialog->vehicleList()->currentText(), "Staff Sedan");
    EXPECT_EQ(dialog->vehicleList()->count(), 9);
    EXPECT_EQ(dialog->vehicleList()->itemText(8), "Limo");
    QLabel* vehicleLabel = nullptr;
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text() == "Vehicle:") {
            vehicleLabel = label;
        }
    }
    ASSERT_NE(vehicleLabel, nullptr);
    EXPECT_EQ(vehicleLabel->buddy(), dialog->vehicleList());
    EXPECT_TRUE(dialog->jobLine()->text().isEmpty());
    dialog->setJobLine("Career: Culinary, job 3: Sous Chef");
    EXPECT_EQ(dialog->jobLine()->text(), "Career: Culinary, job 3: Sous Chef");
    EXPECT_EQ(dialog->windowTitle(), "Job details...");
    EXPECT_EQ(dialog->spin(F::Cooking)->minimum(), 300);
    EXPECT_EQ(dialog->spin(F::Cooking)->maximum(), 1000);
    EXPECT_EQ(dialog->spin(F::Friends)->minimum(), 3);
    EXPECT_EQ(dialog->spin(F::Friends)->maximum(), 25);
    EXPECT_EQ(dialog->spin(F::Salary)->maximum(), 32767);
    EXPECT_EQ(dialog->spin(F::Hunger)->minimum(), -100);
    EXPECT_EQ(dialog->spin(F::InternalName), nullptr);
}

TEST_F(JobDetailsDialogTest, NumberFieldsTakeOnlyWhatTheyCanHoldAndNameItInATip) {
    open();
    QLineEdit* cooking = edit(F::Cooking);
    cooking->selectAll();
    QTest::keyClicks(cooking, "4x-5");  // no letters, no minus in a skill
    EXPECT_EQ(cooking->text(), "45");
    QTest::keyClicks(cooking, "00");  // 4500 is more than a skill holds
    EXPECT_EQ(cooking->text(), "450");
    QLineEdit* hunger = edit(F::Hunger);
    hunger->selectAll();
    QTest::keyClicks(hunger, "-1a5");
    EXPECT_EQ(hunger->text(), "-15");
    QLineEdit* salary = edit(F::Salary);
    salary->selectAll();
    QTest::keyClicks(salary, "1e6");
    EXPECT_EQ(salary->text(), "16");
    // Texts take anything.
    edit(F::SkinTexture)->selectAll();
    QTest::keyClicks(edit(F::SkinTexture), "x-1");
    EXPECT_EQ(edit(F::SkinTexture)->text(), "x-1");

    EXPECT_EQ(cooking->toolTip(), "An integer from 300 to 1000.");
    EXPECT_EQ(edit(F::Friends)->toolTip(), "An integer from 3 to 25.");
    EXPECT_EQ(hunger->toolTip(), "An integer from -100 to 100.");
    EXPECT_EQ(edit(F::BeginTime)->toolTip(), "An integer from 0 to 23.");
    EXPECT_EQ(salary->toolTip(), "An integer from 0 to 4294967295.");
    EXPECT_TRUE(edit(F::SkinTexture)->toolTip().isEmpty());

    pressOk();
    ASSERT_TRUE(accepted());
    EXPECT_EQ(level.cookingNeeded, 450);
    EXPECT_EQ(level.hungerPerHour, -15);
    EXPECT_EQ(level.salary, 16);
}

TEST_F(JobDetailsDialogTest, CookingBelowThePreviousLevelIsRefusedWithItsBound) {
    open();
    retype(edit(F::Cooking), "250");
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 300 and 1000."));
    EXPECT_FALSE(accepted());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), edit(F::Cooking));
    EXPECT_EQ(edit(F::Cooking)->selectedText(), "250");
    EXPECT_EQ(level, levelThree());
}

TEST_F(JobDetailsDialogTest, OnTheFirstLevelEveryMinimumIsZero) {
    open(JobRequirements{});
    retype(edit(F::Cooking), "0");
    retype(edit(F::Friends), "0");
    pressOk();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(accepted());
    EXPECT_EQ(level.cookingNeeded, 0);
    EXPECT_EQ(level.friendsNeeded, 0);
}

TEST_F(JobDetailsDialogTest, ALoneMinusInAMoodFieldIsZero) {
    open();
    retype(edit(F::Hygiene), "-");
    pressOk();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(accepted());
    EXPECT_EQ(level.hygienePerHour, 0);
}

TEST_F(JobDetailsDialogTest, FriendsTakeNoMinusNorMoreThan25AndOkKeepsItsMessages) {
    open(JobRequirements{});
    retype(edit(F::Friends), "-1");
    EXPECT_EQ(edit(F::Friends)->text(), "4");
    retype(edit(F::Friends), "26");
    EXPECT_EQ(edit(F::Friends)->text(), "4");
    retype(edit(F::Friends), "");
    pressOk();
    // A stored value beyond the range is shown as it is, and refused on OK.
    edit(F::Friends)->setText("26");
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter a positive integer."));
    EXPECT_EQ(prompts.shown[1], fieldMessage("Please enter an integer between 0 and 25."));
    EXPECT_EQ(dialog->focusWidget(), edit(F::Friends));
    EXPECT_EQ(edit(F::Friends)->selectedText(), "26");
    EXPECT_FALSE(accepted());
}

TEST_F(JobDetailsDialogTest, SalaryAbove32767IsAcceptedThoughTheSpinStopsThere) {
    open();
    retype(edit(F::Salary), "32767");
    QTest::mouseClick(dialog->spin(F::Salary)->upButton(), Qt::LeftButton);
    EXPECT_EQ(edit(F::Salary)->text(), "32767");
    retype(edit(F::Salary), "50000");
    pressOk();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(accepted());
    EXPECT_EQ(level.salary, 50000);
}

TEST_F(JobDetailsDialogTest, LoadPreviousWithABadFieldLoadsNothing) {
    open();
    retype(edit(F::Friends), "9");
    retype(edit(F::Comfort), "");
    QTest::mouseClick(dialog->loadPreviousButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer."));
    EXPECT_EQ(dialog->focusWidget(), edit(F::Comfort));
    EXPECT_EQ(edit(F::Friends)->text(), "9");
    EXPECT_EQ(edit(F::Cooking)->text(), "320");

    retype(edit(F::Comfort), "12");
    QTest::mouseClick(dialog->loadPreviousButton(), Qt::LeftButton);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(edit(F::Friends)->text(), "3");
    EXPECT_EQ(edit(F::Cooking)->text(), "300");
    EXPECT_EQ(edit(F::Charisma)->text(), "150");
    EXPECT_EQ(edit(F::Creativity)->text(), "50");
    // The other fields are shown again as read.
    EXPECT_EQ(edit(F::Comfort)->text(), "12");
    EXPECT_EQ(edit(F::Salary)->text(), "450");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(level, levelThree());  // nothing taken over before OK
}

TEST_F(JobDetailsDialogTest, FieldsAreCheckedInTheirReadingOrder) {
    open();
    retype(edit(F::Friends), "");
    retype(edit(F::Social), "");
    edit(F::BeginTime)->setText("24");  // as a stored hour beyond the day
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], fieldMessage("Please enter an integer between 0 and 23."));
    EXPECT_EQ(dialog->focusWidget(), edit(F::BeginTime));
    retype(edit(F::BeginTime), "8");
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(dialog->focusWidget(), edit(F::Social));
}

TEST_F(JobDetailsDialogTest, ReservedValuesAndExtraTextSurviveOk) {
    open();
    retype(edit(F::InternalName), "Head Chef");
    retype(edit(F::Mechanical), "500");
    dialog->vehicleList()->setCurrentIndex(8);
    pressOk();
    ASSERT_TRUE(accepted());
    JobLevel expected = levelThree();
    expected.internalJobName = "Head Chef";
    expected.mechanicalNeeded = 500;
    expected.carType = 8;
    EXPECT_EQ(level, expected);
    EXPECT_EQ(level.reserved7, 77);
    EXPECT_EQ(level.reserved8, -88);
    EXPECT_EQ(level.reserved9, 99999);
    EXPECT_EQ(level.extraText, "do not touch");
}

TEST_F(JobDetailsDialogTest, CancelKeepsTheLevel) {
    open();
    retype(edit(F::Salary), "1");
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(level, levelThree());
}

TEST_F(JobDetailsDialogTest, AStoredVehicleOutsideTheListIsKept) {
    level.carType = 12;
    open();
    EXPECT_EQ(dialog->vehicleList()->currentIndex(), -1);
    pressOk();
    ASSERT_TRUE(accepted());
    EXPECT_EQ(level.carType, 12);
}

TEST_F(JobDetailsDialogTest, TextsTheNeutralCodePageCannotHoldAreRefused) {
    open();
    retype(edit(F::MaleMesh), QString::fromUtf8("b\xE6\x97\xA5"));
    pressOk();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"The text contains a character that cannot be stored in the code page "
                             "of its language.\n\nPlease change the text.\n\nCharacter: "
                             "\xC2\xAB\xE6\x97\xA5\xC2\xBB (U+65E5), language: none (internal "
                             "name)",
                             "Warning", PromptButtons::Ok, PromptIcon::Warning}));
    EXPECT_EQ(dialog->focusWidget(), edit(F::MaleMesh));
    EXPECT_EQ(edit(F::MaleMesh)->selectedText(), QString::fromUtf8("b\xE6\x97\xA5"));
    EXPECT_FALSE(accepted());
    retype(edit(F::MaleMesh), QString::fromUtf8("caf\xC3\xA9"));
    pressOk();
    ASSERT_TRUE(accepted());
    EXPECT_EQ(level.maleMesh, "caf\xE9");
}

TEST_F(JobDetailsDialogTest, SpinsStepWithinTheirRangeAndTheArrowKeys) {
    open();
    SpinButton* cooking = dialog->spin(F::Cooking);
    QTest::mouseClick(cooking->upButton(), Qt::LeftButton);
    EXPECT_EQ(edit(F::Cooking)->text(), "321");
    retype(edit(F::Cooking), "300");
    QTest::mouseClick(cooking->downButton(), Qt::LeftButton);
    EXPECT_EQ(edit(F::Cooking)->text(), "300");
    QTest::keyClick(edit(F::Hunger), Qt::Key_Down);
    EXPECT_EQ(edit(F::Hunger)->text(), "-11");
    // Letters are not taken.
    retype(edit(F::Hunger), "abc");
    EXPECT_EQ(edit(F::Hunger)->text(), "-11");
    QTest::keyClick(edit(F::Hunger), Qt::Key_Up);
    EXPECT_EQ(edit(F::Hunger)->text(), "-10");
}

TEST_F(JobDetailsDialogTest, HeldSkillSpinsSpeedUpAfterASecond) {
    open(JobRequirements{});
    retype(edit(F::Cooking), "0");
    retype(edit(F::Hunger), "-100");
    QTest::mousePress(dialog->spin(F::Cooking)->upButton(), Qt::LeftButton);
    QTest::qWait(1500);
    QTest::mouseRelease(dialog->spin(F::Cooking)->upButton(), Qt::LeftButton);
    QTest::mousePress(dialog->spin(F::Hunger)->upButton(), Qt::LeftButton);
    QTest::qWait(1500);
    QTest::mouseRelease(dialog->spin(F::Hunger)->upButton(), Qt::LeftButton);
    const int cooking = edit(F::Cooking)->text().toInt();
    const int hunger = edit(F::Hunger)->text().toInt();
    EXPECT_GT(cooking, 100);
    // Steps of 1 for the first second, then steps of 100.
    EXPECT_LT(cooking % 100, 30);
    EXPECT_LT(hunger, 0);  // steps of 1 all the time: far from +100
}

}  // namespace
}  // namespace jf
