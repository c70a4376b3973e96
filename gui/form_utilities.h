#pragma once
// Window helpers shared by every window: placement, stored positions, list selection by text,
// Enter as Tab and the printer font.

#include <QRect>

class QWidget;
class QString;
class QFont;

namespace sarvo {

// Centres an MDI child in the main window's client area, any other window on its screen.
void CenterForm(QWidget& window);
// Centres a top-level window on another one (the help window on the main window), kept on the
// available area of the other's screen.
void CenterForm(QWidget& window, const QWidget& over);

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

// Enter moves the focus to the next control and is swallowed (keyCode becomes 0).
void EnterAsTab(int& keyCode, QWidget& window);

// The first font family containing "Arial" (on Linux the metric-compatible "Liberation Sans"
// stands in for it); no such family leaves the font unchanged.
void SetPrinterFont(QFont& printerFont);

} // namespace sarvo
