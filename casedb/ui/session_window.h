#pragma once
// The session window "frmSession" of the Save command: the sessions of the case database, one of
// them or a new name chosen, and the open case saved under it.

#include <QDialog>
#include <QString>

#include <functional>

class QListWidget;
class QPushButton;

namespace sarvo {

namespace casedb {
class CaseStore;
}

class frmSession : public QDialog {
    Q_OBJECT
public:
    // Saves the open case under the session (the program also shows the name in the case panel).
    using SaveUnder = std::function<void(const QString& session)>;
    // Asks for a new session name; "" when the user cancels.
    using AskName = std::function<QString(const QString& prompt)>;

    frmSession(const casedb::CaseStore* store, const QString& currentSession, SaveUnder saveUnder, AskName askName,
               QWidget* parent = nullptr);

    QListWidget* sessionList() const { return lstSession_; }

private:
    void fillSessionList();
    void okClicked();
    void newClicked();
    void cancelClicked();

    QListWidget* lstSession_;
    QPushButton* ok_;
    QPushButton* new_;
    QPushButton* cancel_;
    const casedb::CaseStore* store_;
    SaveUnder saveUnder_;
    AskName askName_;
};

} // namespace sarvo
