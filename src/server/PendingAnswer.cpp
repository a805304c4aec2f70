#include "server/PendingAnswer.h"

#include "platform/WakeSignal.h"

void PendingAnswer::fill(std::string body) {
    {
        const std::lock_guard guard(mutex_);
        if (filled_) return;
        filled_ = true;
        body_ = std::move(body);
    }
    wake_->notify();
}

std::optional<std::string> PendingAnswer::take() {
    const std::lock_guard guard(mutex_);
    return std::exchange(body_, std::nullopt);
}
