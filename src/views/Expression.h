#pragma once
// A compiled filter or search text: its tokens, bound to the context that answers its
// variables, words and calls. There is no tree; every evaluation walks the tokens anew.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "views/ExprToken.h"
#include "views/ExprValue.h"

class ExprContext;

class Expression {
public:
    // The context is not owned and must outlive the expression.
    explicit Expression(const ExprContext& context) : context_(context) {}
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Replaces the tokens with those of `text` (up to a NUL, as the C text it stands for).
    // Callers upper-case the text first.
    void compile(std::string_view text);
    void clear();
    bool isEmpty() const { return tokens_.empty(); }

    // Unset with the number 0 when there are no tokens. Ends on any text, however
    // malformed or deeply nested; allocates nothing but the "%f" texts of computed
    // numbers that meet texts.
    ExprValue evaluate() const;

    const std::string& source() const { return source_; }
    std::span<const ExprToken> tokens() const { return tokens_; }

private:
    const ExprContext& context_;
    std::string source_;
    std::vector<ExprToken> tokens_;
};
