// The Wine prefix store: system.reg parsing, drive mapping, our settings file.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "platform/RecentFolders.h"
#include "platform/WineRegistry.h"
#include "platform/WineSettingsStore.h"
#include "platform/XdgSettingsFile.h"
#include "startup/Startup.h"

namespace jf {
namespace {

using test::ScratchFolder;

std::vector<std::uint8_t> text(const std::string& s) {
    std::vector<std::uint8_t> v(s.begin(), s.end());
    v.push_back(0);
    return v;
}

const char kSystemReg[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Maxis\\\\The Sims Online] 1700000000\n"
    "\"SIMS_DATA\"=\"C:\\\\Wrong\\\\\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Maxis\\\\The Sims] 1700000000\n"
    "#time=1d9b3c4e5f60718\n"
    "\"SIMS_DATA\"=\"C:\\\\Program Files\\\\Maxis\\\\The Sims\\\\\"\n"
    "\"EPInstalled\"=\"1\"\n"
    "\"EP2Installed\"=\"0\"\n"
    "\"EP3Installed\"=\"1\"\n"
    "\"Install Dir\"=str(2):\"%ProgramFiles%\\\\Maxis\"\n"
    "\"Flags\"=dword:0000000f\n"
    "\"Blob\"=hex:01,02,\\\n"
    "  03,ff\n"
    "\n"
    "[Software\\\\Quillmark\\\\Jobforge 2] 1600000000\n"
    "\"ExpansionPacks\"=dword:0000000f\n";

TEST(WineRegistryTest, ReadsTheGameKeyFromWow6432Node) {
    SettingsValues values;
    ASSERT_TRUE(wine::readKey(kSystemReg, "SOFTWARE\\wow6432node\\Maxis\\The Sims", values));
    EXPECT_EQ(values["SIMS_DATA"].type, SettingsValueType::String);
    EXPECT_EQ(values["SIMS_DATA"].data, text("C:\\Program Files\\Maxis\\The Sims\\"));
    EXPECT_EQ(values["epinstalled"].data, text("1"));
    EXPECT_EQ(values["Install Dir"].type, SettingsValueType::ExpandString);
    EXPECT_EQ(values["Install Dir"].data, text("%ProgramFiles%\\Maxis"));
    EXPECT_EQ(values["Flags"].type, SettingsValueType::Dword);
    EXPECT_EQ(values["Flags"].data, (std::vector<std::uint8_t>{0x0F, 0, 0, 0}));
    EXPECT_EQ(values["Blob"].type, SettingsValueType::Binary);
    EXPECT_EQ(values["Blob"].data, (std::vector<std::uint8_t>{1, 2, 3, 0xFF}));
    EXPECT_EQ(values.size(), 7u) << "the section ends at the next header";

    EXPECT_FALSE(wine::readKey(kSystemReg, "Software\\Maxis\\The Sims", values));
    EXPECT_TRUE(values.empty());
}

TEST(WineRegistryTest, RequiresTheHeader) {
    std::string noHeader = std::string(kSystemReg).substr(std::string("WINE REGISTRY").size());
    SettingsValues values;
    EXPECT_FALSE(wine::readKey(noHeader, "Software\\Quillmark\\Jobforge 2", values));
    EXPECT_TRUE(wine::readKey(noHeader, "Software\\Quillmark\\Jobforge 2", values, false));
}

TEST(WineRegistryTest, DecodesEscapes) {
    std::string reg =
        "WINE REGISTRY Version 2\r\n"
        "[A\\\\B\\]C\\\\D] 1\r\n"
        "\"q\\\"uote\"=\"back\\\\slash \\\"q\\\" nl\\n tab\\t \\x00e9\\x41 \\101 \\a\\e\"\r\n"
        "\"bmp\"=\"\\x20ac\\xd83d\\xde00\"\r\n"
        "\"lone\"=\"\\xd83dX\"\r\n"
        "\"utf16\"=hex(2):43,00,3a,00,5c,00,e9,00,00,00\r\n"
        "@=\"default\"\r\n"
        "\"raw\"=\"caf\xc3\xa9\"\r\n";
    SettingsValues values;
    ASSERT_TRUE(wine::readKey(reg, "a\\b]c\\d", values));
    EXPECT_EQ(settings::textOf(values["q\"uote"].data),
              "back\\slash \"q\" nl\n tab\t \xc3\xa9"
              "A A \x07\x1b");
    EXPECT_EQ(settings::textOf(values["bmp"].data), "\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(settings::textOf(values["lone"].data), "\xef\xbf\xbdX");
    EXPECT_EQ(values["utf16"].type, SettingsValueType::ExpandString);
    EXPECT_EQ(settings::textOf(values["utf16"].data), "C:\\\xc3\xa9");
    EXPECT_EQ(settings::textOf(values[""].data), "default");
    EXPECT_EQ(settings::textOf(values["raw"].data), "caf\xc3\xa9");
}

TEST(WineRegistryTest, SkipsMalformedLines) {
    std::string reg =
        "WINE REGISTRY Version 2\n"
        "[K] 1\n"
        "\"a\"=dword:123456789\n"  // nine digits
        "\"b\"=dword:xyz\n"
        "\"c\"=hex:0g\n"
        "\"d\"=\"unterminated\n"
        "\"e\"\n"
        "\"f\"=str(zz):\"x\"\n"
        "garbage line\n"
        "\"ok\"=dword:7\n";
    SettingsValues values;
    ASSERT_TRUE(wine::readKey(reg, "K", values));
    ASSERT_EQ(values.size(), 1u);
    std::uint32_t v = 0;
    EXPECT_TRUE(settings::dwordOf(values["ok"], v));
    EXPECT_EQ(v, 7u);
}

TEST(WineRegistryTest, FormatRoundTrips) {
    SettingsValues values;
    values["ExpansionPacks"] = {SettingsValueType::Dword, settings::dwordBytes(0x0F)};
    values["Text"] = {SettingsValueType::String, text("a\\b \"c\" [d] \n\t\x01 caf\xc3\xa9")};
    values["Exp"] = {SettingsValueType::ExpandString, text("%X%")};
    values["Bin"] = {SettingsValueType::Binary, {0, 1, 0xFE}};
    values["Q"] = {static_cast<SettingsValueType>(0xB), {1, 2, 3, 4, 5, 6, 7, 8}};
    values[""] = {SettingsValueType::String, text("def")};
    std::string formatted = wine::formatKey("Software\\Quillmark\\Jobforge 3", values);
    EXPECT_EQ(formatted.substr(0, formatted.find('\n')), "[Software\\\\Quillmark\\\\Jobforge 3]");
    EXPECT_NE(formatted.find("\"ExpansionPacks\"=dword:0000000f\n"), std::string::npos);

    auto keys = wine::readAllKeys(formatted);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].first, "Software\\Quillmark\\Jobforge 3");
    ASSERT_EQ(keys[0].second.size(), values.size());
    for (const auto& [name, value] : values) {
        EXPECT_EQ(keys[0].second[name].type, value.type) << name;
        EXPECT_EQ(keys[0].second[name].data, value.data) << name;
    }
}

TEST(WineRegistryTest, HostileTextDoesNotCrash) {
    std::mt19937 random(12345);
    const std::string alphabet = "[]\\\"=:,@#;\n\r x0123456789abcdefhstrdwo()";
    std::string base = kSystemReg;
    for (int round = 0; round < 2000; ++round) {
        std::string t = base;
        int edits = 1 + static_cast<int>(random() % 20);
        for (int e = 0; e < edits && !t.empty(); ++e) {
            std::size_t at = random() % t.size();
            switch (random() % 3) {
                case 0:
                    t[at] = alphabet[random() % alphabet.size()];
                    break;
                case 1:
                    t.erase(at, 1 + random() % 8);
                    break;
                default:
                    t.insert(at, 1, static_cast<char>(random() & 0xFF));
                    break;
            }
        }
        t = t.substr(0, random() % (t.size() + 1));
        SettingsValues values;
        wine::readKey(t, "Software\\Wow6432Node\\Maxis\\The Sims", values);
        wine::readAllKeys(t);
    }
    // Endless continuation lines and a lone trailing backslash.
    std::string hexes = "WINE REGISTRY Version 2\n[K]\n\"h\"=hex:";
    for (int i = 0; i < 10000; ++i) {
        hexes += "00,\\\n";
    }
    SettingsValues values;
    ASSERT_TRUE(wine::readKey(hexes, "K", values));
    EXPECT_EQ(values["h"].data.size(), 10000u);
    EXPECT_FALSE(wine::readKey("WINE REGISTRY Version 2\n[K\\", "K", values));
    std::string used;
    std::size_t consumed = 0;
    EXPECT_FALSE(wine::decodeString("abc\\", '"', used, consumed));
    EXPECT_FALSE(wine::decodeString("", '"', used, consumed));
}

// A prefix with dosdevices links as Wine makes them.
class WinePrefixTest : public ::testing::Test {
protected:
    WinePrefixTest() {
        prefix = scratch.folder("prefix");
        scratch.folder("prefix/drive_c/Program Files/Maxis/The Sims");
        scratch.folder("prefix/dosdevices");
        std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
        std::filesystem::create_directory_symlink("/", prefix + "/dosdevices/z:");
        scratch.folder("elsewhere");
        std::filesystem::create_directory_symlink(scratch.path() + "/elsewhere",
                                                  prefix + "/dosdevices/E:");
        driveC = std::filesystem::canonical(prefix + "/drive_c").string();
        config = scratch / "config/jobforge3/settings.reg";
    }

