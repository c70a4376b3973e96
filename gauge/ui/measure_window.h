#pragma once
// The measurement window "frmMeasure": the set-up of the runs of a new measurement (angles,
// feedrate, sampling rate, plane, direction, origin, temperatures), the live reading of the gauge
// and the calibration state of the bar length. The gauge lives on its own thread; the window
// only posts requests and never waits for an answer.

#include "core/case.h"
#include "core/ini_file.h"
#include "core/outcome.h"
#include "core/settings.h"
#include "core/units.h"
#include "display/viewing.h"
#include "display/ui/view_window.h"
#include "gauge/device_thread.h"
#include "gauge/measure_setup.h"
#include "gauge/run_chain.h"
#include "gui/window_views.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace sarvo {
namespace casedb {
class CaseStore;
}

namespace gauge {

// What the window needs of the program around it.
struct MeasureServices {
    // Makes the configured gauge on the device thread (not yet opened).
    DeviceThread::MakeDevice makeDevice;
    // The case database for the origin of the last measurement; may be null.
    const casedb::CaseStore* store = nullptr;
    // The analysis of the captured runs from their readings as captured, which it keeps for the
    // files of the case; reports its own failures; true when it succeeded.
    std::function<bool()> analyse;
    // After the runs were analysed: the result windows closed and their commands enabled.
    std::function<void()> runsAnalysed;
    // Loads the case stored under the number back into the program.
    // Reports its own failures; true when the case was loaded.
    std::function<bool(int measId)> reloadSaved;
    // Makes the case just written to a file the program's open case; true when it is.
    std::function<bool(const Case& written)> showWritten;
    // Opens the save window for the captured runs (modeless).
    std::function<void()> openSave;
    // Opens or raises the case-information dialog.
    std::function<void()> openCaseInfo;
    // Opens the viewing-angle window (null while the program has none); it calls back with
    // false when it closes.
    std::function<display::ViewWindow*(std::function<display::ViewParams()> params, std::function<void(bool)> opened)>
        openView;
    // A run has ended: the main window's status line is emptied.
    std::function<void()> clearStatus;
    // The window is gone: the program gives its commands back.
    std::function<void()> closed;
};

class frmMeasure : public QWidget, public UnitsDisplay, private RunChainUser {
    Q_OBJECT
public:
    frmMeasure(Case& openCase, Settings& settings, const UnitState& units, IniFile ini, MeasureServices services,
               QWidget* parent = nullptr);
    ~frmMeasure() override;

    // "Refresh": caption, sampling rates, calibration state, temperatures, last origin.
    void refresh();
    // The display unit changed while the window is open: the feedrate follows it.
    void refreshUnits() override;
    // The case was stored under this number: closing loads it back instead of the runs.
    void caseStored(int measId);
    // The runs were written to a file: closing shows that case (the last save wins).
    void caseWritten(const Case& written);
    // The save window empties the runs and frees the set-up for the next measurement.
    void clearForNextMeasurement();

    // Stops the live reading (a tick in hand is ignored) and resumes it; they nest.
    void holdLiveReading();
    void resumeLiveReading();

    display::ViewParams viewParams() const;
    TestPlane plane() const;
    QComboBox* samplingRates() const { return cboSamplingRate_; }
    DeviceThread& device() { return *device_; }
    QLabel* liveReading() const { return pnlMeas_; }
    QLabel* deviceName() const { return pnlVersion_; }
    std::array<QLineEdit*, 3> centreFields() const { return txtCenter_; }

    // The start switch (also F12): one run, a pair or a chain of runs as the fields say.
    void switchClicked();
    RunChain& runChain() { return *chain_; }

