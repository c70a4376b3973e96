#pragma once
// Window helpers shared by every window: placement, ownership, stored positions, editable combo
// boxes, list selection by text, Tab out of grids, Enter as Tab and the printer font.

#include <QPointer>
#include <QRect>

class QAbstractItemView;
class QComboBox;
class QWidget;
class QString;
class QFont;

namespace sarvo {

// Centres an MDI child in the main window's client area, any other window on its screen. A window
// not shown yet is centred again when it shows, with the size its layout and captions gave it.
void CenterForm(QWidget& window);
// Centres a top-level window on another one (the help window on the main window), kept on the
// available area of the other's screen.
void CenterForm(QWidget& window, const QWidget& over);

// Places a top-level window beside another, tops level: to its right, or to its left where the
// right side of the other's screen has no room and the left more, kept on that screen's
// available area.
void PlaceBeside(QWidget& window, const QWidget& other);

// The window belongs to owner: the window manager keeps it above owner, also after the user or a
// message brings owner or the main window to the front. Not owner's child: it keeps its own
// enabled state and lifetime (a disabled owner leaves it usable). Call before the window shows.
void KeepAbove(QWidget& window, QWidget& owner);

// The window a message box, question or file dialog raised now belongs to: the modal window in
// front, else the window shown or activated last that is still on the screen; null when none is.
// Windows are followed from the first call of WatchRaisingWindows on.
QWidget* RaisingWindow();
void WatchRaisingWindows();

// Whatever a command closed or opened, the keyboard ends in a window: once the closing has
// settled, when no window is active, the window shown or activated last that is still on the
// screen is activated (else the first top-level window shown), and in a frame of child windows
// its topmost child.
void KeepKeyboardInAWindow();

// While it lives, the boxes raised belong to window (as long as it is on the screen and no modal
// window is in front), whichever window the user activated last unless that one stays in front of
// window: for the boxes a window raises by itself, at the end of a run or on a timer, after a
// click may have activated the main window.
class RaisedBy {
public:
    explicit RaisedBy(QWidget& window);
    ~RaisedBy();
    RaisedBy(const RaisedBy&) = delete;
    RaisedBy& operator=(const RaisedBy&) = delete;

private:
    QPointer<QWidget> previous_; // a window closed meanwhile is no raiser
};

// Makes the combo box editable as every editable box of the program is: it keeps the text as
// typed (no completion) and never adds it to its list.
void MakeEditable(QComboBox& combo);

// Restores / stores top, left, height and width under the translated section "Places", keyed by
// the window's caption, or by placeName when one is given (a name that is the same in every
// language, so the place survives a change of language). A stored place that is not wholly on the available area of a screen is
// moved and shrunk onto the screen it overlaps most (the primary one when it overlaps none).
void LoadFormPlace(QWidget& window, const QString& iniFile, const QString& placeName = {});
void SaveFormPlace(const QWidget& window, const QString& iniFile, const QString& placeName = {});
// True when the settings file holds a place for the window.
bool HasStoredPlace(const QWidget& window, const QString& iniFile, const QString& placeName = {});

// The place moved, and shrunk where it is larger, so that it lies wholly inside area.
QRect ClampToArea(const QRect& place, const QRect& area);

// Selects the first entry of a combo or list box equal to text (case-sensitive); no equal entry
// leaves the control unchanged.
void ListSelectText(QWidget& listOrCombo, const QString& text);

// Tab and Shift+Tab leave the grid or list for the next or previous control, as everywhere
// else in a window; the arrow keys move between its cells.
void LetTabLeave(QAbstractItemView& view);

// Enter moves the focus to the next control and is swallowed (keyCode becomes 0).
void EnterAsTab(int& keyCode, QWidget& window);

// The first font family containing "Arial" (on Linux the metric-compatible "Liberation Sans"
// stands in for it); no such family leaves the font unchanged.
void SetPrinterFont(QFont& printerFont);

} // namespace sarvo
