#include "views/ExprValue.h"

#include <cstdlib>
#include <string>

namespace {

// atof wants a terminated text; values only hold views.
double decimalOf(std::string_view text) {
    constexpr size_t kShort = 64;
    if (text.size() < kShort) {
        char buffer[kShort];
        text.copy(buffer, text.size());
        buffer[text.size()] = '\0';
        return std::strtod(buffer, nullptr);
    }
    return std::strtod(std::string(text).c_str(), nullptr);
}

}  // namespace

ExprValue ExprValue::ofNumber(float number) {
    ExprValue value;
    value.setNumber(number);
    return value;
}

void ExprValue::setNumber(float number) {
    type_ = ValueType::Number;
    number_ = number;
    numberKnown_ = true;
    textKnown_ = false;
    ownsText_ = false;
    owned_.reset();
}

void ExprValue::setNumber(float number, std::string_view formatted) {
    setNumber(number);
    borrowed_ = formatted;
    textKnown_ = true;
}

void ExprValue::setText(std::string_view text, ValueType type) {
    type_ = type;
    borrowed_ = text;
    textKnown_ = true;
    numberKnown_ = false;
    ownsText_ = false;
    owned_.reset();
}

float ExprValue::number() const {
    if (!numberKnown_) {
        number_ = textKnown_ ? static_cast<float>(decimalOf(text())) : 0.0f;
        numberKnown_ = true;
    }
    return number_;
}

std::string_view ExprValue::text() const {
    if (!textKnown_) {
        owned_.reset();
        owned_.appendFloat(number_);
        ownsText_ = true;
        textKnown_ = true;
    }
    return ownsText_ ? owned_.view() : borrowed_;
}
