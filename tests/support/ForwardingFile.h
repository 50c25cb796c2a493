#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/File.h"

namespace jf::test {

// A File that passes every call on to another one it owns. Test files that
// watch or break some calls derive from it and override just those;
// duplicate() duplicates the inner file and wraps the copy with rewrap(),
// so duplicates behave like the original (nullptr when the inner file
// cannot be duplicated).
class ForwardingFile : public File {
public:
    explicit ForwardingFile(std::unique_ptr<File> inner) : inner_(std::move(inner)) {}

    bool seek(std::uint64_t position) override { return inner_->seek(position); }
    std::uint64_t tell() const override { return inner_->tell(); }
    std::int64_t read(void* buffer, std::size_t n) override { return inner_->read(buffer, n); }
    bool write(const void* buffer, std::size_t n) override { return inner_->write(buffer, n); }
    bool truncate(std::uint64_t length) override { return inner_->truncate(length); }
    std::int64_t length() const override { return inner_->length(); }
    bool flush() override { return inner_->flush(); }
    std::unique_ptr<File> duplicate() override {
        std::unique_ptr<File> copy = inner_->duplicate();
        return copy ? rewrap(std::move(copy)) : nullptr;
    }
    std::string path() const override { return inner_->path(); }
    bool isMemory() const override { return inner_->isMemory(); }

protected:
    // A wrapper of the same kind, and sharing the same state, around `copy`.
    virtual std::unique_ptr<File> rewrap(std::unique_ptr<File> copy) = 0;
    File& inner() { return *inner_; }

private:
    std::unique_ptr<File> inner_;
};

}  // namespace jf::test
