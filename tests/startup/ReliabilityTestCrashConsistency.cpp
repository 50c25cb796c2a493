// Crash consistency of File Save: `jobforge3-cli resave GAMEDIR` is killed
// with SIGKILL at many points of its run on copies of one installation.
// After every kill each game file must hold exactly its old bytes or exactly
// the bytes a complete resave writes, the files written must be a prefix of
// the save's order (career file, CarPortal.iff, button strip, popup strip),
// a temporary file may be left only beside the file being written, nothing
// else may have changed, and the installation must still load
// (`jobforge3-cli dump`) to the same data and save again to the new bytes.
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
// (each creation, write, close and rename, repeats merged) with their times.
// Most kills come at a random milestone of the save plus a random part of the
// time to the next one; a tenth come at a random time before the save's
// first milestone and a tenth after its last rename. Where a kill landed is
// judged from what it left on disk. JF_CRASH_KILL_RUNS sets the number of
// kills (default 200).
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

constexpr int kDefaultKillRuns = 200;
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
constexpr std::size_t kGameFileCount = 4;
// The four game files in the order File Save writes them.
constexpr std::array<const char*, kGameFileCount> kGameFileNames = {
    "work.iff", "carportal.iff", "jobiconmultibutton.bmp", "jobiconmultipopup.bmp"};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

