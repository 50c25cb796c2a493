#include "support/FakeFileSystem.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace jf::test {

namespace {

// Fake files stay small; a larger write or truncate fails like a full disk.
constexpr std::uint64_t kMaxFakeFileSize = std::uint64_t(1) << 32;

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string folded(const std::string& text) {
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), foldAscii);
    return out;
}

struct Normalised {
    std::string display;  // case as given, '/' separators
    std::string key;      // display folded to lower case
};

Normalised normalise(const std::string& path) {
    std::string display;
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
        display = "/";
    }
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t end = path.find_first_of("\\/", i);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string component = path.substr(i, end - i);
        i = end + 1;
        if (component.empty() || component == ".") {
            continue;
        }
        if (!display.empty() && display != "/") {
            display += '/';
        }
        display += component;
    }
    return {display, folded(display)};
}

std::string parentOf(const std::string& normalisedPath) {
    std::size_t cut = normalisedPath.find_last_of('/');
    if (cut == std::string::npos) {
        return {};
    }
    return cut == 0 ? std::string("/") : normalisedPath.substr(0, cut);
}

std::string lastComponent(const std::string& normalisedPath) {
    std::size_t cut = normalisedPath.find_last_of('/');
    return cut == std::string::npos ? normalisedPath : normalisedPath.substr(cut + 1);
}

bool isRootKey(const std::string& key) {
    if (key.empty() || key == "/") {
        return true;
    }
    // A drive such as "c:" (no separator, ending in a colon).
    return key.find('/') == std::string::npos && key.back() == ':';
}

bool endsWithFar(const std::string& name) {
    return name.size() >= 4 && folded(name.substr(name.size() - 4)) == ".far";
}

}  // namespace

struct FakeFileSystem::Node {
    std::vector<std::uint8_t> bytes;
    bool readOnly = false;
    int readers = 0;
    int writers = 0;
};

struct FakeFileSystem::State {
    struct FileEntry {
        std::string display;
        std::shared_ptr<Node> node;
        std::uint64_t order = 0;
    };
    mutable std::mutex mutex;
    std::map<std::string, FileEntry> files;      // by key
    std::map<std::string, std::string> folders;  // key -> display
    std::uint64_t nextOrder = 0;
    bool replaceFailsWhileTargetOpen = false;

    bool folderExists(const std::string& key) const {
        return isRootKey(key) || folders.count(key) != 0;
    }
    // Creates `n` and every folder above it that is missing (no file in the way).
    void addFolders(const Normalised& n) {
        if (isRootKey(n.key) || files.count(n.key) != 0) {
            return;
        }
        addFolders({parentOf(n.display), parentOf(n.key)});
        folders.emplace(n.key, n.display);
    }
    // The display form of a path: the stored case for every component that
    // exists, the given case for the rest.
    std::string displayOf(const Normalised& n) const {
        auto file = files.find(n.key);
        if (file != files.end()) {
            return file->second.display;
        }
        auto folder = folders.find(n.key);
        if (folder != folders.end()) {
            return folder->second;
        }
        if (isRootKey(n.key)) {
            return n.display;
        }
        std::string parent = displayOf({parentOf(n.display), parentOf(n.key)});
        std::string name = lastComponent(n.display);
        if (parent.empty()) {
            return name;
        }
        return parent == "/" ? parent + name : parent + "/" + name;
    }
};

namespace {

// The lock one open (and all its duplicates) holds on a node.
struct FakeLock {
    std::shared_ptr<FakeFileSystem::State> state;
    std::shared_ptr<FakeFileSystem::Node> node;
    bool writer = false;

    ~FakeLock() {
        std::lock_guard<std::mutex> guard(state->mutex);
        if (writer) {
            --node->writers;
        } else {
            --node->readers;
        }
    }
};

class FakeFile final : public File {
public:
    FakeFile(std::shared_ptr<FakeLock> lock, std::string path, std::uint64_t position)
        : lock_(std::move(lock)), path_(std::move(path)), position_(position) {}

    bool seek(std::uint64_t position) override {
        if (position > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return false;
        }
        position_ = position;
        return true;
    }
    std::uint64_t tell() const override { return position_; }

