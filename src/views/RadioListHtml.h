#pragma once
// The radio station list ("/listradio"): one block per CHANNELS group. Appends to the
// response body under the application lock; stored texts are escaped.

#include <string>

class RadioList;

// Stations are shown in the tree's order, each group once, a group head each time the group changes;
// stations outside any group before the first group are left out.
void renderRadioList(std::string& out, const RadioList& radio);
