#include "server/Request.h"

#include <algorithm>
#include <climits>

#include "text/TextSearch.h"

namespace {

std::string_view upTo(std::string_view text, char separator) {
    return text.substr(0, text.find(separator));
}

}  // namespace

Request parseRequest(std::string_view requestText) {
    Request request;
    const size_t space = requestText.find(' ');
    request.method = upTo(requestText, ' ');
    std::string_view path;
    if (space != std::string_view::npos) path = upTo(requestText.substr(space + 1), ' ');
    path = upTo(path, '\0');
    const size_t ampersand = path.find('&');
    if (ampersand != std::string_view::npos) {
        request.rawParams = path.substr(ampersand);
        request.params = percentDecode(request.rawParams);
        request.argument = percentDecode(path.substr(ampersand + 1));
        path = path.substr(0, ampersand);
    }
    request.path = path == "/" ? "/index.html" : std::string(path);
    return request;
}

std::string getParam(std::string_view name, std::string_view source, int occurrence, bool& found) {
    std::string key = "&";
    key.append(name).append("=");
    size_t position = source.find(key);
    for (int skipped = 0; skipped < occurrence && position != std::string_view::npos; ++skipped) {
        position = source.find(key, position + 1);
    }
    found = position != std::string_view::npos;
    if (!found) return {};
    return std::string(upTo(source.substr(position + key.size()), '&'));
}

std::string getParam(std::string_view name, std::string_view source, int occurrence) {
    bool found = false;
    return getParam(name, source, occurrence, found);
}

int rowId(std::string_view argument) {
    return argument.empty() ? 0 : parseNumber(argument.substr(1));
}

int parseNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // atoi's overflow is undefined; saturating keeps huge ids harmless.
        value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}
