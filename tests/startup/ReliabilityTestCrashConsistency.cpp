// Crash consistency of File Save: `jobforge3-cli resave GAMEDIR` is killed
// with SIGKILL at many points of its run on copies of one installation.
// After every kill each game file must hold exactly its old bytes or exactly
// the bytes a complete resave writes, the files written must be a prefix of
// the save's order (career file, CarPortal.iff, button strip, popup strip),
// temporary files may be left only beside the game files and the save
// journal, files may be new and old side by side only while the journal is
// there (and then every old one has its new one beside it), and nothing else
// may have changed. Then `jobforge3-cli recover GAMEDIR` runs, itself first
// killed at a random point of its work whenever there is something to
// recover, then again to its end: the installation must then be exactly its
// old self (no journal was left) or exactly its new self (the journal was
// complete, or every file was already new), with no temporary file and no
// journal, and must still load (`jobforge3-cli dump`) to the same data and
// save again to the new bytes.
//
// The installation is the sample (`make-sample`), with its four game files
// rewritten in forms the program reads but never writes (containers with a
// version 2.0 header and no map, strips as 32-bit bitmaps), so that every
// file's new bytes differ from its old ones and a torn file cannot pass for
// either.
//
// Kill points follow the save's own progress, not the clock alone, so that
// they stay spread over the save on a slow or busy machine: the game folder
// is watched (inotify) and three complete runs list the save's milestones
// (each creation, write, close, rename and deletion, repeats merged) with
// their times. Most kills come at a random milestone of the save plus a
// random part of the time to the next one; a tenth come at a random time
// before the save's first milestone and a tenth after its end (the removal
// of the journal). Where a kill landed is judged from what it left on disk.
// Recovery is killed just after one of the changes it is expected to make
// (a replacement or a removal), picked at random, plus a random moment.
// JF_CRASH_KILL_RUNS sets the number of kills (default 300).
#include <gtest/gtest.h>

#ifdef __linux__

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "iff/IffFile.h"
#include "platform/File.h"
#include "support/BmpBuilder.h"
#include "support/CareerBuilders.h"
#include "support/IffBuilder.h"

extern char** environ;

namespace jf::test {
namespace {

namespace fsys = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultKillRuns = 300;
// From this many kills on, every phase of the save must have been hit.
constexpr int kCoverageKillRuns = 200;
constexpr std::uint32_t kKillSeed = 20240607;
constexpr int kCalibrationRuns = 3;
// Shares of the kills aimed before the save and after it; the rest are aimed
// inside it.
constexpr double kBeforeShare = 0.1;
constexpr double kAfterShare = 0.1;
// At least this share of all kills must land inside the save.
constexpr double kLeastDuringShare = 0.3;
constexpr auto kPollInterval = std::chrono::milliseconds(5);
// A run that takes longer than this is stuck.
constexpr double kRunLimitSeconds = 120;
constexpr std::uint32_t kWatchedEvents =
    IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE;
constexpr char kTemporaryMark[] = ".jf3tmp-";
constexpr char kJournalName[] = "Jobforge3-save.journal";
// Share of the recoveries with work to do that are killed first (the others
// run to their end at once, so that their report can be checked), and how
// long at most after the change it was aimed at a killed one dies.
constexpr double kRecoveryKillShare = 0.6;
constexpr double kRecoveryKillSpread = 0.0005;
constexpr std::size_t kGameFileCount = 4;
// The four game files in the order File Save writes them.
constexpr std::array<const char*, kGameFileCount> kGameFileNames = {
    "work.iff", "carportal.iff", "jobiconmultibutton.bmp", "jobiconmultipopup.bmp"};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// In one read: the trees are read twice per kill, byte-wise reading under
// the sanitizers would cost more than the runs themselves.
Bytes readAll(const fsys::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamsize size = in ? static_cast<std::streamsize>(in.tellg()) : 0;
    Bytes bytes(static_cast<std::size_t>(std::max<std::streamsize>(size, 0)));
    in.seekg(0);
    if (!bytes.empty() && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        bytes.clear();
    }
    return bytes;
}

void writeAll(const fsys::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// ---- Watching the game folder -------------------------------------------------------

// One change seen in the watched tree: its kind and the path relative to the
// tree, with a temporary name cut after its mark (the process id and serial
// differ from run to run).
struct Milestone {
    std::string key;
    double seconds = 0;  // since the run started
};

std::string eventKind(std::uint32_t mask) {
    if ((mask & IN_CREATE) != 0) {
        return "create ";
    }
    if ((mask & IN_MODIFY) != 0) {
        return "write ";
    }
    if ((mask & IN_CLOSE_WRITE) != 0) {
        return "close ";
    }
    if ((mask & IN_MOVED_FROM) != 0) {
        return "move-from ";
    }
    if ((mask & IN_MOVED_TO) != 0) {
        return "move-to ";
    }
    return "delete ";
}

bool isTemporary(const std::string& path) {
    return path.find(kTemporaryMark) != std::string::npos;
}

// Watches every folder of a tree and turns the changes into milestones:
// repeats of the same change in a row count once (inotify merges them too
// when they queue up, so only the merged list is the same from run to run).
class TreeWatch {
public:
    explicit TreeWatch(const fsys::path& root) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (fd_ < 0) {
            return;
        }
        watch(root, "");
        for (const auto& entry : fsys::recursive_directory_iterator(root)) {
            if (entry.is_directory()) {
                watch(entry.path(), fsys::relative(entry.path(), root).string() + "/");
            }
        }
    }
    ~TreeWatch() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    TreeWatch(const TreeWatch&) = delete;
    TreeWatch& operator=(const TreeWatch&) = delete;

    bool valid() const { return fd_ >= 0 && complete_; }
    bool overflowed() const { return overflowed_; }
    const std::vector<Milestone>& milestones() const { return milestones_; }

    // Waits up to `timeout` for changes and adds them as milestones.
    void wait(Clock::duration timeout, Clock::time_point start) {
        pollfd request{fd_, POLLIN, 0};
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout);
        const timespec limit{static_cast<time_t>(nanoseconds.count() / 1000000000),
                             static_cast<long>(nanoseconds.count() % 1000000000)};
        if (ppoll(&request, 1, &limit, nullptr) > 0) {
            drain(start);
        }
    }

