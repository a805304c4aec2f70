#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "views/ExprContext.h"
#include "views/ExprOperators.h"
#include "views/ExprToken.h"
#include "views/ExprValue.h"
#include "views/Expression.h"
#include "views/Tokenizer.h"

namespace {

using Values = std::map<std::string, float, std::less<>>;
using Texts = std::vector<std::string>;

// Answers words and variables from a table (0 when absent) and writes down what the
// evaluation asked for, so the order and grouping of a walk can be seen.
class TableContext : public ExprContext {
public:
    Values values;
    mutable Texts asked;
    mutable Texts errors;

    void reportError(std::string_view message, const ExprToken& token) const override {
        errors.push_back(std::string(message) + "@" + std::to_string(token.position()));
    }
    void variable(std::string_view name, ExprValue& out) const override { answer("$" + std::string(name), out); }
    void word(std::string_view text, ExprValue& out) const override { answer(std::string(text), out); }
    void call(std::string_view name, std::span<const ExprValue> args, ExprValue& out) const override {
        std::string record = std::string(name) + "(";
        for (const ExprValue& arg : args) record += std::string(arg.text()) + ";";
        asked.push_back(record + ")");
        if (values.contains(name)) out.setNumber(values.at(std::string(name)));
    }

private:
    void answer(const std::string& key, ExprValue& out) const {
        asked.push_back(key);
        out.setNumber(values.contains(key) ? values.at(key) : 0.0f);
    }
};

struct Evaluated {
    ExprValue value;
    Texts asked;
    Texts errors;
};

Evaluated evaluate(const std::string& text, Values values = {}) {
    TableContext context;
    context.values = std::move(values);
    Expression expression(context);
    expression.compile(text);
    return {expression.evaluate(), context.asked, context.errors};
}

float numberOf(const std::string& text, Values values = {}) { return evaluate(text, std::move(values)).value.number(); }

std::string tokenDump(std::string_view text) {
    std::string out;
    for (const ExprToken& token : tokenize(text)) {
        const char kind = token.kind() == TokenKind::Number ? 'N' : token.kind() == TokenKind::Quoted ? 'Q' : 'W';
        out += token.text() + "/" + kind + std::to_string(token.position()) + " ";
    }
    return out;
}

ExprValue text(std::string_view value, ValueType type = ValueType::Text) {
    ExprValue out;
    out.setText(value, type);
    return out;
}

float applied(std::string_view op, ExprValue left, const ExprValue& right) {
    applyOperator(op, left, right);
    return left.number();
}

}  // namespace

TEST(Tokenizer, DelimitersOperatorPairsAndQuotes) {
    EXPECT_EQ(tokenDump("$RATE >= 4&&X<>1"), "$RATE/W0 >=/W6 4/N9 &&/W10 X/W12 <>/W13 1/N15 ");
    EXPECT_EQ(tokenDump("DAYS(\"ADDED\")<5"), "DAYS/W0 (/W4 ADDED/Q6 )/W12 </W13 5/N14 ");
    EXPECT_EQ(tokenDump("12ABC 1.5.2 a\tb -5*2/x+y,z !!!"),
              "12ABC/W0 1.5.2/N6 a\tb/W12 -/W16 5/N17 */W18 2/N19 //W20 x/W21 +/W22 y/W23 ,/W24 z/W25 !!/W27 !/W29 ");
    EXPECT_EQ(tokenDump("'IT''S' \"it's (a)\" \"\" \" lead\" a\"b c\" 'open"),
              "IT/Q1 S/Q5 it's (a)/Q9 /Q20  lead/Q23 a\"b/W30 c\"/W34 open/Q38 ");
}

TEST(Expression, EmptyTextsHaveNoTokensAndYieldUnset) {
    TableContext context;
    Expression expression(context);
    for (const std::string& empty : Texts{"", "   ", std::string("\0A", 2)}) {
        expression.compile(empty);
        EXPECT_TRUE(expression.isEmpty());
        const ExprValue value = expression.evaluate();
        EXPECT_EQ(value.type(), ValueType::Unset);
        EXPECT_EQ(value.text(), "0.000000");
    }
}

TEST(Groupings, OperatorsBindByFirstCharacterAndLookOneTokenAhead) {
    const Values v{{"A", 7}, {"B", 3}, {"C", 2}, {"D", 5}};
    EXPECT_EQ(numberOf("A - B - C", v), 2.0f);       // (7 - 3) - 2
    EXPECT_EQ(numberOf("A - B * C + D", v), -4.0f);  // 7 - ((3 * 2) + 5)
    EXPECT_EQ(numberOf("A && B < C || D", {{"A", 0}, {"B", 5}, {"C", 1}, {"D", 1}}), 0.0f);  // A && ((B < C) || D)
    EXPECT_EQ(numberOf("A && B < C || D", {{"A", 1}, {"B", 5}, {"C", 1}, {"D", 1}}), 1.0f);
    // ((5 > 3) && DAYS) < 5: the look-ahead sees the "(" of the call, not what follows it.
    const Evaluated days = evaluate("$RATE > 3 && DAYS(\"ADDED\") < 5", {{"$RATE", 5}, {"DAYS", 10}});
    EXPECT_EQ(days.value.number(), 1.0f);
    EXPECT_EQ(days.asked, (Texts{"$RATE", "DAYS(ADDED;)"}));
}

