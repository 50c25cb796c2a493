#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <algorithm>

#include "MainDialogFixture.h"
#include "platform/CodePages.h"
#include "platform/Version.h"
#include "ui/AboutDialog.h"
#include "ui/EditorDialogs.h"

namespace jf {
namespace {

using test::kSlotFrench;
using test::kSlotJapanese;
using test::kSlotRussian;
using test::kSlotUsEnglish;
using test::TestInstallation;

class MainDialogTest : public test::MainDialogFixture {};

QStringList menuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* entry : menu->actions()) {
        texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    }
    return texts;
}

QColor pictureColour(MainDialog& window) {
    const QImage& image = window.shownPicture();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST_F(MainDialogTest, InitialisationShowsTheFirstCareerAndItsFirstJob) {
    open();
    EXPECT_TRUE(window->isInitialised());
    EXPECT_TRUE(window->isClean());
    // The game folder and Qt's unsaved marker, which shows only when modified.
    EXPECT_EQ(
        window->windowTitle(),
        QStringLiteral("Jobforge 3 \u2014 %1[*]").arg(QString::fromUtf8(test::kTestGameFolder)));
    EXPECT_FALSE(window->isWindowModified());

    ASSERT_EQ(careers().rowCount(), 3);
    EXPECT_EQ(careers().headerItem()->text(0), QStringLiteral("ID"));
    EXPECT_EQ(careers().headerItem()->text(1), QStringLiteral("Internal career name"));
    EXPECT_GE(careers().header()->sectionSize(0), 35);
    // Columns fit their header and rows (at least their old widths).
    EXPECT_GE(careers().header()->sectionSize(1), 125);
    EXPECT_GE(careers().header()->sectionSize(1), careers().header()->sectionSizeHint(1));
    EXPECT_EQ(careers().topLevelItem(2)->toolTip(1), QStringLiteral("CareerC"));
    // Column 0 shows the track id, not the row number.
    EXPECT_EQ(careers().rowText(0, 0), QStringLiteral("#1"));
    EXPECT_EQ(careers().rowText(1, 0), QStringLiteral("#3"));
    EXPECT_EQ(careers().rowText(2, 0), QStringLiteral("#7"));
    EXPECT_EQ(careers().rowText(2, 1), QStringLiteral("CareerC"));
    EXPECT_EQ(careers().rowData(2), 2);
    EXPECT_EQ(careers().selectedRow(), 0);

    EXPECT_EQ(jobs().headerItem()->text(1), QStringLiteral("Internal job name"));
    EXPECT_GE(jobs().header()->sectionSize(1), 150);
    ASSERT_EQ(jobs().rowCount(), 10);
    EXPECT_EQ(jobs().rowText(0, 0), QStringLiteral("#0"));
    EXPECT_EQ(jobs().rowText(9, 0), QStringLiteral("#9"));
    EXPECT_EQ(jobs().rowText(4, 1), QStringLiteral("AJob4"));
    EXPECT_EQ(jobs().selectedRow(), 0);

    EXPECT_EQ(shown(TextField::InternalCareerName), QStringLiteral("CareerA"));
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s0"));
    EXPECT_EQ(shown(TextField::MaleOffer), QStringLiteral("A e1 s0"));
    EXPECT_EQ(shown(TextField::FemaleOffer), QStringLiteral("A e2 s0"));
    EXPECT_EQ(shown(TextField::MaleJobName), QStringLiteral("Junior\\nClerk"));
    EXPECT_EQ(shown(TextField::FemaleJobName), QStringLiteral("A e23 s0"));
    EXPECT_EQ(shown(TextField::JobDescription), QStringLiteral("A e4 s0"));

    EXPECT_EQ(window->currentLanguage(), 0);
    EXPECT_TRUE(window->action(32772)->isChecked());
    EXPECT_EQ(pictureColour(*window), QColor::fromRgb(TestInstallation::popupColour(1)));
    EXPECT_EQ(window->shownPicture().size(), QSize(84, 63));
}

TEST_F(MainDialogTest, MenusHaveTheirEntriesInOrder) {
    open();
    const QList<QAction*> menus = window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(menus[2]->text(), QStringLiteral("&Career"));
    EXPECT_EQ(menus[3]->text(), QStringLiteral("&Language"));
    EXPECT_EQ(menus[4]->text(), QStringLiteral("&Help"));
    EXPECT_EQ(menuTexts(menus[0]->menu()),
              (QStringList{"&Reload", "&Save", "-", "Global &options...", "Global &texts...", "-",
                           "Ex&port translation...", "I&mport translation...", "-", "E&xit"}));
    EXPECT_EQ(window->action(command::kSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(window->action(command::kReload)->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(window->action(command::kExit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(menuTexts(menus[1]->menu()), (QStringList{"&Undo", "&Redo"}));
    EXPECT_FALSE(window->action(command::kUndo)->isEnabled());
    EXPECT_FALSE(window->action(command::kRedo)->isEnabled());
    EXPECT_EQ(window->action(command::kRedo)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                   QKeySequence(QStringLiteral("Ctrl+Y"))}));
    EXPECT_EQ(menuTexts(menus[2]->menu()), (QStringList{"Import", "Export", "Backup"}));
    EXPECT_EQ(menuTexts(menus[3]->menu()), (QStringList{"USEnglish",
                                                        "UKEnglish",
                                                        "French",
                                                        "German",
                                                        "Italian",
                                                        "Spanish",
                                                        "Dutch",
                                                        "Danish",
                                                        "Swedish",
                                                        "Norwegian",
                                                        "Finnish",
                                                        "Hebrew",
                                                        "Russian",
                                                        "Portuguese",
                                                        "Japanese",
                                                        "Polish",
                                                        "Simplified Chinese",
                                                        "Traditional Chinese",
                                                        "Thai",
                                                        "Korean",
                                                        "-",
                                                        "Set All"}));
    EXPECT_EQ(menuTexts(menus[4]->menu()), (QStringList{"&User Guide", "About"}));
    EXPECT_EQ(window->action(command::kUserGuide)->shortcut(),
              QKeySequence(QKeySequence::HelpContents));
    EXPECT_EQ(window->action(command::kSave)->text(), QStringLiteral("&Save"));
    EXPECT_EQ(window->action(32794)->text(), QStringLiteral("Danish"));
}

TEST_F(MainDialogTest, TheWindowGrowsAndRemembersItsSize) {
    open();
    const QSize smallest = window->size();
    const QRect careerList = careers().geometry();
    const QRect jobList = jobs().geometry();
    const QRect button = window->jobDetailsButton()->geometry();
    window->resize(smallest - QSize(50, 50));  // never below today's layout
    QCoreApplication::processEvents();
    EXPECT_EQ(careers().geometry(), careerList);

    window->resize(smallest + QSize(300, 200));
    QCoreApplication::processEvents();
    EXPECT_GT(careers().width(), careerList.width());
    EXPECT_GT(careers().height(), careerList.height());
    EXPECT_GT(jobs().height(), jobList.height());
    EXPECT_GT(window->fieldWidget(TextField::JobDescription)->height(), 0);
    EXPECT_EQ(window->jobDetailsButton()->size(), button.size());
    const QRect client = window->jobDetailsButton()->parentWidget()->rect();
    for (QWidget* control : window->jobDetailsButton()->parentWidget()->findChildren<QWidget*>(
             QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(client.contains(control->geometry())) << control->metaObject()->className();
    }

    // The next window on the same settings opens at the size this one closed at.
    const QSize grown = window->size();
    window->requestExit();
    createWindow();
    ASSERT_TRUE(window->initialise());
    EXPECT_EQ(window->size(), grown);
}

TEST_F(MainDialogTest, ControlsFollowTheEnablingTable) {
    open();
    auto careerControlsEnabled = [&] {
        return window->fieldWidget(TextField::InternalCareerName)->isEnabled() &&
               window->fieldWidget(TextField::CareerName)->isEnabled() &&
               window->fieldWidget(TextField::MaleOffer)->isEnabled() &&
               window->fieldWidget(TextField::FemaleOffer)->isEnabled() &&
               window->modifyIconsButton()->isEnabled() && jobs().isEnabled();
    };
    auto jobControlsEnabled = [&] {
        return window->jobDetailsButton()->isEnabled() &&
               window->fieldWidget(TextField::MaleJobName)->isEnabled() &&
               window->fieldWidget(TextField::FemaleJobName)->isEnabled() &&
               window->fieldWidget(TextField::JobDescription)->isEnabled();
    };
    // Career and job selected.
    EXPECT_TRUE(careerControlsEnabled());
    EXPECT_TRUE(jobControlsEnabled());
    EXPECT_TRUE(window->chanceCardsButton()->isEnabled());

    // Career without a job row.
    clickRow(jobs(), 0, Qt::ControlModifier);
    ASSERT_EQ(jobs().selectedRow(), -1);
    EXPECT_TRUE(careerControlsEnabled());
    EXPECT_FALSE(window->jobDetailsButton()->isEnabled());
    EXPECT_FALSE(window->fieldWidget(TextField::MaleJobName)->isEnabled());
    EXPECT_FALSE(window->fieldWidget(TextField::JobDescription)->isEnabled());
    EXPECT_FALSE(window->chanceCardsButton()->isEnabled());
    EXPECT_EQ(shown(TextField::MaleJobName), QString());
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s0"));

    // No career at all.
    clickRow(careers(), 0, Qt::ControlModifier);
    ASSERT_EQ(careers().selectedRow(), -1);
    EXPECT_FALSE(window->fieldWidget(TextField::InternalCareerName)->isEnabled());
    EXPECT_FALSE(window->fieldWidget(TextField::CareerName)->isEnabled());
    EXPECT_FALSE(window->modifyIconsButton()->isEnabled());
    EXPECT_FALSE(jobs().isEnabled());
    EXPECT_FALSE(jobControlsEnabled());
    EXPECT_FALSE(window->chanceCardsButton()->isEnabled());
    EXPECT_EQ(jobs().rowCount(), 0);
    for (std::size_t f = 0; f < kTextFieldCount; ++f) {
        EXPECT_EQ(shown(static_cast<TextField>(f)), QString()) << f;
    }
    // The placeholder picture is our own 63 x 63 bitmap.
    EXPECT_EQ(window->shownPicture().size(), QSize(63, 63));
}

TEST_F(MainDialogTest, JobRowIsKeptAcrossCareers) {
    open();
    clickRow(jobs(), 3);
    EXPECT_EQ(window->selectedJob(), 3);
    clickRow(careers(), 1);
    EXPECT_EQ(window->selectedCareer(), 1u);
    EXPECT_EQ(jobs().selectedRow(), 3);
    EXPECT_EQ(window->selectedJob(), 3);
    EXPECT_EQ(shown(TextField::MaleJobName), QStringLiteral("B e9 s0"));
    EXPECT_EQ(jobs().rowText(3, 1), QStringLiteral("BJob3"));
    EXPECT_EQ(pictureColour(*window), QColor::fromRgb(TestInstallation::popupColour(3)));

    // A moment without a career keeps the row.
    clickRow(careers(), 1, Qt::ControlModifier);
    ASSERT_EQ(careers().selectedRow(), -1);
    EXPECT_EQ(window->savedJobRow(), ~3);
    clickRow(careers(), 2);
    EXPECT_EQ(jobs().selectedRow(), 3);
    EXPECT_EQ(window->savedJobRow(), 3);
    EXPECT_EQ(shown(TextField::JobDescription), QStringLiteral("C e10 s0"));

    // No job row selected: the next career starts at row 0.
    clickRow(jobs(), 3, Qt::ControlModifier);
    clickRow(careers(), 0);
    EXPECT_EQ(jobs().selectedRow(), 0);
}

TEST_F(MainDialogTest, EachKeystrokeInTheInternalNameChangesTheDatabaseAndTheList) {
    open();
    auto* edit = qobject_cast<QLineEdit*>(window->fieldWidget(TextField::InternalCareerName));
    ASSERT_NE(edit, nullptr);
    edit->setCursorPosition(edit->text().size());
    QTest::keyClicks(edit, QStringLiteral("X"));
    EXPECT_EQ(database().careerChunk(0)->internalCareerName, "CareerAX");
    EXPECT_EQ(careers().rowText(0, 1), QStringLiteral("CareerAX"));
    EXPECT_FALSE(window->isClean());
    QTest::keyClicks(edit, QStringLiteral("Y"));
    EXPECT_EQ(database().careerChunk(0)->internalCareerName, "CareerAXY");
    EXPECT_EQ(careers().rowText(0, 1), QStringLiteral("CareerAXY"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(database().careerChunk(0)->internalCareerName, "CareerAX");
    EXPECT_EQ(careers().rowText(0, 1), QStringLiteral("CareerAX"));
    // Other tracks are untouched.
    EXPECT_EQ(database().careerChunk(1)->internalCareerName, "CareerB");
}

TEST_F(MainDialogTest, KeystrokesInTextFieldsGoIntoTheCurrentLanguage) {
    open();
    clickRow(jobs(), 2);
    retype(TextField::CareerName, QStringLiteral("Office"));
    EXPECT_EQ(entry(0, 0, kSlotUsEnglish), "Office");
    EXPECT_EQ(entry(0, 0, 1), "A e0 s1");
    retype(TextField::FemaleJobName, QStringLiteral("Clerk"));
    EXPECT_EQ(entry(0, 25, kSlotUsEnglish), "Clerk");

    auto* description =
        qobject_cast<QPlainTextEdit*>(window->fieldWidget(TextField::JobDescription));
    ASSERT_NE(description, nullptr);
    description->selectAll();
    QTest::keyClick(description, Qt::Key_Delete);
    QTest::keyClicks(description, QStringLiteral("Files"));
    EXPECT_EQ(entry(0, 8, kSlotUsEnglish), "Files");
    // Ctrl+Enter types a line break, stored as CR LF.
    QTest::keyClick(description, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(description, QStringLiteral("more"));
    EXPECT_EQ(entry(0, 8, kSlotUsEnglish), "Files\r\nmore");
    // Plain Enter is not taken by the field.
    QTest::keyClick(description, Qt::Key_Return);
    EXPECT_EQ(entry(0, 8, kSlotUsEnglish), "Files\r\nmore");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
}

TEST_F(MainDialogTest, BackslashNInJobNamesIsALineBreak) {
    open();
    retype(TextField::MaleJobName, QStringLiteral("Top\\nBoss"));
    EXPECT_EQ(entry(0, 3, kSlotUsEnglish), "Top\r\nBoss");
    // The field keeps showing what was typed.
    EXPECT_EQ(shown(TextField::MaleJobName), QStringLiteral("Top\\nBoss"));
    // Selecting the job again shows the break as backslash n.
    clickRow(jobs(), 1);
    clickRow(jobs(), 0);
    EXPECT_EQ(shown(TextField::MaleJobName), QStringLiteral("Top\\nBoss"));

    retype(TextField::FemaleJobName, QStringLiteral("a\\\\nb"));
    EXPECT_EQ(entry(0, 23, kSlotUsEnglish), "a\\\\nb");
}

TEST_F(MainDialogTest, EnterAndEscapeDoNotCloseTheWindow) {
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    careers().setFocus();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window->fieldWidget(TextField::CareerName), Qt::Key_Return);
    QTest::keyClick(window->fieldWidget(TextField::CareerName), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), 0);
    EXPECT_TRUE(window->isClean());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(MainDialogTest, DialogsNotBuiltYetSaySoAndChangeNothing) {
    open();
    QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    QTest::mouseClick(window->chanceCardsButton(), Qt::LeftButton);
    QTest::mouseClick(window->modifyIconsButton(), Qt::LeftButton);
    window->action(command::kGlobalOptions)->trigger();
    window->action(command::kGlobalTexts)->trigger();
    window->action(command::kImport)->trigger();
    window->action(command::kExport)->trigger();
    window->action(command::kBackup)->trigger();
    ASSERT_EQ(prompts.shown.size(), 8u);
    EXPECT_EQ(prompts.shown[0], test::NoDialogs::notAvailableMessage("Job details"));
    EXPECT_TRUE(window->isClean());
}

// Dialogs that edit the copy they are given, to check the copying around them.
class EditingDialogs final : public EditorDialogs {
public:
    bool answer = true;
    PreviousRequirements previousSeen{};
    std::string jobLineSeen;
    bool editJobDetails(QWidget*, JobLevel& level, const PreviousRequirements& previous,
                        const std::string& jobLine) override {
        previousSeen = previous;
        jobLineSeen = jobLine;
        level.salary = 4321;
        level.internalJobName = "Renamed";
        return answer;
    }
    // Stands in for the card dialog's OK: one budget item more and a
    // sound, through the document.
    Document* document = nullptr;
    bool editChanceCard(QWidget*, std::size_t position, std::size_t level, int language) override {
        if (!answer) {
            return false;
        }
        std::vector<CardItem> items = document->database().chanceCard(position, level)->items;
        items.push_back(CardItem::budget(CardItem::kModeAdd, 250));
        if (soundItemCount(items) == 0) {
            items.push_back(CardItem::sound(CardItem::kSoundGood));
        }
        return document->setChanceCard(position, level, items, language, "Card").applied();
    }
    bool editIcons(QWidget*, std::size_t, Bitmap& popup, Bitmap& button) override {
        popup = Bitmap(84, 63);
        for (int y = 0; y < 63; ++y) {
            for (int x = 0; x < 84; ++x) {
                popup.setPixel(x, y, {250, 10, 10});
            }
        }
        button = Bitmap(112, 22);
        return answer;
    }
    // OK without a change reports false, as the real dialog does.
    bool editGlobalOptions(QWidget*, std::array<std::int16_t, kGlobalOptionCount>&) override {
        return false;
    }
    bool editGlobalTexts(QWidget*, int, std::map<int, GlobalTextValues>& texts) override {
        texts[0][0] = "Typed";
        return answer;
    }
    void importCareers(MainDialog&) override {}
    void exportCareer(MainDialog&) override {}
    void backupCareers(MainDialog&) override {}
};

TEST_F(MainDialogTest, JobDetailsAndIconsAreCopiedBackOnlyOnOk) {
    EditingDialogs dialogs;
    open(&dialogs);
    dialogs.document = document.get();
    clickRow(jobs(), 4);

    dialogs.answer = false;
    QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    EXPECT_EQ(database().careerChunk(0)->levels[4].internalJobName, "AJob4");
    QTest::mouseClick(window->modifyIconsButton(), Qt::LeftButton);
    window->action(command::kGlobalTexts)->trigger();
    EXPECT_TRUE(window->isClean());

    dialogs.answer = true;
    window->action(command::kGlobalOptions)->trigger();  // OK without a change
    EXPECT_TRUE(window->isClean());
    QTest::mouseClick(window->jobDetailsButton(), Qt::LeftButton);
    EXPECT_EQ(database().careerChunk(0)->levels[4].salary, 4321);
    EXPECT_EQ(database().careerChunk(0)->levels[4].internalJobName, "Renamed");
    EXPECT_EQ(jobs().rowText(4, 1), QStringLiteral("Renamed"));
    EXPECT_EQ(dialogs.previousSeen[1], database().careerChunk(0)->levels[3].cookingNeeded);
    EXPECT_EQ(dialogs.jobLineSeen, "Career: A e0 s0, job 5: A e11 s0");
    EXPECT_FALSE(window->isClean());

    QTest::mouseClick(window->modifyIconsButton(), Qt::LeftButton);
    EXPECT_EQ(pictureColour(*window), QColor(250, 10, 10));

    clickRow(jobs(), 0);
    const std::vector<CardItem> itemsBefore = database().chanceCard(0, 0)->items;
    dialogs.answer = false;
    QTest::mouseClick(window->chanceCardsButton(), Qt::LeftButton);
    EXPECT_EQ(database().chanceCard(0, 0)->items, itemsBefore);
    dialogs.answer = true;
    QTest::mouseClick(window->chanceCardsButton(), Qt::LeftButton);
    ASSERT_GT(database().chanceCard(0, 0)->items.size(), itemsBefore.size());
    EXPECT_NE(std::find(database().chanceCard(0, 0)->items.begin(),
                        database().chanceCard(0, 0)->items.end(),
                        CardItem::budget(CardItem::kModeAdd, 250)),
              database().chanceCard(0, 0)->items.end());
    Bitmap icon;
    ASSERT_TRUE(database().trackCount() > 0);
    ASSERT_TRUE(session->icons.getPopupIcon(1, icon));
    EXPECT_EQ(icon.pixel(5, 5), (Rgb{250, 10, 10}));
}

TEST_F(MainDialogTest, JapaneseAndRussianTextsAreShownInTheirCodePages) {
    open();
    window->setLanguage(kSlotJapanese);
    EXPECT_EQ(shown(TextField::CareerName),
              QString::fromStdString(TestInstallation::japaneseCareerName()));
    window->setLanguage(kSlotRussian);
    EXPECT_EQ(shown(TextField::CareerName),
              QString::fromStdString(TestInstallation::russianCareerName()));
    // Shown, not edited: nothing was written.
    EXPECT_TRUE(window->isClean());

    // Typing Cyrillic stores code page 1251 bytes.
    auto* edit = qobject_cast<QLineEdit*>(window->fieldWidget(TextField::CareerName));
    edit->setCursorPosition(edit->text().size());
    typeText(edit, QString::fromUtf8("\xD0\xB8"));  // "и"
    EXPECT_EQ(entry(0, 0, kSlotRussian), "\xC2\xF0\xE0\xF7\xE8");
}

TEST_F(MainDialogTest, ACharacterTheCodePageCannotHoldIsRefused) {
    open();
    window->setLanguage(kSlotRussian);
    const std::string before = entry(0, 0, kSlotRussian);
    auto* edit = qobject_cast<QLineEdit*>(window->fieldWidget(TextField::CareerName));
    edit->setCursorPosition(edit->text().size());
    typeText(edit, QString::fromUtf8("\xE6\x97\xA5"));  // a CJK character
    EXPECT_EQ(entry(0, 0, kSlotRussian), before);
    EXPECT_EQ(shown(TextField::CareerName),
              QString::fromStdString(TestInstallation::russianCareerName()));
    EXPECT_TRUE(window->isClean());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              (PromptMessage{"The text contains a character that cannot be stored in the current "
                             "language's code page.\n\nThe change has not been made.\n\n"
                             "Character: \xC2\xAB\xE6\x97\xA5\xC2\xBB (U+65E5), language: Russian",
                             "Warning", PromptButtons::Ok, PromptIcon::Warning}));

    // Internal names take Windows-1252 only.
    auto* internal = qobject_cast<QLineEdit*>(window->fieldWidget(TextField::InternalCareerName));
    internal->setCursorPosition(internal->text().size());
    typeText(internal, QString::fromUtf8("\xD0\x96"));  // Cyrillic
    EXPECT_EQ(database().careerChunk(0)->internalCareerName, "CareerA");
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].text,
              std::string(kRefusedCharacterText) +
                  "\n\nCharacter: \xC2\xAB\xD0\x96\xC2\xBB (U+0416), language: none (internal "
                  "name)");
    EXPECT_EQ(careers().rowText(0, 1), QStringLiteral("CareerA"));
    typeText(internal, QString::fromUtf8("\xC3\xA9"));  // "é" is in 1252
    EXPECT_EQ(database().careerChunk(0)->internalCareerName, "CareerA\xE9");
}

TEST_F(MainDialogTest, AboutDialog) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Jobforge 3"));
    auto* version = about.findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Jobforge Version 3"));
    auto* number = about.findChild<QLabel*>(QStringLiteral("versionNumber"));
    ASSERT_NE(number, nullptr);
    EXPECT_TRUE(number->text().startsWith(QString::fromUtf8(programVersion())));
    auto* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

}  // namespace
}  // namespace jf
