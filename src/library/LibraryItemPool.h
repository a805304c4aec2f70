#pragma once
// The process-wide pool every LibraryItem comes from, built during static initialisation.

#include "storage/CachedPool.h"

extern CachedPool theLibraryItemPool;
