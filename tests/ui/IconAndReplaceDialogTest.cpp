// The icon dialog and the replace-career dialog.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "careers/BmpFile.h"
#include "careers/IconStore.h"
#include "platform/File.h"
#include "platform/RecentFolders.h"
#include "platform/SettingsStore.h"
#include "support/BmpBuilder.h"
#include "support/FakeFileSystem.h"
#include "support/LoadedCardDatabase.h"
#include "support/ScriptedPrompts.h"
#include "ui/CareerListControl.h"
#include "ui/IconDialog.h"
#include "ui/ReplaceCareerDialog.h"

namespace jf {
namespace {

constexpr std::uint16_t kTrack = 2;
constexpr int kStripIcons = 4;

std::uint32_t bandColour(int y, int bandHeight) {
    return 0x102030u * static_cast<std::uint32_t>(y / bandHeight + 1);
}

std::vector<std::uint8_t> strip(int width, int bandHeight) {
    return test::buildBmp(
        test::rgbRecipe(width, bandHeight * kStripIcons,
                        [bandHeight](int, int y) { return bandColour(y, bandHeight); }));
}

Bitmap solid(int width, int height, Rgb colour) {
    Bitmap bitmap(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap.setPixel(x, y, colour);
        }
    }
    return bitmap;
}

class IconDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        MemoryFile popup(strip(84, 63));
        MemoryFile button(strip(112, 22));
        ASSERT_TRUE(icons.readPopupStrip(popup));
        ASSERT_TRUE(icons.readButtonStrip(button));
        disk.addFolder("C:\\Pictures");
    }
    void open(std::uint16_t track = kTrack) {
        dialog = std::make_unique<IconDialog>(prompts, disk, settings, icons, track);
    }
    void putBitmap(const std::string& path, int width, int height, std::uint32_t colour) {
        disk.putFile(path, test::buildBmp(test::rgbRecipe(width, height,
                                                          [colour](int, int) { return colour; })));
    }

    test::FakeFileSystem disk;
    MemorySettingsStore settings;
    IconStore icons;
    test::ScriptedPrompts prompts;
    std::unique_ptr<IconDialog> dialog;
};

TEST_F(IconDialogTest, OpensWithTheTracksTwoIcons) {
    open();
    ASSERT_TRUE(dialog->opened());
    EXPECT_EQ(dialog->windowTitle(), "Modify icons...");
    Bitmap expected;
    ASSERT_TRUE(icons.getPopupIcon(kTrack, expected));
    EXPECT_EQ(dialog->popup(), expected);
    ASSERT_TRUE(icons.getButtonIcon(kTrack, expected));
    EXPECT_EQ(dialog->button(), expected);
    EXPECT_EQ(dialog->popupPicture()->pixmap().size(), QSize(84, 63));
    EXPECT_EQ(dialog->buttonPicture()->pixmap().size(), QSize(112, 22));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(IconDialogTest, AnIconTheStoreLacksEndsTheDialogWithBothMessages) {
    open(kStripIcons);  // one past the last band
    EXPECT_FALSE(dialog->opened());
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].caption, "Error!");
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Error);
    EXPECT_EQ(prompts.shown[0].text.rfind("Can't load the Popup bitmap!\n\nContact the author of "
                                          "this program!\n\n",
                                          0),
              0u);
    EXPECT_NE(prompts.shown[0].text.find("Reporting problems"), std::string::npos);
    EXPECT_EQ(prompts.shown[1].text.rfind("Can't load the Button bitmap!", 0), 0u);
    EXPECT_EQ(dialog->exec(), QDialog::Rejected);
}

TEST_F(IconDialogTest, APopupOf85By63IsRefusedAndTheOldPictureStays) {
    putBitmap("C:\\Pictures\\wide.bmp", 85, 63, 0xFF0000);
    disk.putFile("C:\\Pictures\\text.bmp", std::string("not a bitmap at all"));
    open();
    const Bitmap before = dialog->popup();
    prompts.openFiles = {"C:\\Pictures\\wide.bmp", "C:\\Pictures\\text.bmp"};
    QTest::mouseClick(dialog->importPopupButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->importPopupButton(), Qt::LeftButton);
    const std::string needed =
        "Couldn't load the bitmap!\n\nMake sure it's width is 84 pixels, it's height is 63 and "
        "it hasn't got compression.";
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0],
              errorMessage(needed + "\n\nThe picture chosen is 85 x 63 pixels.", "Error!"));
    EXPECT_EQ(prompts.shown[1],
              errorMessage(needed + "\n\nThe file chosen is not a BMP picture.", "Error!"));
    EXPECT_EQ(dialog->popup(), before);
    ASSERT_EQ(prompts.fileChoices.size(), 2u);
    EXPECT_EQ(prompts.fileChoices[0].initialName, "*.BMP");
    ASSERT_EQ(prompts.fileChoices[0].filters.size(), 1u);
    // The caption stays; the pattern takes the extension in any case.
    EXPECT_EQ(prompts.fileChoices[0].filters[0].description, "Bitmap files (*.BMP)");
    EXPECT_EQ(prompts.fileChoices[0].filters[0].pattern, "*.bmp");
}

TEST_F(IconDialogTest, ButtonsNeed112By22AndAMissingFileCannotBeOpened) {
    putBitmap("C:\\Pictures\\popup.bmp", 84, 63, 0x00FF00);
    open();
    prompts.openFiles = {"C:\\Pictures\\popup.bmp", "C:\\Pictures\\gone.bmp"};
    QTest::mouseClick(dialog->importButtonsButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->importButtonsButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text,
              "Couldn't load the bitmap!\n\nMake sure it's width is 112 pixels, it's height is 22 "
              "and it hasn't got compression.\n\nThe picture chosen is 84 x 63 pixels.");
    EXPECT_EQ(prompts.shown[1], errorMessage("Couldn't open this file!", "Error!"));
}