    // Adds the changes already queued.
    void drain(Clock::time_point start) {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t got = read(fd_, buffer, sizeof buffer);
            if (got <= 0) {
                return;
            }
            const double seconds = secondsSince(start);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if ((event->mask & IN_Q_OVERFLOW) != 0) {
                    overflowed_ = true;
                    continue;
                }
                const auto folder = folders_.find(event->wd);
                if (folder == folders_.end() || (event->mask & kWatchedEvents) == 0) {
                    continue;
                }
                std::string path =
                    folder->second + std::string(event->name, strnlen(event->name, event->len));
                const std::size_t mark = path.find(kTemporaryMark);
                if (mark != std::string::npos) {
                    path.resize(mark + std::strlen(kTemporaryMark));
                }
                std::string key = eventKind(event->mask) + lower(path);
                if (milestones_.empty() || milestones_.back().key != key) {
                    milestones_.push_back({std::move(key), seconds});
                }
            }
        }
    }

private:
    void watch(const fsys::path& folder, const std::string& relative) {
        const int wd = inotify_add_watch(fd_, folder.c_str(), kWatchedEvents);
        if (wd < 0) {
            complete_ = false;
            return;
        }
        folders_[wd] = relative;
    }

    int fd_;
    bool complete_ = true;
    bool overflowed_ = false;
    std::map<int, std::string> folders_;
    std::vector<Milestone> milestones_;
};

// How many of the milestones before `index` have the same key as it: with
// the key, this names one milestone in any run of the same sequence.
int occurrenceOf(const std::vector<Milestone>& milestones, std::size_t index) {
    int count = 0;
    for (std::size_t i = 0; i < index; ++i) {
        count += milestones[i].key == milestones[index].key ? 1 : 0;
    }
    return count;
}

// ---- Running the command-line tool --------------------------------------------------

// When to kill a run: `delay` seconds after it started, or `delay` seconds
// after the milestone `key` has been seen for the `occurrence`-th time
// (counted from 0); never when neither is set.
struct KillPlan {
    std::optional<double> delay;
    std::string key;
    int occurrence = 0;
};

struct RunResult {
    bool exited = false;  // ended by itself (not killed)
    int exitCode = -1;
    std::string output;  // stdout, when captured
    double seconds = 0;
    std::vector<Milestone> milestones;  // when the tree was watched
    bool watchFailed = false;
};

