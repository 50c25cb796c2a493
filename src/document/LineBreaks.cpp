#include "document/LineBreaks.h"

namespace jf {

namespace {
constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kBackslash = '\\';
constexpr char kLetterN = 'n';
}  // namespace

std::string escapeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kCr && i + 1 < text.size() && text[i + 1] == kLf) {
            out += kBackslash;
            out += kLetterN;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string unescapeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kBackslash && i + 1 < text.size()) {
            if (text[i + 1] == kLetterN) {
                out += kCr;
                out += kLf;
            } else {
                out += text[i];
                out += text[i + 1];
            }
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string multiLineFieldText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kCr && i + 1 < text.size() && text[i + 1] == kLf) {
            continue;  // the LF that follows is kept
        }
        out += text[i];
    }
    return out;
}

std::string multiLineDataText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kLf && (i == 0 || text[i - 1] != kCr)) {
            out += kCr;
        }
        out += text[i];
    }
    return out;
}

}  // namespace jf
