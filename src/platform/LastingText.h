#pragma once
// An owned text that lives as long as the library, such as a folder's path, in a block
// from allocateLasting (Memory.h). Immutable once made.

#include <cstddef>
#include <memory>
#include <string_view>

class LastingText {
public:
    LastingText() = default;
    explicit LastingText(std::string_view text);

    std::string_view view() const { return {bytes_.get(), size_}; }
    operator std::string_view() const { return view(); }

private:
    struct Free {
        void operator()(char* block) const;
    };
    std::unique_ptr<char[], Free> bytes_;
    size_t size_ = 0;
};