Bytes readAll(const fsys::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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

int killRuns() {
    const char* text = std::getenv("JF_CRASH_KILL_RUNS");
    const int runs = text != nullptr ? std::atoi(text) : kDefaultKillRuns;
    return runs > 0 ? runs : kDefaultKillRuns;
}

// ---- The test ---------------------------------------------------------------------

// Where a kill landed, judged from what it left.
enum class Landing { Before, During, After };

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

    // Checks the tree after a kill against the old and new trees; returns
    // the number of game files that are new, or -1 on a failure.
    int check(const Tree& now, const std::array<std::string, kGameFileCount>& names,
              const Tree& oldTree, const Tree& newTree, std::vector<std::string>& temporaries) {
        int written = 0;
        for (std::size_t i = 0; i < kGameFileCount; ++i) {
            const auto found = now.find(names[i]);
            if (found == now.end()) {
                ADD_FAILURE() << names[i] << " is gone";
                return -1;
            }
            const bool isNew = found->second == newTree.at(names[i]);
            if (!isNew && found->second != oldTree.at(names[i])) {
                ADD_FAILURE() << names[i] << " is neither its old nor its new self ("
                              << found->second.size() << " bytes)";
                return -1;
            }
            if (isNew && written != static_cast<int>(i)) {
                ADD_FAILURE() << names[i] << " was written before an earlier file of the save";
                return -1;
            }
            written += isNew ? 1 : 0;
        }
        for (const auto& [relative, bytes] : now) {
            if (isTemporary(relative)) {
                temporaries.push_back(relative);
            } else if (std::find(names.begin(), names.end(), relative) == names.end()) {
                const auto old = oldTree.find(relative);
                if (old == oldTree.end() || old->second != bytes) {
                    ADD_FAILURE() << relative << " appeared or changed";
                    return -1;
                }
            }
        }
        // A temporary file is left only by a kill inside the write of one
        // file, beside that file.
        if (!temporaries.empty()) {
            const bool besideCurrent =
                temporaries.size() == 1 && written < static_cast<int>(kGameFileCount) &&
                lower(temporaries[0]).rfind(lower(names[written]) + kTemporaryMark, 0) == 0;
            if (!besideCurrent) {
                ADD_FAILURE() << "temporary file " << temporaries[0] << " left with " << written
                              << " files written";
                return -1;
            }
        }
        return written;
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

    // The save runs from the first temporary file created to the last
    // rename; the milestones of the first complete run name the kill points,
    // the runs with the same sequence give the times.
    const std::vector<Milestone>& sequence = complete[0].milestones;
    std::size_t first = sequence.size();
    std::size_t last = 0;
    int renames = 0;
    for (std::size_t i = 0; i < sequence.size(); ++i) {
        if (first == sequence.size() && sequence[i].key.rfind("create ", 0) == 0 &&
            isTemporary(sequence[i].key)) {
            first = i;
        }
        if (sequence[i].key.rfind("move-to ", 0) == 0 && !isTemporary(sequence[i].key)) {
            last = i;
            ++renames;
        }
    }
    ASSERT_LT(first, last) << "the save's milestones were not seen";
    ASSERT_EQ(renames, static_cast<int>(kGameFileCount)) << "expected one rename per game file";
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
    std::map<int, int> outcomes;                 // game files new after the kill -> kills
    std::array<int, kGameFileCount> midWrite{};  // kills that left file i's temporary file
    std::array<int, kGameFileCount> newCounts{};
    std::map<std::pair<int, bool>, bool> verified;  // (files new, temporary left) -> reloaded
    int finished = 0;
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
        copyTree(sample, work);
        const RunResult killed = cli->run({"resave", game}, {}, work, plan);
        if (killed.exited) {
            ++finished;
            ASSERT_EQ(killed.exitCode, 0) << "a resave that was not killed failed";
        }

        const Tree now = treeOf(work);
        std::vector<std::string> temporaries;
        const int written = check(now, names, oldTree, newTree, temporaries);
        ASSERT_GE(written, 0);
        ++outcomes[written];
        for (int i = 0; i < written; ++i) {
            ++newCounts[static_cast<std::size_t>(i)];
        }
        if (!temporaries.empty()) {
            ++midWrite[static_cast<std::size_t>(written)];
        }
        const Landing landing = written == 0 && temporaries.empty()           ? Landing::Before
                                : written == static_cast<int>(kGameFileCount) ? Landing::After
                                                                              : Landing::During;
        ++landed[landing];

        // Each state left once loads to the same data and saves again to
        // the new files (a leftover temporary file stays as it is).
        bool& done = verified[{written, !temporaries.empty()}];
        if (!done) {
            done = true;
            const RunResult dumped = cli->run({"dump", game}, dumpFile);
            ASSERT_EQ(dumped.exitCode, 0) << "the files left by a kill do not load";
            EXPECT_EQ(dumped.output, oldDump.output) << "the files left by a kill hold other data";
            ASSERT_EQ(cli->run({"resave", game}).exitCode, 0)
                << "the files left by a kill do not save";
            Tree resaved = treeOf(work);
            for (const std::string& temporary : temporaries) {
                EXPECT_EQ(resaved.erase(temporary), 1u) << temporary << " vanished";
            }
            EXPECT_TRUE(resaved == newTree) << "a save after a kill wrote other files";
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
    std::cout << "[ crash    ] game files new after the kill:";
    for (const auto& [written, count] : outcomes) {
        std::cout << " " << written << ":" << count;
    }
    std::cout << "; killed inside the write of (temporary file left):";
    for (std::size_t i = 0; i < kGameFileCount; ++i) {
        std::cout << " " << kGameFileNames[i] << " " << midWrite[i];
    }
    std::cout << "\n[ crash    ] old/new per file:";
    for (std::size_t i = 0; i < kGameFileCount; ++i) {
        std::cout << " " << kGameFileNames[i] << " " << runs - newCounts[i] << "/" << newCounts[i];
    }
    std::cout << "; states reloaded and resaved: " << verified.size() << std::endl;
    RecordProperty("kills", runs);
    RecordProperty("before", landed[Landing::Before]);
    RecordProperty("during", landed[Landing::During]);
    RecordProperty("after", landed[Landing::After]);

    // Most kills must have reached the save itself, and with the full number
    // of kills each file must have been caught while being written.
    EXPECT_GE(landed[Landing::During], static_cast<int>(kLeastDuringShare * runs))
        << "too few kills landed inside the save";
    if (runs >= kDefaultKillRuns) {
        for (std::size_t i = 0; i < kGameFileCount; ++i) {
            EXPECT_GT(midWrite[i], 0) << "no kill landed inside the write of " << names[i];
        }
    }
}

}  // namespace
}  // namespace jf::test

#endif  // __linux__