    // The buttons' handlers.
    void closeClicked();
    void calibrateClicked();
    void viewClicked();

Q_SIGNALS:
    // A live-reading tick has been shown (tests follow the reading through it).
    void liveReadingShown();
    // The gauge's opening has ended, connected or not.
    void deviceOpened(bool connected);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void load();
    void openDevice();
    // The prompt for the reference mark, the live reading held while it is open; then the
    // gauge's identity and a refresh.
    void askForReferenceMark();
    void referenceMarkDone();
    void tick();
    void showDeviceName(const QString& name);
    void buildSamplingRates();
    void endLeft();
    void startLeft();
    void feedrateLeft();
    void selectPlane(TestPlane plane);
    void selectDirection(QRadioButton* option);
    void loadLastCentre();
    void lookUpBarLength();
    void notifyViewSettings();
    void notifyViewPlane();
    QString largeText(double displayValue) const;
    void offsetClicked();
    // Closing: the captured runs analysed and handed to the program, or the saved case loaded
    // back; false when that failed (reported) and the window stays.
    bool handOverCase();

    // What a press of the switch needs of the window.
    void rebuildSamplingRates() override;
    RunFields fields() override;
    void notice(ChainNotice kind, const QString& text) override;
    void setCapturing(bool capturing) override;
    void capture(std::function<void(const CaptureResult&)> done) override;
    void runsStored(int clockwise, int counterClockwise) override;
    void runsDropped(int clockwise, int counterClockwise) override;
    bool changeDirection() override;
    void pressEnded(bool openSave) override;
    void showCounters(int clockwise, int counterClockwise);

    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    IniFile ini_;
    MeasureServices services_;
    std::unique_ptr<DeviceThread> device_;
    RunChain* chain_ = nullptr;

    QTimer liveTimer_;
    int liveHolds_ = 0;
    bool tickInFlight_ = false;
    unsigned tickGeneration_ = 0; // a reply of an older generation is ignored
    bool deviceErrorOpen_ = false;
    bool captureFaultShown_ = false; // the last capture ended on a device fault it has shown
    bool faultTold_ = false;         // a gauge fault has been told and no good reading came since
    bool opened_ = false;
    bool closing_ = false;
    bool measureSaved_ = false;
    double feedrateFactor_ = 1; // the unit factor the feedrate field is shown in
    int savedMeasId_ = 0;
    std::shared_ptr<const Case> writtenCase_;

    QLineEdit* txtStartPos_;
    QLineEdit* txtEndPos_;
    QLineEdit* txtAngularOvershoot_;
    QLineEdit* txtFeedrate_;
    QLabel* lblFeedUnit_;
    QComboBox* cboSamplingRate_;
    std::array<QLineEdit*, 3> txtCenter_{};
    QLineEdit* txtGaugeTemp_;
    QLineEdit* txtMacTemp_;
    std::array<QLabel*, 2> lblTempUnit_{};
    QRadioButton* optXY_;
    QRadioButton* optXZ_;
    QRadioButton* optYZ_;
    QRadioButton* optCW_;
    QRadioButton* optCCW_;
    QRadioButton* optCWCCW_;
    QComboBox* cboStartAxis_;
    QComboBox* cboEndAxis_;
    QTabWidget* tabType_;
    QGroupBox* pnlPlane_;
    QGroupBox* frmDirection_;
    QLabel* pnlMeas_;
    QLabel* pnlBattery_;
    QLabel* pnlVersion_;
    std::array<QLabel*, 3> pnlCalibrated_{};
    QPushButton* imgSwOff_;
    QPushButton* imgSwOn_;
    QLabel* lblSw_;
    QLabel* pnlCW_;
    QLabel* pnlCCW_;
    QPushButton* cmdRefresh_;
    QPushButton* cmdSave_;
    QPushButton* cmdView_;
    QPushButton* cmdOffset_;
    QPushButton* cmdBasic_;
    QPushButton* cmdClose_;
    QPushButton* cmdCalibrate_;
    display::ViewWindow* viewWindow_ = nullptr;
    QPointer<QWidget> offsetWindow_; // a window of its own, closed with this one
};

} // namespace gauge
} // namespace sarvo
