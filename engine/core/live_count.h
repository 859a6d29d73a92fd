// A share in a tally of live instances: the tally goes up when a share is made and down when it
// goes, however its owner was made, moved or dropped.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace swf {

class LiveCount {
public:
    LiveCount() = default;
    explicit LiveCount(std::shared_ptr<size_t> tally) : tally_(std::move(tally)) {
        if (tally_) ++*tally_;
    }
    LiveCount(LiveCount&& other) noexcept : tally_(std::move(other.tally_)) {}
    LiveCount& operator=(LiveCount&& other) noexcept {
        if (this != &other) {
            release();
            tally_ = std::move(other.tally_);
        }
        return *this;
    }
    LiveCount(const LiveCount&) = delete;
    LiveCount& operator=(const LiveCount&) = delete;
    ~LiveCount() { release(); }

    bool counted() const { return tally_ != nullptr; }

private:
    void release() {
        if (tally_) --*tally_;
        tally_.reset();
    }

    // Shared, so that an instance outliving the player that counted it does no harm.
    std::shared_ptr<size_t> tally_;
};

}  // namespace swf
