#ifndef _WIN32

#include "platform/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

namespace jf {

namespace {

// Largest byte count handed to one pread/pwrite call; larger transfers are
// split (the result of a bigger request is implementation-defined).
constexpr std::size_t kMaxTransfer = std::size_t(1) << 30;
constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

int closeDescriptor(int fd) {
    // close() must not be retried on EINTR: the descriptor is gone either way.
    return ::close(fd);
}

enum class LockOutcome { Locked, Refused, Unsupported };

#ifdef F_OFD_SETLK
// A lock request on the whole file, to the end however far the file grows.
struct flock wholeFileRequest(bool exclusive) {
    struct flock request {};
    request.l_type = static_cast<short>(exclusive ? F_WRLCK : F_RDLCK);
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0;
    request.l_pid = 0;
    return request;
}
#endif

LockOutcome lockWholeFile(int fd, bool exclusive) {
#ifdef F_OFD_SETLK
    struct flock request = wholeFileRequest(exclusive);
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_SETLK, &request);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        return LockOutcome::Locked;
    }
    if (errno == EAGAIN || errno == EACCES) {
        return LockOutcome::Refused;
    }
    // EINVAL: a kernel without open-file-description locks; try flock below.
#endif
    int rc2;
    do {
        rc2 = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (rc2 != 0 && errno == EINTR);
    if (rc2 == 0) {
        return LockOutcome::Locked;
    }
    if (errno == EWOULDBLOCK) {
        return LockOutcome::Refused;
    }
    return LockOutcome::Unsupported;
}

// Whether lockWholeFile would be refused, asked on a descriptor opened for
// reading only (which may not take a write lock itself): open file
// description locks are queried, flock locks tried (a lock granted here
// goes with the descriptor when it is closed).
bool lockWouldBeRefused(int fd, bool exclusive) {
#ifdef F_OFD_SETLK
    struct flock request = wholeFileRequest(exclusive);
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_GETLK, &request);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        return request.l_type != F_UNLCK;
    }
#endif
    int rc2;
    do {
        rc2 = ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (rc2 != 0 && errno == EINTR);
    return rc2 != 0 && errno == EWOULDBLOCK;
}