TEST_F(IconDialogTest, ImportReplacesOnlyTheDialogsBitmap) {
    putBitmap("C:\\Pictures\\green.bmp", 84, 63, 0x00FF00);
    open();
    prompts.openFiles = {"C:\\Pictures\\green.bmp"};
    QTest::mouseClick(dialog->importPopupButton(), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(dialog->popup(), solid(84, 63, {0, 255, 0}));
    EXPECT_EQ(dialog->popupPicture()->pixmap().toImage().pixelColor(10, 10), QColor(0, 255, 0));
    // The store is the caller's: Cancel leaves it as it was.
    QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    Bitmap stored;
    ASSERT_TRUE(icons.getPopupIcon(kTrack, stored));
    EXPECT_NE(stored, dialog->popup());
}

TEST_F(IconDialogTest, EnterPressesTheFocusedButtonAndOkElsewhere) {
    open();
    dialog->show();
    test::pressEnterIn(dialog->importPopupButton());
    test::pressEnterIn(dialog->exportButtonsButton());
    ASSERT_EQ(prompts.fileChoices.size(), 2u);
    EXPECT_EQ(prompts.fileChoices[1].defaultExtension, "BMP");
    EXPECT_TRUE(dialog->isVisible());
    test::pressEnterIn(dialog->cancelButton());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    open();
    dialog->show();
    test::pressEnterIn(dialog->popupPicture());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(IconDialogTest, ImportAndExportStartInTheFolderOfTheLastIconFile) {
    disk.addFolder("C:\\Icons");
    putBitmap("C:\\Icons\\green.BMP", 84, 63, 0x00FF00);
    open();
    prompts.openFiles = {"C:\\Icons\\green.BMP"};
    prompts.saveFiles = {"C:\\Pictures\\out.bmp"};
    QTest::mouseClick(dialog->importPopupButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->exportButtonsButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->exportPopupButton(), Qt::LeftButton);  // cancelled
    ASSERT_EQ(prompts.fileChoices.size(), 3u);
    EXPECT_EQ(prompts.fileChoices[0].initialFolder, "");
    EXPECT_EQ(prompts.fileChoices[1].initialFolder, "C:\\Icons\\");
    EXPECT_EQ(prompts.fileChoices[2].initialFolder, "C:\\Pictures\\");
    EXPECT_EQ(recentFolder(settings, FileKind::Icons), "C:\\Pictures\\");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(IconDialogTest, ExportWritesA24BitBmpOrSaysWhyNot) {
    open();
    prompts.saveFiles = {"C:\\Pictures\\out.bmp", "C:\\Nowhere\\out.bmp"};
    QTest::mouseClick(dialog->exportButtonsButton(), Qt::LeftButton);
    const std::optional<std::vector<std::uint8_t>> written =
        disk.fileBytes("C:\\Pictures\\out.bmp");
    ASSERT_TRUE(written.has_value());
    Bitmap back;
    ASSERT_TRUE(decodeBitmapFile(written->data(), written->size(), back, nullptr, 112, 22));
    EXPECT_EQ(back, dialog->button());
    EXPECT_EQ((*written)[28], 24);  // bits per pixel
    ASSERT_EQ(prompts.fileChoices.size(), 1u);
    EXPECT_EQ(prompts.fileChoices[0].defaultExtension, "BMP");

    QTest::mouseClick(dialog->exportPopupButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("Couldn't create this file!", "Error!"));
}

// ---- Replace career ------------------------------------------------------------------

class ReplaceCareerDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(loaded.ok());
        dialog = std::make_unique<ReplaceCareerDialog>(prompts, loaded.db);
        dialog->show();
    }
    test::LoadedCardDatabase loaded;
    test::ScriptedPrompts prompts;
    std::unique_ptr<ReplaceCareerDialog> dialog;
};

TEST_F(ReplaceCareerDialogTest, ListsTheTracksWithTheFirstSelected) {
    EXPECT_EQ(dialog->windowTitle(), "Replace career track");
    CareerListControl* list = dialog->careerList();
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->rowText(0, 0), "#3");
    EXPECT_EQ(list->rowText(2, 0), "#12");
    EXPECT_EQ(list->rowText(1, 1).toStdString(), loaded.db.track(1)->career.internalCareerName);
    EXPECT_EQ(list->rowData(2), 2);
    EXPECT_EQ(list->headerItem()->text(1), "Internal career name");
    EXPECT_EQ(list->selectedRow(), 0);
}

TEST_F(ReplaceCareerDialogTest, OkAtOnceChoosesTheFirstTrack) {
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->chosenTrack(), 0u);
}

TEST_F(ReplaceCareerDialogTest, ARowClickedIsChosen) {
    CareerListControl* list = dialog->careerList();
    const QPoint at = list->visualRect(list->model()->index(2, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->chosenTrack(), 2u);
}

TEST_F(ReplaceCareerDialogTest, OkWithoutASelectionIsRefused) {
    CareerListControl* list = dialog->careerList();
    const QPoint below(10, list->viewport()->height() - 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    ASSERT_EQ(list->selectedRow(), -1);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], errorMessage("You need to select a career to replace!", "Error"));
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->isVisible());
}

}  // namespace
}  // namespace jf
