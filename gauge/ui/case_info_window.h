#pragma once
// The case-information dialog "frmBasic", the first step of a new measurement: customer,
// machine, session, date, time, operator, radius, bar length and machine coefficient, checked
// and written into the open case and the settings on OK.

#include "core/case.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/case_info.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace sarvo {
namespace casedb {
class CaseStore;
}

namespace gauge {

class frmBasic : public QDialog {
    Q_OBJECT
public:
    // accepted runs once OK has stored everything and the dialog has closed. With newCase (the
    // first step of a new measurement) OK replaces the open case by an empty one that holds the
    // dialog's information; otherwise it writes the information into the case in work.
    frmBasic(Case& openCase, Settings& settings, const UnitState& units, IniFile ini, const casedb::CaseStore* store,
             std::function<void()> accepted, bool newCase, QWidget* parent = nullptr);

    CaseInfoTexts texts() const;
    void setTexts(const CaseInfoTexts& texts);

    void okClicked();

    // The handlers of leaving a field (also run by the tests).
    void lengthLeft();
    void radiusLeft();
    void lengthPicked(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillLists();
    void showCentreOffset();
    void refuse(const CaseInfoFailure& failure);
    QWidget* fieldWidget(CaseInfoField field) const;

    Case& case_;
    Settings& settings_;
    UnitState units_;
    IniFile ini_;
    const casedb::CaseStore* store_;
    std::function<void()> accepted_;
    bool newCase_;

    QLineEdit* txtCustomer_;
    QComboBox* cmbMachine_;
    QComboBox* cmbSession_;
    QLineEdit* txtDate_;
    QLineEdit* txtTime_;
    QLineEdit* txtMeasBy_;
    QLineEdit* txtRadius_;
    QComboBox* cboBBLen_;
    QComboBox* cboMacExp_;
    QWidget* pnlOffset_;
    QLabel* pnlOffsetValue_;
    QPushButton* ok_ = nullptr;
};

} // namespace gauge
} // namespace sarvo
