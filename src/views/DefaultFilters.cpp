#include "views/DefaultFilters.h"

#include <array>
#include <string_view>

#include "storage/Node.h"

namespace {

struct DefaultFilter {
    std::string_view name;
    std::string_view query;
};

constexpr std::array<DefaultFilter, 17> kDefaultFilters{{
    {"Rate 5", "$rate == 5"},
    {"Rate 4-5", "$rate >= 4 && $rate <= 5"},
    {"Rate 3-5", "$rate >= 3 && $rate <= 5"},
    {"Unrated", "$rate == 0"},
    {"Unrated or 3-5", "$rate == 0 || ($rate >= 3 && $rate <= 5)"},
    {"Genre *rock*", "$genre == \"*rock*\""},
    {"Genre *metal*", "$genre == \"*metal*\""},
    {"Genre *funk*", "$genre == \"*funk*\""},
    {"Genre *jazz*", "$genre == \"*jazz*\""},
    {"Genre *pop*", "$genre == \"*pop*\""},
    {"Genre *classical*", "$genre == \"*classical*\""},
    {"Year 1980-89", "$year >= 1980 && $year < 1990"},
    {"Year 1990-99", "$year >= 1990 && $year < 2000"},
    {"Year > 2000", "$year > 2000"},
    {"Recently added (4 days)", "Days(\"ADDED\") < 5"},
    {"Recently added (2 weeks)", "Days(\"ADDED\") <= 14"},
    {"Recently added (1 month)", "Days(\"ADDED\") <= 28"},
}};

}  // namespace

void appendDefaultFilters(Node& filters) {
    for (const DefaultFilter& filter : kDefaultFilters) {
        Node* node = filters.appendChild("SEARCH", filter.name);
        if (!node || !node->appendChild("QUERY", filter.query)) return;
    }
}
