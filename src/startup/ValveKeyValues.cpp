#include "startup/ValveKeyValues.h"

#include "platform/FileSystem.h"

namespace jf {

namespace {

enum class TokenKind { End, Open, Close, Text };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}

    Token next() {
        for (;;) {
            skipBlanksAndComments();
            if (pos_ >= text_.size()) {
                return {};
            }
            char c = text_[pos_];
            if (c == '{') {
                ++pos_;
                return {TokenKind::Open, {}};
            }
            if (c == '}') {
                ++pos_;
                return {TokenKind::Close, {}};
            }
            if (c == '"') {
                return {TokenKind::Text, quoted()};
            }
            std::string bare = bareToken();
            if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']') {
                continue;  // a platform condition such as [$WIN32]
            }
            return {TokenKind::Text, std::move(bare)};
        }
    }

private:
    static bool isBlank(char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
    }

    void skipBlanksAndComments() {
        while (pos_ < text_.size()) {
            if (isBlank(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') {
                    ++pos_;
                }
            } else {
                return;
            }
        }
    }

    std::string quoted() {
        std::string out;
        ++pos_;  // opening quote
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') {
                return out;
            }
            if (c == '\\' && pos_ < text_.size()) {
                char e = text_[pos_];
                if (e == '\\' || e == '"') {
                    out.push_back(e);
                    ++pos_;
                    continue;
                }
                if (e == 'n') {
                    out.push_back('\n');
                    ++pos_;
                    continue;
                }
                if (e == 't') {
                    out.push_back('\t');
                    ++pos_;
                    continue;
                }
            }
            out.push_back(c);
        }
        return out;  // unterminated: the rest of the text
    }

    std::string bareToken() {
        std::size_t start = pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (isBlank(c) || c == '{' || c == '}' || c == '"') {
                break;
            }
            ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(std::string_view text) : tokens_(text) {}

    void parseBlock(KeyValueNode& block, int depth) {
        for (;;) {
            Token key = tokens_.next();
            if (key.kind == TokenKind::End) {
                stopped_ = true;
                return;
            }
            if (key.kind == TokenKind::Close) {
                if (depth > 0) {
                    return;
                }
                continue;  // a stray closing brace at the top level
            }
            if (key.kind == TokenKind::Open) {
                stopped_ = true;  // a block without a key: give up here
                return;
            }
            Token value = tokens_.next();
            if (value.kind == TokenKind::End || value.kind == TokenKind::Close) {
                stopped_ = true;
                return;
            }
            if (++nodes_ > kKeyValueMaxNodes) {
                stopped_ = true;
                return;
            }
            KeyValueNode node;
            node.key = std::move(key.text);
            if (value.kind == TokenKind::Text) {
                node.value = std::move(value.text);
                block.children.push_back(std::move(node));
                continue;
            }
            node.isBlock = true;
            if (depth + 1 >= kKeyValueMaxDepth) {
                stopped_ = true;
                return;
            }
            parseBlock(node, depth + 1);
            block.children.push_back(std::move(node));
            if (stopped_) {
                return;
            }
        }
    }

private:
    Tokenizer tokens_;
    std::size_t nodes_ = 0;
    bool stopped_ = false;
};

}  // namespace

const KeyValueNode* KeyValueNode::child(std::string_view name) const {
    for (const KeyValueNode& c : children) {
        if (paths::equalsIgnoreCase(c.key, name)) {
            return &c;
        }
    }
    return nullptr;
}

KeyValueNode parseKeyValues(std::string_view text) {
    KeyValueNode root;
    root.isBlock = true;
    Parser(text).parseBlock(root, 0);
    return root;
}

}  // namespace jf
