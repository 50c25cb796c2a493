#include "platform/SettingsStore.h"

#include "platform/ByteOrder.h"

namespace jf {

namespace {
char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

bool IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(lowerAscii(a[i]));
        auto cb = static_cast<unsigned char>(lowerAscii(b[i]));
        if (ca != cb) {
            return ca < cb;
        }
    }
    return a.size() < b.size();
}

namespace settings {

std::string textOf(const std::vector<std::uint8_t>& data) {
    std::string text;
    for (std::uint8_t b : data) {
        if (b == 0) {
            break;
        }
        text.push_back(static_cast<char>(b));
    }
    return text;
}

std::vector<std::uint8_t> textBytes(const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return data;
}

std::vector<std::uint8_t> dwordBytes(std::uint32_t value) {
    std::vector<std::uint8_t> bytes;
    appendLE32(bytes, value);
    return bytes;
}

bool dwordOf(const SettingsValue& v, std::uint32_t& value) {
    // Anything but a 4-byte REG_DWORD counts as absent: this program never
    // writes another form, and a shorter value has no defined mask.
    if (v.type != SettingsValueType::Dword || v.data.size() != kDwordSize) {
        return false;
    }
    value = readLE32(v.data.data());
    return true;
}

bool isText(SettingsValueType type) {
    return type == SettingsValueType::String || type == SettingsValueType::ExpandString;
}

std::string normalizeKeyPath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\') {
            if (!out.empty() && out.back() != '\\') {
                out.push_back('\\');
            }
        } else {
            out.push_back(lowerAscii(c));
        }
    }
    if (!out.empty() && out.back() == '\\') {
        out.pop_back();
    }
    return out;
}

bool sameKeyPath(const std::string& a, const std::string& b) {
    return normalizeKeyPath(a) == normalizeKeyPath(b);
}

}  // namespace settings

// ---------------------------------------------------------------------------

struct MemorySettingsStore::State {
    std::map<std::string, SettingsValues> keys;  // by normalised path
    int openHandles = 0;
    bool createFails = false;
    bool writeFails = false;
};

class MemorySettingsStore::Key final : public SettingsKey {
public:
    Key(std::shared_ptr<State> state, std::string path, bool writable)
        : state_(std::move(state)), path_(std::move(path)), writable_(writable) {
        ++state_->openHandles;
    }
    ~Key() override { --state_->openHandles; }

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
        auto it = state_->keys.find(path_);
        if (!writable_ || state_->writeFails || it == state_->keys.end()) {
            return false;
        }
        it->second[name] = SettingsValue{SettingsValueType::Dword, settings::dwordBytes(value)};
        return true;
    }

    bool writeText(const std::string& name, const std::string& text) override {
        auto it = state_->keys.find(path_);
        if (!writable_ || state_->writeFails || it == state_->keys.end()) {
            return false;
        }
        it->second[name] = SettingsValue{SettingsValueType::String, settings::textBytes(text)};
        return true;
    }

private:
    const SettingsValue* find(const std::string& name) const {
        auto it = state_->keys.find(path_);
        if (it == state_->keys.end()) {
            return nullptr;
        }
        auto v = it->second.find(name);
        return v == it->second.end() ? nullptr : &v->second;
    }

    std::shared_ptr<State> state_;
    std::string path_;
    bool writable_;
};

MemorySettingsStore::MemorySettingsStore() : state_(std::make_shared<State>()) {}
MemorySettingsStore::~MemorySettingsStore() = default;

std::unique_ptr<SettingsKey> MemorySettingsStore::openKey(const std::string& path) {
    opened_.push_back(path);
    std::string key = settings::normalizeKeyPath(path);
    if (state_->keys.find(key) == state_->keys.end()) {
        return nullptr;
    }
    return std::make_unique<Key>(state_, key, false);
}

std::unique_ptr<SettingsKey> MemorySettingsStore::createKey(const std::string& path) {
    created_.push_back(path);
    if (state_->createFails) {
        return nullptr;
    }
    std::string key = settings::normalizeKeyPath(path);
    state_->keys[key];
    return std::make_unique<Key>(state_, key, true);
}

void MemorySettingsStore::addKey(const std::string& path) {
    state_->keys[settings::normalizeKeyPath(path)];
}

void MemorySettingsStore::setText(const std::string& path, const std::string& name,
                                  const std::string& text) {
    setRaw(path, name, SettingsValueType::String, settings::textBytes(text));
}

void MemorySettingsStore::setDword(const std::string& path, const std::string& name,
                                   std::uint32_t value) {
    setRaw(path, name, SettingsValueType::Dword, settings::dwordBytes(value));
}

void MemorySettingsStore::setRaw(const std::string& path, const std::string& name,
                                 SettingsValueType type, std::vector<std::uint8_t> data) {
    state_->keys[settings::normalizeKeyPath(path)][name] = SettingsValue{type, std::move(data)};
}

void MemorySettingsStore::removeKey(const std::string& path) {
    state_->keys.erase(settings::normalizeKeyPath(path));
}

bool MemorySettingsStore::hasKey(const std::string& path) const {
    return state_->keys.count(settings::normalizeKeyPath(path)) != 0;
}

const SettingsValue* MemorySettingsStore::value(const std::string& path,
                                                const std::string& name) const {
    auto it = state_->keys.find(settings::normalizeKeyPath(path));
    if (it == state_->keys.end()) {
        return nullptr;
    }
    auto v = it->second.find(name);
    return v == it->second.end() ? nullptr : &v->second;
}

SettingsValues MemorySettingsStore::values(const std::string& path) const {
    auto it = state_->keys.find(settings::normalizeKeyPath(path));
    return it == state_->keys.end() ? SettingsValues{} : it->second;
}

int MemorySettingsStore::openHandles() const {
    return state_->openHandles;
}

void MemorySettingsStore::setCreateFails(bool fails) {
    state_->createFails = fails;
}
void MemorySettingsStore::setWriteFails(bool fails) {
    state_->writeFails = fails;
}

}  // namespace jf
