#include "storage/NodePool.h"

#include "storage/Node.h"

CachedPool theNodePool(sizeof(Node), 128, alignof(Node));
