#pragma once
// Numbers kept as decimal text: settings, tags, command parameters.

#include <string_view>

// The number at the start of the text the way atoi reads it (blanks, a sign, digits; no
// digits give 0), saturating where atoi's overflow would be undefined. Allocates nothing.
int decimalValue(std::string_view text);
