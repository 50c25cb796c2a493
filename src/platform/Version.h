#pragma once
// The program's version: the project version of the build, and the commit it
// was built from when built from a git checkout.

#include <string>

namespace jf {

// "3.0.0".
const char* programVersion();
// The short commit id ("1a2b3c4"), or "" when not built from a checkout.
const char* programCommit();
// "3.0.0 (commit 1a2b3c4)", or "3.0.0" without a commit.
std::string programVersionLine();

}  // namespace jf
