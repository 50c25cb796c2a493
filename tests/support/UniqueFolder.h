#pragma once

#include <filesystem>
#include <string>

namespace jf::test {

// Creates a new, empty folder "<prefix>-<random>" under the system's
// temporary folder, on POSIX and Windows alike, and returns its path; an
// empty path when none could be created.
std::filesystem::path makeUniqueTempFolder(const std::string& prefix);

}  // namespace jf::test
