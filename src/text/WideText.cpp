#include "text/WideText.h"

#include "text/Encoding.h"

WideText::WideText(std::string_view utf8) : units_(utf8ToUtf16(utf8, utf8.size() + 1)) {}
