#pragma once
// What the frame asks of windows that later subsystems bring, without knowing their types or
// their children: a window offers these by deriving from them, and the frame finds them with a
// cast of the registry's instance.

namespace sarvo {

// A window that shows values in display units and refreshes them when the units change.
class UnitsDisplay {
public:
    virtual ~UnitsDisplay() = default;
    virtual void refreshUnits() = 0;
};

// A window that sets texts of its own at run time (grid headers, row states) and sets them again
// in the current language after a language switch.
class TextsDisplay {
public:
    virtual ~TextsDisplay() = default;
    virtual void retranslateTexts() = 0;
};

// The view options the graph windows share, so the result graph can open as the graph is set.
struct GraphViewOptions {
    bool polar = true;
    bool linear = false;
    bool counterClockwise = true;
    bool clockwise = true;
};

class GraphView {
public:
    virtual ~GraphView() = default;
    virtual GraphViewOptions viewOptions() const = 0;
    virtual void setViewOptions(const GraphViewOptions& options) = 0;
    // The minimum-zone circles are drawn over the graph (the printed report draws them too).
    virtual bool minimumZoneShown() const { return false; }
    // While suspended the window does not draw (its frame is being resized).
    virtual void setDrawingSuspended(bool suspended) = 0;
};

// A window whose help context depends on what it shows (the error type on the results window).
class HelpContextSource {
public:
    virtual ~HelpContextSource() = default;
    virtual int helpContext() const = 0;
};

} // namespace sarvo
