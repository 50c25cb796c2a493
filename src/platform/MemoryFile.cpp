#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "platform/File.h"

namespace jf {

namespace {
// In-memory files never grow past 4 GiB (the largest size the game's formats
// can address); a larger request fails instead of exhausting memory.
constexpr std::uint64_t kMaxMemoryFileSize = std::uint64_t(1) << 32;
}  // namespace

MemoryFile::MemoryFile() : storage_(std::make_shared<Storage>()) {}

MemoryFile::MemoryFile(std::vector<std::uint8_t> contents) : storage_(std::make_shared<Storage>()) {
    storage_->length = contents.size();
    storage_->bytes = std::move(contents);
    std::size_t rounded = (storage_->length + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
    storage_->bytes.resize(rounded, 0);
}

MemoryFile::MemoryFile(std::shared_ptr<Storage> storage, std::uint64_t position)
    : storage_(std::move(storage)), position_(position) {}

bool MemoryFile::seek(std::uint64_t position) {
    position_ = position;
    return true;
}

std::int64_t MemoryFile::read(void* buffer, std::size_t n) {
    if (position_ >= storage_->length) {
        return 0;
    }
    std::size_t available = storage_->length - static_cast<std::size_t>(position_);
    std::size_t count = std::min(n, available);
    if (count > 0) {
        std::memcpy(buffer, storage_->bytes.data() + position_, count);
    }
    position_ += count;
    return static_cast<std::int64_t>(count);
}

bool MemoryFile::reserve(std::uint64_t needed) {
    if (needed <= storage_->bytes.size()) {
        return true;
    }
    if (needed > kMaxMemoryFileSize) {
        return false;
    }
    // Grow in whole steps of kGrowthStep bytes.
    std::uint64_t rounded = (needed + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
    if (rounded > std::numeric_limits<std::size_t>::max()) {
        return false;  // 32-bit machines
    }
    try {
        storage_->bytes.resize(static_cast<std::size_t>(rounded), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool MemoryFile::write(const void* buffer, std::size_t n) {
    // Writing nothing changes nothing, not even past the end (as with pwrite).
    if (n == 0) {
        return true;
    }
    // position_ + n must not wrap around before it is checked.
    if (position_ > kMaxMemoryFileSize || n > kMaxMemoryFileSize - position_) {
        return false;
    }
    if (!reserve(position_ + n)) {
        return false;
    }
    if (position_ > storage_->length) {
        std::fill(storage_->bytes.begin() + static_cast<std::ptrdiff_t>(storage_->length),
                  storage_->bytes.begin() + static_cast<std::ptrdiff_t>(position_), 0);
    }
    std::memcpy(storage_->bytes.data() + position_, buffer, n);
    position_ += n;
    storage_->length = std::max<std::size_t>(storage_->length, static_cast<std::size_t>(position_));
    return true;
}

bool MemoryFile::truncate(std::uint64_t length) {
    if (length > storage_->length) {
        if (!reserve(length)) {
            return false;
        }
        std::fill(storage_->bytes.begin() + static_cast<std::ptrdiff_t>(storage_->length),
                  storage_->bytes.begin() + static_cast<std::ptrdiff_t>(length), 0);
    }
    storage_->length = static_cast<std::size_t>(length);
    return true;
}

std::int64_t MemoryFile::length() const {
    return static_cast<std::int64_t>(storage_->length);
}

std::unique_ptr<File> MemoryFile::duplicate() {
    return std::unique_ptr<File>(new (std::nothrow) MemoryFile(storage_, position_));
}

std::vector<std::uint8_t> MemoryFile::contents() const {
    return std::vector<std::uint8_t>(
        storage_->bytes.begin(),
        storage_->bytes.begin() + static_cast<std::ptrdiff_t>(storage_->length));
}

const std::uint8_t* MemoryFile::data() const {
    return storage_->bytes.data();
}

std::size_t MemoryFile::capacity() const {
    return storage_->bytes.size();
}

}  // namespace jf
