#pragma once
// A value met while evaluating an expression. The number and the text of a value are
// each worked out from the other only when first asked for, and then kept. Borrowed texts
// point into tokens or library nodes, which outlive the evaluation.

#include <string_view>

#include "text/Str.h"

enum class ValueType { Number = 0, Text = 1, Literal = 2, Unset = 3 };

class ExprValue {
public:
    // Unset, with the number 0.
    ExprValue() = default;

    static ExprValue ofNumber(float number);
    static ExprValue ofTruth(bool truth) { return ofNumber(truth ? 1.0f : 0.0f); }

    void setNumber(float number);
    // A number whose "%f" text is already at hand (borrowed).
    void setNumber(float number, std::string_view formatted);
    // `type` is Text or Literal; the text is borrowed.
    void setText(std::string_view text, ValueType type);

    ValueType type() const { return type_; }
    bool isNumber() const { return type_ == ValueType::Number; }
    bool isTextual() const { return type_ == ValueType::Text || type_ == ValueType::Literal; }

    // The number, or the text read as atof reads it (0 without a text).
    float number() const;
    // The text, or the number formatted with "%f".
    std::string_view text() const;

private:
    ValueType type_ = ValueType::Unset;
    mutable float number_ = 0;
    mutable bool numberKnown_ = true;
    mutable bool textKnown_ = false;
    mutable bool ownsText_ = false;
    std::string_view borrowed_;
    mutable Str owned_;
};
