#pragma once
// The game's multilingual string tables (STR# chunks).
//
// A table is a list of rows; every row holds a text and a comment for each
// of the twenty language slots. Four body forms are read, and a table is
// written back in the form it was read in:
//
//   F = 0xFFFF  texts only                 u16 N, N x (text NUL)
//   F = 0xFFFE  texts with comments        u16 N, N x (text NUL comment NUL)
//   F = 0xFFFD  with comments and language u16 N, N x (u8 slot+1, text NUL, comment NUL)
//   otherwise   count-first                F is N, N x (u8 length, length bytes)
//
// F and N are byte-swapped when the chunk's flag 0x10 is clear. Texts are
// byte strings exactly as stored; nothing is converted.
//
// Rows live in a vector, so reaching any row costs constant time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "iff/ChunkObject.h"

namespace jf {

// LanguageSlot: 0..19 in the order USEnglish, UKEnglish, French, German,
// Italian, Spanish, Dutch, Danish, Swedish, Norwegian, Finnish, Hebrew,
// Russian, Portuguese, Japanese, Polish, Simplified Chinese (GBK),
// Traditional Chinese (Big5), Thai, Korean. A STR# language byte is the slot
// plus one.
inline constexpr int kLanguageSlotCount = 20;

class StringTable : public ChunkObject {
public:
    // The "which" argument of getString / setString.
    static constexpr int kText = 0;
    static constexpr int kComment = 1;

    // The first 16-bit value of the body of each marked form.
    static constexpr std::uint16_t kFormTexts = 0xFFFF;                   // -1
    static constexpr std::uint16_t kFormTextsComments = 0xFFFE;           // -2
    static constexpr std::uint16_t kFormTextsCommentsLanguages = 0xFFFD;  // -3
    // The largest entry count the count-first form can state (higher values
    // of F select the other forms).
    static constexpr std::uint32_t kMaxCountFirstEntries = 0xFFFC;
    static constexpr std::uint32_t kMaxEntries = 0xFFFF;
    static constexpr std::size_t kMaxCountFirstLength = 255;

    // The form as a number: -1, -2, -3, or 0 for the count-first form.
    enum Form : int { CountFirst = 0, TextsOnly = -1, WithComments = -2, WithLanguages = -3 };

    struct Entry {
        std::string text;
        std::string comment;
        bool operator==(const Entry&) const = default;
    };
    using Row = std::array<Entry, kLanguageSlotCount>;

    // An empty table in form -3 (comments and languages, not count-first).
    StringTable() = default;

    std::uint32_t typeCode() const override { return kTypeStr; }

    // Replaces every row by those of the body. On failure (a body shorter
    // than its counts, a string running past the end, a language byte of 0
    // or above 20) the rows decoded so far are kept and false is returned.
    bool decode() override;
    // Writes the rows in the form of bodyForm() and sets flag 0x10. Fails
    // (body contents then unspecified, rows unchanged) when memory is
    // exhausted or when the number of entries does not fit the form's count
    // field (65535, or 65532 in the count-first form).
    bool encode() override;

    // Copies the base part (see ChunkObject::assign) and, when `other` is a
    // StringTable, its rows and format flags.
    void assign(const ChunkObject& other) override;
    void assign(const StringTable& other);

    // Copies the string out. False, destination untouched, when row >=
    // rowCount(), slot is not 0..19, or which is neither kText nor kComment.
    bool getString(std::size_t row, int slot, int which, std::string& destination) const;
    // Stores the string. row == rowCount() appends a row whose other strings
    // are empty. False, nothing changed, when row > rowCount() or slot /
    // which are out of range.
    bool setString(std::size_t row, int slot, int which, const std::string& value);
    // The text of (row, slot), or "" when out of range.
    std::string text(std::size_t row, int slot) const;

    std::size_t rowCount() const { return rows_.size(); }
    const std::vector<Row>& rows() const { return rows_; }

    // Replaces row `row` (below rowCount()) whole; false, nothing changed,
    // for a row beyond the end.
    bool setRow(std::size_t row, const Row& value);
    // Cuts the table to `count` rows, or lengthens it with empty rows. May
    // throw std::bad_alloc, leaving the table as it was.
    void resizeRows(std::size_t count);
    // Sets the form flags read by the last decode (for putting a table back
    // as it was; decode sets them itself).
    void setForm(bool countFirstForm, bool hasLanguages, bool hasComments);

    bool countFirstForm() const { return countFirstForm_; }
    bool hasLanguages() const { return hasLanguages_; }
    bool hasComments() const { return hasComments_; }
    // The form encode() writes (a table without comments never has languages).
    Form bodyForm() const;

private:
    std::vector<Row> rows_;
    bool countFirstForm_ = false;
    bool hasLanguages_ = true;
    bool hasComments_ = true;
};

}  // namespace jf
