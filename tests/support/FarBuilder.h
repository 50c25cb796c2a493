#pragma once
// Builds FAR archives in memory for tests.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace jf {

// One archive entry: its name (folders separated by backslashes) and bytes.
using FarBuilderEntry = std::pair<std::string, std::vector<std::uint8_t>>;

// The bytes of a FAR archive ("FAR!byAZ", version 1) holding `entries` in
// order: the header, then the entries' bytes one after another, then the
// directory. Each directory entry stores dataLength twice (the first copy is
// the size value readers ignore), the data offset and the name length, 4 bytes
// wide, or 2 bytes wide when `shortNameLengths` is set. Readers recognise
// 2-byte lengths from the first entry's name, so such an archive needs a first
// name whose first two bytes are not both NUL.
std::vector<std::uint8_t> buildFarArchive(const std::vector<FarBuilderEntry>& entries,
                                          bool shortNameLengths = false);

}  // namespace jf
