// The FileSystem of Windows. Core paths already are Windows paths; forward
// slashes are turned into backslashes and the rest passes through unchanged
// (Windows itself compares names ignoring case).

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace jf {

namespace {

// Largest byte count handed to one ReadFile/WriteFile call (a DWORD count).
constexpr DWORD kMaxTransfer = DWORD(1) << 30;
constexpr std::uint64_t kMaxOffset =
    static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max());

std::string toNative(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

// An OVERLAPPED block naming an absolute file position: reads and writes at
// a position of our own, whatever the handle's shared file pointer says.
OVERLAPPED at(std::uint64_t position) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    overlapped.OffsetHigh = static_cast<DWORD>(position >> 32);
    return overlapped;
}

// Attributes that SetFileAttributesA accepts; the others read back by
// GetFileAttributesA (folder, compressed, ...) are not passed on.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                      FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_READONLY |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

// Closes a directory search on every way out of a scope.
class SearchHandle {
public:
    explicit SearchHandle(HANDLE handle) : handle_(handle) {}
    ~SearchHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            FindClose(handle_);
        }
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool endsWithFarIgnoringCase(const char* name) {
    std::string text(name);
    return text.size() >= 4 && paths::equalsIgnoreCase(text.substr(text.size() - 4), ".FAR");
}

// A disk file opened through WindowsFileSystem. Owns its handle. Duplicates
// (DuplicateHandle) share the open file, its sharing mode and its file
// pointer, so every transfer names its own position and the cursor lives in
// the object.
class WindowsFile final : public File {
public:
    WindowsFile(HANDLE handle, std::string nativePath, std::uint64_t position)
        : handle_(handle), path_(std::move(nativePath)), position_(position) {}
    ~WindowsFile() override { CloseHandle(handle_); }
    WindowsFile(const WindowsFile&) = delete;
    WindowsFile& operator=(const WindowsFile&) = delete;

    bool seek(std::uint64_t position) override {
        if (position > kMaxOffset) {
            return false;
        }
        position_ = position;
        return true;
    }

    std::uint64_t tell() const override { return position_; }

    std::int64_t read(void* buffer, std::size_t n) override {
        auto* out = static_cast<unsigned char*>(buffer);
        std::uint64_t total = 0;
        while (total < n) {
            std::uint64_t offset = position_ + total;
            if (offset > kMaxOffset) {
                break;
            }
            DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(n - total, kMaxTransfer));
            DWORD got = 0;
            OVERLAPPED where = at(offset);
            if (!ReadFile(handle_, out + total, want, &got, &where)) {
                if (GetLastError() == ERROR_HANDLE_EOF) {
                    break;  // a position at or past the end
                }
                return -1;
            }
            if (got == 0) {
                break;
            }
            total += got;
        }
        position_ += total;
        return static_cast<std::int64_t>(total);
    }

    bool write(const void* buffer, std::size_t n) override {
        if (n == 0) {
            return true;
        }
        if (position_ > kMaxOffset || n > kMaxOffset - position_) {
            return false;
        }
        const auto* in = static_cast<const unsigned char*>(buffer);
        std::size_t done = 0;
        while (done < n) {
            DWORD want = static_cast<DWORD>(std::min<std::size_t>(n - done, kMaxTransfer));
            DWORD put = 0;
            OVERLAPPED where = at(position_);
            if (!WriteFile(handle_, in + done, want, &put, &where) || put == 0) {
                return false;
            }
            done += put;
            position_ += put;
        }
        return true;
    }

    bool truncate(std::uint64_t length) override {
        if (length > kMaxOffset) {
            return false;
        }
        // SetEndOfFile cuts at the shared file pointer; our cursor is separate
        // and stays where it was.
        LARGE_INTEGER target;
        target.QuadPart = static_cast<LONGLONG>(length);
        return SetFilePointerEx(handle_, target, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
    }

    std::int64_t length() const override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(handle_, &size)) {
            return -1;
        }
        return static_cast<std::int64_t>(size.QuadPart);
    }

    bool flush() override { return FlushFileBuffers(handle_) != 0; }

    std::unique_ptr<File> duplicate() override {
        HANDLE process = GetCurrentProcess();
        HANDLE copy = nullptr;
        if (!DuplicateHandle(process, handle_, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            return nullptr;
        }
        try {
            return std::make_unique<WindowsFile>(copy, path_, position_);
        } catch (const std::bad_alloc&) {
            CloseHandle(copy);
            return nullptr;
        }
    }

    std::string path() const override { return path_; }

private:
    HANDLE handle_;
    std::string path_;
    std::uint64_t position_;
};

