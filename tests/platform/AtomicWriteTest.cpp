#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"

#ifndef _WIN32
#include "TempFolder.h"
#include "platform/PosixFileSystem.h"
#endif

namespace jf {
namespace {

using test::FakeFileSystem;
using test::FaultInjectingFileSystem;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

// One place to write into: a file system, the target's core path, and ways
// to look at what is really stored.
class Setting {
public:
    virtual ~Setting() = default;
    virtual FileSystem& fs() = 0;
    virtual std::string target() = 0;  // core path of the target file
    virtual void putTarget(const std::vector<std::uint8_t>& bytes) = 0;
    virtual std::optional<std::vector<std::uint8_t>> targetBytes() = 0;
    // Every file name in the target's folder.
    virtual std::vector<std::string> filesInFolder() = 0;
};

class FakeSetting final : public Setting {
public:
    FileSystem& fs() override { return fake; }
    std::string target() override { return "C:\\Games\\The Sims\\GameData\\Work.iff"; }
    void putTarget(const std::vector<std::uint8_t>& bytes) override {
        // Stored under another case: the write must find it.
        fake.putFile("c:/games/the sims/gamedata/WORK.IFF", bytes);
    }
    std::optional<std::vector<std::uint8_t>> targetBytes() override {
        return fake.fileBytes(target());
    }
    std::vector<std::string> filesInFolder() override {
        fake.addFolder("C:\\Games\\The Sims\\GameData");
        return fake.allFiles();
    }
    FakeFileSystem fake;
};

#ifndef _WIN32
class PosixSetting final : public Setting {
public:
    FileSystem& fs() override { return posix; }
    std::string target() override { return dir.coreFolder() + "GameData\\Work.iff"; }
    void putTarget(const std::vector<std::uint8_t>& bytes) override {
        dir.write("gamedata/WORK.IFF", std::string(bytes.begin(), bytes.end()));
    }
    std::optional<std::vector<std::uint8_t>> targetBytes() override {
        // Whatever case the file has on disk now.
        for (const std::string& name : filesInFolder()) {
            if (paths::equalsIgnoreCase(name, "work.iff")) {
                std::string text = dir.read("gamedata/" + name);
                return std::vector<std::uint8_t>(text.begin(), text.end());
            }
        }
        return std::nullopt;
    }
    std::vector<std::string> filesInFolder() override {
        std::filesystem::create_directories(dir.native("gamedata"));
        return dir.entries("gamedata");
    }
    test::TempFolder dir;
    PosixFileSystem posix;
};
#endif

struct SettingKind {
    std::string name;
    std::function<std::unique_ptr<Setting>()> make;
    friend void PrintTo(const SettingKind& kind, std::ostream* out) { *out << kind.name; }
};
using SettingFactory = std::function<std::unique_ptr<Setting>()>;

class AtomicWrite : public ::testing::TestWithParam<SettingKind> {
protected:
    std::unique_ptr<Setting> fresh() { return GetParam().make(); }
};

TEST_P(AtomicWrite, ReplacesTheContentsAndLeavesNoTemporaryFile) {
    auto setting = fresh();
    setting->putTarget(pattern(500, 1));
    std::vector<std::uint8_t> fresh = pattern(3000, 9);
    ASSERT_TRUE(writeFileAtomically(setting->fs(), setting->target(), fresh.data(), fresh.size()));
    EXPECT_EQ(setting->targetBytes(), fresh);
    EXPECT_EQ(setting->filesInFolder().size(), 1u);
}

TEST_P(AtomicWrite, CreatesAMissingTargetAndWritesEmptyFiles) {
    auto setting = fresh();
    setting->filesInFolder();  // makes the folder
    ASSERT_TRUE(writeFileAtomically(setting->fs(), setting->target(), nullptr, 0));
    EXPECT_EQ(setting->targetBytes(), std::vector<std::uint8_t>());
    EXPECT_EQ(setting->filesInFolder().size(), 1u);
}

TEST_P(AtomicWrite, ReopensTheNewFileWhenAsked) {
    auto setting = fresh();
    setting->putTarget(pattern(10, 1));
    std::vector<std::uint8_t> fresh = pattern(20, 2);
    std::unique_ptr<File> reopened;
    ASSERT_TRUE(writeFileAtomically(setting->fs(), setting->target(), fresh.data(), fresh.size(),
                                    &reopened, OpenMode::ReadWrite));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->tell(), 0u);
    std::vector<std::uint8_t> seen(20);
    ASSERT_TRUE(reopened->readExact(seen.data(), seen.size()));
    EXPECT_EQ(seen, fresh);
    // The handle holds the file with other writers denied.
    EXPECT_EQ(setting->fs().open(setting->target(), OpenMode::ReadWrite), nullptr);
}

TEST_P(AtomicWrite, FailsWithoutTheFolderAndLeavesNothingBehind) {
    auto setting = fresh();
    std::vector<std::uint8_t> fresh = pattern(20, 2);
    std::unique_ptr<File> reopened = std::make_unique<MemoryFile>();
    std::string path = paths::folderOf(setting->target()) + "Missing\\Work.iff";
    EXPECT_FALSE(writeFileAtomically(setting->fs(), path, fresh.data(), fresh.size(), &reopened));
    EXPECT_EQ(reopened, nullptr);
    EXPECT_FALSE(setting->fs().exists(path));
}

TEST_P(AtomicWrite, LeavesAReadOnlyTargetAlone) {
    auto setting = fresh();
    const std::vector<std::uint8_t> old = pattern(30, 4);
    setting->putTarget(old);
    ASSERT_TRUE(setting->fs().setReadOnly(setting->target()));
    std::vector<std::uint8_t> fresh = pattern(20, 2);
    EXPECT_FALSE(writeFileAtomically(setting->fs(), setting->target(), fresh.data(), fresh.size()));
    EXPECT_EQ(setting->targetBytes(), old);
    EXPECT_EQ(setting->filesInFolder().size(), 1u);
    EXPECT_TRUE(setting->fs().isReadOnly(setting->target()));
}

// Runs the write once to count the operations of one kind, then fails each
// of them in turn: every time the old file must be intact and no temporary
// file may remain.
void checkEveryFault(const SettingFactory& factory,
                     const std::function<std::uint64_t(FaultInjectingFileSystem&)>& count,
                     const std::function<void(FaultInjectingFileSystem&, std::uint64_t)>& failAt,
                     const char* kind) {
    const std::vector<std::uint8_t> old = pattern(700, 3);
    const std::vector<std::uint8_t> fresh = pattern(4097, 5);

    std::uint64_t operations = 0;
    {
        auto setting = factory();
        setting->putTarget(old);
        FaultInjectingFileSystem faulty(setting->fs());
        ASSERT_TRUE(writeFileAtomically(faulty, setting->target(), fresh.data(), fresh.size()));
        operations = count(faulty);
        ASSERT_EQ(setting->targetBytes(), fresh);
    }
    ASSERT_GT(operations, 0u) << kind;

    for (std::uint64_t k = 1; k <= operations; ++k) {
        SCOPED_TRACE(std::string(kind) + " #" + std::to_string(k));
        auto setting = factory();
        setting->putTarget(old);
        FaultInjectingFileSystem faulty(setting->fs());
        failAt(faulty, k);
        std::unique_ptr<File> reopened;
        EXPECT_FALSE(
            writeFileAtomically(faulty, setting->target(), fresh.data(), fresh.size(), &reopened));
        EXPECT_EQ(reopened, nullptr);
        EXPECT_EQ(setting->targetBytes(), old);
        EXPECT_EQ(setting->filesInFolder().size(), 1u);
        // Nothing is left open either: the target can be taken for writing.
        EXPECT_NE(setting->fs().open(setting->target(), OpenMode::ReadWrite), nullptr);
    }
}

TEST_P(AtomicWrite, EveryFailedWriteKeepsTheOldFile) {
    checkEveryFault(
        GetParam().make, [](FaultInjectingFileSystem& f) { return f.writeCount(); },
        [](FaultInjectingFileSystem& f, std::uint64_t k) { f.failWriteAt(k); }, "write");
}

TEST_P(AtomicWrite, EveryFailedFlushKeepsTheOldFile) {
    checkEveryFault(
        GetParam().make, [](FaultInjectingFileSystem& f) { return f.flushCount(); },
        [](FaultInjectingFileSystem& f, std::uint64_t k) { f.failFlushAt(k); }, "flush");
}

TEST_P(AtomicWrite, EveryFailedRenameKeepsTheOldFile) {
    checkEveryFault(
        GetParam().make, [](FaultInjectingFileSystem& f) { return f.renameCount(); },
        [](FaultInjectingFileSystem& f, std::uint64_t k) { f.failRenameAt(k); }, "rename");
}

TEST_P(AtomicWrite, EveryFailedOpenKeepsTheOldFile) {
    checkEveryFault(
        GetParam().make, [](FaultInjectingFileSystem& f) { return f.openCount(); },
        [](FaultInjectingFileSystem& f, std::uint64_t k) { f.failOpenAt(k); }, "open");
}

std::vector<SettingKind> allSettings() {
    std::vector<SettingKind> kinds;
#ifndef _WIN32
    kinds.push_back({"Posix", [] { return std::unique_ptr<Setting>(new PosixSetting); }});
#endif
    kinds.push_back({"Fake", [] { return std::unique_ptr<Setting>(new FakeSetting); }});
    return kinds;
}

std::string settingName(const ::testing::TestParamInfo<SettingKind>& param) {
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(FileSystems, AtomicWrite, ::testing::ValuesIn(allSettings()), settingName);

TEST(AtomicWriteOnFake, FailsWhileTheTargetIsOpenWhereReplacingRequiresIt) {
    FakeFileSystem fake;
    fake.putFile("game\\Work.iff", "old");
    fake.setReplaceFailsWhileTargetOpen(true);
    std::unique_ptr<File> holder = fake.open("game\\Work.iff", OpenMode::Read);
    ASSERT_NE(holder, nullptr);
    const std::uint8_t fresh[] = {'n', 'e', 'w'};
    EXPECT_FALSE(writeFileAtomically(fake, "game\\Work.iff", fresh, sizeof fresh));
    EXPECT_EQ(fake.allFiles(), (std::vector<std::string>{"game/Work.iff"}));
    holder.reset();
    EXPECT_TRUE(writeFileAtomically(fake, "game\\Work.iff", fresh, sizeof fresh));
    EXPECT_EQ(fake.fileBytes("GAME\\WORK.IFF"), std::vector<std::uint8_t>(fresh, fresh + 3));
}

}  // namespace
}  // namespace jf