    std::int64_t read(void* buffer, std::size_t n) override {
        const auto& bytes = lock_->node->bytes;
        if (position_ >= bytes.size()) {
            return 0;
        }
        std::size_t count = std::min<std::size_t>(n, bytes.size() - position_);
        if (count > 0) {
            std::memcpy(buffer, bytes.data() + position_, count);
        }
        position_ += count;
        return static_cast<std::int64_t>(count);
    }

    bool write(const void* buffer, std::size_t n) override {
        if (!lock_->writer) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (position_ > kMaxFakeFileSize || n > kMaxFakeFileSize - position_) {
            return false;
        }
        auto& bytes = lock_->node->bytes;
        try {
            if (bytes.size() < position_ + n) {
                bytes.resize(static_cast<std::size_t>(position_ + n), 0);
            }
        } catch (const std::bad_alloc&) {
            return false;
        }
        std::memcpy(bytes.data() + position_, buffer, n);
        position_ += n;
        return true;
    }

    bool truncate(std::uint64_t length) override {
        if (!lock_->writer || length > kMaxFakeFileSize) {
            return false;
        }
        try {
            lock_->node->bytes.resize(static_cast<std::size_t>(length), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    std::int64_t length() const override {
        return static_cast<std::int64_t>(lock_->node->bytes.size());
    }
    bool flush() override { return true; }

    std::unique_ptr<File> duplicate() override {
        return std::unique_ptr<File>(new (std::nothrow) FakeFile(lock_, path_, position_));
    }
    std::string path() const override { return path_; }

private:
    std::shared_ptr<FakeLock> lock_;
    std::string path_;
    std::uint64_t position_;
};

}  // namespace

FakeFileSystem::FakeFileSystem() : state_(std::make_shared<State>()) {}

FakeFileSystem::~FakeFileSystem() = default;

std::unique_ptr<File> FakeFileSystem::open(const std::string& path, OpenMode mode) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (isRootKey(n.key) || state_->folders.count(n.key) != 0) {
        return nullptr;
    }
    auto it = state_->files.find(n.key);
    bool writer = mode != OpenMode::Read;
    if (it == state_->files.end()) {
        if (mode != OpenMode::CreateTruncate || !state_->folderExists(parentOf(n.key))) {
            return nullptr;
        }
        State::FileEntry entry;
        entry.display = state_->displayOf(n);
        entry.node = std::make_shared<Node>();
        entry.order = state_->nextOrder++;
        it = state_->files.emplace(n.key, std::move(entry)).first;
    } else {
        Node& node = *it->second.node;
        if (writer && node.readOnly) {
            return nullptr;
        }
        if (node.writers > 0 || (writer && node.readers > 0)) {
            return nullptr;  // other writers denied / a writer denies everyone
        }
        if (mode == OpenMode::CreateTruncate) {
            node.bytes.clear();
        }
    }
    auto lock = std::make_shared<FakeLock>();
    lock->state = state_;
    lock->node = it->second.node;
    lock->writer = writer;
    if (writer) {
        ++lock->node->writers;
    } else {
        ++lock->node->readers;
    }
    return std::make_unique<FakeFile>(std::move(lock), it->second.display, 0);
}

bool FakeFileSystem::exists(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->files.count(n.key) != 0 || state_->folderExists(n.key);
}

bool FakeFileSystem::isReadOnly(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    return it != state_->files.end() && it->second.node->readOnly;
}

bool FakeFileSystem::clearReadOnly(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    if (it != state_->files.end()) {
        it->second.node->readOnly = false;
    }
    return true;
}

bool FakeFileSystem::setReadOnly(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    if (it == state_->files.end()) {
        return false;
    }
    it->second.node->readOnly = true;
    return true;
}

bool FakeFileSystem::createFolder(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    if (state_->folderExists(n.key)) {
        return true;
    }
    if (state_->files.count(n.key) != 0 || !state_->folderExists(parentOf(n.key))) {
        return false;
    }
    state_->folders.emplace(n.key, state_->displayOf(n));
    return true;
}

DeleteResult FakeFileSystem::deleteFile(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    if (it == state_->files.end()) {
        return state_->folderExists(n.key) ? DeleteResult::Failed : DeleteResult::NotFound;
    }
    if (it->second.node->readOnly) {
        return DeleteResult::Failed;
    }
    state_->files.erase(it);
    return DeleteResult::Deleted;
}

bool FakeFileSystem::replaceFile(const std::string& from, const std::string& to) {
    Normalised source = normalise(from);
    Normalised target = normalise(to);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto src = state_->files.find(source.key);
    if (src == state_->files.end()) {
        return false;
    }
    if (state_->folderExists(target.key) || !state_->folderExists(parentOf(target.key))) {
        return false;
    }
    if (source.key == target.key) {
        return true;
    }
    State::FileEntry moved = src->second;
    auto dst = state_->files.find(target.key);
    if (dst != state_->files.end()) {
        const Node& old = *dst->second.node;
        if (old.readOnly) {
            return false;
        }
        if (state_->replaceFailsWhileTargetOpen && old.readers + old.writers > 0) {
            return false;
        }
        // The replaced file keeps its name's case and its place in the order.
        moved.display = dst->second.display;
        moved.order = dst->second.order;
    } else {
        moved.display = state_->displayOf(target);
    }
    state_->files.erase(src);
    state_->files[target.key] = std::move(moved);
    return true;
}

std::vector<std::string> FakeFileSystem::listArchives(const std::string& folder) {
    return filesIn(folder, true);
}

std::vector<std::string> FakeFileSystem::listFiles(const std::string& folder) {
    return filesIn(folder, false);
}

std::vector<std::string> FakeFileSystem::filesIn(const std::string& folder, bool archivesOnly) {
    Normalised n = normalise(folder);
    std::lock_guard<std::mutex> guard(state_->mutex);
    std::vector<const State::FileEntry*> found;
    for (const auto& [key, entry] : state_->files) {
        if (parentOf(key) == n.key && (!archivesOnly || endsWithFar(key))) {
            found.push_back(&entry);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const auto* a, const auto* b) { return a->order < b->order; });
    std::vector<std::string> names;
    for (const auto* entry : found) {
        names.push_back(lastComponent(entry->display));
    }
    return names;
}

bool FakeFileSystem::syncFolder(const std::string& folder) {
    Normalised n = normalise(folder);
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->folderExists(n.key);
}

std::string FakeFileSystem::nativePath(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->displayOf(n);
}

void FakeFileSystem::putFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    if (it != state_->files.end()) {
        it->second.node->bytes = bytes;
        return;
    }
    state_->addFolders({parentOf(n.display), parentOf(n.key)});
    State::FileEntry entry;
    entry.display = state_->displayOf(n);
    entry.node = std::make_shared<Node>();
    entry.node->bytes = bytes;
    entry.order = state_->nextOrder++;
    state_->files.emplace(n.key, std::move(entry));
}

void FakeFileSystem::putFile(const std::string& path, const std::string& bytes) {
    putFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::optional<std::vector<std::uint8_t>> FakeFileSystem::fileBytes(const std::string& path) const {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    if (it == state_->files.end()) {
        return std::nullopt;
    }
    return it->second.node->bytes;
}

void FakeFileSystem::addFolder(const std::string& path) {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    state_->addFolders(n);
}

bool FakeFileSystem::isFile(const std::string& path) const {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->files.count(n.key) != 0;
}

bool FakeFileSystem::isFolder(const std::string& path) const {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    return state_->folderExists(n.key);
}

bool FakeFileSystem::isOpen(const std::string& path) const {
    Normalised n = normalise(path);
    std::lock_guard<std::mutex> guard(state_->mutex);
    auto it = state_->files.find(n.key);
    return it != state_->files.end() && it->second.node->readers + it->second.node->writers > 0;
}

std::vector<std::string> FakeFileSystem::allFiles() const {
    std::lock_guard<std::mutex> guard(state_->mutex);
    std::vector<const State::FileEntry*> entries;
    for (const auto& [key, entry] : state_->files) {
        entries.push_back(&entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->order < b->order; });
    std::vector<std::string> names;
    for (const auto* entry : entries) {
        names.push_back(entry->display);
    }
    return names;
}

std::vector<std::string> FakeFileSystem::allFolders() const {
    std::lock_guard<std::mutex> guard(state_->mutex);
    std::vector<std::string> names;
    for (const auto& [key, display] : state_->folders) {
        names.push_back(display);
    }
    return names;
}

void FakeFileSystem::setReplaceFailsWhileTargetOpen(bool on) {
    std::lock_guard<std::mutex> guard(state_->mutex);
    state_->replaceFailsWhileTargetOpen = on;
}

}  // namespace jf::test