    ScratchFolder scratch;
    std::string prefix;
    std::string driveC;
    std::string config;
};

TEST_F(WinePrefixTest, MapsDrivesThroughDosdevices) {
    EXPECT_EQ(wine::nativePath(prefix, "C:\\Program Files\\Maxis\\The Sims\\"),
              driveC + "\\Program Files\\Maxis\\The Sims\\");
    EXPECT_EQ(wine::nativePath(prefix, "c:\\Games"), driveC + "\\Games");
    EXPECT_EQ(wine::nativePath(prefix, "C:"), driveC + "\\");
    EXPECT_EQ(wine::nativePath(prefix, "C:Sims\\"), driveC + "\\Sims\\");
    EXPECT_EQ(wine::nativePath(prefix, "e:\\Sims\\"),
              std::filesystem::canonical(scratch.path() + "/elsewhere").string() + "\\Sims\\");
    EXPECT_EQ(wine::nativePath(prefix, "Z:\\home\\u\\Sims\\"), "/home\\u\\Sims\\");
    EXPECT_EQ(wine::nativePath(prefix, "D:\\Sims\\"), "D:\\Sims\\");  // no link
    EXPECT_EQ(wine::nativePath(prefix, "\\"), "\\");
    EXPECT_EQ(wine::nativePath(prefix, "\\\\server\\share\\"), "\\\\server\\share\\");
    EXPECT_EQ(wine::nativePath(scratch / "missing", "C:\\X\\"), "C:\\X\\");
}

TEST_F(WinePrefixTest, DanglingDriveLinkKeepsTheLinkItself) {
    std::filesystem::create_directory_symlink("../gone", prefix + "/dosdevices/g:");
    EXPECT_EQ(wine::nativePath(prefix, "G:\\Sims\\"), prefix + "/dosdevices/g:\\Sims\\");
}

TEST_F(WinePrefixTest, DiscoversTheGameAndMigratesIntoOurFile) {
    std::string reg = scratch.file("prefix/system.reg", kSystemReg);
    const std::string before = test::readWholeFile(reg);

    WineSettingsStore store(prefix, config);
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, g));
    // A path of this system, the registry's spelling beside it.
    EXPECT_EQ(g.gameDataFolder, driveC + "/Program Files/Maxis/The Sims/");
    EXPECT_EQ(g.registryDataFolder, "C:\\Program Files\\Maxis\\The Sims\\");
    EXPECT_EQ(g.installedPacks, 0x01u | 0x02u | 0x08u);
    EXPECT_EQ(g.packFlags[1], "0");
    EXPECT_EQ(g.knownPacks, 0x0Fu);

    EXPECT_EQ(test::readWholeFile(reg), before) << "the prefix's registry is never written";
    std::string saved = test::readWholeFile(config);
    EXPECT_EQ(saved,
              "JOBFORGE3 SETTINGS Version 1\n\n"
              "[Software\\\\Quillmark\\\\Jobforge 3]\n"
              "\"ExpansionPacks\"=dword:0000000f\n");

    // The own key is read from our file from now on.
    std::unique_ptr<SettingsKey> own = store.openKey(kOwnKeyPath);
    ASSERT_TRUE(own);
    std::uint32_t mask = 0;
    EXPECT_TRUE(own->readDword(kKnownPacksValue, mask));
    EXPECT_EQ(mask, 0x0Fu);
    EXPECT_TRUE(storeKnownPacks(store, 0x4B));
    ASSERT_TRUE(discoverInstallation(store, g));
    EXPECT_EQ(g.knownPacks, 0x4Bu);
    EXPECT_EQ(test::readWholeFile(reg), before);
}

