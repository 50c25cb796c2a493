#include "ui/QtPrompts.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "DialogTestSupport.h"
#include "exchange/Export.h"

namespace jf {
namespace {

TEST(QtPromptsTest, FileDialogFiltersShowTheirCaptionsAndMatchAnyCase) {
    FileChoice choice;
    choice.filters = {{"Career files", "*.car"},
                      {"Bitmaps (*.BMP)", "*.bmp"},
                      {"Career files of Jobforge 2", "*.iff;*.IFF"},
                      {"All files (*)", "*"}};
#ifdef Q_OS_WIN
    EXPECT_EQ(anyCasePattern(QStringLiteral("*.bmp")), QStringLiteral("*.bmp"));
#else
    EXPECT_EQ(anyCasePattern(QStringLiteral("*.bmp")), QStringLiteral("*.[bB][mM][pP]"));
    EXPECT_EQ(fileDialogFilter(choice),
              QStringLiteral("Career files (*.car) (*.[cC][aA][rR]);;"
                             "Bitmaps (*.BMP) (*.[bB][mM][pP]);;"
                             "Career files of Jobforge 2 (*.iff *.IFF) (*.[iI][fF][fF] "
                             "*.[iI][fF][fF]);;"
                             "All files (*) (*)"));
#endif
    EXPECT_EQ(fileDialogFilter(FileChoice{}), QString());
    EXPECT_TRUE(fileDialogOptions().testFlag(QFileDialog::HideNameFilterDetails));
}

TEST(QtPromptsTest, DialogsStartInTheFolderAskedForElseInTheDocumentsFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    FileChoice choice;
    choice.initialName = "*.car";
    EXPECT_EQ(fileDialogStart(choice), QDir(documents).filePath(QStringLiteral("*.car")));
    choice.initialFolder = (folder.path() + QStringLiteral("/gone/")).toStdString();
    EXPECT_EQ(fileDialogStart(choice), QDir(documents).filePath(QStringLiteral("*.car")));
    choice.initialFolder = (folder.path() + QStringLiteral("/")).toStdString();
    EXPECT_EQ(fileDialogStart(choice), folder.path() + QStringLiteral("/*.car"));
    choice.initialName.clear();
    EXPECT_EQ(QDir(fileDialogStart(choice)), QDir(folder.path()));
}

// The real dialogs, answered from the event loop.
class QtPromptsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    void put(const QString& name) {
        QFile file(QDir(folder.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir folder;
    QtPrompts prompts;
};

TEST_F(QtPromptsDialogTest, ABackupNamedWithoutExtensionGetsCbkInTheRememberedFolder) {
    FileChoice choice = backupFileChoice();
    choice.initialFolder = (folder.path() + QStringLiteral("/")).toStdString();
    QString shownFolder;
    QString shownFilter;
    test::whenModal<QFileDialog>([&](QFileDialog& dialog) {
        shownFolder = dialog.directory().absolutePath();
        if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            shownFilter = types->currentText();
        }
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("monday"));
        QMetaObject::invokeMethod(&dialog, "accept");  // protected in QFileDialog
    });
    const std::optional<std::string> chosen = prompts.chooseSaveFile(choice);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(shownFolder), QDir(folder.path()));
    EXPECT_EQ(shownFilter, QStringLiteral("Jobforge 3 backups (*.CBK)"));
    EXPECT_EQ(QString::fromStdString(*chosen),
              QDir::toNativeSeparators(QDir(folder.path()).filePath(QStringLiteral("monday.cbk"))));
}

TEST_F(QtPromptsDialogTest, TheIconFilterShowsBmpFilesInAnyCase) {
    for (const char* name : {"lower.bmp", "UPPER.BMP", "Mixed.Bmp", "notes.txt"}) {
        put(QString::fromLatin1(name));
    }
    FileChoice choice;
    choice.filters = {{"Bitmap files (*.BMP)", "*.bmp"}};
    choice.initialFolder = (folder.path() + QStringLiteral("/")).toStdString();
    QStringList listed;
    QString shownFilter;
    test::whenModal<QFileDialog>([&](QFileDialog& dialog) {
        if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            shownFilter = types->currentText();
        }
        auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        // The folder is read in the background.
        test::waitUntil([&] { return view->model()->rowCount(view->rootIndex()) >= 3; }, 5000);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        }
        dialog.reject();
    });
    EXPECT_EQ(prompts.chooseOpenFile(choice), std::nullopt);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Mixed.Bmp", "UPPER.BMP", "lower.bmp"}));
    EXPECT_EQ(shownFilter, QStringLiteral("Bitmap files (*.BMP)"));
}

}  // namespace
}  // namespace jf
