#include "ui/QtPrompts.h"

#include <gtest/gtest.h>

namespace jf {
namespace {

TEST(QtPromptsTest, FileDialogFilters) {
    FileChoice choice;
    choice.filters = {{"Career files", "*.car"},
                      {"Bitmaps (*.bmp)", "*.bmp"},
                      {"Career files of Jobforge 2", "*.iff;*.IFF"}};
    EXPECT_EQ(fileDialogFilter(choice),
              QStringLiteral("Career files (*.car);;Bitmaps (*.bmp);;Career files of Jobforge 2 "
                             "(*.iff *.IFF)"));
    EXPECT_EQ(fileDialogFilter(FileChoice{}), QString());
}

}  // namespace
}  // namespace jf
