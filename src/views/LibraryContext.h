#pragma once
// Answers an expression's variables, words and functions from one library entry at a
// time, and posts its parse errors to the status board. Used under the application lock.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "views/ExprContext.h"

class Node;
class StatusBoard;

class LibraryContext : public ExprContext {
public:
    // Seconds since 1970; read only by DAYS.
    using Clock = std::function<int64_t()>;

    // The board must outlive the context.
    LibraryContext(StatusBoard& board, Clock clock) : board_(board), clock_(std::move(clock)) {}

    // The entry the next evaluations read and the path of the folder that holds it; both
    // must stay alive and unchanged while they are evaluated.
    void setEntry(const Node& entry, std::string_view folderPath) {
        entry_ = &entry;
        folderPath_ = folderPath;
    }

    void reportError(std::string_view message, const ExprToken& token) const override;
    void variable(std::string_view name, ExprValue& out) const override;
    void word(std::string_view text, ExprValue& out) const override;
    void call(std::string_view name, std::span<const ExprValue> args, ExprValue& out) const override;

private:
    bool occursInEntry(std::string_view text) const;
    int32_t daysSince(std::string_view key) const;

    StatusBoard& board_;
    Clock clock_;
    const Node* entry_ = nullptr;
    std::string_view folderPath_;
};
