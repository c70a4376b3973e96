#pragma once
// The case-information panel as data: the text of every field in display units, the plane
// choice and the unit captions, built by one pure function from the case, the settings and the
// units; and the write-back of a field the user edited into the case header. The panel shows the
// view and calls the write-back; the printed report reads the same view.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace sarvo {
class IniFile;
}

namespace sarvo::display {

// The text boxes txtInfo(i) run over i = 0..22; 5, 13 and 19 have none (the plane is a combo
// box, 13 and 19 are not shown).
inline constexpr int kCaseInfoFields = 23;

// Whether txtInfo(field) exists.
bool IsCaseInfoField(int field);
// Whether the user may type in it: 0-3, 10, 12 and the origin 14-16. The others only show.
bool IsCaseInfoFieldEditable(int field);
// Characters a field holds: 100 for the file name (0) and the comment (12), 30 for the others.
int CaseInfoFieldLimit(int field);

// The caption of the field's label LblBasic(field) as designed, and as shown: translated under
// the panel's Tag "Basic". Empty for a field without a label.
QString CaseInfoLabelText(int field);
QString CaseInfoLabel(int field);

// The items of the plane list, in their order: "xy", "xz", "yz".
const QStringList& CaseInfoPlanes();

struct CaseInfoView {
    // txtInfo(i), already cut to the field's limit; empty for 5, 13 and 19.
    std::array<QString, kCaseInfoFields> fields;
    // The plane list: the items of CaseInfoPlanes, then header slot 5 when it holds another
    // plane. planeIndex is the item equal to slot 5 (exact, case-sensitive); nullopt, no item
    // chosen, for a case without a plane.
    QStringList planes;
    std::optional<int> planeIndex;
    QString ballbarName;        // maker, model and serial number
    QString ballbarScaleFactor;
    // LblUnit(i) by control index: 2 ball-bar length, 3 origin, 4 feedrate; 0 and 1 unused.
    std::array<QString, 5> lblUnit;
    // LblTempUnit(0..2): gauge and machine temperature, and the degree of the coefficients.
    std::array<QString, 3> lblTempUnit;

    // txtInfo(field); empty for an index without a text box.
    QString field(int field) const;
};

// The open case as the panel shows it: lengths in display units, temperatures in the unit of
// the settings (captions from the settings file), the capture type and calibration translated.
// A case without runs shows empty temperature fields.
CaseInfoView BuildCaseInfoView(const Case& c, const Settings& settings, const UnitState& units,
                               const IniFile& settingsFile);

// Writes the text the user typed into field back into the case and gives the text the field
// shows afterwards:
// - the date (2) is read as date and time into TestDate and slot 2 takes its general text; an
//   unreadable date leaves the case unchanged and gives slot 2 back;
// - the origin (14-16) is typed in display units and stored in mm with LargeFormat ("." as
//   separator), then shown in display units again; a text that is no number keeps the slot;
// - the other editable fields take the text as typed.
// The text is cut to the field's limit first. nullopt, and the case untouched, for a field that
// only shows (its slot may belong to something else: txtInfo(22) shows a temperature, slot 22
// holds the ball bar's maker) or does not exist.
std::optional<QString> WriteBackField(Case& c, int field, const QString& typed, const UnitState& units);

// Header slot 5 := item index of the plane list shown (CaseInfoView::planes); false, and the
// case untouched, for an index not in the list.
bool WritePlaneChoice(Case& c, const QStringList& planes, int index);

} // namespace sarvo::display
