#include "startup/UserGuide.h"

namespace jf {

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string withoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && isSeparator(folder.back())) {
        folder.pop_back();
    }
    return folder;
}

// The folder above `folder`; "" when it has none.
std::string parentFolder(const std::string& folder) {
    const std::size_t cut = folder.find_last_of("/\\");
    if (cut == std::string::npos) {
        return {};
    }
    if (cut == 0) {
        return folder.size() > 1 ? folder.substr(0, 1) : std::string();
    }
    return withoutTrailingSeparators(folder.substr(0, cut));
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty() || isSeparator(folder.back())) {
        return folder + name;
    }
    return folder + '/' + name;
}

}  // namespace

std::string findUserGuide(const std::string& programFolder,
                          const std::function<bool(const std::string&)>& exists) {
    if (programFolder.empty()) {
        return {};
    }
    const std::string program = withoutTrailingSeparators(programFolder);
    const std::string installed = joined(joined(program, ".."), kInstalledDocFolder);
    for (const char* name : {kUserGuideHtml, kUserGuideMarkdown}) {
        const std::string path = joined(installed, name);
        if (exists(path)) {
            return path;
        }
    }
    std::string folder = program;
    for (int depth = 0; depth <= kCheckoutSearchDepth && !folder.empty(); ++depth) {
        const std::string path = joined(joined(folder, kCheckoutDocFolder), kUserGuideMarkdown);
        if (exists(path)) {
            return path;
        }
        folder = parentFolder(folder);
    }
    return {};
}

}  // namespace jf
