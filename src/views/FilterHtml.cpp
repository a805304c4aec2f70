#include "views/FilterHtml.h"

#include "storage/Node.h"
#include "text/HtmlEscape.h"
#include "views/FilterSet.h"

namespace {

constexpr std::string_view kFilter = "SEARCH";

void textInput(std::string& out, std::string_view value, std::string_view tail) {
    out += "<input type='text' value='";
    appendHtmlEscaped(out, value);
    out += tail;
}

}  // namespace

void renderFilterTable(std::string& out, const FilterSet& filters) {
    out += "<table style='width: 100%'><col class='filter_col_1'><col class='filter_col_2'>"
           "<col class='filter_col_3'><col class='filter_col_4'>"
           "<tr><td>Name</td><td>Expression</td><td>Limit</td><td></td></tr>";
    int index = 0;
    for (const Node& filter : filters.filters().children()) {
        if (!filter.hasName(kFilter)) continue;
        out += "<tr><td>";
        textInput(out, filter.value(), "'>");
        out += "</td><td>";
        textInput(out, filter.childValue("QUERY", ""), "'>");
        out += "</td><td>";
        textInput(out, filter.childValue("LIMIT", ""), "' disabled>");
        out += "</td><td><input type='button' value='remove' onclick='parent.RemoveFilter(" +
               std::to_string(index++) + ")'><br></td></tr>";
    }
    out += "</table>";
}

void renderFilterNames(std::string& out, const FilterSet& filters) {
    out += "Filter off";
    for (const Node& filter : filters.filters().children()) {
        if (!filter.hasName(kFilter)) continue;
        out += ';';
        out += filter.value();
    }
}
