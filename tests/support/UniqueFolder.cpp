#include "support/UniqueFolder.h"

#include <random>

namespace jf::test {

namespace {
constexpr int kAttempts = 100;
constexpr int kSuffixLength = 8;
constexpr char kSuffixCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
}  // namespace

std::filesystem::path makeUniqueTempFolder(const std::string& prefix) {
    std::error_code error;
    const std::filesystem::path root = std::filesystem::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kSuffixCharacters - 2);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string name = prefix + "-";
        for (int i = 0; i < kSuffixLength; ++i) {
            name += kSuffixCharacters[pick(random)];
        }
        const std::filesystem::path folder = root / name;
        // create_directory is false for a folder that exists: someone else's.
        if (std::filesystem::create_directory(folder, error) && !error) {
            return folder;
        }
    }
    return {};
}

}  // namespace jf::test
