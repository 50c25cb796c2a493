#pragma once
// A tolerant reader of Steam's key-value text files ("libraryfolders.vdf",
// "appmanifest_<id>.acf"):
//
//   "libraryfolders" { "0" { "path" "D:\\SteamLibrary" "apps" { "10" "1" } } }
//
// Keys and values are quoted or bare tokens; a key followed by "{" opens a
// block. Quoted strings know the escapes \\ \" \n \t (any other backslash is
// kept as it is); "//" starts a comment; "[$WIN32]"-style conditions are
// skipped. Parsing never fails: malformed input ends the parse early and
// keeps what was read before, unclosed blocks are closed at the end.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace jf {

struct KeyValueNode {
    std::string key;
    std::string value;  // empty for a block
    bool isBlock = false;
    std::vector<KeyValueNode> children;

    // The first child with the given key (ASCII case ignored); nullptr if none.
    const KeyValueNode* child(std::string_view name) const;
};

// Limits that keep hostile files cheap.
inline constexpr int kKeyValueMaxDepth = 32;
inline constexpr std::size_t kKeyValueMaxNodes = 100000;

// Parses `text` into a root block whose children are the top-level entries.
KeyValueNode parseKeyValues(std::string_view text);

}  // namespace jf
