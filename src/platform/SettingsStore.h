#pragma once
// The small settings interface that installation discovery is written against.
//
// A settings store holds keys addressed by backslash-separated paths
// ("Software\Maxis\The Sims"), each holding named values of a registry type.
// Key paths and value names compare ignoring ASCII letter case, as in the
// Windows registry. Three stores stand behind the interface: the Windows
// registry (WindowsRegistryStore.cpp), a Wine prefix plus a settings file of
// our own on POSIX (WineSettingsStore.h), and MemorySettingsStore for tests.
//
// No operation throws. A key is closed when its handle is destroyed.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace jf {

// Registry value types, numbered as in the Windows registry.
enum class SettingsValueType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD (4 bytes, little-endian)
    MultiString = 7,   // REG_MULTI_SZ
};

// Bytes in a REG_DWORD value.
inline constexpr std::size_t kDwordSize = 4;

// An open key. Destroying it closes it.
class SettingsKey {
public:
    virtual ~SettingsKey() = default;

    // Reads a text value: the value's bytes up to the first zero byte (or
    // their end). Only text types (String, ExpandString) are read; any other
    // type, an absent value or a failed read returns false and leaves `text`
    // unchanged.
    virtual bool readText(const std::string& name, std::string& text) = 0;

    // Reads a 32-bit value. Only a REG_DWORD of exactly four bytes is read
    // (the only form this program ever writes); any other type or size, an
    // absent value or a failed read returns false and leaves `value` unchanged.
    virtual bool readDword(const std::string& name, std::uint32_t& value) = 0;

    // Writes a REG_DWORD of four bytes. Only keys obtained from createKey are
    // writable; false on failure (nothing is then changed).
    virtual bool writeDword(const std::string& name, std::uint32_t value) = 0;

    // Writes a REG_SZ: the text's bytes and a terminating zero byte (readText
    // gives the text back). Writable keys and failures as for writeDword.
    virtual bool writeText(const std::string& name, const std::string& text) = 0;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Opens an existing key for reading (query rights only). nullptr when the
    // key does not exist or cannot be opened.
    virtual std::unique_ptr<SettingsKey> openKey(const std::string& path) = 0;

    // Creates the key for writing, or opens it when it exists (non-volatile,
    // full access). The key exists in the store once this succeeds, even if
    // nothing is written into it. nullptr on failure.
    virtual std::unique_ptr<SettingsKey> createKey(const std::string& path) = 0;

    // Turns the game's data folder as stored in the game's key into a folder
    // the file layer can open. The registry stores already hold such paths,
    // so the default returns `folder` unchanged; the Wine store maps the
    // drive letter through the prefix's drive links.
    virtual std::string toNativeFolder(const std::string& folder) const { return folder; }
};

// The settings store of the machine this program runs on: the registry on
// Windows, the Wine prefix (WINEPREFIX, else ~/.wine) with a settings file in
// the user's configuration folder elsewhere. Never nullptr.
std::unique_ptr<SettingsStore> createSystemSettingsStore();

// One stored value.
struct SettingsValue {
    SettingsValueType type = SettingsValueType::None;
    std::vector<std::uint8_t> data;
};

// The settings of one key: value name -> value, names compared ignoring case.
struct IgnoreCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using SettingsValues = std::map<std::string, SettingsValue, IgnoreCaseLess>;

// A store held in memory, for tests and tools. Besides the interface it lets
// a test preset keys and values, make creating or writing fail, and inspect
// what was opened and written.
class MemorySettingsStore final : public SettingsStore {
public:
    MemorySettingsStore();
    ~MemorySettingsStore() override;

    std::unique_ptr<SettingsKey> openKey(const std::string& path) override;
    std::unique_ptr<SettingsKey> createKey(const std::string& path) override;

    // Presetting. Each creates the key when it is missing.
    void addKey(const std::string& path);
    // A REG_SZ holding `text` and a terminating zero byte.
    void setText(const std::string& path, const std::string& name, const std::string& text);
    void setDword(const std::string& path, const std::string& name, std::uint32_t value);
    void setRaw(const std::string& path, const std::string& name, SettingsValueType type,
                std::vector<std::uint8_t> data);
    void removeKey(const std::string& path);

    // Inspection.
    bool hasKey(const std::string& path) const;
    // The value, or nullptr when the key or the value is absent.
    const SettingsValue* value(const std::string& path, const std::string& name) const;
    // Every value of a key (empty when the key is absent).
    SettingsValues values(const std::string& path) const;
    // Paths passed to openKey / createKey, in call order (successful or not).
    const std::vector<std::string>& openedPaths() const { return opened_; }
    const std::vector<std::string>& createdPaths() const { return created_; }
    // Keys currently open (handles not yet destroyed).
    int openHandles() const;

    // Failure injection.
    void setCreateFails(bool fails);
    void setWriteFails(bool fails);

private:
    class Key;
    struct State;
    std::shared_ptr<State> state_;  // shared with the open keys
    std::vector<std::string> opened_;
    std::vector<std::string> created_;
};

// Helpers shared by the stores.
namespace settings {
// The text of a text value: bytes up to the first zero byte (or their end).
std::string textOf(const std::vector<std::uint8_t>& data);
// The bytes of a REG_SZ: the text and a terminating zero byte.
std::vector<std::uint8_t> textBytes(const std::string& text);
// The little-endian bytes of a REG_DWORD.
std::vector<std::uint8_t> dwordBytes(std::uint32_t value);
// True and the value when `v` is a REG_DWORD of exactly four bytes.
bool dwordOf(const SettingsValue& v, std::uint32_t& value);
// True for String and ExpandString.
bool isText(SettingsValueType type);
// Key paths compare ignoring ASCII case; leading, trailing and doubled
// backslashes are ignored ("\Software\\Maxis\" == "software\maxis").
std::string normalizeKeyPath(const std::string& path);
bool sameKeyPath(const std::string& a, const std::string& b);
}  // namespace settings

}  // namespace jf
