// FAR archives: read the directory, look entries up by name, load and
// extract them. What loads must be exactly the archive's bytes at the
// entry's offset, and an entry that does not lie inside the archive must not
// load.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "iff/FarArchive.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace far_target {

constexpr const char* kTarget = "far";
// The program loads one entry per directory read; a few per read keep the
// target's own memory near the archive's size.
constexpr std::size_t kEntriesLoadedPerRead = 4;
constexpr std::size_t kEntriesChecked = 32;

}  // namespace far_target

int runFar(const std::uint8_t* data, std::size_t size) {
    using namespace far_target;
    MemoryFile file(Bytes(data, data + size));
    FarArchive archive;
    if (!archive.readDirectory(file)) {
        return 0;
    }
    const std::vector<FarEntry> entries = archive.entries();
    check(archive.directoryOffset() <= size, kTarget, "directory offset beyond the archive");
    for (const FarEntry& entry : entries) {
        check(entry.name.size() == entry.nameLength, kTarget, "name length differs from the name");
        check(entry.nameLength <= size, kTarget, "a name longer than the archive");
    }

    const std::size_t checked = std::min(entries.size(), kEntriesChecked);
    for (std::size_t i = 0; i < checked; ++i) {
        if (i > 0 && i % kEntriesLoadedPerRead == 0) {
            // A fresh read drops the cached bytes and must give the same directory.
            check(archive.readDirectory(file), kTarget, "a second read of the directory failed");
            check(archive.entries().size() == entries.size(), kTarget,
                  "a second read gives another directory");
        }
        const FarEntry& entry = entries[i];
        const long found = archive.findEntry(entry.name);
        check(found >= 0 && static_cast<std::size_t>(found) <= i, kTarget,
              "findEntry misses an entry's own name");
        check(archive.entries()[static_cast<std::size_t>(found)].name.size() == entry.name.size(),
              kTarget, "findEntry returns an entry of another name length");

        const std::uint64_t end = std::uint64_t(entry.dataOffset) + entry.dataLength;
        const bool inside = end <= size;
        const bool loaded = archive.loadEntry(i);
        check(loaded == inside, kTarget,
              loaded ? "an entry outside the archive loaded" : "an entry inside failed to load");
        if (!loaded) {
            check(archive.entryBytes(i) == nullptr, kTarget, "bytes of an entry that did not load");
            continue;
        }
        const std::vector<std::uint8_t>* bytes = archive.entryBytes(i);
        check(bytes != nullptr && bytes->size() == entry.dataLength &&
                  std::equal(bytes->begin(), bytes->end(), data + entry.dataOffset),
              kTarget, "loaded bytes differ from the archive's");
        MemoryFile out;
        check(archive.extractEntry(i, out), kTarget, "extracting a loaded entry failed");
        check(out.contents() == *bytes, kTarget, "extracted bytes differ from the loaded ones");
    }
    archive.release();
    check(archive.entries().empty() && !archive.loadEntry(0), kTarget,
          "release() left entries behind");
    return 0;
}

}  // namespace jf::fuzz
