#pragma once
// A main window on a test installation, loaded by the real loading sequence
// run synchronously on the test's thread, with scripted prompts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "TestInstallation.h"
#include "careers/CareerDatabase.h"
#include "document/Document.h"
#include "document/EditorSession.h"
#include "platform/SettingsStore.h"
#include "startup/Loader.h"
#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/ScriptedPrompts.h"
#include "ui/CareerListControl.h"
#include "ui/MainDialog.h"

namespace jf::test {

// Editing dialogs that are not there: each entry says so and reports
// Cancel, so nothing changes.
class NoDialogs final : public EditorDialogs {
public:
    explicit NoDialogs(Prompts& prompts) : prompts_(prompts) {}

    static PromptMessage notAvailableMessage(const std::string& feature) {
        return {"The " + feature + " dialog is not available.", "Jobforge 3", PromptButtons::Ok,
                PromptIcon::Information};
    }

    bool editJobDetails(QWidget*, JobLevel&, const PreviousRequirements&,
                        const std::string&) override {
        return tell("Job details");
    }
    bool editChanceCard(QWidget*, std::size_t, std::size_t, int) override {
        return tell("Chance Cards");
    }
    bool editIcons(QWidget*, std::size_t, Bitmap&, Bitmap&) override {
        return tell("Modify icons");
    }
    bool editGlobalOptions(QWidget*, std::array<std::int16_t, kGlobalOptionCount>&) override {
        return tell("Global options");
    }
    bool editGlobalTexts(QWidget*, int, std::map<int, GlobalTextValues>&) override {
        return tell("Global texts");
    }
    void importCareers(MainDialog&) override { tell("Import"); }
    void exportCareer(MainDialog&) override { tell("Export"); }
    void backupCareers(MainDialog&) override { tell("Backup"); }

private:
    bool tell(const std::string& feature) {
        prompts_.show(notAvailableMessage(feature));
        return false;
    }

    Prompts& prompts_;
};

class MainDialogFixture : public ::testing::Test {
protected:
    // Installs `installation` and opens the window; the load must succeed.
    void open(EditorDialogs* dialogs = nullptr) {
        installation.install(disk);
        createWindow(dialogs);
        ASSERT_TRUE(window->initialise());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        prompts.shown.clear();
        prompts.statuses.clear();
    }

    void createWindow(EditorDialogs* dialogs = nullptr) {
        window.reset();  // before the document it shows
        document = std::make_unique<Document>(fs, settings);
        session = &document->session();
        session->state.installation.gameDataFolder = kTestGameFolder;
        session->state.installation.installedPacks = 0x01;
        session->state.installation.knownPacks = 0x01;
        window = std::make_unique<MainDialog>(*document, prompts, loadStep(),
                                              dialogs != nullptr ? *dialogs : noDialogs);
    }

    MainDialog::LoadStep loadStep() {
        return [this](QWidget*) {
            ++loads;
            if (failLoads) {
                return false;
            }
            LoadRequest request;
            request.folder = session->state.installation.gameDataFolder;
            runLoader(request, *session, prompts);
            return request.resultCode.load() == LoadResult::Ok;
        };
    }

    // ---- Shortcuts
    CareerListControl& careers() { return *window->careerList(); }
    CareerListControl& jobs() { return *window->jobList(); }
    CareerDatabase& database() { return session->database; }
    std::string entry(std::size_t position, std::size_t row, int slot) {
        std::string text;
        database().careerStrings(position)->getString(row, slot, StringTable::kText, text);
        return text;
    }
    QString shown(TextField field) { return window->fieldText(field); }

    void clickRow(CareerListControl& list, int row,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPoint at = list.visualRect(list.model()->index(row, 1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, at);
    }
    // Replaces a single-line field's text by typing it, one keystroke each.
    void retype(TextField field, const QString& text) {
        auto* edit = qobject_cast<QLineEdit*>(window->fieldWidget(field));
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Types any characters (QTest's key clicks know ASCII only): one key
    // event carrying each character as its text.
    static void typeText(QWidget* widget, const QString& text) {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &release);
        }
    }

    std::vector<std::uint8_t> bytesOf(const char* path) {
        return disk.fileBytes(path).value_or(std::vector<std::uint8_t>{});
    }

    TestInstallation installation;
    FakeFileSystem disk;
    FaultInjectingFileSystem fs{disk};
    MemorySettingsStore settings;
    ScriptedPrompts prompts;
    std::unique_ptr<Document> document;
    EditorSession* session = nullptr;
    NoDialogs noDialogs{prompts};
    std::unique_ptr<MainDialog> window;
    int loads = 0;
    bool failLoads = false;
};

}  // namespace jf::test