TEST_F(WinePrefixTest, AcceptsThePlainSectionAndOddCase) {
    scratch.file("prefix/System.reg",
                 "WINE REGISTRY Version 2\n"
                 "[SOFTWARE\\\\MAXIS\\\\THE SIMS] 1700000000\n"
                 "\"sims_data\"=\"c:\\\\games\\\\sims\"\n"
                 "\"EP6Installed\"=\"1\"\n");
    WineSettingsStore store(prefix, config);
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, g));
    EXPECT_EQ(g.gameDataFolder, driveC + "/games/sims/");
    EXPECT_EQ(g.installedPacks, 0x41u);
    EXPECT_EQ(g.knownPacks, 0u);
    EXPECT_FALSE(std::filesystem::exists(config)) << "nothing to migrate, nothing written";
}

TEST_F(WinePrefixTest, MissingRegistryOrKeyFails) {
    WineSettingsStore store(prefix, config);
    GameInstallation g;
    EXPECT_FALSE(discoverInstallation(store, g));
    scratch.file("prefix/system.reg", "WINE REGISTRY Version 2\n[Software\\\\Other] 1\n");
    EXPECT_FALSE(discoverInstallation(store, g));
    // Not a registry file at all.
    scratch.file("prefix/system.reg",
                 "[Software\\\\Maxis\\\\The Sims] 1\n\"SIMS_DATA\"=\"C:\\\\\"\n");
    EXPECT_FALSE(discoverInstallation(store, g));
    EXPECT_FALSE(std::filesystem::exists(config));
}

