#include "views/ExprToken.h"

#include "text/Decimal.h"

namespace {

int precedenceOf(char first) {
    switch (first) {
        case '*': case '/': return 4;
        case '+': case '-': return 5;
        case '<': case '>': return 7;
        case '=': case '!': return 8;
        case '&': return 12;
        case '|': return 13;
        case ',': return 15;
        default: return 0;
    }
}

}  // namespace

ExprToken::ExprToken(std::string text, TokenKind kind, int32_t position)
    : text_(std::move(text)), kind_(kind), position_(position) {
    if (kind_ == TokenKind::Word && !text_.empty()) precedence_ = precedenceOf(text_[0]);
    if (kind_ == TokenKind::Number) {
        number_ = static_cast<float>(decimalValue(text_));
        numberText_.appendFloat(number_);
    }
}
