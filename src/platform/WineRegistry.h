#pragma once
// Reading the registry files of a Wine prefix ("system.reg", "user.reg") and
// writing files in the same text form.
//
// The form, as Wine writes it:
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to \\Machine
//   #arch=win32
//
//   [Software\\Maxis\\The Sims] 1700000000
//   #time=1d9...
//   "SIMS_DATA"="C:\\Program Files\\Maxis\\The Sims\\"
//   "EPInstalled"="1"
//   "Flags"=dword:0000000f
//   "Blob"=hex:01,02,03      (long ones go on over lines ending in a backslash)
//
// Key paths in the section headers and value names are compared ignoring
// ASCII letter case. Quoted strings are Unicode with the escapes \\ \" \[ \]
// \a \b \e \f \n \r \t \v, \x followed by up to four hex digits (a UTF-16
// code unit) and \ followed by up to three octal digits. Text values are
// returned as UTF-8 (the file names of the host), with a terminating zero
// byte, as SettingsValueType::String / ExpandString / MultiString; REG_SZ
// values written as hex(1)/hex(2) (UTF-16LE) are converted the same way.
// Malformed lines are skipped; parsing never fails past the header check.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/SettingsStore.h"

namespace jf {

inline constexpr char kWineRegistryHeader[] = "WINE REGISTRY Version 2";
// Larger registry files are not read.
inline constexpr std::size_t kMaxRegistryFileSize = 256u * 1024u * 1024u;

namespace wine {

// Finds the section of `keyPath` in registry text and reads its values into
// `values` (replacing what was there). When `requireHeader` is set, the text
// must begin with kWineRegistryHeader. False when the header is missing or no
// such section exists; `values` is then empty.
bool readKey(std::string_view text, const std::string& keyPath, SettingsValues& values,
             bool requireHeader = true);

// Every section of the text, in file order: (key path as spelled, values).
// No header is required.
std::vector<std::pair<std::string, SettingsValues>> readAllKeys(std::string_view text);

// Decodes a quoted string body starting just after the opening quote, up to
// the unescaped `terminator`; `consumed` receives the count of bytes used,
// including the terminator. False when the terminator is missing.
bool decodeString(std::string_view text, char terminator, std::string& utf8, std::size_t& consumed);

// Encodes UTF-8 text as the body of a quoted string (no quotes): backslash,
// quote, the brackets and control bytes are escaped; other bytes are kept.
std::string encodeString(std::string_view utf8);

// One section in the file's form: "[path]" followed by one line per value.
std::string formatKey(const std::string& keyPath, const SettingsValues& values);

// Maps a Windows path through the prefix's drive links: the drive "X:" is
// looked up in <prefix>/dosdevices ignoring case and replaced by the link's
// target (its canonical path, else the link itself); the rest is kept with
// its backslashes. Paths without a drive letter, or whose drive has no link,
// are returned unchanged. A mapped path that ended in a backslash still does.
std::string nativePath(const std::string& prefix, const std::string& windowsPath);

}  // namespace wine

}  // namespace jf
