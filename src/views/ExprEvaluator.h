#pragma once
// One evaluation of a token list: parses and computes in a single walk, asking the
// context for variables, words and calls. Lives for one evaluation, on the stack.

#include <cstddef>
#include <span>

#include "views/ExprValue.h"

class ExprContext;
class ExprToken;

class ExprEvaluator {
public:
    // Bounds the recursion that brackets, calls and loosely bound right operands cause.
    static constexpr int kMaxDepth = 64;
    static constexpr size_t kMaxArguments = 10;

    ExprEvaluator(std::span<const ExprToken> tokens, const ExprContext& context)
        : tokens_(tokens), context_(context) {}

    // Reads from the first token up to the first ")" or "," that no deeper level takes;
    // Unset with the number 0 when there are no tokens.
    ExprValue run();

private:
    ExprValue parseExpression(bool argumentMode);
    ExprValue applyOperators(ExprValue left);
    ExprValue rightOperand(int precedence);
    ExprValue parsePrimary(size_t index);
    ExprValue parseCall(const ExprToken& name);
    ExprValue asWord(const ExprValue& value) const;
    void abandon();

    std::span<const ExprToken> tokens_;
    const ExprContext& context_;
    size_t cursor_ = 0;
    int depth_ = 0;
    // The ")" or "," that ended the last parseExpression; null when the tokens ran out.
    const ExprToken* terminator_ = nullptr;
};
