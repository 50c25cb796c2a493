#include "support/CliRunner.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace jf::test {

namespace {
constexpr std::size_t kReadChunk = 65536;
}

std::string shellQuoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

CliResult runShellCommand(const std::string& command, const std::filesystem::path& errFile) {
    CliResult result;
    const std::string line =
        command + " 2>" + (errFile.empty() ? std::string("/dev/null") : shellQuoted(errFile));
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::vector<char> buffer(kReadChunk);
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.out.append(buffer.data(), n);
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!errFile.empty()) {
        const std::vector<std::uint8_t> err = readFileBytes(errFile);
        result.err.assign(err.begin(), err.end());
    }
    return result;
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

}  // namespace jf::test
