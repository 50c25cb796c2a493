// The real dialogs opened from the main window, and what the window takes
// back from them.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "MainDialogFixture.h"
#include "ui/ChanceCardDialog.h"
#include "ui/GlobalOptionsDialog.h"
#include "ui/GlobalTextsDialog.h"
#include "ui/JobDetailsDialog.h"
#include "ui/SpinButton.h"
#include "ui/StandardDialogs.h"

namespace jf {
namespace {

class StandardDialogsTest : public test::MainDialogFixture {
protected:
    void SetUp() override {
        installation.install(disk);
        document = std::make_unique<Document>(fs, settings);
        session = &document->session();
        session->state.installation.gameDataFolder = test::kTestGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
        dialogs = std::make_unique<StandardDialogs>(*document, prompts);
        window = std::make_unique<MainDialog>(*document, prompts, loadStep(), *dialogs);
        ASSERT_TRUE(window->initialise());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        prompts.shown.clear();
    }
    // Gives a level values every field of the job details accepts.
    void makeValid(std::size_t level) {
        JobLevel& job = database().careerChunk(0)->levels[level];
        for (std::size_t i = 0; i < 7; ++i) {
            job.value(i) = static_cast<std::int32_t>(level);
        }
        for (std::size_t i = 10; i < 17; ++i) {
            job.value(i) = -5;
        }
        job.startHour = 9;
        job.endHour = 17;
    }

    std::unique_ptr<StandardDialogs> dialogs;
};

// Presses OK; a dialog that stays open (a refused field) is cancelled, so
// that the test cannot hang.
template <typename T>
void pressOk(T& dialog) {
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    if (dialog.isVisible()) {
        dialog.reject();
    }
}

TEST_F(StandardDialogsTest, JobDetailsOkRenamesTheJobRow) {
    makeValid(2);
    makeValid(3);
    clickRow(jobs(), 3);
    const JobLevel before = database().careerChunk(0)->levels[3];
    test::whenModal<JobDetailsDialog>([](JobDetailsDialog& details) {
        test::retype(details.edit(JobDetailField::InternalName), "Renamed job");
        test::retype(details.edit(JobDetailField::Salary), "40000");
        pressOk(details);
    });
    QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty());
    const JobLevel& after = database().careerChunk(0)->levels[3];
    EXPECT_EQ(after.internalJobName, "Renamed job");
    EXPECT_EQ(after.salary, 40000);
    EXPECT_EQ(after.reserved8, before.reserved8);
    EXPECT_EQ(after.extraText, before.extraText);
    EXPECT_EQ(jobs().rowText(3, 1), "Renamed job");
    EXPECT_FALSE(window->isClean());

