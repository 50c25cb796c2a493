#include "careers/DefaultTexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "iff/IffChunk.h"
#include "iff/StringTable.h"
#include "platform/CodePages.h"

namespace jf {
namespace {

constexpr int kEntries = kDefaultGlobalTextEntries;
constexpr std::size_t kHeaderSize = 4;

bool decodeDefaults(StringTable& table) {
    const std::vector<std::uint8_t>& body = defaultGlobalTextsBody();
    IffChunk& chunk = *table.chunk();
    EXPECT_TRUE(chunk.setSize(static_cast<std::uint32_t>(body.size())));
    std::memcpy(chunk.data.data(), body.data(), body.size());
    chunk.flags = kFlagLittleEndian;
    chunk.position = 0;
    chunk.loaded = true;
    return table.decode();
}

// The texts of the source file, UTF-8, by language name and entry. Only the
// plain "N=text" lines without escapes are needed here.
std::map<std::string, std::map<int, std::string>> readSource() {
    std::map<std::string, std::map<int, std::string>> texts;
    std::ifstream in(std::string(JF_SOURCE_DIR) + "/resources/default_texts.txt", std::ios::binary);
    EXPECT_TRUE(in.good());
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            texts[section][std::stoi(line.substr(0, equals))] = line.substr(equals + 1);
        }
    }
    return texts;
}

TEST(DefaultTexts, BodyIsFormMinus3With240EntriesInLanguageOrder) {
    const std::vector<std::uint8_t>& body = defaultGlobalTextsBody();
    ASSERT_GE(body.size(), kHeaderSize);
    EXPECT_EQ(body[0], 0xFD);
    EXPECT_EQ(body[1], 0xFF);
    EXPECT_EQ(body[2], 240);
    EXPECT_EQ(body[3], 0);

    // Walk the strings: language byte, text NUL, empty comment NUL.
    std::size_t at = kHeaderSize;
    for (int index = 0; index < kLanguageSlotCount * kEntries; ++index) {
        ASSERT_LT(at, body.size());
        EXPECT_EQ(body[at], index / kEntries + 1) << "string " << index;
        ++at;
        while (at < body.size() && body[at] != 0) {
            ++at;
        }
        ASSERT_LT(at + 1, body.size()) << "string " << index;
        EXPECT_NE(body[at - 1], 0) << "empty text at string " << index;
        EXPECT_EQ(body[at + 1], 0) << "comment of string " << index << " not empty";
        at += 2;
    }
    EXPECT_EQ(at, body.size());
}

TEST(DefaultTexts, DecodesToTwelveFullRows) {
    StringTable table;
    ASSERT_TRUE(decodeDefaults(table));
    EXPECT_EQ(table.bodyForm(), StringTable::WithLanguages);
    ASSERT_EQ(table.rowCount(), static_cast<std::size_t>(kEntries));
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            EXPECT_FALSE(table.text(row, slot).empty()) << "row " << row << " slot " << slot;
            std::string comment = "x";
            ASSERT_TRUE(table.getString(row, slot, StringTable::kComment, comment));
            EXPECT_EQ(comment, "");
        }
    }
    EXPECT_EQ(table.text(0, 0), "Car Pool");

    // Re-encoding gives back the same bytes.
    std::vector<std::uint8_t> again;
    ASSERT_TRUE(table.encodedBody(again));
    EXPECT_EQ(again, defaultGlobalTextsBody());
}

TEST(DefaultTexts, EveryTextDecodesBackToTheSource) {
    StringTable table;
    ASSERT_TRUE(decodeDefaults(table));
    const auto source = readSource();
    ASSERT_EQ(source.size(), static_cast<std::size_t>(kLanguageSlotCount));
    for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
        const auto language = source.find(languageNameForSlot(slot));
        ASSERT_NE(language, source.end()) << languageNameForSlot(slot);
        for (int entry = 0; entry < kEntries; ++entry) {
            std::optional<std::string> utf8 =
                toUtf8(table.text(static_cast<std::size_t>(entry), slot), codePageForSlot(slot));
            ASSERT_TRUE(utf8.has_value()) << languageNameForSlot(slot) << " " << entry;
            EXPECT_EQ(*utf8, language->second.at(entry))
                << languageNameForSlot(slot) << " " << entry;
        }
    }
}

TEST(DefaultTexts, JapaneseAndRussianAreStoredInTheirCodePages) {
    StringTable table;
    ASSERT_TRUE(decodeDefaults(table));
    constexpr int kRussian = 12;
    constexpr int kJapanese = 14;
    // Cyrillic letters are single bytes 0xC0..0xFF in 1251, not UTF-8 pairs.
    const std::string russian = table.text(10, kRussian);
    EXPECT_EQ(toUtf8(russian, 1251),
              std::optional<std::string>("\xD0\xA8\xD0\xBA\xD0\xBE\xD0\xBB\xD1\x8C\xD0\xBD\xD1\x8B"
                                         "\xD0\xB9 \xD0\xB0\xD0\xB2\xD1\x82\xD0\xBE\xD0\xB1\xD1\x83"
                                         "\xD1\x81"));  // Школьный автобус
    EXPECT_EQ(russian.size(), 16u);
    // スクールバス in Shift-JIS: six double-byte characters.
    EXPECT_EQ(table.text(10, kJapanese), "\x83\x58\x83\x4E\x81\x5B\x83\x8B\x83\x6F\x83\x58");
    EXPECT_EQ(toUtf8(table.text(10, kJapanese), 932),
              std::optional<std::string>("\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\xBC\xE3\x83\xAB\xE3\x83"
                                         "\x90\xE3\x82\xB9"));
}

TEST(DefaultTexts, ChineseBytesFollowTheGamesNumbering) {
    StringTable table;
    ASSERT_TRUE(decodeDefaults(table));
    constexpr int kLanguageByte17 = 16;
    constexpr int kLanguageByte18 = 17;
    // 校车 (Simplified) in GBK under language byte 17; 校車 (Traditional) in
    // Big5 under 18.
    EXPECT_EQ(table.text(10, kLanguageByte17), "\xD0\xA3\xB3\xB5");
    EXPECT_EQ(table.text(10, kLanguageByte18), "\xAE\xD5\xA8\xAE");
}

}  // namespace
}  // namespace jf
