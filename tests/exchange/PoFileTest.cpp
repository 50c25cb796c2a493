// Reading and writing gettext PO files: what translators' editors produce
// reads back as written, and a broken file names every fault.
#include <gtest/gtest.h>

#include "exchange/PoFile.h"
#include "exchange/Translation.h"

namespace jf {
namespace {

TEST(PoFileTest, WrittenTextsReadBackExactly) {
    PoFile file;
    file.header = "Language: fr\nContent-Type: text/plain; charset=UTF-8\n";
    PoEntry entry;
    entry.context = "track 0 (id 1) job 1 jobDescription";
    entry.source = "Line \"one\"\nLine\ttwo \\ end\n\nlast\x01";
    entry.translation = "Ligne \xC3\xA9t\xC3\xA9\r\nfin";
    entry.comments = {"Career: A\nsecond line"};
    entry.fuzzy = true;
    file.entries.push_back(entry);
    PoEntry plain;
    plain.context = "global carPoolName";
    plain.source = "Car Pool";
    file.entries.push_back(plain);

    std::vector<std::string> problems;
    const std::optional<PoFile> read = parsePoFile(writePoFile(file), problems);
    ASSERT_TRUE(read) << problems.front();
    EXPECT_EQ(read->header, file.header);
    ASSERT_EQ(read->entries.size(), 2u);
    EXPECT_EQ(read->entries[0].context, entry.context);
    EXPECT_EQ(read->entries[0].source, entry.source);
    EXPECT_EQ(read->entries[0].translation, entry.translation);
    EXPECT_EQ(read->entries[0].comments, (std::vector<std::string>{"Career: A", "second line"}));
    EXPECT_TRUE(read->entries[0].fuzzy);
    EXPECT_EQ(read->entries[1].translation, "");
    EXPECT_FALSE(read->entries[1].fuzzy);
    EXPECT_EQ(poHeaderField(read->header, "language"), "fr");
}

TEST(PoFileTest, ReadsWhatEditorsWrite) {
    // A byte order mark, CR LF, comments of every kind, a flag list, an
    // obsolete entry, a plural entry, strings over several lines, escapes.
    const std::string text =
        "\xEF\xBB\xBFmsgid \"\"\r\n"
        "msgstr \"\"\r\n"
        "\"Language: de\\n\"\r\n"
        "\r\n"
        "# translator note\r\n"
        "#: somewhere:12\r\n"
        "#, c-format, fuzzy\r\n"
        "msgctxt \"a\"\r\n"
        "msgid \"\"\r\n"
        "\"one \"\r\n"
        "\"two\"\r\n"
        "msgstr \"\\x41\\102\\t\\\"\"\r\n"
        "\r\n"
        "#~ msgctxt \"old\"\r\n"
        "#~ msgid \"gone\"\r\n"
        "#~ msgstr \"weg\"\r\n"
        "\r\n"
        "msgctxt \"b\"\r\n"
        "msgid \"file\"\r\n"
        "msgid_plural \"files\"\r\n"
        "msgstr[0] \"Datei\"\r\n"
        "msgstr[1] \"Dateien\"\r\n"
        "msgctxt \"c\"\r\n"
        "msgid \"x\"\r\n"
        "msgstr \"y\"";
    std::vector<std::string> problems;
    const std::optional<PoFile> file = parsePoFile(text, problems);
    ASSERT_TRUE(file) << problems.front();
    EXPECT_EQ(poHeaderField(file->header, "Language"), "de");
    ASSERT_EQ(file->entries.size(), 3u);
    EXPECT_EQ(file->entries[0].source, "one two");
    EXPECT_EQ(file->entries[0].translation, "AB\t\"");
    EXPECT_TRUE(file->entries[0].fuzzy);
    EXPECT_EQ(file->entries[0].line, 8u);
    EXPECT_TRUE(file->entries[1].plural);
    EXPECT_EQ(file->entries[1].translation, "");
    EXPECT_EQ(file->entries[2].context, "c");
    EXPECT_EQ(file->entries[2].translation, "y");
}

TEST(PoFileTest, EveryFaultIsNamedWithItsLine) {
    const std::string text =
        "msgid \"a\"\n"
        "msgstr \"unterminated\n"
        "\n"
        "msgid \"b\"\n"
        "msgstr \"bad \\q escape\"\n"
        "\n"
        "msgid \"c\"\n"
        "\n"
        "msgtxt \"d\"\n";
    std::vector<std::string> problems;
    EXPECT_FALSE(parsePoFile(text, problems));
    EXPECT_EQ(problems, (std::vector<std::string>{
                            "line 2: a string in double quotes was expected",
                            "line 5: unknown escape \\q",
                            "line 9: unknown keyword 'msgtxt'",
                            "line 7: an entry without msgstr",
                        }));
}

TEST(PoFileTest, LanguageCodesFindTheirSlots) {
    EXPECT_EQ(slotOfGettextLanguage("fr"), 2);
    EXPECT_EQ(slotOfGettextLanguage("pt-BR"), 13);
    EXPECT_EQ(slotOfGettextLanguage("zh_TW"), 17);
    EXPECT_EQ(slotOfGettextLanguage("zh_Hant"), 17);
    EXPECT_EQ(slotOfGettextLanguage("EN_gb"), 1);
    EXPECT_EQ(slotOfGettextLanguage("en"), 0);
    EXPECT_EQ(slotOfGettextLanguage("nn_NO"), 9);
    EXPECT_EQ(slotOfGettextLanguage("Hebrew"), 11);
    EXPECT_EQ(slotOfGettextLanguage("xx"), std::nullopt);
    EXPECT_EQ(slotOfGettextLanguage(""), std::nullopt);
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        EXPECT_EQ(slotOfGettextLanguage(gettextLanguageCode(slot)), slot);
    }
}

}  // namespace
}  // namespace jf
