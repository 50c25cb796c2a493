#pragma once
// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes away.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/UniqueFolder.h"

namespace jf::test {

class TempFolder {
public:
    TempFolder() {
        path_ = makeUniqueTempFolder("jf3-platform").string();
        EXPECT_FALSE(path_.empty());
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) {
            // Read-only files inside do not stop removal (the folder is writable).
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Native path without a trailing slash.
    const std::string& path() const { return path_; }
    // The folder as a core folder string: native absolute path + backslash.
    std::string coreFolder() const { return path_ + "\\"; }
    std::string native(const std::string& relative) const { return path_ + "/" + relative; }

    void write(const std::string& relative, const std::string& bytes) const {
        std::filesystem::path full = native(relative);
        std::filesystem::create_directories(full.parent_path());
        std::ofstream out(full, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(native(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool has(const std::string& relative) const {
        return std::filesystem::exists(native(relative));
    }
    // Names of the entries directly inside a folder, sorted.
    std::vector<std::string> entries(const std::string& relative = "") const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(
                 std::filesystem::path(relative.empty() ? path_ : native(relative)))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

}  // namespace jf::test
