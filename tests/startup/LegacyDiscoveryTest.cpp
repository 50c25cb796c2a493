// Finding the Legacy Collection in Steam libraries, and Steam's key-value files.
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "platform/HostEnvironment.h"
#include "platform/SettingsStore.h"
#include "startup/LegacyDiscovery.h"
#include "startup/Startup.h"
#include "startup/ValveKeyValues.h"

namespace jf {
namespace {

using test::ScratchFolder;

TEST(KeyValuesTest, ParsesLibraryFolders) {
    KeyValueNode root = parseKeyValues(
        "\"libraryfolders\"\n{\n"
        "\t\"contentstatsid\"\t\t\"-123\"\n"
        "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\n"
        "\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"123\"\n\t\t}\n\t}\n"
        "\t\"1\" { \"PATH\" \"D:\\\\Steam \\\"Lib\\\"\" }\n"
        "}\n");
    const KeyValueNode* list = root.child("LibraryFolders");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isBlock);
    ASSERT_EQ(list->children.size(), 3u);
    EXPECT_EQ(list->children[0].value, "-123");
    const KeyValueNode* first = list->child("0");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->child("path")->value, "C:\\Program Files (x86)\\Steam");
    EXPECT_EQ(first->child("apps")->child("228980")->value, "123");
    EXPECT_EQ(list->child("1")->child("path")->value, "D:\\Steam \"Lib\"");
}

TEST(KeyValuesTest, BareTokensCommentsAndConditions) {
    KeyValueNode root = parseKeyValues(
        "// a comment\nAppState { appid 3314060 // trailing\n"
        "  installdir \"The Sims\" [$WIN32]\n  \"esc\" \"a\\qb\\nc\\td\" }");
    const KeyValueNode* app = root.child("appstate");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->child("appid")->value, "3314060");
    EXPECT_EQ(app->child("installdir")->value, "The Sims");
    EXPECT_EQ(app->child("esc")->value, "a\\qb\nc\td");
}

TEST(KeyValuesTest, ToleratesBrokenInput) {
    // Unclosed blocks are closed; what was read is kept.
    KeyValueNode root = parseKeyValues("\"a\" { \"b\" { \"c\" \"d\"");
    ASSERT_NE(root.child("a"), nullptr);
    EXPECT_EQ(root.child("a")->child("b")->child("c")->value, "d");
    // Stray closing braces, a key without value, an unterminated string.
    root = parseKeyValues("} } \"x\" \"1\" \"y\"");
    EXPECT_EQ(root.child("x")->value, "1");
    EXPECT_EQ(root.child("y"), nullptr);
    root = parseKeyValues("\"x\" \"unterminated");
    EXPECT_EQ(root.child("x")->value, "unterminated");
    root = parseKeyValues("{ \"x\" \"1\" }");
    EXPECT_TRUE(root.children.empty());
    root = parseKeyValues("");
    EXPECT_TRUE(root.children.empty());
}

TEST(KeyValuesTest, DeepNestingAndHugeInputStayBounded) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) {
        deep += "k {";
    }
    KeyValueNode root = parseKeyValues(deep);
    int depth = 0;
    for (const KeyValueNode* n = &root; !n->children.empty(); n = &n->children[0]) {
        ++depth;
    }
    EXPECT_LT(depth, kKeyValueMaxDepth);

    std::string many;
    for (std::size_t i = 0; i < kKeyValueMaxNodes + 10; ++i) {
        many += "a b ";
    }
    root = parseKeyValues(many);
    EXPECT_EQ(root.children.size(), kKeyValueMaxNodes);

    std::mt19937 random(7);
    const std::string alphabet = "{}\"\\/ \n\tab[]$";
    for (int round = 0; round < 3000; ++round) {
        std::string t;
        std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i) {
            t.push_back(random() % 4 == 0 ? static_cast<char>(random() & 0xFF)
                                          : alphabet[random() % alphabet.size()]);
        }
        parseKeyValues(t);
    }
}

// A fake Steam installation with two libraries.
// A found folder as compared: exactly as spelled on POSIX; on Windows, whose
// names compare ignoring case and where the folders found join their parts
// with '\\', with native separators and ASCII letters in lower case.
std::string nativeSpelling(const std::string& path) {
#ifdef _WIN32
    std::string spelling = std::filesystem::path(path).lexically_normal().string();
    for (char& c : spelling) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return spelling;
#else
    return path;
#endif
}

