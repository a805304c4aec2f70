#pragma once
// One token of a compiled filter or search text. Evaluation walks the tokens again for
// every entry, so everything that depends only on the token is worked out once here.

#include <cstdint>
#include <string>

#include "text/Str.h"

enum class TokenKind { Number, Quoted, Word };

class ExprToken {
public:
    // `position`: byte offset of the text's first character in the compiled text.
    ExprToken(std::string text, TokenKind kind, int32_t position);

    const std::string& text() const { return text_; }
    TokenKind kind() const { return kind_; }
    int32_t position() const { return position_; }

    // How tightly an operator binds, from its first character (smaller binds tighter);
    // 0 for an operand. A quoted string is always an operand, whatever it holds.
    int precedence() const { return precedence_; }
    bool opensGroup() const { return startsWith('('); }
    bool isCloseParen() const { return startsWith(')'); }
    bool endsOperand() const { return startsWith(')') || startsWith(','); }
    bool isVariable() const { return startsWith('$'); }

    // A Number token's value (its leading digits as an integer) and that value's "%f" text.
    float number() const { return number_; }
    const Str& numberText() const { return numberText_; }

private:
    bool startsWith(char c) const { return kind_ != TokenKind::Quoted && !text_.empty() && text_[0] == c; }

    std::string text_;
    TokenKind kind_;
    int32_t position_;
    int precedence_ = 0;
    float number_ = 0;
    Str numberText_;
};
