#pragma once
// The numbers typed into the editing dialogs' fields: how a field's text is
// read and which message a refused text gets.
//
// A field holds a decimal integer with an optional sign, optionally
// surrounded by blanks or tabs. Only the first kNumericFieldReadLength
// characters are read. A value that reads as 0 counts only when its first
// character after the leading blanks is the digit 0 (so "-0" and "+0" are
// refused). Mood fields also take a lone "-" as 0; unsigned fields refuse a
// minus sign. A number beyond the range of the field's type is refused like
// any other text that is not a number (never clamped).
//
// While a field is typed in, it takes only texts on the way to a number it
// can hold (judgeTypedNumber); the reading above still decides on OK.
//
// Texts are UTF-8; everything here is pure and thread-safe.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace jf {

inline constexpr char kEnterIntegerMessage[] = "Please enter an integer.";
inline constexpr char kEnterPositiveIntegerMessage[] = "Please enter a positive integer.";
inline constexpr char kEnterIntegerBetweenMessage[] = "Please enter an integer between %1 and %2.";

// Characters of a field that are read; the rest is ignored.
inline constexpr std::size_t kNumericFieldReadLength = 31;

enum class NumericKind {
    Integer,   // signed 32-bit
    Mood,      // signed 32-bit; the text "-" alone reads as 0
    Unsigned,  // unsigned 32-bit, no minus sign
    Short,     // signed 16-bit
};

struct NumericRange {
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
};

// The value of a field's text, or nullopt when the text is not a number of
// the kind (including a number outside the kind's type).
std::optional<std::int64_t> parseNumericField(std::string_view text, NumericKind kind);

// The message for a text that is not a number of the kind: "Please enter a
// positive integer." for unsigned fields, "Please enter an integer." else.
const char* notANumberMessage(NumericKind kind);

// "Please enter an integer between <minimum> and <maximum>."
std::string rangeMessage(std::int64_t minimum, std::int64_t maximum);

struct NumericCheck {
    bool ok = false;
    std::int64_t value = 0;  // valid when ok
    std::string message;     // empty when ok
};

// Reads the text and, when `range` is given, checks that the value lies in
// it (bounds included).
NumericCheck checkNumericField(std::string_view text, NumericKind kind,
                               std::optional<NumericRange> range);

// ---- Typing -------------------------------------------------------------------

// The values a field can hold: `range` within the bounds of the kind's type,
// or those bounds when there is no range.
NumericRange numericFieldLimits(NumericKind kind, std::optional<NumericRange> range);

enum class TypedNumber {
    Refused,     // the keystroke that led here is not taken
    Incomplete,  // may still become a number the field holds ("", "-", "2" of 300..1000)
    Complete,    // reads as a number the field holds
};

// Judges a field's text after a keystroke. Only digits are taken, after one
// leading minus sign where the limits allow negative values, and no more
// than kNumericFieldReadLength characters. A number beyond the limits that
// more digits can only push further out (above the maximum, or below a
// negative minimum) is refused; one below a positive minimum is incomplete,
// as is anything else the reading refuses ("-0", and "-" except in mood
// fields, where it reads as 0).
TypedNumber judgeTypedNumber(std::string_view text, NumericKind kind,
                             std::optional<NumericRange> range);

// The tooltip of a number field: "An integer from <minimum> to <maximum>."
// with the field's limits.
std::string numericFieldTip(NumericKind kind, std::optional<NumericRange> range);

}  // namespace jf
