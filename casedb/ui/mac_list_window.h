#pragma once
// The machine-list window "MacList": the name a file brings, and the known machines to say which
// one it stands for, or New to add the name as a machine.

#include <QDialog>
#include <QString>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace sarvo {

namespace casedb {
class CaseStore;
}

class MacList : public QDialog {
    Q_OBJECT
public:
    explicit MacList(const casedb::CaseStore* store, QWidget* parent = nullptr);

    void setMachineName(const QString& name);
    // The machine chosen: the selected row, or "" when none is selected.
    QString answer() const;
    // Reloads the list from the case database.
    void fillMachineList();

    QLineEdit* machineBox() const { return txtMachine_; }
    QListWidget* machineList() const { return lstMachine_; }

protected:
    void done(int result) override;
    void changeEvent(QEvent* event) override;

private:
    void okClicked();
    void cancelClicked();
    void newClicked();

    QLineEdit* txtMachine_;
    QListWidget* lstMachine_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* new_;
    QString answer_;
    const casedb::CaseStore* store_;
};

// Shows the window modally for the name over the store's machines; the machine chosen or
// added, or "".
QString ChooseMachine(const casedb::CaseStore* store, const QString& name, QWidget* parent = nullptr);

} // namespace sarvo
