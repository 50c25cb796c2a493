// Path helpers on core paths and the all-or-nothing file writer. Nothing here
// touches the operating system except for the process id used in temporary
// names; every file operation goes through a FileSystem.

#include <atomic>
#include <new>

#include "platform/Checksum.h"
#include "platform/FileSystem.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace jf {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

unsigned long currentProcessId() {
#ifdef _WIN32
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// Temporary names that already exist (a leftover of a crashed run, say) are
// skipped; after this many tries the write gives up.
constexpr int kTemporaryNameAttempts = 16;

}  // namespace

namespace paths {

std::string fileName(const std::string& path) {
    std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path) {
    std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string join(const std::string& folder, const std::string& name) {
    // An empty folder means "relative to the current folder": no separator,
    // which would turn the name into a root path.
    if (folder.empty() || isSeparator(folder.back())) {
        return folder + name;
    }
    return folder + '\\' + name;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

std::string temporarySibling(const std::string& path) {
    static std::atomic<unsigned long> counter{0};
    unsigned long serial = counter.fetch_add(1, std::memory_order_relaxed) + 1;
    return path + ".jf3tmp-" + std::to_string(currentProcessId()) + "-" + std::to_string(serial);
}

bool isTemporarySiblingName(const std::string& name) {
    static constexpr char kMark[] = ".jf3tmp-";
    const std::size_t mark = name.rfind(kMark);
    if (mark == std::string::npos || mark == 0) {
        return false;
    }
    // Digits, one dash, digits, and nothing else after the mark.
    const std::size_t start = mark + sizeof(kMark) - 1;
    const std::size_t dash = name.find('-', start);
    if (dash == std::string::npos || dash == start || dash + 1 == name.size()) {
        return false;
    }
    for (std::size_t i = start; i < name.size(); ++i) {
        if (i != dash && (name[i] < '0' || name[i] > '9')) {
            return false;
        }
    }
    return true;
}

}  // namespace paths

bool writeTemporarySibling(FileSystem& fs, const std::string& path, const std::uint8_t* bytes,
                           std::size_t size, TemporaryWrite& written) {
    written = TemporaryWrite{};
    if (bytes == nullptr && size != 0) {
        return false;
    }
    std::string temporary;
    try {
        // A read-only target stays as it is on every system (a POSIX rename
        // would replace it regardless of its permission bits).
        if (fs.isReadOnly(path)) {
            return false;
        }
        for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
            std::string candidate = paths::temporarySibling(path);
            if (!fs.exists(candidate)) {
                temporary = std::move(candidate);
                break;
            }
        }
        if (temporary.empty()) {
            return false;
        }

        // The temporary name did not exist before, so removing it on any
        // failure never touches a file that is not ours.
        auto abandon = [&](std::unique_ptr<File>& file) {
            file.reset();
            fs.deleteFile(temporary);
            return false;
        };

        std::unique_ptr<File> file = fs.open(temporary, OpenMode::CreateTruncate);
        if (!file) {
            return abandon(file);
        }
        if (size > 0 && !file->write(bytes, size)) {
            return abandon(file);
        }
        if (!file->flush()) {
            return abandon(file);
        }
        file.reset();  // closed before any move: some systems refuse to rename an open file
        written.target = path;
        written.temporary = std::move(temporary);
        written.size = size;
        written.checksum = crc32(bytes, size);
        return true;
    } catch (const std::bad_alloc&) {
        written = TemporaryWrite{};
        if (!temporary.empty()) {
            try {
                fs.deleteFile(temporary);
            } catch (const std::bad_alloc&) {
                // Nothing more can be done without memory.
            }
        }
        return false;
    }
}

bool writeFileAtomically(FileSystem& fs, const std::string& path, const std::uint8_t* bytes,
                         std::size_t size, std::unique_ptr<File>* reopened, OpenMode reopenMode) {
    if (reopened != nullptr) {
        reopened->reset();
    }
    TemporaryWrite written;
    if (!writeTemporarySibling(fs, path, bytes, size, written)) {
        return false;
    }
    try {
        if (!fs.replaceFile(written.temporary, path)) {
            fs.deleteFile(written.temporary);
            return false;
        }
    } catch (const std::bad_alloc&) {
        try {
            fs.deleteFile(written.temporary);
        } catch (const std::bad_alloc&) {
            // Nothing more can be done without memory.
        }
        return false;
    }
    if (reopened != nullptr) {
        try {
            *reopened = fs.open(path, reopenMode);
        } catch (const std::bad_alloc&) {
            reopened->reset();  // the new contents are in place all the same
        }
    }
    return true;
}

}  // namespace jf
