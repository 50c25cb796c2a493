// The settings store on Windows: the registry.
//
// The game's key is read under HKEY_LOCAL_MACHINE through the 32-bit view
// (KEY_WOW64_32KEY), where the game's 32-bit installer wrote it; a 64-bit
// build thus finds it under Wow6432Node. The native view is tried next.
//
// This program's keys ("Software\Quillmark\...") are read from
// HKEY_CURRENT_USER first and then from HKEY_LOCAL_MACHINE (32-bit view, as
// the predecessor wrote them). They are written under HKEY_LOCAL_MACHINE;
// where that is refused, as it is for an ordinary user, the same key path
// under HKEY_CURRENT_USER is written instead, so the setting is not lost.
#ifdef _WIN32

#include <windows.h>

#include <vector>

#include "platform/SettingsStore.h"

namespace jf {

namespace {

// Larger values are not read (no allocation sized by a stranger's data).
constexpr DWORD kMaxValueSize = 1u << 20;
constexpr char kOwnKeysPrefix[] = "software\\quillmark\\";

bool isOwnKeyPath(const std::string& path) {
    std::string normalized = settings::normalizeKeyPath(path);
    std::string prefix = kOwnKeysPrefix;
    return normalized.compare(0, prefix.size(), prefix) == 0;
}

HKEY createUserKey(const std::string& path) {
    HKEY key = nullptr;
    char emptyClass[] = "";
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, emptyClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

class RegistryKey final : public SettingsKey {
public:
    // `machineWritable`: a key created under HKEY_LOCAL_MACHINE, whose writes
    // fall back to HKEY_CURRENT_USER when refused.
    RegistryKey(HKEY key, std::string path, bool writable, bool machineWritable)
        : key_(key),
          path_(std::move(path)),
          writable_(writable),
          machineWritable_(machineWritable) {}
    ~RegistryKey() override {
        RegCloseKey(key_);
        if (userKey_ != nullptr) {
            RegCloseKey(userKey_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool readText(const std::string& name, std::string& text) override {
        SettingsValue v;
        if (!readRaw(name, v) || !settings::isText(v.type)) {
            return false;
        }
        text = settings::textOf(v.data);
        return true;
    }

    bool readDword(const std::string& name, std::uint32_t& value) override {
        SettingsValue v;
        return readRaw(name, v) && settings::dwordOf(v, value);
    }

    bool writeDword(const std::string& name, std::uint32_t value) override {
        return write(name, REG_DWORD, settings::dwordBytes(value));
    }

    // Texts travel in the same (ANSI) form readText reads them in.
    bool writeText(const std::string& name, const std::string& text) override {
        return write(name, REG_SZ, settings::textBytes(text));
    }

private:
    bool write(const std::string& name, DWORD type, const std::vector<std::uint8_t>& bytes) {
        if (!writable_ || bytes.size() > kMaxValueSize) {
            return false;
        }
        LONG result = RegSetValueExA(key_, name.c_str(), 0, type, bytes.data(),
                                     static_cast<DWORD>(bytes.size()));
        if (result == ERROR_SUCCESS) {
            return true;
        }
        if (!machineWritable_ || result != ERROR_ACCESS_DENIED) {
            return false;
        }
        if (userKey_ == nullptr) {
            userKey_ = createUserKey(path_);
            if (userKey_ == nullptr) {
                return false;
            }
        }
        return RegSetValueExA(userKey_, name.c_str(), 0, type, bytes.data(),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }

    // Asks for the size, then reads exactly that many bytes.
    bool readRaw(const std::string& name, SettingsValue& value) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            size > kMaxValueSize) {
            return false;
        }
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size) + 1, 0);
        DWORD got = size;
        if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, buffer.data(), &got) !=
            ERROR_SUCCESS) {
            return false;  // also when the value grew in between
        }
        buffer.resize(got < size ? got : size);
        value.type = static_cast<SettingsValueType>(type);
        value.data = std::move(buffer);
        return true;
    }

    HKEY key_;
    HKEY userKey_ = nullptr;
    std::string path_;
    bool writable_;
    bool machineWritable_;
};

class WindowsRegistryStore final : public SettingsStore {
public:
    std::unique_ptr<SettingsKey> openKey(const std::string& path) override {
        HKEY key = nullptr;
        if (isOwnKeyPath(path)) {
            if (open(HKEY_CURRENT_USER, path, 0, key) ||
                open(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, key)) {
                return std::make_unique<RegistryKey>(key, path, false, false);
            }
            return nullptr;
        }
        if (open(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, key) ||
            open(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, key)) {
            return std::make_unique<RegistryKey>(key, path, false, false);
        }
        return nullptr;
    }

    std::unique_ptr<SettingsKey> createKey(const std::string& path) override {
        HKEY key = nullptr;
        char emptyClass[] = "";
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, emptyClass,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr,
                            &key, &disposition) == ERROR_SUCCESS) {
            return std::make_unique<RegistryKey>(key, path, true, true);
        }
        key = createUserKey(path);
        if (key == nullptr) {
            return nullptr;
        }
        return std::make_unique<RegistryKey>(key, path, true, false);
    }

private:
    static bool open(HKEY root, const std::string& path, REGSAM view, HKEY& key) {
        return RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<SettingsStore> createSystemSettingsStore() {
    return std::make_unique<WindowsRegistryStore>();
}

}  // namespace jf

#endif  // _WIN32
