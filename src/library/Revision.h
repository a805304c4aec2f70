#pragma once
// A change counter the browser compares with the value it saw last: it starts at a value
// of rand() and grows by one per change, wrapping instead of overflowing.

#include <cstdint>
#include <cstdlib>

class Revision {
public:
    Revision() : value_(std::rand()) {}

    int32_t value() const { return value_; }
    void raise() { value_ = static_cast<int32_t>(static_cast<uint32_t>(value_) + 1u); }

private:
    int32_t value_;
};
