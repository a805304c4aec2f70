#include "views/ExprEvaluator.h"

#include <array>
#include <string_view>

#include "views/ExprContext.h"
#include "views/ExprOperators.h"
#include "views/ExprToken.h"

namespace {

constexpr int kImplicitAndPrecedence = 12;

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(++depth) {}
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

bool isLogical(std::string_view op) { return op[0] == '&' || op[0] == '|'; }

bool standsForWord(const ExprValue& value) {
    return value.type() == ValueType::Literal || value.type() == ValueType::Unset;
}

}  // namespace

ExprValue ExprEvaluator::run() {
    cursor_ = 0;
    return parseExpression(false);
}

ExprValue ExprEvaluator::parseExpression(bool argumentMode) {
    terminator_ = nullptr;
    if (cursor_ >= tokens_.size()) return {};
    if (depth_ == kMaxDepth) {
        abandon();
        return {};
    }
    const DepthGuard guard(depth_);
    ExprValue left = applyOperators(parsePrimary(cursor_++));
    // A text left standing where a truth is wanted is a search word; arguments keep it.
    if (!argumentMode && left.isTextual()) left = asWord(left);
    return left;
}

// Folds operators into `left` until a terminator or the end; sets terminator_ last.
ExprValue ExprEvaluator::applyOperators(ExprValue left) {
    const ExprToken* terminator = nullptr;
    while (cursor_ < tokens_.size()) {
        const ExprToken& op = tokens_[cursor_++];
        if (op.endsOperand()) {
            terminator = &op;
            break;
        }
        std::string_view opText = op.text();
        int precedence = op.precedence();
        if (precedence == 0) {  // two operands in a row are joined by "&&"
            opText = "&&";
            precedence = kImplicitAndPrecedence;
            --cursor_;
        }
        if (cursor_ == tokens_.size()) {
            context_.reportError("Unexpected end", op);
            break;
        }
        ExprValue right = rightOperand(precedence);
        if (isLogical(opText)) {
            if (standsForWord(left)) left = asWord(left);
            if (standsForWord(right)) right = asWord(right);
        }
        applyOperator(opText, left, right);
    }
    terminator_ = terminator;
    return left;
}

// Looks only at the token after the operand's first token, not after the whole operand.
ExprValue ExprEvaluator::rightOperand(int precedence) {
    if (cursor_ + 1 < tokens_.size()) {
        const ExprToken& following = tokens_[cursor_ + 1];
        const bool closes = following.isCloseParen();
        int next = following.precedence();
        if (next == 0 && !closes) next = kImplicitAndPrecedence;
        if (next < precedence && !closes) return parseExpression(false);
    }
    return parsePrimary(cursor_++);
}

ExprValue ExprEvaluator::parsePrimary(size_t index) {
    const ExprToken& token = tokens_[index];
    if (token.opensGroup()) return parseExpression(false);
    ExprValue value;
    if (token.kind() == TokenKind::Number) {
        value.setNumber(token.number(), token.numberText().view());
    } else if (token.kind() == TokenKind::Quoted) {
        value.setText(token.text(), ValueType::Literal);
    } else if (cursor_ < tokens_.size() && tokens_[cursor_].opensGroup()) {
        value = parseCall(token);
    } else if (token.isVariable()) {
        context_.variable(std::string_view(token.text()).substr(1), value);
    } else {
        context_.word(token.text(), value);
    }
    return value;
}

// Arguments past the tenth are evaluated and dropped; a missing ")" ends the call with
// the tokens.
ExprValue ExprEvaluator::parseCall(const ExprToken& name) {
    ++cursor_;
    std::array<ExprValue, kMaxArguments> arguments;
    size_t count = 0;
    while (cursor_ < tokens_.size() && !tokens_[cursor_].isCloseParen()) {
        ExprValue argument = parseExpression(true);
        if (count < kMaxArguments) arguments[count++] = std::move(argument);
        if (!terminator_) break;
        if (terminator_->isCloseParen()) --cursor_;
    }
    if (cursor_ < tokens_.size()) ++cursor_;
    ExprValue out;
    context_.call(name.text(), std::span(arguments.data(), count), out);
    return out;
}

ExprValue ExprEvaluator::asWord(const ExprValue& value) const {
    ExprValue out;
    context_.word(value.text(), out);
    return out;
}

// Too deep to go on: report once, then every level finishes with what it has.
void ExprEvaluator::abandon() {
    context_.reportError("Nesting too deep", tokens_[cursor_]);
    cursor_ = tokens_.size();
}
