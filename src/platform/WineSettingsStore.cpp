#include "platform/WineSettingsStore.h"

#include <optional>

#include "platform/PosixFileSystem.h"
#include "platform/WineRegistry.h"
#include "platform/XdgSettingsFile.h"

namespace jf {

namespace {

constexpr char kSoftwarePrefix[] = "software\\";
constexpr char kWow64Node[] = "Wow6432Node\\";

class SnapshotKey final : public SettingsKey {
public:
    explicit SnapshotKey(SettingsValues values) : values_(std::move(values)) {}

    bool readText(const std::string& name, std::string& text) override {
        auto it = values_.find(name);
        if (it == values_.end() || !settings::isText(it->second.type)) {
            return false;
        }
        text = settings::textOf(it->second.data);
        return true;
    }

    bool readDword(const std::string& name, std::uint32_t& value) override {
        auto it = values_.find(name);
        return it != values_.end() && settings::dwordOf(it->second, value);
    }

    bool writeDword(const std::string&, std::uint32_t) override { return false; }
    bool writeText(const std::string&, const std::string&) override { return false; }

private:
    SettingsValues values_;
};

class FileKey final : public SettingsKey {
public:
    FileKey(std::string file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}

    bool readText(const std::string& name, std::string& text) override {
        const SettingsValue* v = find(name);
        if (v == nullptr || !settings::isText(v->type)) {
            return false;
        }
        text = settings::textOf(v->data);
        return true;
    }

    bool readDword(const std::string& name, std::uint32_t& value) override {
        const SettingsValue* v = find(name);
        return v != nullptr && settings::dwordOf(*v, value);
    }

    bool writeDword(const std::string& name, std::uint32_t value) override {
        return write(name, SettingsValue{SettingsValueType::Dword, settings::dwordBytes(value)});
    }

    bool writeText(const std::string& name, const std::string& text) override {
        return write(name, SettingsValue{SettingsValueType::String, settings::textBytes(text)});
    }

private:
    bool write(const std::string& name, SettingsValue value) {
        // Re-read first so that keys written by another run are kept.
        XdgSettingsFile file(file_);
        if (!file.load()) {
            return false;  // never overwrite a file we could not read
        }
        file.setValue(path_, name, std::move(value));
        if (!file.save()) {
            return false;
        }
        cache_ = std::move(file);
        return true;
    }

    const SettingsValue* find(const std::string& name) {
        if (!cache_) {
            cache_.emplace(file_);
            cache_->load();
        }
        const SettingsValues* values = cache_->key(path_);
        if (values == nullptr) {
            return nullptr;
        }
        auto it = values->find(name);
        return it == values->end() ? nullptr : &it->second;
    }

    std::string file_;
    std::string path_;
    std::optional<XdgSettingsFile> cache_;
};

}  // namespace

WineSettingsStore::WineSettingsStore(std::string prefix, std::string settingsFile)
    : prefix_(std::move(prefix)), settingsFile_(std::move(settingsFile)) {}

std::unique_ptr<SettingsKey> WineSettingsStore::openKey(const std::string& path) {
    if (!settingsFile_.empty()) {
        XdgSettingsFile file(settingsFile_);
        if (file.load()) {
            if (const SettingsValues* values = file.key(path)) {
                return std::make_unique<SnapshotKey>(*values);
            }
        }
    }
    if (prefix_.empty()) {
        return nullptr;
    }
    std::string text;
    if (!hostfs::readFile(hostfs::findEntry(prefix_, kWineSystemRegistryName), kMaxRegistryFileSize,
                          text)) {
        return nullptr;
    }
    std::string normalized = settings::normalizeKeyPath(path);
    std::string prefixText = kSoftwarePrefix;
    SettingsValues values;
    if (normalized.compare(0, prefixText.size(), prefixText) == 0) {
        std::string wow =
            "Software\\" + std::string(kWow64Node) + normalized.substr(prefixText.size());
        if (wine::readKey(text, wow, values)) {
            return std::make_unique<SnapshotKey>(std::move(values));
        }
    }
    if (wine::readKey(text, path, values)) {
        return std::make_unique<SnapshotKey>(std::move(values));
    }
    return nullptr;
}

std::unique_ptr<SettingsKey> WineSettingsStore::createKey(const std::string& path) {
    if (settingsFile_.empty()) {
        return nullptr;
    }
    XdgSettingsFile file(settingsFile_);
    if (!file.load()) {
        return nullptr;  // never overwrite a file we could not read
    }
    if (!file.hasKey(path)) {
        file.addKey(path);
        if (!file.save()) {
            return nullptr;
        }
    }
    return std::make_unique<FileKey>(settingsFile_, path);
}

std::string WineSettingsStore::toNativeFolder(const std::string& folder) const {
    if (prefix_.empty()) {
        return folder;
    }
    const std::string mapped = wine::nativePath(prefix_, folder);
#ifndef _WIN32
    if (mapped != folder) {
        const std::string native = PosixFileSystem::resolvePath(mapped);
        if (!native.empty()) {
            return native.back() == '/' ? native : native + '/';
        }
    }
#endif
    return mapped;
}

std::string defaultWinePrefix(const Environment& env) {
    std::string prefix;
    if (env.variable("WINEPREFIX", prefix) && !prefix.empty()) {
        return prefix;
    }
    std::string home = homeFolder(env);
    return home.empty() ? std::string() : hostfs::join(home, ".wine");
}

std::unique_ptr<SettingsStore> createWineSettingsStore(const Environment& env) {
    return std::make_unique<WineSettingsStore>(defaultWinePrefix(env),
                                               defaultSettingsFilePath(env));
}

#ifndef _WIN32
std::unique_ptr<SettingsStore> createSystemSettingsStore() {
    return createWineSettingsStore(systemEnvironment());
}
#endif

}  // namespace jf
