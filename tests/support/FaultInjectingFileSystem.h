#pragma once
// A FileSystem that passes every call to another one and can make chosen
// operations fail, so a test can check what a failure at each step leaves
// behind.
//
// It counts, from construction or the last resetCounts():
//   - opens:    every open() call (successful or not);
//   - writes:   every write() on a File it handed out (duplicates included);
//   - flushes:  every flush() on such a File;
//   - renames:  every replaceFile() call.
// failXAt(k) makes the k-th operation of that kind (1-based, counted as
// above) fail; 0 means never. Only that one call fails; later ones pass
// through again. A failing write first writes the first half of its bytes
// (n / 2) through the wrapped file, then reports failure; a failing flush or
// rename does nothing and reports failure; a failing open returns nullptr
// without touching the wrapped file system.
//
// Typical use: run the operation once without faults to read the counters,
// then for k = 1..count run it again with failXAt(k) and check the result.
//
// The wrapped FileSystem must outlive this object. Files handed out keep the
// counters alive on their own and may outlive this object.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace jf::test {

class FaultInjectingFileSystem final : public FileSystem {
public:
    explicit FaultInjectingFileSystem(FileSystem& inner);
    ~FaultInjectingFileSystem() override;

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    bool exists(const std::string& path) override;
    bool isReadOnly(const std::string& path) override;
    bool clearReadOnly(const std::string& path) override;
    bool setReadOnly(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    DeleteResult deleteFile(const std::string& path) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    std::vector<std::string> listArchives(const std::string& folder) override;
    std::vector<std::string> listFiles(const std::string& folder) override;
    bool syncFolder(const std::string& folder) override;
    std::string nativePath(const std::string& path) override;

    void failOpenAt(std::uint64_t k);
    void failWriteAt(std::uint64_t k);
    void failFlushAt(std::uint64_t k);
    void failRenameAt(std::uint64_t k);
    // Sets all four to 0 (no fault).
    void clearFaults();

    std::uint64_t openCount() const;
    std::uint64_t writeCount() const;
    std::uint64_t flushCount() const;
    std::uint64_t renameCount() const;
    // Sets all four counters to 0; the chosen faults stay.
    void resetCounts();

    struct Counters;

private:
    FileSystem& inner_;
    std::shared_ptr<Counters> counters_;
};

}  // namespace jf::test
