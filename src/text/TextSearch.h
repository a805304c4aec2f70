#pragma once
// Searching, matching and escaping on plain texts. Positions are byte offsets;
// npos means not found.

#include <string>
#include <string_view>

// "%XX" (either case) becomes that byte; a '%' without two hex digits stays as it is.
std::string percentDecode(std::string_view text);

// The part after the last '/' or '\'; the whole path when its only separator leads it.
std::string_view fileNameOf(std::string_view path);
// Without the blanks and tabs at either end.
std::string_view trimBlanks(std::string_view text);
// Offset of the first CR or LF (the text's size when there is none).
size_t lineEnd(std::string_view text);
// Offset just after that line end: a CR LF pair or a single LF; a lone CR is not skipped.
size_t nextLine(std::string_view text);

// Equal but for the letter case of ASCII letters.
bool equalNoCase(std::string_view a, std::string_view b);
// Case-folded search (bit 0x20 set on both sides).
size_t findNoCase(std::string_view haystack, std::string_view needle);
// As findNoCase, and a space in the needle also matches '_'; npos for an empty haystack.
size_t findLoose(std::string_view needle, std::string_view haystack);
// Search for a needle lying wholly within the first `limit` bytes.
size_t findBounded(size_t limit, std::string_view haystack, std::string_view needle);
size_t findNoCaseBounded(size_t limit, std::string_view haystack, std::string_view needle);

// '*' any run, '?' any one byte, other bytes case-folded; the whole text must match.
bool wildcardMatch(std::string_view pattern, std::string_view text);

int hexToInt(std::string_view text);
// "m:s" to seconds, saturating at the int range; 0 when there is no ":".
int minSecToSeconds(std::string_view text);
