#pragma once
// Builds the library view from the repository's folders: every AUDIO and RADIO entry that
// passes the filter set, in folder order or flat, optionally shuffled. Runs under the
// application lock.

#include "views/ViewLists.h"

class FilterSet;
class Repository;

struct ViewModes {
    bool flat = false;
    bool shuffle = false;
};

// Seeds rand() with 0 so a shuffle comes out the same for the same library. Gives entries
// their items on the way and refills the repository's pendingTags with the listed
// entries that have no TIME yet.
ViewLists buildViewLists(Repository& repository, FilterSet& filters, ViewModes modes);
