// The message about a typed character that the language's code page cannot
// hold.
#include <gtest/gtest.h>

#include <string>

#include "document/Document.h"

namespace jf {
namespace {

TEST(RefusedCharacterTest, TheMessageNamesTheCharacterAndTheLanguage) {
    EXPECT_EQ(refusedCharacterDetail("fits", 12), "");
    EXPECT_EQ(refusedCharacterDetail("\xD0\x98\xE6\x97\xA5", 12),
              "\n\nCharacter: \xC2\xAB\xE6\x97\xA5\xC2\xBB (U+65E5), language: Russian");
    EXPECT_EQ(refusedCharacterDetail("\xE0\xB8\x81", 16),
              "\n\nCharacter: \xC2\xAB\xE0\xB8\x81\xC2\xBB (U+0E01), language: Simplified Chinese");
    EXPECT_EQ(refusedCharacterDetail("\xF0\x9F\x98\x80", 17),
              "\n\nCharacter: \xC2\xAB\xF0\x9F\x98\x80\xC2\xBB (U+1F600), language: Traditional "
              "Chinese");
    EXPECT_EQ(refusedCharacterDetail("\xD0\x96", kNoLanguage),
              "\n\nCharacter: \xC2\xAB\xD0\x96\xC2\xBB (U+0416), language: none (internal name)");
    // The text as it was first shown stays the start.
    EXPECT_EQ(refusedCharacterMessage("\xD0\x96", 0),
              "The text contains a character that cannot be stored in the current language's "
              "code page.\n\nThe change has not been made.\n\nCharacter: \xC2\xAB\xD0\x96\xC2\xBB "
              "(U+0416), language: USEnglish");
}

}  // namespace
}  // namespace jf
