// Which file Help > User Guide opens.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "startup/UserGuide.h"

namespace jf {
namespace {

std::string findAmong(const std::string& programFolder, const std::set<std::string>& files) {
    return findUserGuide(programFolder,
                         [&files](const std::string& path) { return files.count(path) != 0; });
}

TEST(UserGuideTest, InstalledGuideFirstThenTheNearestCheckout) {
    const std::string html = "/opt/jf/bin/../share/doc/jobforge3/user-guide.html";
    const std::string markdown = "/opt/jf/bin/../share/doc/jobforge3/user-guide.md";
    EXPECT_EQ(findAmong("/opt/jf/bin", {markdown, html}), html);
    EXPECT_EQ(findAmong("/opt/jf/bin/", {markdown}), markdown);

    // A program in build/release/src/ui of a checkout finds the checkout's
    // guide, the nearest one first; not one further up than the limit.
    const std::string program = "/home/me/jf/build/release/src/ui";
    EXPECT_EQ(findAmong(program, {"/home/me/jf/docs/user-guide.md", "/home/docs/user-guide.md"}),
              "/home/me/jf/docs/user-guide.md");
    EXPECT_EQ(findAmong(program, {"/home/docs/user-guide.md"}), "");
    EXPECT_EQ(findAmong("C:\\JF\\build\\src\\ui", {"C:\\JF/docs/user-guide.md"}),
              "C:\\JF/docs/user-guide.md");
}

TEST(UserGuideTest, NothingFoundGivesAnEmptyPath) {
    EXPECT_EQ(findAmong("/usr/bin", {}), "");
    EXPECT_EQ(findAmong("", {"docs/user-guide.md"}), "");
    EXPECT_EQ(findAmong("/", {"/docs/user-guide.md"}), "/docs/user-guide.md");
}

}  // namespace
}  // namespace jf
