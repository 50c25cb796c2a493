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

}  // namespace jf
