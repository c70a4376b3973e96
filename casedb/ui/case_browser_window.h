#pragma once
// The case browser "DbLoad": the stored cases under their sessions; Open makes the selected case
// the open case, Remove removes the selected case or its whole session.

#include "core/units.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace sarvo {

namespace casedb {
class CaseStore;
}

class DbLoad : public QDialog {
    Q_OBJECT
public:
    // Opens the stored case as the open case and shows it; false leaves the browser open.
    using OpenCase = std::function<bool(int measId)>;

    DbLoad(const casedb::CaseStore* store, const UnitState& units, OpenCase openCase, QWidget* parent = nullptr);

    // Rebuilds the lines from the database.
    void fillOutline();

    QTreeWidget* outline() const { return olnMeas_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void openClicked();
    void removeClicked();
    void lineClicked(QTreeWidgetItem* item);
    void toggle(QTreeWidgetItem* item);
    void updateButtons();
    QTreeWidgetItem* selectedLine() const;

    QTreeWidget* olnMeas_;
    QPushButton* open_;
    QPushButton* remove_;
    QPushButton* close_;
    const casedb::CaseStore* store_;
    UnitState units_;
    OpenCase openCase_;
    // The line pressed and whether it was expanded then: a click on the tree's own arrow has
    // expanded or collapsed it already and must not toggle it back.
    QTreeWidgetItem* pressed_ = nullptr;
    bool pressedExpanded_ = false;
};

} // namespace sarvo