class Cli {
public:
    // The tool runs with its own home, settings folder and Wine prefix, all
    // under `scratch`, and the sanitizer settings of this process.
    explicit Cli(const fsys::path& scratch) {
        for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) {
                environment_.push_back(std::string(name) + "=" + value);
            }
        }
        environment_.push_back("HOME=" + (scratch / "home").string());
        environment_.push_back("XDG_CONFIG_HOME=" + (scratch / "config").string());
        environment_.push_back("WINEPREFIX=" + (scratch / "prefix").string());
    }

    // Runs the tool with `args` (stdout to `outputFile` when given). With a
    // `watched` tree, records its milestones and kills the run as `plan`
    // says.
    RunResult run(const std::vector<std::string>& args, const fsys::path& outputFile = {},
                  const fsys::path& watched = {}, const KillPlan& plan = {}) const {
        RunResult result;
        std::optional<TreeWatch> watch;
        if (!watched.empty()) {
            watch.emplace(watched);
            if (!watch->valid()) {
                result.watchFailed = true;
                return result;
            }
        }
        std::vector<std::string> words = {JF_CLI_PATH};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> variables = environment_;
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = outputFile.empty() ? "/dev/null" : outputFile.string();
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const auto start = Clock::now();
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << JF_CLI_PATH;
            return result;
        }

        int status = 0;
        bool reaped = false;
        std::optional<Clock::time_point> killAt;
        if (plan.delay && plan.key.empty()) {
            killAt = start + std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(*plan.delay));
        }
        int seen = -1;  // occurrences of the planned milestone seen so far, less one
        std::size_t counted = 0;
        while (!reaped) {
            if (watch) {
                Clock::duration timeout = kPollInterval;
                if (killAt) {
                    timeout = std::min(timeout,
                                       std::max(*killAt - Clock::now(), Clock::duration::zero()));
                }
                watch->wait(timeout, start);
                const std::vector<Milestone>& milestones = watch->milestones();
                for (; counted < milestones.size() && !killAt; ++counted) {
                    if (!plan.key.empty() && milestones[counted].key == plan.key &&
                        ++seen == plan.occurrence) {
                        killAt = Clock::now() +
                                 std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(plan.delay.value_or(0)));
                    }
                }
            } else if (killAt) {
                std::this_thread::sleep_until(std::min(*killAt, Clock::now() + kPollInterval));
            }
            if (killAt && Clock::now() >= *killAt) {
                kill(pid, SIGKILL);
                break;
            }
            if (!watch && !killAt) {
                waitpid(pid, &status, 0);
                reaped = true;
            } else if (waitpid(pid, &status, WNOHANG) == pid) {
                reaped = true;
            } else if (secondsSince(start) > kRunLimitSeconds) {
                ADD_FAILURE() << "a run took longer than " << kRunLimitSeconds << " s";
                kill(pid, SIGKILL);
                break;
            }
        }
        if (!reaped) {
            waitpid(pid, &status, 0);
        }
        result.seconds = secondsSince(start);
        result.exited = WIFEXITED(status);
        result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
        if (watch) {
            watch->drain(start);
            result.milestones = watch->milestones();
            result.watchFailed = watch->overflowed();
        }
        if (!outputFile.empty()) {
            const Bytes bytes = readAll(outputFile);
            result.output.assign(bytes.begin(), bytes.end());
        }
        return result;
    }

private:
    std::vector<std::string> environment_;
};

// ---- The installation -------------------------------------------------------------

using Tree = std::map<std::string, Bytes>;

// Every regular file under `root`, by path relative to it.
Tree treeOf(const fsys::path& root) {
    Tree files;
    for (const auto& entry : fsys::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fsys::relative(entry.path(), root).string()] = readAll(entry.path());
        }
    }
    return files;
}

// The relative paths of the four game files in `tree`, in save order.
std::array<std::string, kGameFileCount> gameFilesOf(const Tree& tree) {
    std::array<std::string, kGameFileCount> found;
    for (const auto& entry : tree) {
        const std::string name = lower(fsys::path(entry.first).filename().string());
        for (std::size_t i = 0; i < kGameFileCount; ++i) {
            if (name == kGameFileNames[i]) {
                found[i] = entry.first;
            }
        }
    }
    return found;
}

