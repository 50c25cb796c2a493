#include "careers/NumericField.h"

#include <algorithm>
#include <limits>

namespace jf {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The first `count` characters (UTF-8 code points) of the text.
std::string_view leadingCharacters(std::string_view text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool continuation = (byte & 0xC0) == 0x80;
        if (!continuation) {
            if (characters == count) {
                return text.substr(0, i);
            }
            ++characters;
        }
    }
    return text;
}

struct TypeBounds {
    std::int64_t minimum;
    std::int64_t maximum;
};

TypeBounds boundsOf(NumericKind kind) {
    switch (kind) {
        case NumericKind::Unsigned:
            return {0, std::numeric_limits<std::uint32_t>::max()};
        case NumericKind::Short:
            return {std::numeric_limits<std::int16_t>::min(),
                    std::numeric_limits<std::int16_t>::max()};
        case NumericKind::Integer:
        case NumericKind::Mood:
            break;
    }
    return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
}

}  // namespace

std::optional<std::int64_t> parseNumericField(std::string_view text, NumericKind kind) {
    text = leadingCharacters(text, kNumericFieldReadLength);
    if (kind == NumericKind::Mood && text == "-") {
        return 0;
    }
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    // A value of 0 counts only when written with the digit 0 first.
    const char first = at < text.size() ? text[at] : '\0';

    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    if (negative && kind == NumericKind::Unsigned) {
        return std::nullopt;
    }
    const TypeBounds bounds = boundsOf(kind);
    // The magnitude is bounded as it is read, so no digit string overflows.
    const std::int64_t limit = negative ? -bounds.minimum : bounds.maximum;
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    while (at < text.size() && isDigit(text[at])) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > limit) {
            return std::nullopt;
        }
        ++digits;
        ++at;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value == 0 && first != '0') {
        return std::nullopt;
    }
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    return value;
}

const char* notANumberMessage(NumericKind kind) {
    return kind == NumericKind::Unsigned ? kEnterPositiveIntegerMessage : kEnterIntegerMessage;
}

std::string rangeMessage(std::int64_t minimum, std::int64_t maximum) {
    std::string message = kEnterIntegerBetweenMessage;
    const std::string low = std::to_string(minimum);
    const std::string high = std::to_string(maximum);
    message.replace(message.find("%1"), 2, low);
    message.replace(message.find("%2"), 2, high);
    return message;
}

NumericCheck checkNumericField(std::string_view text, NumericKind kind,
                               std::optional<NumericRange> range) {
    NumericCheck check;
    const std::optional<std::int64_t> value = parseNumericField(text, kind);
    if (!value) {
        check.message = notANumberMessage(kind);
        return check;
    }
    if (range && (*value < range->minimum || *value > range->maximum)) {
        check.message = rangeMessage(range->minimum, range->maximum);
        return check;
    }
    check.ok = true;
    check.value = *value;
    return check;
}

NumericRange numericFieldLimits(NumericKind kind, std::optional<NumericRange> range) {
    const TypeBounds bounds = boundsOf(kind);
    if (!range) {
        return {bounds.minimum, bounds.maximum};
    }
    return {std::max(range->minimum, bounds.minimum), std::min(range->maximum, bounds.maximum)};
}

TypedNumber judgeTypedNumber(std::string_view text, NumericKind kind,
                             std::optional<NumericRange> range) {
    if (text.size() > kNumericFieldReadLength) {
        return TypedNumber::Refused;
    }
    const NumericRange limits = numericFieldLimits(kind, range);
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) {
        if (limits.minimum >= 0) {
            return TypedNumber::Refused;
        }
        digits.remove_prefix(1);
    }
    // Past this magnitude every limit is exceeded; reading stops growing there.
    constexpr std::int64_t kBeyondEveryLimit = std::int64_t{1} << 40;
    std::int64_t magnitude = 0;
    for (const char c : digits) {
        if (!isDigit(c)) {
            return TypedNumber::Refused;
        }
        magnitude = std::min(magnitude * 10 + (c - '0'), kBeyondEveryLimit);
    }
    if (!digits.empty()) {
        if (!negative && magnitude > limits.maximum) {
            return TypedNumber::Refused;
        }
        if (negative && -magnitude < limits.minimum) {
            return TypedNumber::Refused;
        }
    }
    return checkNumericField(text, kind, limits).ok ? TypedNumber::Complete
                                                    : TypedNumber::Incomplete;
}

std::string numericFieldTip(NumericKind kind, std::optional<NumericRange> range) {
    const NumericRange limits = numericFieldLimits(kind, range);
    return "An integer from " + std::to_string(limits.minimum) + " to " +
           std::to_string(limits.maximum) + ".";
}

}  // namespace jf
