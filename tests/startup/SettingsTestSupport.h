#pragma once
// Temporary folders and files for the start-up tests.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/CliRunner.h"
#include "support/UniqueFolder.h"

namespace jf::test {

class ScratchFolder {
public:
    ScratchFolder() {
        path_ = makeUniqueTempFolder("jf3-startup").string();
        EXPECT_FALSE(path_.empty());
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

    // Creates the folder and its parents.
    std::string folder(const std::string& relative) const {
        std::string p = *this / relative;
        std::filesystem::create_directories(p);
        return p;
    }

    // Writes a file (creating its folder).
    std::string file(const std::string& relative, const std::string& bytes) const {
        std::string p = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return p;
    }

private:
    std::string path_;
};

// The environment of a command-line run on a scratch folder: its own home,
// Wine prefix ("prefix") and settings folder, none of the user's.
inline ProgramEnvironment scratchEnvironment(const ScratchFolder& scratch) {
    scratch.folder("home");
    return {"HOME=" + pathWord(scratch / "home"), "WINEPREFIX=" + pathWord(scratch / "prefix"),
            "XDG_CONFIG_HOME=" + pathWord(scratch / "config")};
}

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace jf::test