TEST_F(WinePrefixTest, OurFileIsReadBeforeThePrefix) {
    scratch.file("prefix/system.reg", kSystemReg);
    XdgSettingsFile file(config);
    file.setValue(kPredecessorKeyPath, kKnownPacksValue,
                  {SettingsValueType::Dword, settings::dwordBytes(0x03)});
    ASSERT_TRUE(file.save());
    WineSettingsStore store(prefix, config);
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, g));
    EXPECT_EQ(g.knownPacks, 0x03u);
    XdgSettingsFile after(config);
    ASSERT_TRUE(after.load());
    ASSERT_NE(after.key(kOwnKeyPath), nullptr);
    ASSERT_NE(after.key(kPredecessorKeyPath), nullptr) << "other keys are kept on rewrite";
}

TEST_F(WinePrefixTest, UnreadableSettingsFileIsNeverOverwritten) {
    scratch.file("prefix/system.reg", kSystemReg);
    std::string big(kMaxSettingsFileSize + 1, ';');
    scratch.file("config/jobforge3/settings.reg", big);
    WineSettingsStore store(prefix, config);
    EXPECT_EQ(store.createKey(kOwnKeyPath), nullptr);
    EXPECT_FALSE(storeKnownPacks(store, 1));
    GameInstallation g;
    ASSERT_TRUE(discoverInstallation(store, g));
    EXPECT_EQ(g.knownPacks, 0x0Fu);
    EXPECT_EQ(test::readWholeFile(config).size(), big.size());
}

TEST_F(WinePrefixTest, KeysOpenedForReadingAreNotWritable) {
    scratch.file("prefix/system.reg", kSystemReg);
    WineSettingsStore store(prefix, config);
    std::unique_ptr<SettingsKey> key = store.openKey(kGameKeyPath);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->writeDword("X", 1));
    std::string data;
    EXPECT_FALSE(key->readText("Flags", data)) << "a dword is no text";
    std::uint32_t v = 0;
    EXPECT_FALSE(key->readDword("SIMS_DATA", v));
    EXPECT_FALSE(std::filesystem::exists(config));
}

