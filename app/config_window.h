#pragma once
// "frmConfig", "Configuration": the measuring equipment (ball-bar type with its serial port or
// counter-card settings) and the constants of the analysis. Not modal. It edits a copy of the
// program's settings; OK applies the copy only when every check passes (the program then sets
// its units and refreshes what shows them), Cancel, Esc and the close box leave everything as it
// was. Enter anywhere acts as OK.

#include "core/configuration.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace sarvo {

class ConfigWindow : public QDialog {
    Q_OBJECT
public:
    // Filled from the program's settings and units, centred and translated.
    explicit ConfigWindow(QWidget* parent = nullptr);

    // The boxes as the user left them.
    ConfigurationEntries entries() const;

    // OK: applies the settings and closes, or shows the message of the failed check and resets
    // its box; a run-time failure is reported under "Configuring" and closes the window.
    void ok();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void nameTemperatureUnits();
    void fillCoefficientLists(bool celsius);
    void temperatureUnitChosen(int index);
    void typeChosen(int index);
    void axisChosen(int index);

    ConfigurationModel model_;
    QComboBox* cboTempUnits_;
    QComboBox* cboGaugeExp_;
    QComboBox* cboCalExp_;
    QLabel* lblCoeffCel_[2];
    QLabel* lblCoeffFahr_[2];
    QLineEdit* txtScaleFactor_;
    QComboBox* cboStaticCount_;
    QLineEdit* txtReli_;
    QLabel* lblUnit_;
    QRadioButton* optType_[4];
    QFrame* pnlType_[4];
    QComboBox* cboComm_;
    QLineEdit* txtAddr_;
    QRadioButton* optAxis_[4];
    QComboBox* cboPort_;
    QComboBox* cboInterrupt_;
    QCheckBox* chkAutoDetect_;
    QComboBox* cboBrintovale_;
    QStackedWidget* panels_;
    QPushButton* cmdOk_;
    QPushButton* cmdCancel_;
};

// Registers the window with the program, which enables the Configure command.
void RegisterConfigWindow();

} // namespace sarvo
