#include "views/FilterSet.h"

#include <algorithm>
#include <cstdio>

#include "storage/NodeFile.h"
#include "views/DefaultFilters.h"

namespace {

void compileUpperCase(Expression& expression, std::string_view text) {
    Str upper(text);
    upper.toUpper();
    expression.compile(upper.view());
}

int childCount(const Node& node) {
    const auto children = node.children();
    return static_cast<int>(std::distance(children.begin(), children.end()));
}

}  // namespace

FilterSet::FilterSet(StatusBoard& board, LibraryContext::Clock clock) : context_(board, std::move(clock)) {}

void FilterSet::load(std::string_view path) {
    path_ = path;
    filters_.clearChildren();
    if (!loadOwnNodeFile(filters_, path_)) appendDefaultFilters(filters_);
    revision_.raise();
}

Node* FilterSet::addFilter() {
    Node* filter = filters_.appendChild("SEARCH", "Unnamed");
    if (!filter) return nullptr;
    filter->appendChild("QUERY", "");
    revision_.raise();
    return filter;
}

bool FilterSet::setFilter(int index, std::string_view name, std::string_view query) {
    Node* filter = filterAt(index);
    if (!filter) return false;
    const Node* oldQuery = filter->findChild("QUERY");
    if (name == filter->value() && oldQuery && query == oldQuery->value()) return false;
    filter->setText("SEARCH", name);
    filter->setChild("QUERY", query);
    save();
    revision_.raise();
    if (activeFilter_ == index + 1) selectFilter(activeFilter_, true);
    return true;
}

void FilterSet::removeFilter(int index) {
    Node* filter = filterAt(index);
    if (!filter) return;
    Node::destroy(filters_.unlinkChild(filter));
    save();
    revision_.raise();
    if (activeFilter_ > index) selectFilter(activeFilter_ - 1, true);
}

bool FilterSet::selectFilter(int index, bool force) {
    index = std::min(index, childCount(filters_));
    if (index == activeFilter_ && !force) return false;
    activeFilter_ = index;
    const Node* filter = index > 0 ? filterAt(index - 1) : nullptr;
    compileUpperCase(filterExpr_, filter ? filter->childValue("QUERY", "") : "");
    return true;
}

bool FilterSet::setSearch(std::string_view text) {
    if (text == searchText_.view()) return false;
    searchText_.assign(text);
    compileUpperCase(searchExpr_, text.starts_with(':') ? text.substr(1) : text);
    return true;
}

bool FilterSet::matches(const Node& entry, std::string_view folderPath) {
    context_.setEntry(entry, folderPath);
    if (!searchText_.empty() && !passes(searchExpr_)) return false;
    return filterExpr_.isEmpty() || passes(filterExpr_);
}

bool FilterSet::passes(const Expression& expression) {
    return expression.evaluate().number() != 0;
}

Node* FilterSet::filterAt(int index) const {
    return index >= 0 ? filters_.findChild("SEARCH", static_cast<size_t>(index)) : nullptr;
}

// The list in memory stays changed when the file cannot be written.
void FilterSet::save() const {
    if (!saveNodeFile(filters_, path_, true)) std::printf("Error saving %s\n", path_.c_str());
}