class WindowsFileSystem final : public FileSystem {
public:
    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override {
        std::string native = toNative(path);
        DWORD access = GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        switch (mode) {
            case OpenMode::Read:
                break;
            case OpenMode::ReadWrite:
                access |= GENERIC_WRITE;
                break;
            case OpenMode::CreateTruncate:
                access |= GENERIC_WRITE;
                disposition = CREATE_ALWAYS;
                break;
        }
        // Other writers denied: readers may share, writers may not. Delete
        // sharing lets a finished save be moved over a file still open.
        HANDLE handle = CreateFileA(native.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return nullptr;
        }
        try {
            return std::make_unique<WindowsFile>(handle, std::move(native), 0);
        } catch (const std::bad_alloc&) {
            CloseHandle(handle);
            return nullptr;
        }
    }

    bool isInUse(const std::string& path, OpenMode mode) override {
        const DWORD access = mode == OpenMode::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        HANDLE handle =
            CreateFileA(toNative(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return GetLastError() == ERROR_SHARING_VIOLATION;
        }
        CloseHandle(handle);
        return false;
    }

    bool exists(const std::string& path) override {
        return GetFileAttributesA(toNative(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool isReadOnly(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(toNative(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }

    bool clearReadOnly(const std::string& path) override {
        std::string native = toNative(path);
        DWORD attributes = GetFileAttributesA(native.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) {
            return true;
        }
        return setAttributes(native, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    }

    bool setReadOnly(const std::string& path) override {
        std::string native = toNative(path);
        DWORD attributes = GetFileAttributesA(native.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return true;
        }
        return setAttributes(native, attributes | FILE_ATTRIBUTE_READONLY);
    }

    bool createFolder(const std::string& path) override {
        std::string native = toNative(path);
        CreateDirectoryA(native.c_str(), nullptr);  // "already exists" is fine
        DWORD attributes = GetFileAttributesA(native.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    DeleteResult deleteFile(const std::string& path) override {
        if (DeleteFileA(toNative(path).c_str())) {
            return DeleteResult::Deleted;
        }
        DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? DeleteResult::NotFound
                   : DeleteResult::Failed;
    }

    bool replaceFile(const std::string& from, const std::string& to) override {
        std::string nativeFrom = toNative(from);
        std::string nativeTo = toNative(to);
        if (MoveFileExA(nativeFrom.c_str(), nativeTo.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        // A classic rename cannot replace a file that is still open, even
        // when every handle on it shares deletion; the containers keep their
        // game file open while they save over it. Windows 10 (1709 and
        // later, NTFS) can do it with a POSIX-semantics rename.
        DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
            return false;
        }
        return renameOverOpenFile(nativeFrom, nativeTo);
    }

    std::vector<std::string> listArchives(const std::string& folder) override {
        std::vector<std::string> names;
        try {
            std::string pattern = toNative(paths::join(folder, "*.FAR"));
            WIN32_FIND_DATAA found;
            SearchHandle search(FindFirstFileA(pattern.c_str(), &found));
            if (search.get() == INVALID_HANDLE_VALUE) {
                return names;
            }
            do {
                // The pattern also matches through short 8.3 names ("x.FARM"
                // is "X~1.FAR"), so the long name is checked again.
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                    endsWithFarIgnoringCase(found.cFileName)) {
                    names.emplace_back(found.cFileName);
                }
            } while (FindNextFileA(search.get(), &found));
        } catch (const std::bad_alloc&) {
            names.clear();
        }
        return names;
    }

    std::vector<std::string> listFiles(const std::string& folder) override {
        std::vector<std::string> names;
        try {
            std::string pattern = toNative(paths::join(folder, "*"));
            WIN32_FIND_DATAA found;
            SearchHandle search(FindFirstFileA(pattern.c_str(), &found));
            if (search.get() == INVALID_HANDLE_VALUE) {
                return names;
            }
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    names.emplace_back(found.cFileName);
                }
            } while (FindNextFileA(search.get(), &found));
        } catch (const std::bad_alloc&) {
            names.clear();
        }
        return names;
    }

    bool syncFolder(const std::string& folder) override {
        // Renames already go through with MOVEFILE_WRITE_THROUGH. Flushing a
        // folder handle needs write access to the folder and works on NTFS
        // from Windows 8 on; elsewhere it fails, which callers accept.
        std::string native = toNative(folder);
        while (native.size() > 1 && native.back() == '\\' && native[native.size() - 2] != ':') {
            native.pop_back();
        }
        if (native.empty()) {
            native = ".";
        }
        HANDLE handle = CreateFileA(native.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const BOOL flushed = FlushFileBuffers(handle);
        CloseHandle(handle);
        return flushed != 0;
    }

    std::string nativePath(const std::string& path) override { return toNative(path); }

private:
    // The layout of FILE_RENAME_INFO as FileRenameInfoEx reads it (the
    // Flags member overlays the older ReplaceIfExists byte), declared here
    // so that older SDK headers do not matter.
    struct RenameInfoEx {
        DWORD flags;
        HANDLE rootDirectory;
        DWORD fileNameLength;  // in bytes, without a terminator
        WCHAR fileName[1];
    };
    static constexpr DWORD kRenameReplaceIfExists = 0x00000001;
    static constexpr DWORD kRenamePosixSemantics = 0x00000002;
    static constexpr int kFileRenameInfoEx = 22;  // FILE_INFO_BY_HANDLE_CLASS value

    static std::wstring widen(const std::string& text) {
        int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
        if (count <= 0) {
            return {};
        }
        std::wstring wide(static_cast<std::size_t>(count), L'\0');
        if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), count) != count) {
            return {};
        }
        wide.resize(static_cast<std::size_t>(count - 1));
        return wide;
    }

    static bool renameOverOpenFile(const std::string& from, const std::string& to) {
        try {
            std::wstring target = widen(to);
            if (target.empty()) {
                return false;
            }
            DWORD fullLength = GetFullPathNameW(target.c_str(), 0, nullptr, nullptr);
            if (fullLength == 0) {
                return false;
            }
            std::wstring full(fullLength, L'\0');
            DWORD written = GetFullPathNameW(target.c_str(), fullLength, full.data(), nullptr);
            if (written == 0 || written >= fullLength) {
                return false;
            }
            full.resize(written);

            const std::size_t nameBytes = full.size() * sizeof(WCHAR);
            if (nameBytes > std::numeric_limits<DWORD>::max() / 2) {
                return false;
            }
            std::vector<unsigned char> buffer(offsetof(RenameInfoEx, fileName) + nameBytes +
                                              sizeof(WCHAR));
            auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
            info->flags = kRenameReplaceIfExists | kRenamePosixSemantics;
            info->rootDirectory = nullptr;
            info->fileNameLength = static_cast<DWORD>(nameBytes);
            std::copy(full.begin(), full.end(), info->fileName);

            HANDLE source = CreateFileA(from.c_str(), DELETE | SYNCHRONIZE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (source == INVALID_HANDLE_VALUE) {
                return false;
            }
            BOOL renamed = SetFileInformationByHandle(
                source, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx), info,
                static_cast<DWORD>(buffer.size()));
            CloseHandle(source);
            return renamed != 0;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    static bool setAttributes(const std::string& native, DWORD attributes) {
        attributes &= kSettableAttributes;
        // Zero means "no change" to SetFileAttributesA; plain files say NORMAL.
        if (attributes == 0) {
            attributes = FILE_ATTRIBUTE_NORMAL;
        }
        return SetFileAttributesA(native.c_str(), attributes) != 0;
    }
};

}  // namespace

FileSystem& systemFileSystem() {
    static WindowsFileSystem instance;
    return instance;
}

}  // namespace jf

#endif  // _WIN32
