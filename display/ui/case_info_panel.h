#pragma once
// The case-information panel "Basic": the header of the open case in display units on two tabs,
// with the few fields the user may edit written back into the case. Only a field the user
// changed is written back, so moving through the panel leaves the case as it was. Every box shows
// the beginning of its text, and one too narrow for its text gives the whole text as its tip.

#include "display/case_info.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace sarvo {

class CaseInfoPanel : public QWidget {
    Q_OBJECT
public:
    // The panel edits openCase; units convert a typed origin. Both must outlive the panel.
    CaseInfoPanel(Case& openCase, const UnitState& units, QWidget* parent = nullptr);
    ~CaseInfoPanel() override;

    // Shows the view (BuildCaseInfoView of the case), the plane list with the case's own plane
    // chosen. Edits in progress are discarded.
    void fill(const display::CaseInfoView& view);
    // The comment box shows the case's comment again, after another window changed it.
    void showComment();

    // txtInfo(i); nullptr for an index without a text box.
    QLineEdit* field(int i) const;
    QComboBox* planeList() const { return cmbInfo_; }
    QTabWidget* tabs() const { return tabBase_; }
    QPushButton* closeButton() const { return cmdClose_; }

Q_SIGNALS:
    // The panel closed: the case's windows and commands go with it.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void writeBack(int index);
    void writePendingEdits();
    void restoreIfMaximized();

    Case& case_;
    const UnitState& units_;
    QTabWidget* tabBase_;
    std::array<QLineEdit*, display::kCaseInfoFields> txtInfo_{};
    QComboBox* cmbInfo_;
    QLineEdit* txtBallbarName_;
    QLineEdit* txtBallbarScaleFactor_;
    std::array<QLabel*, 5> lblUnit_{};
    std::array<QLabel*, 4> lblTempUnit_{};
    QPushButton* cmdClose_;
    bool placed_ = false;
    bool closedSent_ = false;
};

} // namespace sarvo
