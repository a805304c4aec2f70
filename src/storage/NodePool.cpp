#include "storage/NodePool.h"

#include "storage/FixedPool.h"
#include "storage/Node.h"

FixedPool& nodePool() {
    static FixedPool pool(sizeof(Node), 128, alignof(Node));
    return pool;
}
