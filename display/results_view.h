#pragma once
// The results of the open case as the results window shows them and the printed report reads
// them: every caption by control name and index, the visibility of rows, panels and sign
// pictures, the availability of the tab pages, and the data of the spectrum and Pareto charts.
// One pure function builds it from the case and the display units; nothing of an earlier case
// can survive in it.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"

#include <QPointF>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace sarvo::display {

// The tab pages of the results window, numbered as the window numbers them.
enum class ResultPage {
    All = 0,
    AxisSpike,
    Backlash,
    Circularity,
    Cyclic,
    Iso,
    LateralPlay,
    Scale,
    Servo,
    Squareness,
    StickSlip,
    Straightness,
    Vibration,
    Pareto,
};
inline constexpr int kResultPages = 14;

// A caption of the results window: control name and index (-1 for a control without one).
struct ResultCaption {
    QString control;
    int index = -1;
    QString text;
};

// "LblCirV(2)", or "LblCirMaV" for a control without an index.
QString ControlKey(const QString& control, int index = -1);

struct ParetoBar {
    int code = 0;     // fault code 0..19
    QString name;     // translated influence name
    double value = 0; // in display units (µm or inch)
};

struct ResultsView {
    // Every caption, in the order the window is filled.
    std::vector<ResultCaption> captions;
    // Rows, panels and pictures that are shown ("LblRound(2)", "PnlHide", "ImgPlusXZ") by key;
    // a key not listed is not a switched element.
    std::map<QString, bool> visible;
    std::array<bool, kResultPages> pageEnabled{};
    // The power spectrum: x the frequency in Hz (the line number when the arc time is unknown),
    // y the line amplitude in µm.
    std::vector<QPointF> spectrum;
    bool spectrumInHertz = true;
    // The five largest influences, largest first; empty while the error model is not valid.
    std::vector<ParetoBar> pareto;
    QString paretoAxisTitle;

    // The caption of a control; nullopt when the view has none for it.
    std::optional<QString> caption(const QString& control, int index = -1) const;
    // Whether a switched element is shown; true for one the view does not switch.
    bool isVisible(const QString& key) const;
};

// The results of the case in the display units (units from ComputeUnits, settings for the inch
// switch). The influence ranking must be current (SetInfluence). Zero terms are blank; while
// ResultsValid is false only the circularity and ISO values are shown.
ResultsView BuildResultsView(const Case& c, const UnitState& units, const Settings& settings);

// What the view and the window know of a page.
struct ResultPageInfo {
    const char* type;  // the caption of its hidden label lblType, which the tab shows
    const char* frame; // the title of its frame frmType
    int help;          // its context in the error-types help
    // The fault codes of the influence ranking that the page explains; none when first is -1.
    int firstFault;
    int lastFault;
    const char* hint; // the fixed hint at its foot; nullptr for none
};

// The row of a page in the one table of the pages.
const ResultPageInfo& PageInfo(ResultPage page);
// The page of a fault code (0..19) of the influence ranking; nullopt for any other code.
std::optional<ResultPage> PageOfFaultCode(int code);
// The help context of a page.
int HelpContextOfPage(ResultPage page);

} // namespace sarvo::display
