#include "iff/StringTable.h"

#include <cstring>
#include <new>
#include <utility>

#include "iff/ChunkStream.h"

namespace jf {

namespace {

// The fewest bytes one entry takes in each form: count-first a length byte,
// form -1 a NUL, form -2 two NULs, form -3 a language byte and two NULs.
constexpr std::uint32_t kMinEntryCountFirst = 1;
constexpr std::uint32_t kMinEntryTexts = 1;
constexpr std::uint32_t kMinEntryComments = 2;
constexpr std::uint32_t kMinEntryLanguages = 3;

constexpr std::uint32_t kCountFieldOffset = 2;  // N after F in the marked forms

bool validSlot(int slot) {
    return slot >= 0 && slot < kLanguageSlotCount;
}

bool validWhich(int which) {
    return which == StringTable::kText || which == StringTable::kComment;
}

}  // namespace

StringTable::Form StringTable::bodyForm() const {
    if (countFirstForm_) {
        return CountFirst;
    }
    if (!hasComments_) {
        return TextsOnly;
    }
    return hasLanguages_ ? WithLanguages : WithComments;
}

bool StringTable::decode() {
    rows_.clear();
    ChunkStream stream(*chunk());
    std::uint16_t first = 0;
    if (!stream.readU16Ordered(first)) {
        return false;
    }
    std::uint32_t count = 0;
    std::uint32_t minEntry = kMinEntryCountFirst;
    switch (first) {
        case kFormTexts:
            countFirstForm_ = false;
            hasComments_ = false;
            hasLanguages_ = false;
            minEntry = kMinEntryTexts;
            break;
        case kFormTextsComments:
            countFirstForm_ = false;
            hasComments_ = true;
            hasLanguages_ = false;
            minEntry = kMinEntryComments;
            break;
        case kFormTextsCommentsLanguages:
            countFirstForm_ = false;
            hasComments_ = true;
            hasLanguages_ = true;
            minEntry = kMinEntryLanguages;
            break;
        default:
            countFirstForm_ = true;
            hasComments_ = false;
            hasLanguages_ = false;
            count = first;
            break;
    }
    if (!countFirstForm_) {
        std::uint16_t n = 0;
        if (!stream.readU16Ordered(n)) {
            return false;
        }
        count = n;
    }
    if (count == 0) {
        return true;
    }
    // The count comes from the file: rows are reserved only when the body can
    // hold that many entries. Form -3 spreads its entries over up to twenty
    // languages, so its row count is not known in advance.
    if (!hasLanguages_ && std::uint64_t(count) * minEntry <= stream.remaining()) {
        try {
            rows_.reserve(count);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    // Strings are taken straight from the body into their entries: each
    // entry's text (and comment) is located first, and the row is changed
    // only once the whole entry has been read, as one setString per string
    // would do.
    IffChunk& body = *chunk();
    const char* const bytes = reinterpret_cast<const char*>(body.data.data());
    const std::uint32_t size = body.size;
    std::uint32_t position = stream.position();
    // The next NUL-terminated string; one without NUL runs to the end and
    // leaves the position one beyond it, so every later read fails.
    auto nextString = [&](const char*& begin, std::size_t& length) {
        if (position > size) {
            return false;
        }
        begin = bytes + position;
        const std::size_t available = size - position;
        const void* nul = std::memchr(begin, 0, available);
        length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : available;
        position += static_cast<std::uint32_t>(length + 1);
        return true;
    };
    auto fail = [&] {
        body.position = position;
        return false;
    };

    int slot = 0;
    std::size_t k = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const char* text = nullptr;
        std::size_t textLength = 0;
        const char* comment = nullptr;
        std::size_t commentLength = 0;
        if (countFirstForm_) {
            if (position >= size) {
                return fail();
            }
            const std::size_t length = static_cast<std::uint8_t>(bytes[position]);
            if (std::uint64_t{position} + 1 + length > size) {
                ++position;
                return fail();
            }
            text = bytes + position + 1;
            textLength = strnlen(text, length);
            position += static_cast<std::uint32_t>(1 + length);
        } else {
            if (hasLanguages_) {
                if (position >= size) {
                    return fail();
                }
                const int entrySlot = static_cast<std::uint8_t>(bytes[position]) - 1;
                ++position;
                if (!validSlot(entrySlot)) {
                    return fail();
                }
                if (entrySlot != slot) {
                    slot = entrySlot;
                    k = 0;
                }
            }
            if (!nextString(text, textLength)) {
                return fail();
            }
            if (hasComments_ && !nextString(comment, commentLength)) {
                return fail();
            }
        }
        // k never exceeds rowCount(): it restarts at 0 with every language
        // run, and each entry either fills an existing row or appends one.
        // As with setString: a new row joins the table once its text is in.
        bool appended = false;
        try {
            if (k == rows_.size()) {
                rows_.emplace_back();
                appended = true;
            }
            rows_[k][static_cast<std::size_t>(slot)].text.assign(text, textLength);
        } catch (const std::bad_alloc&) {
            if (appended) {
                rows_.pop_back();
            }
            return fail();
        }
        try {
            rows_[k][static_cast<std::size_t>(slot)].comment.assign(
                comment != nullptr ? comment : "", commentLength);
        } catch (const std::bad_alloc&) {
            return fail();
        }
        ++k;
    }
    body.position = position;
    return true;
}

bool StringTable::encode() {
    IffChunk& body = *chunk();
    ChunkStream stream(body);
    stream.setPosition(0);
    Form form = bodyForm();
    if (form == TextsOnly) {
        hasLanguages_ = false;
    }
    const bool countFirst = form == CountFirst;
    // Placeholder counts: the total is written once the slots are done.
    std::uint32_t countOffset = 0;
    if (countFirst) {
        if (!stream.writeU16(0)) {
            return false;
        }
    } else {
        if (!stream.writeU16(static_cast<std::uint16_t>(form)) || !stream.writeU16(0)) {
            return false;
        }
        countOffset = kCountFieldOffset;
    }

    const int slotsToWrite = form == WithLanguages ? kLanguageSlotCount : 1;
    std::uint64_t total = 0;
    try {
        for (int slot = 0; slot < slotsToWrite; ++slot) {
            std::uint32_t start = stream.position();
            bool allEmpty = true;
            for (const Row& row : rows_) {
                const Entry& entry = row[static_cast<std::size_t>(slot)];
                if (!entry.text.empty() || !entry.comment.empty()) {
                    allEmpty = false;
                }
                bool ok = true;
                switch (form) {
                    case CountFirst: {
                        std::size_t length = entry.text.size() < kMaxCountFirstLength
                                                 ? entry.text.size()
                                                 : kMaxCountFirstLength;
                        ok = stream.writeU8(static_cast<std::uint8_t>(length)) &&
                             stream.writeBytes(entry.text.data(), length);
                        break;
                    }
                    case WithLanguages:
                        ok = stream.writeU8(static_cast<std::uint8_t>(slot + 1)) &&
                             stream.writeString(entry.text) && stream.writeString(entry.comment);
                        break;
                    case WithComments:
                        ok = stream.writeString(entry.text) && stream.writeString(entry.comment);
                        break;
                    case TextsOnly:
                        ok = stream.writeString(entry.text);
                        break;
                }
                if (!ok) {
                    return false;
                }
            }
            if (allEmpty) {
                stream.setPosition(start);  // the slot's block is dropped
            } else {
                total += rows_.size();
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    // A total the count field cannot state would be read back as a different
    // table (or, count-first, as a marked form), so such a table is refused.
    const std::uint64_t limit = countFirst ? kMaxCountFirstEntries : kMaxEntries;
    if (total > limit) {
        return false;
    }
    std::uint32_t end = stream.position();
    stream.setPosition(countOffset);
    if (!stream.writeU16(static_cast<std::uint16_t>(total))) {
        return false;
    }
    stream.setPosition(end);
    if (!stream.setLength(end)) {
        return false;
    }
    body.flags = static_cast<std::uint16_t>(body.flags | kFlagLittleEndian);
    return true;
}

void StringTable::assign(const ChunkObject& other) {
    if (const auto* table = dynamic_cast<const StringTable*>(&other)) {
        assign(*table);
        return;
    }
    ChunkObject::assign(other);
}

void StringTable::assign(const StringTable& other) {
    if (this == &other) {
        return;
    }
    ChunkObject::assign(other);
    rows_ = other.rows_;
    countFirstForm_ = other.countFirstForm_;
    hasLanguages_ = other.hasLanguages_;
    hasComments_ = other.hasComments_;
}

bool StringTable::getString(std::size_t row, int slot, int which, std::string& destination) const {
    if (row >= rows_.size() || !validSlot(slot) || !validWhich(which)) {
        return false;
    }
    const Entry& entry = rows_[row][static_cast<std::size_t>(slot)];
    destination = which == kText ? entry.text : entry.comment;
    return true;
}

bool StringTable::setString(std::size_t row, int slot, int which, const std::string& value) {
    if (row > rows_.size() || !validSlot(slot) || !validWhich(which)) {
        return false;
    }
    try {
        if (row == rows_.size()) {
            // The new row is complete before it joins the table, so a failed
            // allocation leaves the table as it was.
            Row fresh;
            Entry& entry = fresh[static_cast<std::size_t>(slot)];
            (which == kText ? entry.text : entry.comment) = value;
            rows_.push_back(std::move(fresh));
        } else {
            Entry& entry = rows_[row][static_cast<std::size_t>(slot)];
            (which == kText ? entry.text : entry.comment) = value;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool StringTable::setRow(std::size_t row, const Row& value) {
    if (row >= rows_.size()) {
        return false;
    }
    rows_[row] = value;
    return true;
}

void StringTable::resizeRows(std::size_t count) {
    rows_.resize(count);
}

void StringTable::setForm(bool countFirstForm, bool hasLanguages, bool hasComments) {
    countFirstForm_ = countFirstForm;
    hasLanguages_ = hasLanguages;
    hasComments_ = hasComments;
}

std::string StringTable::text(std::size_t row, int slot) const {
    if (row >= rows_.size() || !validSlot(slot)) {
        return std::string();
    }
    return rows_[row][static_cast<std::size_t>(slot)].text;
}

}  // namespace jf