TEST(Groupings, OperandsSideBySideAreJoinedByAnd) {
    const Evaluated both = evaluate("ROCK POP", {{"ROCK", 1}, {"POP", 1}});
    EXPECT_EQ(both.value.number(), 1.0f);
    EXPECT_EQ(both.asked, (Texts{"ROCK", "POP"}));
    EXPECT_EQ(numberOf("ROCK POP", {{"ROCK", 1}}), 0.0f);

    const Evaluated minus = evaluate("-5", {{"-", 1}});
    EXPECT_EQ(minus.value.number(), 1.0f);
    EXPECT_EQ(minus.asked, Texts{"-"});
    EXPECT_EQ(numberOf("-5"), 0.0f);

    // Quoted strings are words, whatever characters they hold.
    const Evaluated quoted = evaluate("'IT''S' \"(LIVE)\"", {{"IT", 1}, {"S", 1}, {"(LIVE)", 1}});
    EXPECT_EQ(quoted.value.number(), 1.0f);
    EXPECT_EQ(quoted.asked, (Texts{"IT", "S", "(LIVE)"}));
}

TEST(Expression, DanglingOperatorsAndStrayTerminators) {
    const Evaluated open = evaluate("$RATE >=", {{"$RATE", 4}});
    EXPECT_EQ(open.errors, Texts{"Unexpected end@6"});
    EXPECT_EQ(open.value.number(), 4.0f);

    const Evaluated stray = evaluate("A) || B", {{"A", 1}});
    EXPECT_EQ(stray.asked, Texts{"A"});
    EXPECT_EQ(stray.value.number(), 1.0f);
    EXPECT_EQ(numberOf("X<>1", {{"X", 3}}), 3.0f);
}

TEST(Expression, CallsTakeWholeExpressionsAndEndWithTheirTokens) {
    EXPECT_EQ(evaluate("F()").asked, Texts{"F()"});
    EXPECT_EQ(evaluate("F(1,2)").asked, Texts{"F(1.000000;2.000000;)"});
    EXPECT_EQ(evaluate("RANDOM(2+3)").asked, Texts{"RANDOM(5.000000;)"});
    // Arguments keep their text; only a whole expression turns a text into a word.
    EXPECT_EQ(evaluate("F(\"A B\", $T)").asked, (Texts{"$T", "F(A B;0.000000;)"}));
    EXPECT_EQ(evaluate("F(1)").value.type(), ValueType::Unset);

    EXPECT_EQ(evaluate("F(1, 2").asked, Texts{"F(1.000000;2.000000;)"});
    EXPECT_EQ(evaluate("F(").asked, Texts{"F()"});
    EXPECT_EQ(evaluate("F((1)").asked, Texts{"F(1.000000;)"});
    // Past ten arguments the rest is read and dropped, and the text goes on after ")";
    // the call's Unset result beside "&&" is then searched for as the word 0.000000.
    const Evaluated many = evaluate("F(1,2,3,4,5,6,7,8,9,10,11,X) && Y");
    EXPECT_EQ(many.asked, (Texts{"X", "F(1.000000;2.000000;3.000000;4.000000;5.000000;6.000000;7.000000;"
                                      "8.000000;9.000000;10.000000;)",
                                 "Y", "0.000000"}));
}

TEST(Expression, DeepNestingIsCutOffOnceAndEnds) {
    const Evaluated fine = evaluate(std::string(60, '(') + "A" + std::string(60, ')'), {{"A", 1}});
    EXPECT_TRUE(fine.errors.empty());
    EXPECT_EQ(fine.value.number(), 1.0f);

    const Evaluated deep = evaluate("1 + " + std::string(100000, '(') + "2");
    EXPECT_EQ(deep.errors, Texts{"Nesting too deep@68"});
    EXPECT_EQ(deep.value.number(), 1.0f);

    std::string chain = "A";
    std::string calls;
    for (int i = 0; i < 5000; ++i) {
        chain += " - B * C";
        calls += "F(";
    }
    EXPECT_EQ(evaluate(chain).errors.size(), 1u);
    EXPECT_EQ(evaluate(calls).errors.size(), 1u);
}

TEST(Operators, WhatTheTableLeavesToTheValues) {
    EXPECT_EQ(applied("/", ExprValue::ofNumber(7), ExprValue::ofNumber(2)), 3.5f);
    ExprValue kept = text("9");
    applyOperator("/", kept, ExprValue::ofNumber(0));
    applyOperator("=>", kept, ExprValue::ofNumber(1));
    EXPECT_EQ(kept.type(), ValueType::Text);
    EXPECT_EQ(kept.text(), "9");
    EXPECT_EQ(applied(">", text("\xC3\xA9"), text("z")), 1.0f);  // unsigned bytes
    EXPECT_EQ(applied("+", text("  -12.5abc"), ExprValue::ofNumber(1)), -11.5f);

    EXPECT_FALSE(valuesEqual(text("*A*", ValueType::Literal), text("BAB", ValueType::Literal)));
    EXPECT_FALSE(valuesEqual(text("Rock"), text("ROCK")));
    EXPECT_TRUE(valuesEqual(text("0.000000"), ExprValue()));
    EXPECT_EQ(applied("!=", text("a"), text("A", ValueType::Literal)), 0.0f);
}