TEST_F(WinePrefixTest, RecentFoldersGoIntoOurFileBesideTheOtherKeys) {
    scratch.file("prefix/system.reg", kSystemReg);
    WineSettingsStore store(prefix, config);
    ASSERT_TRUE(storeKnownPacks(store, 0x05));
    EXPECT_EQ(recentFolder(store, FileKind::Icons), "");
    // Folders hold any character of the host's file names.
    rememberFolder(store, FileKind::Icons, "/home/u/Bilder \"\xC3\xA9t\xC3\xA9\"/popup.bmp");
    rememberFolder(store, FileKind::Backups, "/home/u/backups/all.cbk");
    EXPECT_EQ(recentFolder(store, FileKind::Icons), "/home/u/Bilder \"\xC3\xA9t\xC3\xA9\"/");
    EXPECT_EQ(recentFolder(store, FileKind::Backups), "/home/u/backups/");
    EXPECT_EQ(recentFolder(store, FileKind::Careers), "");

    XdgSettingsFile after(config);
    ASSERT_TRUE(after.load());
    const SettingsValues* folders = after.key(kRecentFoldersKeyPath);
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->at("Icons").type, SettingsValueType::String);
    std::uint32_t packs = 0;
    ASSERT_NE(after.key(kOwnKeyPath), nullptr);
    EXPECT_TRUE(settings::dwordOf(after.key(kOwnKeyPath)->at(kKnownPacksValue), packs));
    EXPECT_EQ(packs, 0x05u);
    // Keys read from the prefix take no texts either.
    EXPECT_FALSE(store.openKey(kGameKeyPath)->writeText("X", "y"));
}

TEST(XdgSettingsFileTest, WritesAtomicallyAndReadsBack) {
    ScratchFolder scratch;
    std::string path = scratch / "cfg/deeper/jobforge3/settings.reg";
    XdgSettingsFile file(path);
    ASSERT_TRUE(file.load()) << "a missing file is an empty store";
    file.setValue("Software\\Quillmark\\Jobforge 3", "ExpansionPacks",
                  {SettingsValueType::Dword, settings::dwordBytes(0x11)});
    ASSERT_TRUE(file.save());

    struct stat st {};
    ASSERT_EQ(::stat((scratch / "cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Only the file itself is left in its folder: the temporary was renamed.
    int entries = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(scratch / "cfg/deeper/jobforge3")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    XdgSettingsFile again(path);
    ASSERT_TRUE(again.load());
    const SettingsValues* values = again.key("software\\quillmark\\JOBFORGE 3");
    ASSERT_NE(values, nullptr);
    std::uint32_t v = 0;
    EXPECT_TRUE(settings::dwordOf(values->at("expansionpacks"), v));
    EXPECT_EQ(v, 0x11u);
}

TEST(XdgSettingsFileTest, FailedWriteLeavesTheOldFile) {
    ScratchFolder scratch;
    std::string path = scratch.file("jobforge3/settings.reg", "old");
    ASSERT_EQ(::chmod((scratch / "jobforge3").c_str(), 0500), 0);
    bool writable = ::access((scratch / "jobforge3").c_str(), W_OK) == 0;  // root ignores modes
    XdgSettingsFile file(path);
    file.addKey("K");
    if (!writable) {
        EXPECT_FALSE(file.save());
        EXPECT_EQ(test::readWholeFile(path), "old");
    }
    ::chmod((scratch / "jobforge3").c_str(), 0700);
    // A folder standing where the file should be.
    XdgSettingsFile blocked(scratch.folder("blocked/settings.reg"));
    EXPECT_FALSE(blocked.load());
    blocked.addKey("K");
    EXPECT_FALSE(blocked.save());
    EXPECT_TRUE(std::filesystem::is_directory(scratch / "blocked/settings.reg"));
}

TEST(SettingsLocationTest, FollowsTheEnvironment) {
    MapEnvironment env;
    EXPECT_EQ(defaultSettingsFilePath(env), "");
    EXPECT_EQ(defaultWinePrefix(env), "");
    env.set("HOME", "/home/u");
    EXPECT_EQ(defaultSettingsFilePath(env), "/home/u/.config/jobforge3/settings.reg");
    EXPECT_EQ(defaultWinePrefix(env), "/home/u/.wine");
    env.set("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(defaultSettingsFilePath(env), "/home/u/.config/jobforge3/settings.reg");
    env.set("XDG_CONFIG_HOME", "/xdg/");
    EXPECT_EQ(defaultSettingsFilePath(env), "/xdg/jobforge3/settings.reg");
    env.set("WINEPREFIX", "/games/sims-prefix");
    EXPECT_EQ(defaultWinePrefix(env), "/games/sims-prefix");
    env.set("WINEPREFIX", "");
    EXPECT_EQ(defaultWinePrefix(env), "/home/u/.wine");
}

}  // namespace
}  // namespace jf