// Closes a folder stream on every way out of a scope.
class FolderStream {
public:
    explicit FolderStream(const std::string& nativePath) : dir_(::opendir(nativePath.c_str())) {}
    ~FolderStream() {
        if (dir_ != nullptr) {
            ::closedir(dir_);
        }
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;
    bool isOpen() const { return dir_ != nullptr; }
    dirent* next() { return ::readdir(dir_); }

private:
    DIR* dir_;
};

bool isRegularEntry(const std::string& folderPrefix, const dirent* entry) {
#ifdef DT_REG
    if (entry->d_type == DT_REG) {
        return true;
    }
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) {
        return false;
    }
#endif
    // Unknown type or a symbolic link: ask for the target's type.
    struct stat info {};
    return ::stat((folderPrefix + entry->d_name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool entryExists(const std::string& nativePath) {
    struct stat info {};
    return ::lstat(nativePath.c_str(), &info) == 0;
}

bool endsWithFarIgnoringCase(const char* name) {
    static constexpr char kSuffix[] = ".far";
    constexpr std::size_t kSuffixLength = sizeof(kSuffix) - 1;
    std::size_t length = std::char_traits<char>::length(name);
    if (length < kSuffixLength) {
        return false;
    }
    return paths::equalsIgnoreCase(name + (length - kSuffixLength), kSuffix);
}

// fsync of a folder: makes the creations, renames and deletions in it durable.
bool syncNativeFolder(const std::string& nativeFolder) {
    int fd;
    do {
        fd = ::open(nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    closeDescriptor(fd);
    return rc == 0;
}

// Makes a completed rename durable by syncing the folder that holds `path`.
void syncParentFolder(const std::string& nativePath) {
    std::size_t cut = nativePath.find_last_of('/');
    std::string folder = cut == std::string::npos ? std::string(".")
                         : cut == 0               ? std::string("/")
                                                  : nativePath.substr(0, cut);
    syncNativeFolder(folder);
}

}  // namespace

// ---------------------------------------------------------------- PosixFile

PosixFile::PosixFile(int fd, std::string nativePath, std::uint64_t position)
    : fd_(fd), path_(std::move(nativePath)), position_(position) {}

PosixFile::~PosixFile() {
    if (fd_ >= 0) {
        closeDescriptor(fd_);
    }
}

bool PosixFile::seek(std::uint64_t position) {
    if (position > kMaxOffset) {
        return false;
    }
    position_ = position;
    return true;
}

std::int64_t PosixFile::read(void* buffer, std::size_t n) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::uint64_t total = 0;
    // The count is returned as a signed 64-bit value; never read more.
    if (n > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        n = static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max());
    }
    while (total < n) {
        std::uint64_t offset = position_ + total;
        if (offset > kMaxOffset) {
            break;
        }
        std::size_t want = std::min<std::size_t>(n - static_cast<std::size_t>(total), kMaxTransfer);
        ssize_t got = ::pread(fd_, out + total, want, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;  // end of file
        }
        total += static_cast<std::uint64_t>(got);
    }
    position_ += total;
    return static_cast<std::int64_t>(total);
}

bool PosixFile::write(const void* buffer, std::size_t n) {
    if (n == 0) {
        return true;
    }
    if (position_ > kMaxOffset || n > kMaxOffset - position_) {
        return false;
    }
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        std::size_t want = std::min(n - done, kMaxTransfer);
        ssize_t put = ::pwrite(fd_, in + done, want, static_cast<off_t>(position_));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (put == 0) {
            return false;  // no progress (device full without an error code)
        }
        done += static_cast<std::size_t>(put);
        position_ += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool PosixFile::truncate(std::uint64_t length) {
    if (length > kMaxOffset) {
        return false;
    }
    int rc;
    do {
        rc = ::ftruncate(fd_, static_cast<off_t>(length));
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

std::int64_t PosixFile::length() const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool PosixFile::flush() {
    int rc;
    do {
        rc = ::fsync(fd_);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

std::unique_ptr<File> PosixFile::duplicate() {
    int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        return nullptr;
    }
    try {
        return std::make_unique<PosixFile>(copy, path_, position_);
    } catch (const std::bad_alloc&) {
        closeDescriptor(copy);
        return nullptr;
    }
}

// ---------------------------------------------------------- PosixFileSystem

std::string PosixFileSystem::resolvePath(const std::string& path) {
    try {
        // The path as given, with '/' between its components: when that
        // exists, so does every component as spelled, and the walk below
        // would return exactly this. One lstat then does for all of them.
        std::string given;
        if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
            given = "/";
        }
        for (std::size_t i = 0; i < path.size();) {
            std::size_t end = path.find_first_of("\\/", i);
            if (end == std::string::npos) {
                end = path.size();
            }
            if (end > i && !(end - i == 1 && path[i] == '.')) {
                if (!given.empty() && given.back() != '/') {
                    given += '/';
                }
                given.append(path, i, end - i);
            }
            i = end + 1;
        }
        if (given.empty() || entryExists(given)) {
            return given;
        }

        std::string resolved;
        std::size_t i = 0;
        if (!path.empty() && (path[0] == '/' || path[0] == '\\')) {
            resolved = "/";
        }
        bool matching = true;  // false once a component was missing
        while (i < path.size()) {
            std::size_t end = path.find_first_of("\\/", i);
            if (end == std::string::npos) {
                end = path.size();
            }
            std::string component = path.substr(i, end - i);
            i = end + 1;
            if (component.empty() || component == ".") {
                continue;
            }
            std::string parent = resolved.empty() ? std::string(".") : resolved;
            std::string prefix =
                resolved.empty() ? std::string() : (resolved == "/" ? resolved : resolved + "/");
            if (matching && !entryExists(prefix + component)) {
                bool found = false;
                FolderStream dir(parent);
                while (dir.isOpen()) {
                    dirent* entry = dir.next();
                    if (entry == nullptr) {
                        break;
                    }
                    if (paths::equalsIgnoreCase(entry->d_name, component)) {
                        component = entry->d_name;
                        found = true;
                        break;
                    }
                }
                // A missing component keeps the case given, and so does
                // everything below it (it cannot exist).
                matching = found;
            }
            resolved = prefix + component;
        }
        return resolved;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::unique_ptr<File> PosixFileSystem::open(const std::string& path, OpenMode mode) {
    std::string native = resolvePath(path);
    if (native.empty()) {
        return nullptr;
    }
    int flags = O_CLOEXEC;
    switch (mode) {
        case OpenMode::Read:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case OpenMode::CreateTruncate:
            // Not O_TRUNC: emptying the file before its lock is granted would
            // destroy the contents under another handle that holds it.
            flags |= O_RDWR | O_CREAT;
            break;
    }
    int fd;
    do {
        fd = ::open(native.c_str(), flags, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        closeDescriptor(fd);  // folders and devices are not files here
        return nullptr;
    }
    // On a file system without any lock support the file is opened unlocked:
    // refusing every open there would make the program unusable, and the
    // lock only guards against this program's own handles.
    if (lockWholeFile(fd, mode != OpenMode::Read) == LockOutcome::Refused) {
        closeDescriptor(fd);
        return nullptr;
    }
    if (mode == OpenMode::CreateTruncate) {
        int rc;
        do {
            rc = ::ftruncate(fd, 0);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            closeDescriptor(fd);
            return nullptr;
        }
    }
    try {
        return std::make_unique<PosixFile>(fd, std::move(native));
    } catch (const std::bad_alloc&) {
        closeDescriptor(fd);
        return nullptr;
    }
}

bool PosixFileSystem::exists(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat info {};
    return !native.empty() && ::stat(native.c_str(), &info) == 0;
}

bool PosixFileSystem::isInUse(const std::string& path, OpenMode mode) {
    const std::string native = resolvePath(path);
    if (native.empty()) {
        return false;
    }
    int fd;
    do {
        fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    const bool refused = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                         lockWouldBeRefused(fd, mode != OpenMode::Read);
    closeDescriptor(fd);
    return refused;
}

bool PosixFileSystem::isReadOnly(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat info {};
    if (native.empty() || ::stat(native.c_str(), &info) != 0) {
        return false;
    }
    return (info.st_mode & S_IWUSR) == 0;
}

bool PosixFileSystem::clearReadOnly(const std::string& path) {
    std::string native = resolvePath(path);
    if (native.empty()) {
        return false;
    }
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR;  // nothing to change
    }
    if ((info.st_mode & S_IWUSR) != 0) {
        return true;
    }
    return ::chmod(native.c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

bool PosixFileSystem::setReadOnly(const std::string& path) {
    std::string native = resolvePath(path);
    struct stat info {};
    if (native.empty() || ::stat(native.c_str(), &info) != 0) {
        return false;
    }
    if ((info.st_mode & kAllWriteBits) == 0) {
        return true;
    }
    return ::chmod(native.c_str(), (info.st_mode & 07777) & ~kAllWriteBits) == 0;
}

bool PosixFileSystem::createFolder(const std::string& path) {
    std::string native = resolvePath(path);
    if (native.empty()) {
        return false;
    }
    ::mkdir(native.c_str(), kNewFolderMode);
    struct stat info {};
    return ::stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

DeleteResult PosixFileSystem::deleteFile(const std::string& path) {
    std::string native = resolvePath(path);
    if (native.empty()) {
        return DeleteResult::Failed;
    }
    if (::unlink(native.c_str()) == 0) {
        return DeleteResult::Deleted;
    }
    // ENOTDIR: a component of the folder part is a file, so no such file.
    return (errno == ENOENT || errno == ENOTDIR) ? DeleteResult::NotFound : DeleteResult::Failed;
}

bool PosixFileSystem::replaceFile(const std::string& from, const std::string& to) {
    std::string nativeFrom = resolvePath(from);
    std::string nativeTo = resolvePath(to);
    if (nativeFrom.empty() || nativeTo.empty()) {
        return false;
    }
    struct stat info {};
    if (::stat(nativeFrom.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    if (::rename(nativeFrom.c_str(), nativeTo.c_str()) != 0) {
        return false;
    }
    // The rename has happened and cannot be taken back; a failing folder sync
    // only weakens durability, so it does not turn the result into a failure.
    syncParentFolder(nativeTo);
    return true;
}

namespace {

// The regular files of a folder (a core path) whose names `wanted` accepts; empty when the
// folder cannot be read or memory runs out.
template <typename Wanted>
std::vector<std::string> regularFiles(const std::string& coreFolder, Wanted wanted) {
    std::vector<std::string> names;
    try {
        const std::string native = PosixFileSystem::resolvePath(coreFolder);
        const std::string folder = native.empty() ? std::string(".") : native;
        FolderStream dir(folder);
        if (!dir.isOpen()) {
            return names;
        }
        const std::string prefix = folder == "/" ? folder : folder + "/";
        while (dirent* entry = dir.next()) {
            if (wanted(entry->d_name) && isRegularEntry(prefix, entry)) {
                names.emplace_back(entry->d_name);
            }
        }
    } catch (const std::bad_alloc&) {
        names.clear();
    }
    return names;
}

}  // namespace

std::vector<std::string> PosixFileSystem::listArchives(const std::string& folder) {
    return regularFiles(folder, [](const char* name) { return endsWithFarIgnoringCase(name); });
}

std::vector<std::string> PosixFileSystem::listFiles(const std::string& folder) {
    return regularFiles(folder, [](const char*) { return true; });
}

bool PosixFileSystem::syncFolder(const std::string& folder) {
    std::string native = resolvePath(folder);
    return syncNativeFolder(native.empty() ? std::string(".") : native);
}

FileSystem& systemFileSystem() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace jf

#endif  // !_WIN32
