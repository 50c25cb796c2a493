// STR# string tables: decode, encode, decode. A table that decodes and
// encodes must read back to the same rows in the same form, except that a
// table whose every text and comment is empty is written with no entries and
// so reads back with no rows; writing it again must give the same body.
//
// Input: byte 0 bit 0 chooses the byte order (set: little-endian), the rest
// is the body.
#include "FuzzSupport.h"
#include "iff/StringTable.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace str_target {

constexpr const char* kTarget = "str";

bool allEmpty(const StringTable& table) {
    for (const StringTable::Row& row : table.rows()) {
        for (const StringTable::Entry& entry : row) {
            if (!entry.text.empty() || !entry.comment.empty()) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace str_target

int runStr(const std::uint8_t* data, std::size_t size) {
    using namespace str_target;
    if (size < 1) {
        return 0;
    }
    StringTable table;
    if (!decodeBody(table, data + 1, size - 1, (data[0] & 1) != 0)) {
        return 0;
    }
    // Every text of a count-first table fits its length byte, and the forms
    // without languages only fill slot 0.
    for (const StringTable::Row& row : table.rows()) {
        for (int slot = 0; slot < kLanguageSlotCount; ++slot) {
            const StringTable::Entry& entry = row[static_cast<std::size_t>(slot)];
            check(
                table.hasLanguages() || slot == 0 || (entry.text.empty() && entry.comment.empty()),
                kTarget, "a table without languages has texts beyond slot 0");
            check(!table.countFirstForm() || entry.text.size() <= StringTable::kMaxCountFirstLength,
                  kTarget, "a count-first text longer than its length byte");
            check(table.hasComments() || entry.comment.empty(), kTarget,
                  "a table without comments has comments");
        }
    }
    Bytes body;
    if (!encodeBody(table, body)) {
        // Refused only when the entries do not fit the count field.
        check(table.rowCount() * (table.hasLanguages() ? kLanguageSlotCount : 1) >
                  StringTable::kMaxCountFirstEntries,
              kTarget, "encode failed on a table that fits its count field");
        return 0;
    }
    StringTable again;
    check(decodeBody(again, body.data(), body.size(), true), kTarget,
          "the encoded body does not decode");
    check(again.bodyForm() == table.bodyForm(), kTarget, "the form changed");
    if (allEmpty(table)) {
        check(again.rowCount() == 0, kTarget, "an all-empty table came back with rows");
    } else {
        check(again.rows() == table.rows(), kTarget, "the rows changed");
    }
    Bytes second;
    check(encodeBody(again, second) && second == body, kTarget,
          "encoding the decoded body again gives other bytes");
    return 0;
}

}  // namespace jf::fuzz
