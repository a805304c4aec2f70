#pragma once
// The process-wide pool every Node comes from. It is built during static initialisation
// and freed at exit, so no Node may be created by another static initialiser.

#include "storage/CachedPool.h"

extern CachedPool theNodePool;

inline CachedPool& nodePool() { return theNodePool; }
