#pragma once
// Line breaks in the texts the main window shows.
//
// Job names live in single-line fields, where the two characters backslash
// and "n" stand for a line break; in the data a line break is CR LF. The
// multi-line fields show line breaks as '\n' (what the text widgets produce)
// and store them as CR LF.
//
// All functions work on UTF-8 text, that is on characters, never on the
// code-page bytes the game stores: in Shift-JIS, GBK and Big5 the byte 0x5C
// can be the second half of a double-byte character, while in UTF-8 it is
// always a backslash. Convert from the code page first (platform/CodePages.h).

#include <string>
#include <string_view>

namespace jf {

// Data -> job-name field: every CR immediately followed by LF becomes
// backslash "n"; everything else is copied.
std::string escapeLineBreaks(std::string_view text);

// Job-name field -> data: backslash "n" becomes CR LF; a backslash followed
// by any other character is copied together with that character, both
// unchanged (so a doubled backslash before "n" stays as typed); a backslash
// at the very end and every other character are copied.
std::string unescapeLineBreaks(std::string_view text);

// Data -> multi-line field: CR LF becomes '\n'.
std::string multiLineFieldText(std::string_view text);

// Multi-line field -> data: every '\n' not already preceded by CR becomes
// CR LF.
std::string multiLineDataText(std::string_view text);

}  // namespace jf
