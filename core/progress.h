#pragma once
// Progress without a window. A long computation reports how far it is through a Progress it is
// handed; short waits show the busy indicator. Whoever shows either (the program's main window,
// or nothing in tests and tools) sits above the logic.

#include <functional>

namespace sarvo {

class Progress {
public:
    virtual ~Progress() = default;
    // 0..100; may let pending events run.
    virtual void setPercent(int percent) = 0;
    // Whether whoever shows the progress asked to stop. A long computation looks between its
    // steps and then ends with a cancelled outcome, leaving what it works on as it was.
    virtual bool cancelRequested() const { return false; }
};

// Goes nowhere: for callers that show no progress.
class NoProgress : public Progress {
public:
    void setPercent(int) override {}
};

// Progress handed on to a function.
class ProgressFunction : public Progress {
public:
    explicit ProgressFunction(std::function<void(int)> fn) : fn_(std::move(fn)) {}
    void setPercent(int percent) override
    {
        if (fn_)
            fn_(percent);
    }

private:
    std::function<void(int)> fn_;
};

// The busy indicator (an hourglass in the program): on or off, calls nest. The program installs
// its handler; until then nothing is shown.
using BusyHandler = std::function<void(bool busy)>;
void SetBusyHandler(BusyHandler handler);
void ShowBusy(bool busy);

// The busy indicator for the lifetime of the object.
class BusyCursor {
public:
    BusyCursor() { ShowBusy(true); }
    ~BusyCursor() { ShowBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace sarvo
