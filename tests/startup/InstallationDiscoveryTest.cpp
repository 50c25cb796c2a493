// Start-up discovery against the in-memory settings store.
#include <gtest/gtest.h>

#include "platform/Messages.h"
#include "platform/SettingsStore.h"
#include "startup/Startup.h"

namespace jf {
namespace {

constexpr std::uint32_t kMigratedMask = 0x0F;

class DiscoveryTest : public ::testing::Test {
protected:
    DiscoveryTest() { store.setText(kGameKeyPath, kDataFolderValue, "C:\\Games\\Sims"); }

    GameInstallation discover() {
        GameInstallation out;
        EXPECT_TRUE(discoverInstallation(store, out));
        EXPECT_EQ(store.openHandles(), 0) << "every key opened is closed again";
        return out;
    }

    bool opened(const std::string& path) const {
        for (const std::string& p : store.openedPaths()) {
            if (settings::sameKeyPath(p, path)) {
                return true;
            }
        }
        return false;
    }

    MemorySettingsStore store;
};

TEST_F(DiscoveryTest, MissingGameKeyFailsAndWritesNothing) {
    store.removeKey(kGameKeyPath);
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, kMigratedMask);
    GameInstallation out;
    out.gameDataFolder = "stale";
    out.installedPacks = 0x7F;
    EXPECT_FALSE(discoverInstallation(store, out));
    EXPECT_EQ(out.gameDataFolder, "");
    EXPECT_EQ(out.installedPacks, 0u);
    EXPECT_TRUE(store.createdPaths().empty());
    EXPECT_FALSE(store.hasKey(kOwnKeyPath));
    EXPECT_EQ(std::string(kRegistryErrorText), "Can't load SIMS registry info!");
    EXPECT_EQ(std::string(kErrorCaption), "Error");
}

TEST_F(DiscoveryTest, FolderGetsOneBackslash) {
    EXPECT_EQ(discover().gameDataFolder, "C:\\Games\\Sims\\");
}

TEST_F(DiscoveryTest, FolderEndingInBackslashIsKept) {
    store.setText(kGameKeyPath, kDataFolderValue, "C:\\Program Files\\Maxis\\The Sims\\");
    EXPECT_EQ(discover().gameDataFolder, "C:\\Program Files\\Maxis\\The Sims\\");
}

TEST_F(DiscoveryTest, EmptyOrMissingFolderBecomesBackslash) {
    store.setText(kGameKeyPath, kDataFolderValue, "");
    EXPECT_EQ(discover().gameDataFolder, "\\");
    store.removeKey(kGameKeyPath);
    store.addKey(kGameKeyPath);
    EXPECT_EQ(discover().gameDataFolder, "\\");
}

TEST_F(DiscoveryTest, FolderIsTakenUpToTheFirstZeroByte) {
    store.setRaw(kGameKeyPath, kDataFolderValue, SettingsValueType::String,
                 {'C', ':', '\\', 'S', 0, 'X', 'Y', 0});
    EXPECT_EQ(discover().gameDataFolder, "C:\\S\\");
    // No terminating zero at all: the whole data.
    store.setRaw(kGameKeyPath, kDataFolderValue, SettingsValueType::String, {'D', ':'});
    EXPECT_EQ(discover().gameDataFolder, "D:\\");
}

TEST_F(DiscoveryTest, FolderThatIsNoTextCountsAsAbsent) {
    store.setDword(kGameKeyPath, kDataFolderValue, 0x3A43);
    EXPECT_EQ(discover().gameDataFolder, "\\");
}

TEST_F(DiscoveryTest, AllPacksGive7F) {
    for (const char* name : kPackValueNames) {
        store.setText(kGameKeyPath, name, "1");
    }
    GameInstallation g = discover();
    EXPECT_EQ(g.installedPacks, 0x7Fu);
    for (const std::string& flag : g.packFlags) {
        EXPECT_EQ(flag, "1");
    }
}

TEST_F(DiscoveryTest, NoPacksGive01) {
    GameInstallation g = discover();
    EXPECT_EQ(g.installedPacks, 0x01u);
    for (const std::string& flag : g.packFlags) {
        EXPECT_EQ(flag, "");
    }
}

TEST_F(DiscoveryTest, OnlyFourthPackGives11) {
    store.setText(kGameKeyPath, "EP4Installed", "1");
    GameInstallation g = discover();
    EXPECT_EQ(g.installedPacks, 0x11u);
    EXPECT_EQ(g.packFlags[3], "1");
}

TEST_F(DiscoveryTest, OnlyExactlyOneSetsTheBit) {
    for (const char* text : {"0", " 1", "1 ", "01", "1.0", "true", "2", ""}) {
        store.setText(kGameKeyPath, "EP2Installed", text);
        GameInstallation g = discover();
        EXPECT_EQ(g.installedPacks & 0x04u, 0u) << '"' << text << '"';
        EXPECT_EQ(g.packFlags[1], text);
    }
    store.setText(kGameKeyPath, "EP2Installed", "1");
    EXPECT_EQ(discover().installedPacks, 0x05u);
}

TEST_F(DiscoveryTest, PackFlagsKeepTheirOrder) {
    const char* texts[kPackCount] = {"a", "b", "c", "d", "e", "f"};
    for (int i = 0; i < kPackCount; ++i) {
        store.setText(kGameKeyPath, kPackValueNames[i], texts[i]);
    }
    GameInstallation g = discover();
    for (int i = 0; i < kPackCount; ++i) {
        EXPECT_EQ(g.packFlags[static_cast<std::size_t>(i)], texts[i]);
    }
    EXPECT_EQ(g.installedPacks, kBaseGameBit);
}

TEST_F(DiscoveryTest, ValueNamesIgnoreCase) {
    store.setText(kGameKeyPath, "ep6installed", "1");
    store.setText(kGameKeyPath, "sims_data", "E:\\Sims");
    GameInstallation g = discover();
    EXPECT_EQ(g.installedPacks, 0x41u);
    EXPECT_EQ(g.gameDataFolder, "E:\\Sims\\");
}

TEST_F(DiscoveryTest, KnownPacksFromOwnKey) {
    store.setDword(kOwnKeyPath, kKnownPacksValue, 0x23);
    EXPECT_EQ(discover().knownPacks, 0x23u);
    EXPECT_TRUE(store.createdPaths().empty());
}

TEST_F(DiscoveryTest, OwnKeyWithoutValueGivesZeroAndPredecessorIsNotRead) {
    store.addKey(kOwnKeyPath);
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, kMigratedMask);
    EXPECT_EQ(discover().knownPacks, 0u);
    EXPECT_FALSE(opened(kPredecessorKeyPath));
    EXPECT_TRUE(store.createdPaths().empty());
    EXPECT_EQ(store.value(kOwnKeyPath, kKnownPacksValue), nullptr);
}

