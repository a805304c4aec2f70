#pragma once
// The one way lists are mixed: entries drawn at random, one at a time, with the C library's
// rand() from whatever state it is in, so that a seed gives the same order every time.

#include <cstdlib>
#include <span>
#include <vector>

// Appends the pool's entries to `out` in drawing order; the pool is left in no useful order.
template <typename Entry>
void appendDrawn(std::span<Entry> pool, std::vector<Entry>& out) {
    out.reserve(out.size() + pool.size());
    for (size_t left = pool.size(); left > 0; --left) {
        const size_t drawn = static_cast<size_t>(std::rand()) % left;
        out.push_back(pool[drawn]);
        pool[drawn] = pool[left - 1];
    }
}
