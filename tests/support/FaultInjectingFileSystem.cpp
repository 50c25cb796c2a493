#include "support/FaultInjectingFileSystem.h"

#include <atomic>
#include <new>

namespace jf::test {

struct FaultInjectingFileSystem::Counters {
    // Atomic so that a test may drive a worker thread through the wrapper.
    std::atomic<std::uint64_t> opens{0};
    std::atomic<std::uint64_t> writes{0};
    std::atomic<std::uint64_t> flushes{0};
    std::atomic<std::uint64_t> renames{0};
    std::atomic<std::uint64_t> failOpen{0};
    std::atomic<std::uint64_t> failWrite{0};
    std::atomic<std::uint64_t> failFlush{0};
    std::atomic<std::uint64_t> failRename{0};
};

namespace {

// Counts the call and tells whether it is the one chosen to fail.
bool countAndCheck(std::atomic<std::uint64_t>& counter, const std::atomic<std::uint64_t>& failAt) {
    std::uint64_t number = counter.fetch_add(1) + 1;
    std::uint64_t chosen = failAt.load();
    return chosen != 0 && number == chosen;
}

class FaultInjectingFile final : public File {
public:
    FaultInjectingFile(std::unique_ptr<File> inner,
                       std::shared_ptr<FaultInjectingFileSystem::Counters> counters)
        : inner_(std::move(inner)), counters_(std::move(counters)) {}

    bool seek(std::uint64_t position) override { return inner_->seek(position); }
    std::uint64_t tell() const override { return inner_->tell(); }
    std::int64_t read(void* buffer, std::size_t n) override { return inner_->read(buffer, n); }

    bool write(const void* buffer, std::size_t n) override {
        if (countAndCheck(counters_->writes, counters_->failWrite)) {
            inner_->write(buffer, n / 2);
            return false;
        }
        return inner_->write(buffer, n);
    }

    bool truncate(std::uint64_t length) override { return inner_->truncate(length); }
    std::int64_t length() const override { return inner_->length(); }

    bool flush() override {
        if (countAndCheck(counters_->flushes, counters_->failFlush)) {
            return false;
        }
        return inner_->flush();
    }

    std::unique_ptr<File> duplicate() override {
        std::unique_ptr<File> copy = inner_->duplicate();
        if (!copy) {
            return nullptr;
        }
        return std::unique_ptr<File>(new (std::nothrow)
                                         FaultInjectingFile(std::move(copy), counters_));
    }

    std::string path() const override { return inner_->path(); }
    bool isMemory() const override { return inner_->isMemory(); }

private:
    std::unique_ptr<File> inner_;
    std::shared_ptr<FaultInjectingFileSystem::Counters> counters_;
};

}  // namespace

FaultInjectingFileSystem::FaultInjectingFileSystem(FileSystem& inner)
    : inner_(inner), counters_(std::make_shared<Counters>()) {}

FaultInjectingFileSystem::~FaultInjectingFileSystem() = default;

std::unique_ptr<File> FaultInjectingFileSystem::open(const std::string& path, OpenMode mode) {
    if (countAndCheck(counters_->opens, counters_->failOpen)) {
        return nullptr;
    }
    std::unique_ptr<File> file = inner_.open(path, mode);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FaultInjectingFile>(std::move(file), counters_);
}

bool FaultInjectingFileSystem::exists(const std::string& path) {
    return inner_.exists(path);
}

bool FaultInjectingFileSystem::isReadOnly(const std::string& path) {
    return inner_.isReadOnly(path);
}

bool FaultInjectingFileSystem::clearReadOnly(const std::string& path) {
    return inner_.clearReadOnly(path);
}

bool FaultInjectingFileSystem::setReadOnly(const std::string& path) {
    return inner_.setReadOnly(path);
}

bool FaultInjectingFileSystem::createFolder(const std::string& path) {
    return inner_.createFolder(path);
}

DeleteResult FaultInjectingFileSystem::deleteFile(const std::string& path) {
    return inner_.deleteFile(path);
}

bool FaultInjectingFileSystem::replaceFile(const std::string& from, const std::string& to) {
    if (countAndCheck(counters_->renames, counters_->failRename)) {
        return false;
    }
    return inner_.replaceFile(from, to);
}

std::vector<std::string> FaultInjectingFileSystem::listArchives(const std::string& folder) {
    return inner_.listArchives(folder);
}

std::vector<std::string> FaultInjectingFileSystem::listFiles(const std::string& folder) {
    return inner_.listFiles(folder);
}

bool FaultInjectingFileSystem::syncFolder(const std::string& folder) {
    return inner_.syncFolder(folder);
}

std::string FaultInjectingFileSystem::nativePath(const std::string& path) {
    return inner_.nativePath(path);
}

void FaultInjectingFileSystem::failOpenAt(std::uint64_t k) {
    counters_->failOpen = k;
}
void FaultInjectingFileSystem::failWriteAt(std::uint64_t k) {
    counters_->failWrite = k;
}
void FaultInjectingFileSystem::failFlushAt(std::uint64_t k) {
    counters_->failFlush = k;
}
void FaultInjectingFileSystem::failRenameAt(std::uint64_t k) {
    counters_->failRename = k;
}

void FaultInjectingFileSystem::clearFaults() {
    counters_->failOpen = 0;
    counters_->failWrite = 0;
    counters_->failFlush = 0;
    counters_->failRename = 0;
}

std::uint64_t FaultInjectingFileSystem::openCount() const {
    return counters_->opens;
}
std::uint64_t FaultInjectingFileSystem::writeCount() const {
    return counters_->writes;
}
std::uint64_t FaultInjectingFileSystem::flushCount() const {
    return counters_->flushes;
}
std::uint64_t FaultInjectingFileSystem::renameCount() const {
    return counters_->renames;
}

void FaultInjectingFileSystem::resetCounts() {
    counters_->opens = 0;
    counters_->writes = 0;
    counters_->flushes = 0;
    counters_->renames = 0;
}

}  // namespace jf::test
