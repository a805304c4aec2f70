#include "views/Expression.h"

#include "views/ExprEvaluator.h"
#include "views/Tokenizer.h"

void Expression::compile(std::string_view text) {
    source_ = text.substr(0, text.find('\0'));
    tokens_ = tokenize(source_);
}

void Expression::clear() {
    source_.clear();
    tokens_.clear();
}

ExprValue Expression::evaluate() const {
    return ExprEvaluator(tokens_, context_).run();
}
