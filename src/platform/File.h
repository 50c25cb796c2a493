#pragma once
// The file abstraction every part of the core reads and writes through.
//
// A File is an open handle with a cursor. Disk files come from a FileSystem
// (PosixFileSystem, WindowsFileSystem, or a test fake); MemoryFile is the
// growable in-memory file. No operation throws: failures are results.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace jf {

class File {
public:
    virtual ~File() = default;

    // Moves the cursor to an absolute position. Positions past the end are
    // allowed (as with lseek); a later write fills the gap with zeros.
    // Returns false when the position cannot be set.
    virtual bool seek(std::uint64_t position) = 0;
    virtual std::uint64_t tell() const = 0;

    // Reads up to n bytes at the cursor and advances it by the count read.
    // Returns the count read (0 at the end of the file), or -1 on an I/O error
    // (the cursor is then unspecified).
    virtual std::int64_t read(void* buffer, std::size_t n) = 0;

    // Writes all n bytes at the cursor and advances it. Returns false on any
    // failure; part of the bytes may then have been written.
    virtual bool write(const void* buffer, std::size_t n) = 0;

    // Sets the length; the cursor is left where it was.
    virtual bool truncate(std::uint64_t length) = 0;

    // Current length in bytes, or -1 when it cannot be determined.
    virtual std::int64_t length() const = 0;

    // Pushes written bytes down to the storage device (fsync). In-memory
    // files succeed at once.
    virtual bool flush() = 0;

    // A second handle on the same open file, sharing its lock and contents
    // but with a cursor of its own (starting where this one stands).
    // nullptr on failure.
    virtual std::unique_ptr<File> duplicate() = 0;

    // The native path this file was opened under ("" for in-memory files).
    virtual std::string path() const = 0;

    virtual bool isMemory() const { return false; }

    // Convenience: reads exactly n bytes; false on a short read or error.
    bool readExact(void* buffer, std::size_t n) {
        std::int64_t got = read(buffer, n);
        return got >= 0 && static_cast<std::size_t>(got) == n;
    }
};

// A growable file held in memory. Its buffer grows in steps of 1024 bytes.
// Duplicates share the contents (as two handles on one disk file would).
class MemoryFile final : public File {
public:
    static constexpr std::size_t kGrowthStep = 1024;

    MemoryFile();
    explicit MemoryFile(std::vector<std::uint8_t> contents);

    bool seek(std::uint64_t position) override;
    std::uint64_t tell() const override { return position_; }
    std::int64_t read(void* buffer, std::size_t n) override;
    bool write(const void* buffer, std::size_t n) override;
    bool truncate(std::uint64_t length) override;
    std::int64_t length() const override;
    bool flush() override { return true; }
    std::unique_ptr<File> duplicate() override;
    std::string path() const override { return {}; }
    bool isMemory() const override { return true; }

    // The bytes of the file (length() of them).
    std::vector<std::uint8_t> contents() const;
    const std::uint8_t* data() const;
    // Bytes reserved so far: always a multiple of kGrowthStep.
    std::size_t capacity() const;

private:
    struct Storage {
        std::vector<std::uint8_t> bytes;  // size() is the capacity
        std::size_t length = 0;
    };
    explicit MemoryFile(std::shared_ptr<Storage> storage, std::uint64_t position);
    bool reserve(std::uint64_t needed);

    std::shared_ptr<Storage> storage_;
    std::uint64_t position_ = 0;
};

}  // namespace jf
