#pragma once
// What the operators of the filter language do to two values.

#include <string_view>

class ExprValue;

// The result replaces `left`. Arithmetic runs in double precision; comparisons and logic
// give exactly 1 or 0; an operator text without a meaning leaves `left` as it was.
void applyOperator(std::string_view op, ExprValue& left, const ExprValue& right);

// The equality of "=", "==" and "!=": numbers when either side is one; a quoted string
// against another kind of text is a wildcard pattern; otherwise exact bytes.
bool valuesEqual(const ExprValue& left, const ExprValue& right);
