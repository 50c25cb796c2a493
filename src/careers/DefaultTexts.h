#pragma once
// The program's built-in copy of the default global texts: entries 0..11 of
// the global texts table in all twenty languages.
//
// The body is an STR# body in the form with languages and comments: 0xFFFD,
// a count of 240, then for each language byte 1..20 in order its twelve
// entries (language byte, text NUL, empty comment NUL), little-endian, each
// text in the code page of its language (platform/CodePages.h). It is
// generated at build time from resources/default_texts.txt.

#include <cstdint>
#include <vector>

namespace jf {

// Entries per language in the default global texts.
inline constexpr int kDefaultGlobalTextEntries = 12;

// The bare body, for StringTable to decode. Never empty; lives as long as the
// program. Thread-safe.
const std::vector<std::uint8_t>& defaultGlobalTextsBody();

}  // namespace jf
