// The Windows registry store's write path, run under Wine by
// tools/windows/windows.sh. HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are
// redirected (RegOverridePredefKey) to scratch keys of the test's own, so the
// prefix's real keys are never touched; a key whose access list allows only
// reading stands for a machine key that an ordinary user may not write.
#ifdef _WIN32

#include <windows.h>
// after windows.h
#include <sddl.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/SettingsStore.h"

namespace jf {
namespace {

constexpr char kScratchRoot[] = "Software\\Jobforge3Tests";
constexpr char kOwnKey[] = "Software\\Quillmark\\Jobforge 3";
constexpr std::uint32_t kPacks = 0x0F;

// Scratch keys standing in for the machine and the user hive.
class RegistryStoreWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
        machine_ = create("Machine", KEY_ALL_ACCESS);
        user_ = create("User", KEY_ALL_ACCESS);
        ASSERT_NE(machine_, nullptr);
        ASSERT_NE(user_, nullptr);
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        for (HKEY key : {machine_, user_}) {
            if (key != nullptr) {
                RegCloseKey(key);
            }
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, kScratchRoot);
    }

    static HKEY create(const std::string& name, REGSAM access) {
        HKEY key = nullptr;
        const std::string path = std::string(kScratchRoot) + "\\" + name;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            access, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return nullptr;
        }
        return key;
    }

    // The machine hive, holding our key writable or (like for an ordinary
    // user) only readable: reading, deleting and changing the access list.
    void redirect(bool machineWritable) {
        if (!machineWritable) {
            HKEY own = nullptr;
            ASSERT_EQ(RegCreateKeyExA(machine_, kOwnKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &own, nullptr),
                      ERROR_SUCCESS);
            PSECURITY_DESCRIPTOR readOnly = nullptr;
            ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
                "D:(A;;KRSDWD;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
            EXPECT_EQ(RegSetKeySecurity(own, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
            LocalFree(readOnly);
            RegCloseKey(own);
        }
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, user_), ERROR_SUCCESS);
    }

    // True and the value when `hive` holds kOwnKey with a DWORD `name`.
    static bool dwordIn(HKEY hive, const char* name, DWORD& value) {
        DWORD size = sizeof value;
        return RegGetValueA(hive, kOwnKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
               ERROR_SUCCESS;
    }

    HKEY machine_ = nullptr;
    HKEY user_ = nullptr;
};

TEST_F(RegistryStoreWriteTest, MachineKeyRefusedUserKeyTaken) {
    redirect(false);
    std::unique_ptr<SettingsStore> store = createSystemSettingsStore();
    {
        std::unique_ptr<SettingsKey> key = store->createKey(kOwnKey);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->writeDword("ExpansionPacks", kPacks));
        EXPECT_TRUE(key->writeText("Folder", "C:\\Games"));
    }
    DWORD value = 0;
    EXPECT_TRUE(dwordIn(user_, "ExpansionPacks", value));
    EXPECT_EQ(value, kPacks);
    EXPECT_FALSE(dwordIn(machine_, "ExpansionPacks", value));

    // Read back through the store, which looks at the user's keys first.
    std::unique_ptr<SettingsKey> read = store->openKey(kOwnKey);
    ASSERT_NE(read, nullptr);
    std::uint32_t back = 0;
    EXPECT_TRUE(read->readDword("ExpansionPacks", back));
    EXPECT_EQ(back, kPacks);
    std::string text;
    EXPECT_TRUE(read->readText("Folder", text));
    EXPECT_EQ(text, "C:\\Games");
    EXPECT_FALSE(read->writeDword("ExpansionPacks", 1)) << "a key opened for reading wrote";
}

TEST_F(RegistryStoreWriteTest, WritableMachineKeyIsTaken) {
    redirect(true);
    std::unique_ptr<SettingsStore> store = createSystemSettingsStore();
    std::unique_ptr<SettingsKey> key = store->createKey(kOwnKey);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->writeDword("ExpansionPacks", kPacks));
    DWORD value = 0;
    EXPECT_FALSE(dwordIn(user_, "ExpansionPacks", value));
    HKEY created = nullptr;
    // The 32-bit view of the machine hive, where the predecessor wrote.
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOwnKey, 0, KEY_READ | KEY_WOW64_32KEY, &created),
              ERROR_SUCCESS);
    DWORD size = sizeof value;
    EXPECT_EQ(
        RegGetValueA(created, nullptr, "ExpansionPacks", RRF_RT_REG_DWORD, nullptr, &value, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(value, kPacks);
    RegCloseKey(created);
}

}  // namespace
}  // namespace jf

#endif  // _WIN32
