#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace jf::test {

// What a run of the command-line tool gave back.
struct CliResult {
    int exitCode = -1;  // -1 when the command could not run or did not exit
    std::string out;
    std::string err;
};

// `path` in single quotes, for a shell command line.
std::string shellQuoted(const std::filesystem::path& path);

// Runs `command` (already quoted for the shell) and waits for it. Standard
// output is captured; standard error goes to `errFile` and is read back into
// `err` (an empty path discards it).
CliResult runShellCommand(const std::string& command, const std::filesystem::path& errFile);

// Writes `bytes` as the whole file, creating its folders.
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

}  // namespace jf::test
