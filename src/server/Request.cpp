#include "server/Request.h"

#include "text/Decimal.h"
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
    return argument.empty() ? 0 : decimalValue(argument.substr(1));
}
