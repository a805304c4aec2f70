#include "library/StatusBoard.h"

#include <cstdio>
#include <ctime>

void StatusBoard::post(int slot, std::string_view text) {
    slots_[slot] = Message{std::string(text), static_cast<int64_t>(std::time(nullptr))};
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void StatusBoard::takeOver(StatusBoard& other) {
    for (int slot = 0; slot < 2; ++slot) {
        if (other.slots_[slot]) slots_[slot] = std::move(other.slots_[slot]);
        other.slots_[slot].reset();
    }
}

std::optional<int64_t> StatusBoard::nextExpiry() const {
    std::optional<int64_t> soonest;
    for (const auto& slot : slots_) {
        if (slot && (!soonest || slot->postedAt + 2 < *soonest)) soonest = slot->postedAt + 2;
    }
    return soonest;
}

void StatusBoard::expire(int64_t now) {
    for (auto& slot : slots_) {
        if (slot && slot->postedAt + 2 <= now) slot.reset();
    }
}
