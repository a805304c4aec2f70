#include "views/LibraryContext.h"

#include <cstdlib>
#include <string>

#include "text/Decimal.h"
#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "text/TextSearch.h"
#include "views/ExprToken.h"
#include "views/ExprValue.h"

namespace {

constexpr int32_t kSecondsPerDay = 86400;

bool isCountKey(std::string_view name) { return name == "ADDED" || name == "RATE" || name == "PLAYCOUNT"; }

bool occurs(std::string_view needle, std::string_view haystack) {
    return findLoose(needle, haystack) != std::string_view::npos;
}

// The integer part as a 32-bit conversion gives it on x86: what does not fit (NaN too)
// becomes the smallest int, which leaves rand() unchanged as a divisor.
int32_t integerPart(float number) {
    if (!(number >= -2147483648.0f && number < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(number);
}

// 1 when any (or, with `all`, every) word after the first argument occurs in the first.
bool containsWords(std::span<const ExprValue> args, bool all) {
    if (args.size() < 2) return all;
    const std::string_view text = args[0].text();
    for (const ExprValue& word : args.subspan(1)) {
        if (occurs(word.text(), text) != all) return !all;
    }
    return all;
}

}  // namespace

void LibraryContext::reportError(std::string_view message, const ExprToken& token) const {
    std::string text(message);
    text.append(" at position ").append(std::to_string(token.position())).append("\n");
    // A broken filter fails the same way for every entry of a rebuild: say it once while
    // the message is still showing, not once per song.
    if (board_.error() && board_.error()->text == text) return;
    board_.postError(text);
}

void LibraryContext::variable(std::string_view name, ExprValue& out) const {
    if (isCountKey(name)) {
        out.setNumber(static_cast<float>(decimalValue(entry_->childValue(name, "0"))));
    } else if (name == "YEAR" || name == "TRACK") {
        const char* value = entry_->childValue(name, nullptr);
        if (value) {
            out.setNumber(static_cast<float>(decimalValue(value)));
        } else {
            out.setText("", ValueType::Text);
        }
    } else if (name == "FILE") {
        out.setText(entry_->value(), ValueType::Text);
    } else if (name == "PATH") {
        out.setText(folderPath_, ValueType::Text);
    } else {
        out.setText(entry_->childValue(name, ""), ValueType::Text);
    }
}

void LibraryContext::word(std::string_view text, ExprValue& out) const {
    out.setNumber(occursInEntry(text) ? 1.0f : 0.0f);
}

bool LibraryContext::occursInEntry(std::string_view text) const {
    return occurs(text, entry_->value()) || occurs(text, entry_->childValue("TITLE", "")) ||
           occurs(text, entry_->childValue("ARTIST", "")) || occurs(text, folderPath_);
}

void LibraryContext::call(std::string_view name, std::span<const ExprValue> args, ExprValue& out) const {
    if (name == "DAYS" && args.size() == 1) {
        out.setNumber(static_cast<float>(daysSince(args[0].text())));
    } else if (name == "RANDOM" && args.size() == 1) {
        // RANDOM(0) has no remainder to give: it stays Unset.
        const int32_t range = integerPart(args[0].number());
        if (range != 0) out.setNumber(static_cast<float>(std::rand() % range));
    } else if (name == "CONTAINS_ANY") {
        out.setNumber(containsWords(args, false) ? 1.0f : 0.0f);
    } else if (name == "CONTAINS_ALL") {
        out.setNumber(containsWords(args, true) ? 1.0f : 0.0f);
    }
}

// Stamps and the clock are taken as 32-bit values and subtracted with 32-bit wrap, as
// the stamps were written.
int32_t LibraryContext::daysSince(std::string_view key) const {
    const auto now = static_cast<uint32_t>(clock_());
    const auto stamp = static_cast<uint32_t>(decimalValue(entry_->childValue(key, "0")));
    return static_cast<int32_t>(now - stamp) / kSecondsPerDay;
}
