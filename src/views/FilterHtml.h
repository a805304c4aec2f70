#pragma once
// The filter editor's table ("/listfilter") and the filter chooser's names
// ("/listfilterselect"). Both read the filter set under the application lock.

#include <string>

class FilterSet;

// One row of name, query and limit inputs per filter, numbered as FilterSet numbers them
// for removal. Stored texts are escaped.
void renderFilterTable(std::string& out, const FilterSet& filters);

// "Filter off;" and the names joined by ";": plain text, names as stored. A name's
// position here is its number for selectFilter.
void renderFilterNames(std::string& out, const FilterSet& filters);
