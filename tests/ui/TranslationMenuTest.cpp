// File > Export translation and Import translation in the main window: the
// import is one step of the history, undone as one, and a file with
// problems changes nothing and names them all.
#include <gtest/gtest.h>

#include <QAction>

#include "MainDialogFixture.h"
#include "exchange/Translation.h"
#include "platform/RecentFolders.h"

namespace jf {
namespace {

constexpr char kPoPath[] = "C:\\Sims\\Translations\\fr.po";

class TranslationMenuTest : public test::MainDialogFixture {
protected:
    std::string fileText() {
        const std::vector<std::uint8_t> bytes = bytesOf(kPoPath);
        return {bytes.begin(), bytes.end()};
    }
};

TEST_F(TranslationMenuTest, ImportIsOneStepThatUndoTakesBack) {
    open();
    disk.addFolder("C:\\Sims\\Translations");
    window->setLanguage(test::kSlotFrench);
    prompts.saveFiles.push_back(kPoPath);
    window->action(command::kExportTranslation)->trigger();
    ASSERT_FALSE(prompts.fileChoices.empty());
    EXPECT_EQ(prompts.fileChoices.back().filters.front().description, kTranslationFilterText);
    EXPECT_EQ(prompts.fileChoices.back().initialName, "careers-fr.po");
    EXPECT_EQ(recentFolder(settings, FileKind::Translations), "C:\\Sims\\Translations\\");
    EXPECT_EQ(prompts.shown.back().text, kTranslationExportedText);

    std::string text = fileText();
    const std::string french = "msgstr \"A e0 s2\"";
    ASSERT_NE(text.find(french), std::string::npos) << text;
    text.replace(text.find(french), french.size(), "msgstr \"A e0 s2 \xC3\xA9t\xC3\xA9\"");
    disk.putFile(kPoPath, text);

    window->setLanguage(test::kSlotUsEnglish);
    prompts.openFiles.push_back(kPoPath);
    window->action(command::kImportTranslation)->trigger();
    EXPECT_EQ(entry(0, 0, test::kSlotFrench), "A e0 s2 \xE9t\xE9");  // code page 1252
    EXPECT_EQ(document->history().count(), 1u);
    EXPECT_EQ(window->action(command::kUndo)->text(), QStringLiteral("&Undo Import Translation"));
    EXPECT_EQ(window->currentLanguage(), test::kSlotFrench);
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s2 \u00e9t\u00e9"));
    EXPECT_TRUE(window->isWindowModified());

    window->action(command::kUndo)->trigger();
    EXPECT_EQ(entry(0, 0, test::kSlotFrench), "A e0 s2");
    EXPECT_EQ(shown(TextField::CareerName), QStringLiteral("A e0 s2"));
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(TranslationMenuTest, AFileWithProblemsChangesNothingAndListsThemAll) {
    open();
    disk.putFile(kPoPath, std::string("msgid \"\"\n"
                                      "msgstr \"Language: ru\\n\"\n"
                                      "\n"
                                      "msgctxt \"track 0 (id 1) careerName\"\n"
                                      "msgid \"A e0 s0\"\n"
                                      "msgstr \"\xD0\x96\xE6\xB0\xB4\"\n"
                                      "\n"
                                      "msgctxt \"track 2 (id 7) job 11 maleJobName\"\n"
                                      "msgid \"C\"\n"
                                      "msgstr \"D\"\n"
                                      "\n"
                                      "msgctxt \"global nothing\"\n"
                                      "msgid \"E\"\n"
                                      "msgstr \"F\"\n"));
    const std::string before = entry(0, 0, test::kSlotRussian);
    prompts.openFiles.push_back(kPoPath);
    window->action(command::kImportTranslation)->trigger();
    EXPECT_EQ(entry(0, 0, test::kSlotRussian), before);
    EXPECT_EQ(document->history().count(), 0u);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].icon, PromptIcon::Error);
    EXPECT_EQ(prompts.shown[0].text,
              std::string(kTranslationNotImportedText) +
                  "\n\nline 4: msgctxt \"track 0 (id 1) careerName\": the character U+6C34 "
                  "cannot be stored in Russian"
                  "\nline 8: msgctxt \"track 2 (id 7) job 11 maleJobName\": career id 7 has no "
                  "job 11\nline 12: msgctxt \"global nothing\": no such global text");
}

}  // namespace
}  // namespace jf