// A container rewritten with a version 2.0 header and no map: the same
// chunks, which the program writes back with a 2.5 header and a fresh map.
Bytes asVersion20(const fsys::path& path) {
    NoDiskFileSystem fs;
    IffFileTable table(fs);
    MemoryFile file(readAll(path));
    const int slot = table.openMemory(file, "old", false);
    EXPECT_TRUE(slot != 0 && table.parse(slot) && table.loadAll(slot));
    std::vector<RawChunk> chunks;
    if (slot == 0) {
        return {};
    }
    for (const auto& chunk : table.file(slot)->chunks) {
        if (chunk->type != kTypeRsmp) {
            chunks.push_back({typeCodeToString(chunk->type), chunk->id, chunk->flags, chunk->label,
                              chunk->body()});
        }
    }
    return buildIff(chunks, "2.0");
}

// A strip rewritten as a 32-bit bitmap, which the program writes back with
// 24 bits.
Bytes as32Bits(const fsys::path& path) {
    const Bytes bytes = readAll(path);
    Bitmap picture;
    EXPECT_TRUE(decodeBitmapFile(bytes.data(), bytes.size(), picture, nullptr, 0, 0));
    BmpRecipe recipe;
    recipe.width = picture.width();
    recipe.height = picture.height();
    recipe.bitsPerPixel = 32;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.pixel(x, y);
            recipe.pixels.push_back(std::uint32_t{c.red} << 16 | std::uint32_t{c.green} << 8 |
                                    c.blue);
        }
    }
    return buildBmp(recipe);
}

void copyTree(const fsys::path& from, const fsys::path& to) {
    fsys::remove_all(to);
    fsys::copy(from, to, fsys::copy_options::recursive);
}

// Puts `work`, a copy of `sample` changed only in its game files and by new
// files, back to `tree` (the tree of `sample`): the new files go and the game
// files get their old bytes again. Much cheaper than a fresh copy.
void restoreTree(const fsys::path& sample, const fsys::path& work, const Tree& tree,
                 const std::array<std::string, kGameFileCount>& names) {
    if (!fsys::exists(work)) {
        copyTree(sample, work);
        return;
    }
    std::vector<fsys::path> added;
    for (const auto& entry : fsys::recursive_directory_iterator(work)) {
        if (entry.is_regular_file() &&
            tree.count(fsys::relative(entry.path(), work).string()) == 0) {
            added.push_back(entry.path());
        }
    }
    for (const fsys::path& path : added) {
        fsys::remove(path);
    }
    for (const std::string& name : names) {
        writeAll(work / name, tree.at(name));
    }
}

int killRuns() {
    const char* text = std::getenv("JF_CRASH_KILL_RUNS");
    const int runs = text != nullptr ? std::atoi(text) : kDefaultKillRuns;
    return runs > 0 ? runs : kDefaultKillRuns;
}

// ---- The test ---------------------------------------------------------------------

// Where a kill landed, judged from what it left.
enum class Landing { Before, During, After };

// What a killed save left.
struct Left {
    int written = 0;  // game files new, a prefix of the save's order
    bool journal = false;
    std::vector<std::string> temporaries;

    // Whether `temporary` is a temporary file of `file`.
    static bool beside(const std::string& temporary, const std::string& file) {
        return lower(temporary).rfind(lower(file) + kTemporaryMark, 0) == 0;
    }
    bool untouched() const { return written == 0 && !journal && temporaries.empty(); }
};

class CrashConsistencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        root =
            fsys::temp_directory_path() / ("jf-crash-" + std::to_string(getpid()) + "-" +
                                           std::to_string(Clock::now().time_since_epoch().count()));
        fsys::create_directories(root / "home");
        fsys::create_directories(root / "config");
        cli.emplace(root);
    }
    void TearDown() override { fsys::remove_all(root); }

    // Checks the tree after a killed save against the old and new trees and
    // describes it in `left`; false on a failure.
    bool checkKilled(const Tree& now, const std::array<std::string, kGameFileCount>& names,
                     const Tree& oldTree, const Tree& newTree, Left& left) {
        for (std::size_t i = 0; i < kGameFileCount; ++i) {
            const auto found = now.find(names[i]);
            if (found == now.end()) {
                ADD_FAILURE() << names[i] << " is gone";
                return false;
            }
            const bool isNew = found->second == newTree.at(names[i]);
            if (!isNew && found->second != oldTree.at(names[i])) {
                ADD_FAILURE() << names[i] << " is neither its old nor its new self ("
                              << found->second.size() << " bytes)";
                return false;
            }
            if (isNew && left.written != static_cast<int>(i)) {
                ADD_FAILURE() << names[i] << " was written before an earlier file of the save";
                return false;
            }
            left.written += isNew ? 1 : 0;
        }
        for (const auto& [relative, bytes] : now) {
            if (isTemporary(relative)) {
                left.temporaries.push_back(relative);
            } else if (relative == kJournalName) {
                left.journal = true;
            } else if (std::find(names.begin(), names.end(), relative) == names.end()) {
                const auto old = oldTree.find(relative);
                if (old == oldTree.end() || old->second != bytes) {
                    ADD_FAILURE() << relative << " appeared or changed";
                    return false;
                }
            }
        }
        // Temporary files lie beside the game files or the journal only.
        for (const std::string& temporary : left.temporaries) {
            if (!Left::beside(temporary, kJournalName) &&
                std::none_of(names.begin(), names.end(), [&](const std::string& name) {
                    return Left::beside(temporary, name);
                })) {
                ADD_FAILURE() << "temporary file " << temporary << " beside no file of the save";
                return false;
            }
        }
        // New files beside old ones only with the journal, which finishes
        // them; every file not yet replaced then has its new self beside it.
        if (!left.journal && left.written != 0 &&
            left.written != static_cast<int>(kGameFileCount)) {
            ADD_FAILURE() << left.written << " files new and the rest old, without a journal";
            return false;
        }
        for (int i = left.written; left.journal && i < static_cast<int>(kGameFileCount); ++i) {
            if (std::none_of(left.temporaries.begin(), left.temporaries.end(),
                             [&](const std::string& t) { return Left::beside(t, names[i]); })) {
                ADD_FAILURE() << "a journal, but no new file beside " << names[i];
                return false;
            }
        }
        return true;
    }

    // The changes recovery is expected to make on what a kill left, as
    // milestone keys: the replacements, then the removals.
    static std::vector<std::string> recoveryKeys(
        const Left& left, const std::array<std::string, kGameFileCount>& names) {
        std::vector<std::string> keys;
        for (int i = left.written; left.journal && i < static_cast<int>(kGameFileCount); ++i) {
            keys.push_back("move-to " + lower(names[static_cast<std::size_t>(i)]));
        }
        for (const std::string& temporary : left.temporaries) {
            const bool moved =
                left.journal &&
                std::any_of(names.begin() + left.written, names.end(),
                            [&](const std::string& name) { return Left::beside(temporary, name); });
            if (!moved) {
                keys.push_back("delete " +
                               lower(temporary.substr(0, temporary.find(kTemporaryMark) +
                                                             std::strlen(kTemporaryMark))));
            }
        }
        if (left.journal) {
            keys.push_back("delete " + lower(kJournalName));
        }
        return keys;
    }

    fsys::path root;
    std::optional<Cli> cli;
};

