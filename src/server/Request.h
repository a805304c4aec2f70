#pragma once
// A command request split the way the web client writes it: "GET /path&name=value&...".
// Parameters start with "&", not "?"; a "?" stays part of the path.

#include <string>
#include <string_view>

struct Request {
    std::string method;     // up to the first space
    std::string path;       // up to the next space, cut at the first "&"; "/" is "/index.html"
    std::string rawParams;  // from the first "&" of the path on, as received
    std::string params;     // rawParams percent-decoded
    std::string argument;   // the decoded text after the first "&"
};

Request parseRequest(std::string_view requestText);

// The value of "&" + name + "=" in `source` up to the next "&": the occurrence-th match
// (0 the first). Empty, with `found` false, when there is no such match.
std::string getParam(std::string_view name, std::string_view source, int occurrence, bool& found);
std::string getParam(std::string_view name, std::string_view source, int occurrence = 0);

// A row id argument such as "s42": the number after the element letter; 0 when empty.
int rowId(std::string_view argument);
