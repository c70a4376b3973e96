#pragma once
// The capture window "frmWait": one run captured with a live polar trace. The capture itself is
// a CaptureSession; the window draws, forwards the keys and shows the outcome. Opened with
// open(), never exec(): it closes itself when the capture has ended.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "gauge/capture.h"
#include "gauge/capture_session.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class QWidget;

namespace sarvo::gauge {

class DeviceThread;

class frmWait : public QDialog {
    Q_OBJECT
public:
    frmWait(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units,
            QWidget* parent = nullptr);

    CaptureSession& session() { return *session_; }

    // The time in ms one line across the target takes to draw; 100 when it cannot be measured.
    int MeasureDrawSpeed();

    // Cancel, Esc and the close box only ask the capture to stop; the window closes once it has.
    void reject() override;

Q_SIGNALS:
    void captureEnded(const sarvo::gauge::CaptureResult& result);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void launch();
    void drawTarget();
    void drawPoints(int first, int count);
    // The boxes of the outcome, shown before the final pause.
    void showOutcome(const CaptureResult& result);
    void ended(const CaptureResult& result);
    void showPicture();

    Case& case_;
    Settings& settings_;
    const UnitState& units_;
    CaptureSession* session_;
    bool launched_ = false;
    bool ended_ = false;

    QLabel* title_;
    QLabel* picture_;
    QWidget* staticPanel_;
    QLabel* staticReading_;
    QPushButton* latch_;
    QLabel* tickCaption_;
    QPixmap target_;
    TargetGeometry geometry_;
    QPoint lastPoint_;
};

} // namespace sarvo::gauge
