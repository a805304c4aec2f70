#pragma once
// What an expression asks of its surroundings while it is evaluated: the values of
// variables, bare words and function calls, and where parse errors go. Each answer is
// written to `out`, which arrives Unset.

#include <span>
#include <string_view>

class ExprToken;
class ExprValue;

class ExprContext {
public:
    virtual ~ExprContext() = default;

    // A parse error at `token`; the evaluation goes on.
    virtual void reportError(std::string_view message, const ExprToken& token) const = 0;
    // "$NAME", with `name` given without the "$".
    virtual void variable(std::string_view name, ExprValue& out) const = 0;
    // A search word, or a text standing where a truth value is wanted.
    virtual void word(std::string_view text, ExprValue& out) const = 0;
    // `out` stays Unset for a function the context does not know.
    virtual void call(std::string_view name, std::span<const ExprValue> args, ExprValue& out) const = 0;
};