TEST_F(DiscoveryTest, MigratesFromPredecessorOnce) {
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, kMigratedMask);
    SettingsValues before = store.values(kPredecessorKeyPath);

    EXPECT_EQ(discover().knownPacks, kMigratedMask);
    const SettingsValue* migrated = store.value(kOwnKeyPath, kKnownPacksValue);
    ASSERT_NE(migrated, nullptr);
    EXPECT_EQ(migrated->type, SettingsValueType::Dword);
    EXPECT_EQ(migrated->data, (std::vector<std::uint8_t>{0x0F, 0, 0, 0}));
    ASSERT_EQ(store.values(kPredecessorKeyPath).size(), before.size());
    EXPECT_EQ(store.value(kPredecessorKeyPath, kKnownPacksValue)->data,
              before.begin()->second.data);

    // The next start finds the own key and no longer consults the predecessor.
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, 0x7F);
    MemorySettingsStore& s = store;
    std::size_t openedBefore = s.openedPaths().size();
    EXPECT_EQ(discover().knownPacks, kMigratedMask);
    for (std::size_t i = openedBefore; i < s.openedPaths().size(); ++i) {
        EXPECT_FALSE(settings::sameKeyPath(s.openedPaths()[i], kPredecessorKeyPath));
    }
    EXPECT_EQ(s.createdPaths().size(), 1u);
}

TEST_F(DiscoveryTest, PredecessorWithoutValueCreatesNothing) {
    store.addKey(kPredecessorKeyPath);
    EXPECT_EQ(discover().knownPacks, 0u);
    EXPECT_TRUE(store.createdPaths().empty());
    EXPECT_FALSE(store.hasKey(kOwnKeyPath));
}

TEST_F(DiscoveryTest, NoKeysAtAllGiveZeroAndCreateNothing) {
    EXPECT_EQ(discover().knownPacks, 0u);
    EXPECT_TRUE(opened(kPredecessorKeyPath));
    EXPECT_TRUE(store.createdPaths().empty());
}

TEST_F(DiscoveryTest, FailedCreationIsSilentAndRetriedNextTime) {
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, kMigratedMask);
    store.setCreateFails(true);
    EXPECT_EQ(discover().knownPacks, kMigratedMask);
    EXPECT_FALSE(store.hasKey(kOwnKeyPath));
    store.setCreateFails(false);
    EXPECT_EQ(discover().knownPacks, kMigratedMask);
    EXPECT_NE(store.value(kOwnKeyPath, kKnownPacksValue), nullptr);
}