    // One step for the whole dialog; undo shows the level and its old name.
    EXPECT_EQ(window->action(command::kUndo)->text(), "&Undo Change Job Details");
    clickRow(jobs(), 0);
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(database().careerChunk(0)->levels[3], before);
    EXPECT_EQ(jobs().selectedRow(), 3);
    EXPECT_EQ(jobs().rowText(3, 1), QString::fromStdString(before.internalJobName));
    EXPECT_TRUE(window->isClean());
    window->action(command::kRedo)->trigger();
    EXPECT_EQ(database().careerChunk(0)->levels[3].salary, 40000);
}

TEST_F(StandardDialogsTest, JobDetailsNameTheJobTheyEditInTheShownLanguage) {
    clickRow(jobs(), 0);
    QStringList lines;
    auto openDetails = [&] {
        test::whenModal<JobDetailsDialog>([&](JobDetailsDialog& details) {
            lines << details.jobLine()->text();
            details.reject();
        });
        QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    };
    openDetails();
    window->setLanguage(test::kSlotFrench);
    openDetails();
    // Where the language has no texts, the internal names stand in.
    database().careerStrings(0)->setString(0, test::kSlotGerman, StringTable::kText, "");
    database().careerStrings(0)->setString(3, test::kSlotGerman, StringTable::kText, "");
    window->setLanguage(test::kSlotGerman);
    openDetails();
    EXPECT_EQ(lines, (QStringList{"Career: A e0 s0, job 1: Junior Clerk",
                                  "Career: A e0 s2, job 1: Petit Commis",
                                  "Career: CareerA, job 1: AJob0"}));
    EXPECT_TRUE(window->isClean());
}

TEST_F(StandardDialogsTest, ChanceCardOkIsOneStepThatUndoesTextAndEntry) {
    clickRow(jobs(), 0);
    const ChanceCard card = *database().chanceCard(0, 0);
    ASSERT_NE(card.textIndex, 0);
    const StringTable::Row row = card.textIndex != 0
                                     ? database().globalTexts().rows()[card.textIndex - 1u]
                                     : StringTable::Row{};
    const FreeTextFlags flags = database().freeTextFlags();
    test::whenModal<ChanceCardListDialog>([](ChanceCardListDialog& dialog) {
        dialog.textField()->setFocus();
        QTest::keyClicks(dialog.textField(), "more");
        while (dialog.itemList()->count() > 0) {
            dialog.itemList()->setCurrentRow(0);
            QTest::mouseClick(dialog.deleteButton(), Qt::LeftButton);
        }
        pressOk(dialog);
    });
    QTest::mouseClick(window->chanceCardsButton(), Qt::LeftButton);
    EXPECT_TRUE(database().chanceCard(0, 0)->items.empty());
    EXPECT_EQ(window->action(command::kUndo)->text(), "&Undo Change Chance Card");
    window->action(command::kUndo)->trigger();
    EXPECT_EQ(*database().chanceCard(0, 0), card);
    EXPECT_EQ(database().freeTextFlags(), flags);
    if (card.textIndex != 0) {
        EXPECT_EQ(database().globalTexts().rows()[card.textIndex - 1u], row);
    }
    EXPECT_TRUE(window->isClean());
}

TEST_F(StandardDialogsTest, JobDetailsGetTheLevelBelowAsMinimum) {
    clickRow(jobs(), 2);
    const std::int32_t previousCooking = database().careerChunk(0)->levels[1].cookingNeeded;
    std::int64_t minimum = -1;
    test::whenModal<JobDetailsDialog>([&](JobDetailsDialog& details) {
        minimum = details.spin(JobDetailField::Cooking)->minimum();
        QTest::mouseClick(details.cancelButton(), Qt::LeftButton);
    });
    QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    EXPECT_EQ(minimum, previousCooking);
    EXPECT_TRUE(window->isClean());
}

TEST_F(StandardDialogsTest, GlobalOptionsUnchangedKeepTheWindowClean) {
    ASSERT_TRUE(database().setOption(4, 2));  // the installation's 14 is above the range
    test::whenModal<GlobalOptionsDialog>([](GlobalOptionsDialog& options) { pressOk(options); });
    window->action(command::kGlobalOptions)->trigger();
    EXPECT_TRUE(window->isClean());
    test::whenModal<GlobalOptionsDialog>([](GlobalOptionsDialog& options) {
        QTest::mouseClick(options.spin(2)->upButton(), Qt::LeftButton);
        pressOk(options);
    });
    window->action(command::kGlobalOptions)->trigger();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(window->isClean());
    std::int16_t start = 0;
    ASSERT_TRUE(database().option(2, start));
    EXPECT_EQ(start, 13);
}

TEST_F(StandardDialogsTest, GlobalTextsCancelDropsEveryLanguageAndOkIsOneStep) {
    std::string before;
    ASSERT_TRUE(database().globalText(0, 0, before));
    auto typeAndSwitch = [this](GlobalTextsDialog& texts) {
        texts.field(0)->setFocus();
        QTest::keyClicks(texts.field(0), "!");
        prompts.answers = {PromptAnswer::Yes};
        texts.languageList()->setCurrentIndex(test::kSlotGerman);
        texts.field(0)->setFocus();
        QTest::keyClicks(texts.field(0), "?");
    };
    test::whenModal<GlobalTextsDialog>([&](GlobalTextsDialog& texts) {
        typeAndSwitch(texts);
        QTest::mouseClick(texts.cancelButton(), Qt::LeftButton);
    });
    window->action(command::kGlobalTexts)->trigger();
    std::string text;
    ASSERT_TRUE(database().globalText(0, 0, text));
    EXPECT_EQ(text, before);
    EXPECT_TRUE(window->isClean());

    test::whenModal<GlobalTextsDialog>([&](GlobalTextsDialog& texts) {
        typeAndSwitch(texts);
        QTest::mouseClick(texts.okButton(), Qt::LeftButton);
    });
    window->action(command::kGlobalTexts)->trigger();
    ASSERT_TRUE(database().globalText(0, 0, text));
    EXPECT_EQ(text, before + "!");
    ASSERT_TRUE(database().globalText(0, test::kSlotGerman, text));
    EXPECT_EQ(text.back(), '?');
    EXPECT_FALSE(window->isClean());
    EXPECT_EQ(window->action(command::kUndo)->text(), QStringLiteral("&Undo Change Global Texts"));
    window->action(command::kUndo)->trigger();
    ASSERT_TRUE(database().globalText(0, 0, text));
    EXPECT_EQ(text, before);
    EXPECT_TRUE(window->isClean());
}

TEST_F(StandardDialogsTest, GlobalTextsCancelledWithoutStoringKeepTheWindowClean) {
    test::whenModal<GlobalTextsDialog>([](GlobalTextsDialog& texts) {
        texts.field(0)->setFocus();
        QTest::keyClicks(texts.field(0), "!");
        QTest::mouseClick(texts.cancelButton(), Qt::LeftButton);
    });
    window->action(command::kGlobalTexts)->trigger();
    EXPECT_TRUE(window->isClean());
}

}  // namespace
}  // namespace jf