class SteamTreeTest : public ::testing::Test {
protected:
    SteamTreeTest() {
        root = scratch.folder("home/.local/share/Steam");
        scratch.folder("home/.local/share/Steam/steamapps/common");
        libraryA = scratch.folder("libA");
        libraryB = scratch.folder("libB");
        scratch.folder("libA/steamapps/common/Other Game/GameData");
        scratch.file("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                     "\"libraryfolders\"\n{\n"
                     "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                         root +
                         "\"\n\t}\n"
                         "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
                         libraryA +
                         "\"\n"
                         "\t\t\"apps\" { \"10\" \"1\" }\n\t}\n"
                         "\t\"2\"\n\t{\n\t\t\"path\"\t\t\"" +
                         libraryB +
                         "\"\n\t}\n"
                         "\t\"3\"\n\t{\n\t\t\"path\"\t\t\"" +
                         scratch.path() +
                         "/nowhere\"\n\t}\n"
                         "}\n");
    }

    void installLegacy(const std::string& library, const std::string& dataFolderName) {
        scratch.file(library + "/SteamApps/appmanifest_3314060.acf",
                     "\"AppState\"\n{\n\t\"appid\"\t\t\"3314060\"\n"
                     "\t\"name\"\t\t\"The Sims Legacy Collection\"\n"
                     "\t\"installdir\"\t\t\"The Sims Legacy Collection\"\n}\n");
        scratch.folder(library + "/SteamApps/Common/The Sims Legacy Collection/" + dataFolderName);
        scratch.folder(library + "/SteamApps/Common/The Sims Legacy Collection/UIGraphics");
    }

    // The places of a user whose Steam lives in the scratch home. Windows
    // finds Steam through the registry, not HOME, so there it is given.
    LegacySearchPlaces places() const {
#ifdef _WIN32
        LegacySearchPlaces found;
        found.steamRoots = {root};
        return found;
#else
        MapEnvironment env;
        env.set("HOME", scratch / "home");
        return legacySearchPlaces(env);
#endif
    }

    ScratchFolder scratch;
    std::string root;
    std::string libraryA;
    std::string libraryB;
};

TEST_F(SteamTreeTest, ListsEveryExistingLibraryOnce) {
    std::vector<std::string> libraries = steamLibraries(root);
    ASSERT_EQ(libraries.size(), 3u);
    EXPECT_EQ(libraries[0], root);
    EXPECT_EQ(libraries[1], libraryA);
    EXPECT_EQ(libraries[2], libraryB);
    EXPECT_TRUE(steamLibraries(scratch / "nosteam").empty());
}

TEST_F(SteamTreeTest, FindsTheCollectionInTheSecondLibrary) {
    installLegacy("libB", "gAMEdATA");
    std::string folder = "unchanged";
    ASSERT_TRUE(findLegacyInstallation(places(), folder));
    EXPECT_EQ(nativeSpelling(folder),
              nativeSpelling(libraryB + "/SteamApps/Common/The Sims Legacy Collection/"));

    MemorySettingsStore store;  // no game key at all
    store.setDword(kPredecessorKeyPath, kKnownPacksValue, 0x03);
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, places(), g));
    EXPECT_EQ(g.gameDataFolder, folder);
    EXPECT_EQ(g.installedPacks, kAllPacksMask);
    for (const std::string& flag : g.packFlags) {
        EXPECT_EQ(flag, "1");
    }
    EXPECT_EQ(g.knownPacks, 0x03u) << "the known packs still come from the settings";
    EXPECT_NE(store.value(kOwnKeyPath, kKnownPacksValue), nullptr);
}

TEST_F(SteamTreeTest, TheGameKeyWinsOverTheCollection) {
    installLegacy("libA", "GameData");
    MemorySettingsStore store;
    store.setText(kGameKeyPath, kDataFolderValue, "C:\\Sims");
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, places(), g));
    EXPECT_EQ(g.gameDataFolder, "C:\\Sims\\");
    EXPECT_EQ(g.installedPacks, 0x01u);
}

