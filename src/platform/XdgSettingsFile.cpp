#include "platform/XdgSettingsFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/WineRegistry.h"

#ifdef _WIN32
#include <windows.h>

#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace jf {

namespace {

std::string parentOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

#ifndef _WIN32
constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kPrivateFileMode = 0600;

// Creates a folder and its missing parents with owner-only rights.
bool makeFolders(const std::string& folder) {
    if (folder.empty()) {
        return true;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    if (!makeFolders(parentOf(folder))) {
        return false;
    }
    return ::mkdir(folder.c_str(), kPrivateFolderMode) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}
#endif

}  // namespace

bool writeNativeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string folder = parentOf(path);
#ifdef _WIN32
    std::error_code ec;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
    }
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
            out.close();
            DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
#else
    if (!makeFolders(folder)) {
        return false;
    }
    std::string pattern = path + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, kPrivateFileMode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(pattern.c_str(), path.c_str()) != 0) {
        ::unlink(pattern.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
#endif
}

bool XdgSettingsFile::load() {
    keys_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(path_), ec) && !ec) {
        return true;
    }
    std::string text;
    if (!hostfs::readFile(path_, kMaxSettingsFileSize, text)) {
        return false;
    }
    for (auto& [keyPath, values] : wine::readAllKeys(text)) {
        auto& entry = keys_[settings::normalizeKeyPath(keyPath)];
        if (entry.first.empty()) {
            entry.first = keyPath;
        }
        for (auto& [name, value] : values) {
            entry.second[name] = std::move(value);
        }
    }
    return true;
}

bool XdgSettingsFile::save() const {
    return writeNativeFileAtomically(path_, format());
}

std::string XdgSettingsFile::format() const {
    std::string text = std::string(kSettingsFileHeader) + "\n";
    for (const auto& [normalized, entry] : keys_) {
        text += '\n';
        text += wine::formatKey(entry.first, entry.second);
    }
    return text;
}

bool XdgSettingsFile::hasKey(const std::string& keyPath) const {
    return keys_.count(settings::normalizeKeyPath(keyPath)) != 0;
}

const SettingsValues* XdgSettingsFile::key(const std::string& keyPath) const {
    auto it = keys_.find(settings::normalizeKeyPath(keyPath));
    return it == keys_.end() ? nullptr : &it->second.second;
}

void XdgSettingsFile::addKey(const std::string& keyPath) {
    auto& entry = keys_[settings::normalizeKeyPath(keyPath)];
    if (entry.first.empty()) {
        entry.first = keyPath;
    }
}

void XdgSettingsFile::setValue(const std::string& keyPath, const std::string& name,
                               SettingsValue value) {
    addKey(keyPath);
    keys_[settings::normalizeKeyPath(keyPath)].second[name] = std::move(value);
}

std::string defaultSettingsFilePath(const Environment& env) {
    std::string base;
    if (!env.variable("XDG_CONFIG_HOME", base) || base.empty() ||
        !(base[0] == '/' || base[0] == '\\' || (base.size() > 1 && base[1] == ':'))) {
        // The XDG rules ignore a relative XDG_CONFIG_HOME.
        std::string home = homeFolder(env);
        if (home.empty()) {
            return {};
        }
        base = hostfs::join(home, ".config");
    }
    return hostfs::join(hostfs::join(base, kSettingsFolderName), kSettingsFileName);
}

}  // namespace jf
