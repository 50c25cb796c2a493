#pragma once
// Shared pieces of the fuzz targets: the property check that ends the run on
// a violation, a file system that holds nothing, and helpers that put fuzzed
// bytes into chunk objects and containers.
//
// Every target is a function `int run<Name>(const std::uint8_t*, std::size_t)`
// declared below. A libFuzzer binary wraps one of them (FuzzMain.cpp); the
// replay test runs all of them over the committed corpora with the normal
// test build, so the same checks guard every test run.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "iff/ChunkObject.h"
#include "iff/IffFile.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Reports a violated property: prints "property violated: <what>" and
// aborts, so that libFuzzer stops on it like on a crash. The replay test
// installs a handler that throws instead, to name the input; a handler that
// returns still ends in abort().
[[noreturn]] void violation(const char* target, const std::string& what);
using ViolationHandler = void (*)(const char* target, const std::string& what);
void setViolationHandler(ViolationHandler handler);

inline void check(bool condition, const char* target, const std::string& what) {
    if (!condition) {
        violation(target, what);
    }
}

// A FileSystem on which every operation fails: the targets work in memory.
class NullFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string&, OpenMode) override { return nullptr; }
    bool exists(const std::string&) override { return false; }
    bool isReadOnly(const std::string&) override { return false; }
    bool clearReadOnly(const std::string&) override { return true; }
    bool setReadOnly(const std::string&) override { return false; }
    bool createFolder(const std::string&) override { return false; }
    DeleteResult deleteFile(const std::string&) override { return DeleteResult::Failed; }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> listArchives(const std::string&) override { return {}; }
    std::vector<std::string> listFiles(const std::string&) override { return {}; }
    bool syncFolder(const std::string&) override { return false; }
    std::string nativePath(const std::string& path) override { return path; }
};

// Gives `object` an own chunk holding `body` with the byte order flag set
// (little-endian) or clear (big-endian), and decodes it. Returns decode().
bool decodeBody(ChunkObject& object, const std::uint8_t* body, std::size_t size, bool littleEndian);

// The encoded bare body of `object`; false when encoding fails.
bool encodeBody(ChunkObject& object, Bytes& body);

// Opens `bytes` as an in-memory container of `table`, parses it and attaches
// `view` to it (the view does not own it). False, with nothing left open,
// when opening or parsing fails.
bool openContainer(IffFileTable& table, IffView& view, const std::uint8_t* bytes, std::size_t size,
                   const std::string& name = "fuzz.iff");

// The bytes of an in-memory container's backing file.
Bytes backingBytes(IffView& view);

// The fuzz targets.
int runIff(const std::uint8_t* data, std::size_t size);
int runFar(const std::uint8_t* data, std::size_t size);
int runStr(const std::uint8_t* data, std::size_t size);
int runCarr(const std::uint8_t* data, std::size_t size);
int runBhav(const std::uint8_t* data, std::size_t size);
int runBcon(const std::uint8_t* data, std::size_t size);
int runCards(const std::uint8_t* data, std::size_t size);
int runBmp(const std::uint8_t* data, std::size_t size);
// Career > Import of an exchange file (.car, .cbk).
int runCar(const std::uint8_t* data, std::size_t size);
int runCbk(const std::uint8_t* data, std::size_t size);
// A .car file of track position 1 and a .cbk file of every track, written
// by Career > Export and Career > Backup from the exchange targets' installation.
bool makeExchangeSeeds(Bytes& car, Bytes& cbk);

}  // namespace jf::fuzz