TEST_F(SteamTreeTest, AFolderWithoutGameDataIsNotAccepted) {
    installLegacy("libA", "NotGameData");
    std::string folder;
    EXPECT_FALSE(findLegacyInstallation(places(), folder));
    EXPECT_EQ(folder, "");
    MemorySettingsStore store;
    GameInstallation g;
    EXPECT_FALSE(discoverInstallation(store, places(), g));
    // A file named GameData is no folder either.
    scratch.file("libA/SteamApps/Common/The Sims Legacy Collection/GameData", "x");
    EXPECT_FALSE(findLegacyInstallation(places(), folder));
}

TEST_F(SteamTreeTest, ManifestCannotLeadOutOfTheLibrary) {
    scratch.folder("libA/steamapps/GameData");
    scratch.folder("GameData");
    for (const char* dir : {"..", ".", "", "../..", "/", "..\\.."}) {
        scratch.file("libA/steamapps/appmanifest_3314060.acf",
                     std::string("\"AppState\" { \"installdir\" \"") + dir + "\" }");
        std::string folder;
        EXPECT_FALSE(findLegacyInstallation(places(), folder)) << dir;
    }
    scratch.file("libA/steamapps/appmanifest_3314060.acf",
                 "\"AppState\" { \"installdir\" { \"x\" \"y\" } }");
    std::string folder;
    EXPECT_FALSE(findLegacyInstallation(places(), folder));
}

TEST_F(SteamTreeTest, HostileSteamFilesDoNotCrash) {
    std::mt19937 random(99);
    for (int round = 0; round < 100; ++round) {
        std::string junk;
        std::size_t length = random() % 400;
        for (std::size_t i = 0; i < length; ++i) {
            junk.push_back(static_cast<char>(random() & 0xFF));
        }
        scratch.file("home/.local/share/Steam/steamapps/libraryfolders.vdf", junk);
        scratch.file("libA/steamapps/appmanifest_3314060.acf", junk);
        std::string folder;
        EXPECT_FALSE(findLegacyInstallation(places(), folder));
    }
    // Too large to be a Steam file: ignored.
    scratch.file("home/.local/share/Steam/steamapps/libraryfolders.vdf",
                 "\"libraryfolders\" { \"1\" { \"path\" \"" + libraryB + "\" } }");
    installLegacy("libB", "GameData");
    std::string folder;
    ASSERT_TRUE(findLegacyInstallation(places(), folder));
    scratch.file("libB/SteamApps/appmanifest_3314060.acf", std::string(kMaxSteamFileSize + 1, ' '));
    EXPECT_FALSE(findLegacyInstallation(places(), folder));
}

TEST_F(SteamTreeTest, FlatpakAndLinkedRootsAreSearched) {
#ifdef _WIN32
    GTEST_SKIP() << "Flatpak and linked Steam roots exist on Linux only";
#endif
    std::filesystem::remove_all(scratch / "home/.local/share/Steam");
    std::string flatpak =
        scratch.folder("home/.var/app/com.valvesoftware.Steam/.local/share/Steam");
    scratch.folder("home/.steam");
    std::filesystem::create_directory_symlink(flatpak, scratch / "home/.steam/steam");
    installLegacy("home/.var/app/com.valvesoftware.Steam/.local/share/Steam", "GameData");
    std::string folder;
    ASSERT_TRUE(findLegacyInstallation(places(), folder));
    EXPECT_TRUE(isGameFolder(folder));
}

TEST(LegacyPlacesTest, CandidateFoldersAndEnvironment) {
    ScratchFolder scratch;
    scratch.folder("EA/The Sims Legacy/GameData");
    LegacySearchPlaces places;
    places.gameFolders = {scratch / "EA/Missing", scratch / "EA/The Sims Legacy"};
    std::string folder;
    ASSERT_TRUE(findLegacyInstallation(places, folder));
    EXPECT_EQ(folder, scratch / "EA/The Sims Legacy" + hostfs::separator());
#ifndef _WIN32  // the Steam roots of a Linux user's environment
    MapEnvironment env;
    EXPECT_TRUE(legacySearchPlaces(env).steamRoots.empty());
    env.set("HOME", "/h");
    env.set("XDG_DATA_HOME", "/data");
    std::vector<std::string> roots = legacySearchPlaces(env).steamRoots;
    EXPECT_EQ(roots,
              (std::vector<std::string>{"/data/Steam", "/h/.steam/steam", "/h/.local/share/Steam",
                                        "/h/.var/app/com.valvesoftware.Steam/.local/share/Steam"}));
#endif
}

}  // namespace
}  // namespace jf
