#pragma once
// A chain of analysis steps in which each step traps its own error and the chain goes on with
// the next: the failures it went on past, in the order they happened. The caller reports each
// one (ReportOutcome), so the user meets the same messages in the same order as when every
// step showed its own; a batch can count them instead.

#include "core/outcome.h"

#include <vector>

namespace sarvo {

class StepFailures {
public:
    // Keeps a failed outcome; returns whether the outcome was a success.
    bool add(const Outcome& outcome)
    {
        if (!outcome.ok())
            list_.push_back(outcome);
        return outcome.ok();
    }
    bool empty() const { return list_.empty(); }
    std::size_t size() const { return list_.size(); }
    const Outcome& operator[](std::size_t i) const { return list_[i]; }
    auto begin() const { return list_.begin(); }
    auto end() const { return list_.end(); }

private:
    std::vector<Outcome> list_;
};

} // namespace sarvo
