#include "views/ExprOperators.h"

#include "text/TextSearch.h"
#include "views/ExprValue.h"

namespace {

enum class Order { Before, Same, After };

// Numbers when both are numbers, else the texts as unsigned bytes (a number meets a text
// in its "%f" form).
Order compare(const ExprValue& left, const ExprValue& right) {
    if (left.isNumber() && right.isNumber()) {
        const float a = left.number();
        const float b = right.number();
        return a < b ? Order::Before : (a > b ? Order::After : Order::Same);
    }
    const int order = left.text().compare(right.text());
    return order < 0 ? Order::Before : (order > 0 ? Order::After : Order::Same);
}

bool isComparison(std::string_view op) { return op == "<" || op == ">" || op == "<=" || op == ">="; }

bool comparisonHolds(std::string_view op, Order order) {
    if (op == "<") return order == Order::Before;
    if (op == ">") return order == Order::After;
    if (op == "<=") return order != Order::After;
    return order != Order::Before;
}

bool isArithmetic(std::string_view op) { return op == "*" || op == "+" || op == "-" || op == "/"; }

void applyArithmetic(char op, ExprValue& left, const ExprValue& right) {
    const double a = left.number();
    const double b = right.number();
    switch (op) {
        case '*': left.setNumber(static_cast<float>(a * b)); break;
        case '+': left.setNumber(static_cast<float>(a + b)); break;
        case '-': left.setNumber(static_cast<float>(a - b)); break;
        default:
            if (b != 0) left.setNumber(static_cast<float>(a / b));
            break;
    }
}

}  // namespace

void applyOperator(std::string_view op, ExprValue& left, const ExprValue& right) {
    if (isArithmetic(op)) {
        applyArithmetic(op[0], left, right);
    } else if (isComparison(op)) {
        left = ExprValue::ofTruth(comparisonHolds(op, compare(left, right)));
    } else if (op == "=" || op == "==") {
        left = ExprValue::ofTruth(valuesEqual(left, right));
    } else if (op == "!=") {
        left = ExprValue::ofTruth(!valuesEqual(left, right));
    } else if (op == "&&") {
        left = ExprValue::ofTruth(left.number() != 0 && right.number() != 0);
    } else if (op == "||") {
        left = ExprValue::ofTruth(left.number() != 0 || right.number() != 0);
    }
}

bool valuesEqual(const ExprValue& left, const ExprValue& right) {
    if (left.isNumber() || right.isNumber()) return left.number() == right.number();
    if (left.type() == right.type()) return left.text() == right.text();
    if (left.type() == ValueType::Literal) return wildcardMatch(left.text(), right.text());
    if (right.type() == ValueType::Literal) return wildcardMatch(right.text(), left.text());
    return left.text() == right.text();
}
