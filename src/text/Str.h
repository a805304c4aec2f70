#pragma once
// An owned UTF-8 text with the editing operations the rest of the program shares.

#include <cstdint>
#include <string>
#include <string_view>

class Str {
public:
    Str() = default;
    Str(std::string_view text) : text_(text) {}
    Str(const char* text) : text_(text ? text : "") {}
    Str(std::string&& text) : text_(std::move(text)) {}

    Str& assign(std::string_view text);
    // The first `count` bytes of text; a negative count takes all of it.
    Str& assignPrefix(int count, std::string_view text);
    void reset() { text_.clear(); }

    Str& append(std::string_view text);
    Str& appendInt(int32_t number);     // "%d"
    Str& appendFloat(float number);     // "%f": always six decimals
    static Str concat(const Str& first, std::string_view text);

    // Inserts `count` bytes of text at a byte position; a negative count inserts all of it.
    void insert(size_t position, std::string_view text, int count = -1);
    // Removes `count` bytes at a position; a negative count cuts the text there.
    void erase(int count, size_t position);

    void toUpper();            // ASCII letters only
    void trim();               // tab, LF, CR and space at both ends
    void stripQuotes();        // a '"' at the end, then one at the start
    void quoteIfSpaces();      // quotes a text with a space that is not quoted yet
    void dropTrailingSlash();  // one trailing '/' or '\'
    void percentEncode();      // all but A-Z a-z 0-9 - . _ as %XX (upper-case hex)

    void assignLatin1(std::string_view latin1);
    void assignUtf16(std::u16string_view utf16);

    const char* c_str() const { return text_.c_str(); }
    std::string_view view() const { return text_; }
    operator std::string_view() const { return text_; }
    const std::string& str() const { return text_; }
    size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    char operator[](size_t i) const { return text_[i]; }

    bool operator==(std::string_view other) const { return text_ == other; }

private:
    std::string text_;
};
