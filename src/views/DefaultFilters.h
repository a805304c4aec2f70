#pragma once
// The filters a new user starts with.

class Node;

// Appends the default "SEARCH" filters, each with its "QUERY", to `filters`; stops early
// when the node pool cannot grow.
void appendDefaultFilters(Node& filters);
