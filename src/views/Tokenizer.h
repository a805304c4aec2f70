#pragma once
// Cuts a filter or search text into tokens.

#include <string_view>
#include <vector>

#include "views/ExprToken.h"

// "!", "&", "<", "=", ">", "|": two of them in a row make one token.
bool isOperatorChar(char c);
// What ends a word: a space (not a tab), "(", ")", ",", "*", "+", "-", "/" and the
// operator characters; the end of the text ends one too.
bool isDelimiter(char c);

// The tokens of `text` in order. Single spaces between tokens are dropped; a quoted
// string keeps its content whatever it starts with, and an unclosed one runs to the end.
std::vector<ExprToken> tokenize(std::string_view text);
