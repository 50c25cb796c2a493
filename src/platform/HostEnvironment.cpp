#include "platform/HostEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/FileSystem.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace jf {

namespace {

namespace fs = std::filesystem;

class ProcessEnvironment final : public Environment {
public:
    bool variable(const std::string& name, std::string& value) const override {
        const char* v = std::getenv(name.c_str());
        if (v == nullptr) {
            return false;
        }
        value = v;
        return true;
    }
};

#ifdef _WIN32
// A REG_SZ value of a key in the given view; "" when absent.
std::string registryText(HKEY root, const char* path, const char* name, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) {
        return {};
    }
    std::string text;
    DWORD type = 0;
    DWORD size = 0;
    constexpr DWORD kMaxPathValue = 32768;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size <= kMaxPathValue) {
        std::string buffer(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                             &size) == ERROR_SUCCESS) {
            buffer.resize(size < buffer.size() ? size : buffer.size());
            text = buffer.substr(0, buffer.find('\0'));
        }
    }
    RegCloseKey(key);
    return text;
}
#endif

}  // namespace

const Environment& systemEnvironment() {
    static ProcessEnvironment environment;
    return environment;
}

bool MapEnvironment::variable(const std::string& name, std::string& value) const {
    auto it = variables_.find(name);
    if (it == variables_.end()) {
        return false;
    }
    value = it->second;
    return true;
}

std::string homeFolder(const Environment& env) {
    std::string home;
#ifdef _WIN32
    env.variable("USERPROFILE", home);
#else
    env.variable("HOME", home);
#endif
    return home;
}

LegacySearchPlaces legacySearchPlaces(const Environment& env) {
    LegacySearchPlaces places;
#ifdef _WIN32
    (void)env;
    std::string steam = registryText(HKEY_CURRENT_USER, "Software\\Valve\\Steam", "SteamPath", 0);
    if (!steam.empty()) {
        places.steamRoots.push_back(steam);
    }
    steam =
        registryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Valve\\Steam", "InstallPath", KEY_WOW64_32KEY);
    if (!steam.empty()) {
        places.steamRoots.push_back(steam);
    }
    places.gameFolders.push_back("C:\\Program Files\\EA Games\\The Sims Legacy");
#else
    std::string home = homeFolder(env);
    std::string dataHome;
    if (env.variable("XDG_DATA_HOME", dataHome) && !dataHome.empty() && dataHome[0] == '/') {
        places.steamRoots.push_back(hostfs::join(dataHome, "Steam"));
    }
    if (!home.empty()) {
        places.steamRoots.push_back(hostfs::join(home, ".steam/steam"));
        places.steamRoots.push_back(hostfs::join(home, ".local/share/Steam"));
        places.steamRoots.push_back(
            hostfs::join(home, ".var/app/com.valvesoftware.Steam/.local/share/Steam"));
    }
#endif
    return places;
}

namespace hostfs {

char separator() {
    return static_cast<char>(fs::path::preferred_separator);
}

std::string join(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    char last = folder.back();
    if (last == '/' || last == separator()) {
        return folder + name;
    }
    return folder + separator() + name;
}

std::string findEntry(const std::string& folder, const std::string& name) {
    std::error_code ec;
    std::string exact = join(folder, name);
    if (fs::exists(fs::path(exact), ec)) {
        return exact;
    }
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec) {
        return {};
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            return {};
        }
        std::string entry = it->path().filename().string();
        if (paths::equalsIgnoreCase(entry, name)) {
            return join(folder, entry);
        }
    }
    return {};
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(fs::path(path), ec);
}

bool readFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    std::error_code ec;
    fs::path p(path);
    if (path.empty() || !fs::is_regular_file(p, ec)) {
        return false;
    }
    std::uintmax_t size = fs::file_size(p, ec);
    if (ec || size > maxBytes) {
        return false;
    }
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) {
        bytes.clear();
        return false;
    }
    return true;
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::canonical(fs::path(path), ec);
    return ec ? path : p.string();
}

}  // namespace hostfs

}  // namespace jf
