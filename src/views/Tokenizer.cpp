#include "views/Tokenizer.h"

#include <algorithm>
#include <string>

namespace {

bool isQuote(char c) { return c == '"' || c == '\''; }

bool isNumberText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

int32_t positionOf(size_t offset) { return static_cast<int32_t>(std::min<size_t>(offset, INT32_MAX)); }

// The length of the unquoted token at the start of `rest`.
size_t plainTokenLength(std::string_view rest) {
    const auto end = std::find_if(rest.begin(), rest.end(), isDelimiter);
    if (end != rest.begin()) return static_cast<size_t>(end - rest.begin());
    return rest.size() > 1 && isOperatorChar(rest[0]) && isOperatorChar(rest[1]) ? 2 : 1;
}

}  // namespace

bool isOperatorChar(char c) {
    return c == '!' || c == '&' || c == '<' || c == '=' || c == '>' || c == '|';
}

bool isDelimiter(char c) {
    return c == ' ' || c == '(' || c == ')' || c == ',' || c == '*' || c == '+' || c == '-' || c == '/' ||
           isOperatorChar(c);
}

std::vector<ExprToken> tokenize(std::string_view text) {
    std::vector<ExprToken> tokens;
    size_t at = 0;
    while (at < text.size()) {
        if (isQuote(text[at])) {
            const size_t close = text.find(text[at], at + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            tokens.emplace_back(std::string(text.substr(at + 1, end - at - 1)), TokenKind::Quoted, positionOf(at + 1));
            at = end + 1;
            continue;
        }
        const size_t length = plainTokenLength(text.substr(at));
        const std::string_view piece = text.substr(at, length);
        if (piece[0] != ' ') {
            const TokenKind kind = isNumberText(piece) ? TokenKind::Number : TokenKind::Word;
            tokens.emplace_back(std::string(piece), kind, positionOf(at));
        }
        at += length;
    }
    return tokens;
}
