// The folder each kind of file was last chosen in, and the text values of
// the settings store that keep it.
#include "platform/RecentFolders.h"

#include <gtest/gtest.h>

#include "platform/SettingsStore.h"

namespace jf {
namespace {

TEST(RecentFoldersTest, EachKindKeepsTheFolderOfItsLastFile) {
    MemorySettingsStore store;
    EXPECT_EQ(recentFolder(store, FileKind::Careers), "");
    EXPECT_FALSE(store.hasKey(kRecentFoldersKeyPath)) << "reading creates nothing";

    rememberFolder(store, FileKind::Careers, "C:\\Exports\\first.car");
    rememberFolder(store, FileKind::Icons, "/home/u/Pictures/popup.bmp");
    EXPECT_EQ(recentFolder(store, FileKind::Careers), "C:\\Exports\\");
    EXPECT_EQ(recentFolder(store, FileKind::Icons), "/home/u/Pictures/");
    EXPECT_EQ(recentFolder(store, FileKind::Backups), "");

    const SettingsValue* careers = store.value(kRecentFoldersKeyPath, "Careers");
    ASSERT_NE(careers, nullptr);
    EXPECT_EQ(careers->type, SettingsValueType::String);
    EXPECT_EQ(careers->data, settings::textBytes("C:\\Exports\\"));
    EXPECT_NE(store.value(kRecentFoldersKeyPath, "Icons"), nullptr);

    // The last file chosen wins; a bare name has no folder to remember.
    rememberFolder(store, FileKind::Careers, "D:\\Other\\second.car");
    rememberFolder(store, FileKind::Careers, "third.car");
    EXPECT_EQ(recentFolder(store, FileKind::Careers), "D:\\Other\\");
}

TEST(RecentFoldersTest, AStoreThatRefusesWritingOnlyForgets) {
    MemorySettingsStore store;
    store.setWriteFails(true);
    rememberFolder(store, FileKind::Backups, "C:\\Backups\\all.cbk");
    EXPECT_EQ(recentFolder(store, FileKind::Backups), "");
    store.setWriteFails(false);
    store.setCreateFails(true);
    rememberFolder(store, FileKind::Backups, "C:\\Backups\\all.cbk");
    EXPECT_EQ(recentFolder(store, FileKind::Backups), "");
    // A value of another type is no folder.
    store.setDword(kRecentFoldersKeyPath, "Backups", 7);
    EXPECT_EQ(recentFolder(store, FileKind::Backups), "");
}

TEST(RecentFoldersTest, TextValuesOnlyInWritableKeys) {
    MemorySettingsStore store;
    store.addKey("K");
    EXPECT_FALSE(store.openKey("K")->writeText("V", "x"));
    ASSERT_TRUE(store.createKey("K")->writeText("V", "x"));
    std::string text;
    ASSERT_TRUE(store.openKey("K")->readText("V", text));
    EXPECT_EQ(text, "x");
}

}  // namespace
}  // namespace jf