TEST_F(DiscoveryTest, FailedWriteLeavesEmptyOwnKeyAndNoSecondMigration) {
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, kMigratedMask);
    store.setWriteFails(true);
    EXPECT_EQ(discover().knownPacks, kMigratedMask);
    EXPECT_TRUE(store.hasKey(kOwnKeyPath));
    EXPECT_EQ(store.value(kOwnKeyPath, kKnownPacksValue), nullptr);
    store.setWriteFails(false);
    EXPECT_EQ(discover().knownPacks, 0u);
    EXPECT_EQ(store.value(kOwnKeyPath, kKnownPacksValue), nullptr);
}

TEST_F(DiscoveryTest, KnownPacksOfAnotherFormCountAsAbsent) {
    store.setRaw(kOwnKeyPath, kKnownPacksValue, SettingsValueType::Dword, {0x0F, 0});
    EXPECT_EQ(discover().knownPacks, 0u);
    store.setRaw(kOwnKeyPath, kKnownPacksValue, SettingsValueType::Binary, {0x0F, 0, 0, 0});
    EXPECT_EQ(discover().knownPacks, 0u);
    store.setRaw(kOwnKeyPath, kKnownPacksValue, SettingsValueType::Dword, {1, 2, 3, 4, 5});
    EXPECT_EQ(discover().knownPacks, 0u);
    store.setRaw(kOwnKeyPath, kKnownPacksValue, SettingsValueType::Dword, {0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(discover().knownPacks, 0x12345678u);
}

TEST_F(DiscoveryTest, PredecessorValueOfAnotherFormIsNotMigrated) {
    store.setRaw(kPredecessorKeyPath, kKnownPacksValue, SettingsValueType::String, {'1', 0});
    EXPECT_EQ(discover().knownPacks, 0u);
    EXPECT_TRUE(store.createdPaths().empty());
}

TEST_F(DiscoveryTest, StoreKnownPacksWritesFourByteDword) {
    EXPECT_TRUE(storeKnownPacks(store, 0x7F));
    const SettingsValue* v = store.value(kOwnKeyPath, kKnownPacksValue);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, SettingsValueType::Dword);
    EXPECT_EQ(v->data, (std::vector<std::uint8_t>{0x7F, 0, 0, 0}));
    EXPECT_EQ(store.openHandles(), 0);
    EXPECT_EQ(discover().knownPacks, 0x7Fu);

    store.setCreateFails(true);
    EXPECT_FALSE(storeKnownPacks(store, 1));
    store.setCreateFails(false);
    store.setWriteFails(true);
    EXPECT_FALSE(storeKnownPacks(store, 1));
    EXPECT_EQ(discover().knownPacks, 0x7Fu);
}

TEST_F(DiscoveryTest, StartUpClearsChanceCardsDisabled) {
    AppState state;
    state.chanceCardsDisabled = true;
    EXPECT_TRUE(startUp(store, LegacySearchPlaces{}, state));
    EXPECT_FALSE(state.chanceCardsDisabled);
    EXPECT_EQ(state.installation.gameDataFolder, "C:\\Games\\Sims\\");

    store.removeKey(kGameKeyPath);
    state.chanceCardsDisabled = true;
    EXPECT_FALSE(startUp(store, LegacySearchPlaces{}, state));
    EXPECT_EQ(state.installation.gameDataFolder, "");
}

TEST_F(DiscoveryTest, KeyPathsIgnoreCaseAndStraySeparators) {
    store.removeKey(kGameKeyPath);
    store.setText("SOFTWARE\\maxis\\THE SIMS\\", kDataFolderValue, "C:\\X");
    EXPECT_EQ(discover().gameDataFolder, "C:\\X\\");
    EXPECT_TRUE(settings::sameKeyPath("\\Software\\\\Maxis\\The Sims", kGameKeyPath));
    EXPECT_FALSE(settings::sameKeyPath("Software\\Maxis\\The Sims 2", kGameKeyPath));
}

TEST(InstalledPacksTest, BitsFollowTheFlags) {
    std::array<std::string, kPackCount> flags;
    EXPECT_EQ(computeInstalledPacks(flags), 0x01u);
    for (int i = 0; i < kPackCount; ++i) {
        flags = {};
        flags[static_cast<std::size_t>(i)] = "1";
        EXPECT_EQ(computeInstalledPacks(flags), 0x01u | (0x02u << i));
    }
    EXPECT_EQ(normalizeDataFolder(""), "\\");
    EXPECT_EQ(normalizeDataFolder("a/"), "a/\\");
    EXPECT_EQ(normalizeDataFolder("a\\"), "a\\");
}

}  // namespace
}  // namespace jf
