#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace jf::test {

// What a run of the command-line tool gave back.
struct CliResult {
    int exitCode = -1;  // -1 when the program could not start or did not exit
    std::string out;    // standard output, byte for byte
    std::string err;    // standard error, byte for byte
};

// The words given to a program, each passed on as it is: no shell sees them.
using ProgramArguments = std::vector<std::string>;
// "NAME=VALUE" entries.
using ProgramEnvironment = std::vector<std::string>;

// Starts `program` with `arguments` and waits for it, capturing both
// output streams. With `environment` the program gets exactly those
// variables; without, this process's own. Standard input is empty.
CliResult runProgram(const std::filesystem::path& program, const ProgramArguments& arguments,
                     const std::optional<ProgramEnvironment>& environment = std::nullopt);

// A path as one argument word.
inline std::string pathWord(const std::filesystem::path& path) {
    return path.string();
}

#ifdef JF_CLI_PATH
// The same for the command-line tool built with the tests.
inline CliResult runCli(const ProgramArguments& arguments,
                        const std::optional<ProgramEnvironment>& environment = std::nullopt) {
    return runProgram(JF_CLI_PATH, arguments, environment);
}
#endif

// Writes `bytes` as the whole file, creating its folders.
void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

}  // namespace jf::test