TEST_F(CrashConsistencyTest, AKilledResaveLeavesEveryFileWholeOldOrNewAndLoadable) {
    // The sample, loaded and saved once (which extracts the strips); its game
    // folder is the installation the test works on.
    const fsys::path prefix = root / "prefix";
    const RunResult made = cli->run({"make-sample", prefix.string()}, root / "made.json");
    ASSERT_EQ(made.exitCode, 0) << "make-sample failed";
    const nlohmann::json description = nlohmann::json::parse(made.output, nullptr, false);
    ASSERT_TRUE(description.is_object() && description.contains("gameDataFolder")) << made.output;
    const fsys::path gameInPrefix = description["gameDataFolder"].get<std::string>();
    ASSERT_EQ(cli->run({"resave", gameInPrefix.string()}).exitCode, 0);
    const fsys::path sample = root / "game";
    copyTree(gameInPrefix, sample);

    // The old state: the four files in forms the program never writes.
    const std::array<std::string, kGameFileCount> names = gameFilesOf(treeOf(sample));
    for (std::size_t i = 0; i < kGameFileCount; ++i) {
        ASSERT_FALSE(names[i].empty()) << kGameFileNames[i] << " is missing from the sample";
        const fsys::path path = sample / names[i];
        writeAll(path, i < 2 ? asVersion20(path) : as32Bits(path));
    }
    const Tree oldTree = treeOf(sample);

    // The new state and the save's milestones: complete runs from the old
    // state.
    const fsys::path work = root / "work";
    const std::string game = work.string() + "/";
    const fsys::path dumpFile = root / "dump.json";
    copyTree(sample, work);
    const RunResult oldDump = cli->run({"dump", game}, dumpFile);
    ASSERT_EQ(oldDump.exitCode, 0) << "the old state does not load";
    Tree newTree;
    std::vector<RunResult> complete;
    for (int i = 0; i < kCalibrationRuns; ++i) {
        copyTree(sample, work);
        complete.push_back(cli->run({"resave", game}, {}, work));
        ASSERT_FALSE(complete.back().watchFailed) << "cannot watch the game folder";
        ASSERT_EQ(complete.back().exitCode, 0) << "a complete resave failed";
        const Tree saved = treeOf(work);
        ASSERT_TRUE(newTree.empty() || saved == newTree) << "two resaves wrote different files";
        newTree = saved;
    }
    ASSERT_EQ(cli->run({"dump", game}, dumpFile).output, oldDump.output)
        << "a complete resave changed the data";
    for (std::size_t i = 0; i < kGameFileCount; ++i) {
        ASSERT_NE(newTree.at(names[i]), oldTree.at(names[i]))
            << names[i] << ": a resave does not change its bytes, so the test would prove nothing";
    }

    // The save runs from the first temporary file created to the removal of
    // the journal; the milestones of the first complete run name the kill
    // points, the runs with the same sequence give the times.
    const std::vector<Milestone>& sequence = complete[0].milestones;
    const std::string journalRemoval = "delete " + lower(kJournalName);
    std::size_t first = sequence.size();
    std::size_t last = 0;
    int renames = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (first == sequence.size() && sequence[i].key.rfind("create ", 0) == 0 &&
            isTemporary(sequence[i].key)) {
            first = i;
        }
        if (sequence[i].key.rfind("move-to ", 0) == 0 && !isTemporary(sequence[i].key)) {
            ++renames;
        }
        if (sequence[i].key == journalRemoval) {
            last = i;
        }
    }
    ASSERT_LT(first, last) << "the save's milestones were not seen";
    ASSERT_EQ(renames, static_cast<int>(kGameFileCount) + 1)
        << "expected one rename per game file and the journal's";
    std::vector<std::vector<double>> gaps(sequence.size());
    std::vector<double> starts;
    std::vector<double> tails;
    std::vector<double> lengths;
    std::vector<double> totals;
    int consistent = 0;
    for (const RunResult& run : complete) {
        const std::vector<Milestone>& seen = run.milestones;
        const bool same =
            seen.size() == sequence.size() &&
            std::equal(seen.begin(), seen.end(), sequence.begin(),
                       [](const Milestone& a, const Milestone& b) { return a.key == b.key; });
        if (!same) {
            continue;
        }
        ++consistent;
        for (std::size_t i = first; i < last; ++i) {
            gaps[i].push_back(seen[i + 1].seconds - seen[i].seconds);
        }
        starts.push_back(seen[first].seconds);
        tails.push_back(run.seconds - seen[last].seconds);
        lengths.push_back(seen[last].seconds - seen[first].seconds);
        totals.push_back(run.seconds);
    }
    const double saveStart = median(starts);
    const double saveLength = median(lengths);
    const double tail = median(tails);

    std::mt19937 random(kKillSeed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<std::size_t> inside(first, last - 1);
    const int runs = killRuns();
    std::map<Landing, int> aimed;
    std::map<Landing, int> landed;
    std::map<std::pair<int, bool>, int> outcomes;  // (files new, journal) after the kill -> kills
    std::array<int, kGameFileCount> midWrite{};    // kills while file i's new self was written
    int midJournal = 0;                            // kills while the journal was written
    std::map<std::string, int> actions;            // recovery's action -> kills
    int recoveryKillsAimed = 0;
    int recoveryKilled = 0;
    int recoveryLeftWork = 0;  // killed recoveries whose rerun still had something to do
    int endedNew = 0;
    std::map<std::tuple<bool, bool, bool>, bool> verified;  // (new, journal, temporary) -> loaded
    int finished = 0;
    double recoverySeconds = 0;
    int recoveries = 0;
    const fsys::path recoverFile = root / "recover.json";
    for (int run = 0; run < runs; ++run) {
        SCOPED_TRACE("kill run " + std::to_string(run));
        KillPlan plan;
        const double draw = unit(random);
        const double share = unit(random);
        if (draw < kBeforeShare) {
            plan.delay = share * saveStart;
            ++aimed[Landing::Before];
        } else if (draw < kBeforeShare + kAfterShare) {
            plan.key = sequence[last].key;
            plan.occurrence = occurrenceOf(sequence, last);
            plan.delay = share * tail;
            ++aimed[Landing::After];
        } else {
            const std::size_t at = inside(random);
            plan.key = sequence[at].key;
            plan.occurrence = occurrenceOf(sequence, at);
            plan.delay = share * median(gaps[at]);
            ++aimed[Landing::During];
        }
        restoreTree(sample, work, oldTree, names);
        const RunResult killed = cli->run({"resave", game}, {}, work, plan);
        if (killed.exited) {
            ++finished;
            ASSERT_EQ(killed.exitCode, 0) << "a resave that was not killed failed";
        }

        Left left;
        ASSERT_TRUE(checkKilled(treeOf(work), names, oldTree, newTree, left));
        ++outcomes[{left.written, left.journal}];
        if (!left.journal && !left.temporaries.empty()) {
            int newest = -1;
            for (std::size_t i = 0; i < kGameFileCount; ++i) {
                for (const std::string& temporary : left.temporaries) {
                    newest = Left::beside(temporary, names[i]) ? static_cast<int>(i) : newest;
                }
            }
            const bool journalBeingWritten =
                std::any_of(left.temporaries.begin(), left.temporaries.end(),
                            [](const std::string& t) { return Left::beside(t, kJournalName); });
            if (journalBeingWritten) {
                ++midJournal;
            } else if (newest >= 0) {
                ++midWrite[static_cast<std::size_t>(newest)];
            }
        }
        const Landing landing = left.untouched() ? Landing::Before
                                : left.written == static_cast<int>(kGameFileCount) &&
                                        !left.journal && left.temporaries.empty()
                                    ? Landing::After
                                    : Landing::During;
        ++landed[landing];
        // A complete journal finishes the save; without one it is undone.
        const bool expectNew = left.journal || left.written == static_cast<int>(kGameFileCount);

        // Recovery, killed first at one of the changes it makes, picked at
        // random, then run to its end.
        const std::vector<std::string> keys = recoveryKeys(left, names);
        bool recoveryWasKilled = false;
        if (!keys.empty() && unit(random) < kRecoveryKillShare) {
            std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
            KillPlan recoveryPlan;
            recoveryPlan.key = keys[pick(random)];
            recoveryPlan.delay = unit(random) * kRecoveryKillSpread;
            ++recoveryKillsAimed;
            const RunResult interrupted = cli->run({"recover", game}, {}, work, recoveryPlan);
            recoveryWasKilled = !interrupted.exited;
            recoveryKilled += recoveryWasKilled ? 1 : 0;
            ASSERT_TRUE(recoveryWasKilled || interrupted.exitCode == 0) << "recovery failed";
        }
        const RunResult recovered = cli->run({"recover", game}, recoverFile);
        ASSERT_EQ(recovered.exitCode, 0) << "recovery failed";
        recoverySeconds += recovered.seconds;
        ++recoveries;
        const nlohmann::json report = nlohmann::json::parse(recovered.output, nullptr, false);
        ASSERT_TRUE(report.is_object() && report["journal"].is_boolean() &&
                    report["action"].is_string() && report["removed"].is_array())
            << recovered.output;
        const std::string action = report["action"].get<std::string>();
        if (recoveryWasKilled) {
            recoveryLeftWork += action != "none" || !report["removed"].empty() ? 1 : 0;
        } else {
            ++actions[action];
            EXPECT_EQ(report["journal"].get<bool>(), left.journal);
            EXPECT_EQ(action, left.journal               ? "completed"
                              : left.temporaries.empty() ? "none"
                                                         : "undone");
            EXPECT_EQ(
                report["removed"].size(),
                left.temporaries.size() + (left.journal ? 1 : 0) -
                    (left.journal ? kGameFileCount - static_cast<std::size_t>(left.written) : 0));
        }
        const Tree after = treeOf(work);
        ASSERT_TRUE(after == (expectNew ? newTree : oldTree))
            << "after recovery the installation is not wholly " << (expectNew ? "new" : "old")
            << " (journal " << left.journal << ", " << left.written << " files new, "
            << left.temporaries.size() << " temporary files)";
        endedNew += expectNew ? 1 : 0;

        // Each kind of state left once loads to the same data after recovery
        // and saves again to the new files.
        bool& done = verified[{expectNew, left.journal, !left.temporaries.empty()}];
        if (!done) {
            done = true;
            const RunResult dumped = cli->run({"dump", game}, dumpFile);
            ASSERT_EQ(dumped.exitCode, 0) << "the files left by a kill do not load";
            EXPECT_EQ(dumped.output, oldDump.output) << "the files left by a kill hold other data";
            ASSERT_EQ(cli->run({"resave", game}).exitCode, 0)
                << "the files left by a kill do not save";
            EXPECT_TRUE(treeOf(work) == newTree) << "a save after a kill wrote other files";
        }
        if (HasFatalFailure()) {
            return;
        }
    }

    std::cout << "[ crash    ] " << runs << " kills (aimed " << aimed[Landing::Before]
              << " before the save, " << aimed[Landing::During] << " inside, "
              << aimed[Landing::After] << " after); save milestones " << (last - first + 1)
              << ", save " << saveLength << " s from " << saveStart << " s, complete run "
              << median(totals) << " s; calibration runs alike " << consistent << "/"
              << kCalibrationRuns << "\n";
    std::cout << "[ crash    ] landed before the save " << landed[Landing::Before] << ", during "
              << landed[Landing::During] << ", after " << landed[Landing::After]
              << " (finished by itself " << finished << ")\n";
    std::cout << "[ crash    ] left after the kill (files new, journal):";
    for (const auto& [state, count] : outcomes) {
        std::cout << " " << state.first << (state.second ? "+journal" : "") << ":" << count;
    }
    std::cout << "; killed while writing the new files of:";
    for (std::size_t i = 0; i < kGameFileCount; ++i) {
        std::cout << " " << kGameFileNames[i] << " " << midWrite[i];
    }
    std::cout << ", the journal " << midJournal << "\n";
    std::cout << "[ crash    ] recovery:";
    for (const auto& [action, count] : actions) {
        std::cout << " " << action << " " << count;
    }
    std::cout << " (run to the end at once); killed " << recoveryKilled << " of "
              << recoveryKillsAimed << " aimed, " << recoveryLeftWork
              << " left work for the rerun; mean run "
              << (recoveries > 0 ? recoverySeconds / recoveries : 0) << " s\n";
    std::cout << "[ crash    ] after recovery all old " << runs - endedNew << ", all new "
              << endedNew << "; states reloaded and resaved: " << verified.size() << std::endl;
    RecordProperty("kills", runs);
    RecordProperty("before", landed[Landing::Before]);
    RecordProperty("during", landed[Landing::During]);
    RecordProperty("after", landed[Landing::After]);
    RecordProperty("recoveryKilled", recoveryKilled);

    // Most kills must have reached the save itself; with the full number of
    // kills each file must have been caught while its new self was written,
    // some kills must have left the journal between replacements, and some
    // recoveries must have been killed with work left for the rerun.
    EXPECT_GE(landed[Landing::During], static_cast<int>(kLeastDuringShare * runs))
        << "too few kills landed inside the save";
    if (runs >= kCoverageKillRuns) {
        for (std::size_t i = 0; i < kGameFileCount; ++i) {
            EXPECT_GT(midWrite[i], 0) << "no kill landed inside the write of " << names[i];
        }
        int halfReplaced = 0;
        for (const auto& [state, count] : outcomes) {
            halfReplaced += state.second && state.first > 0 ? count : 0;
        }
        EXPECT_GT(halfReplaced, 0) << "no kill landed between two replacements";
        EXPECT_GT(recoveryLeftWork, 0) << "no killed recovery left work for its rerun";
    }
}

}  // namespace
}  // namespace jf::test

#endif  // __linux__
