#pragma once
// Where Help > User Guide finds the guide: installed with the program, or in
// the source checkout the program was built in.

#include <functional>
#include <string>

namespace jf {

// The guide's file names: the installed HTML page, then the Markdown source.
inline constexpr char kUserGuideHtml[] = "user-guide.html";
inline constexpr char kUserGuideMarkdown[] = "user-guide.md";
// Below the installation prefix (the program lives in <prefix>/bin).
inline constexpr char kInstalledDocFolder[] = "share/doc/jobforge3";
// Below the root of a source checkout.
inline constexpr char kCheckoutDocFolder[] = "docs";
// How many folders above the program's own a checkout is looked for
// (build/<preset>/src/ui holds the program in a checkout).
inline constexpr int kCheckoutSearchDepth = 4;

inline constexpr char kUserGuideMissingText[] =
    "The user guide was not found. It is installed with the program in "
    "share/doc/jobforge3, and a source checkout holds it as docs/user-guide.md.";
inline constexpr char kUserGuideNotOpenedText[] = "The user guide could not be opened:\n";

// The guide for a program in `programFolder` (any separator; no trailing
// separator needed): <programFolder>/../share/doc/jobforge3/user-guide.html,
// then user-guide.md there, then docs/user-guide.md in `programFolder` or in
// one of its kCheckoutSearchDepth parents, the nearest first. `exists` says
// whether a regular file is at a path. Returns the first path that exists,
// joined with '/'; "" when none does (nothing else is looked at).
std::string findUserGuide(const std::string& programFolder,
                          const std::function<bool(const std::string&)>& exists);

}  // namespace jf
