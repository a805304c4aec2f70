#pragma once
// A temporary UTF-16 copy of a UTF-8 text, for the one call that wants wide characters.

#include <string>
#include <string_view>

class WideText {
public:
    explicit WideText(std::string_view utf8);
    const char16_t* c_str() const { return units_.c_str(); }
    std::u16string_view view() const { return units_; }

private:
    std::u16string units_;
};
