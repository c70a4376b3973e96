#pragma once
// The two graph windows: "frmGraph" shows the measured runs of the open case (with the model
// traces in combined mode), "frmAnaGraph" the model traces alone. Both draw through the shared
// graph drawing into a persistent image that the picture only blits, on every resize and option
// change. They never reach the program's state: the case, the settings (GraphScale, UnitsInch)
// and the display units come in by reference, and what concerns the program or the other
// window goes through GraphWindowHost.

#include "core/case.h"
#include "core/settings.h"
#include "core/units.h"
#include "display/graphs.h"
#include "gui/window_views.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace sarvo::display {

// What the graph windows ask of the program.
class GraphWindowHost {
public:
    virtual ~GraphWindowHost() = default;
    // Combined display: the main window's "C&ombine" item checked and enabled.
    virtual bool combined() const = 0;
    virtual void setCombined(bool on) = 0;
    // The Combine button of the analysis graph window: the original graph window loaded,
    // maximised and drawn combined (combined mode is already set).
    virtual void showCombinedOriginal() = 0;
    // The analysis graph window, when it is open: redrawn, or set to what was chosen in the
    // original graph window (it redraws): a click on a graph kind passes only the kind, with
    // neither direction, and a click on a direction only the directions, with neither kind.
    virtual void refreshAnalysisGraph() = 0;
    virtual void syncAnalysisOptions(const GraphViewOptions& chosen) = 0;
    // The print options window, modal.
    virtual void printGraph() = 0;
    // The original graph window closed: the analysis graph window goes with it.
    virtual void originalGraphClosed() = 0;
};

// The picture box "Polar": blits the image the window drew last.
class GraphPicture : public QWidget {
    Q_OBJECT
public:
    explicit GraphPicture(QWidget* parent = nullptr);

    const QImage& image() const { return image_; }
    void setImage(QImage image);

Q_SIGNALS:
    void resized();
    void shown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QImage image_;
};

// What both windows share: the picture with its legend and "Truncated!" panel, the graph kind
// and direction options, Close, Esc, the placement and the drawing.
class GraphWindow : public QWidget, public GraphView, public UnitsDisplay {
    Q_OBJECT
public:
    ~GraphWindow() override;

    // The graph kind, and the directions drawn: both for "Both", one for "CW" or "CCW".
    GraphViewOptions viewOptions() const override;
    // Selects the options and redraws once, as a click on them does; no direction at all
    // leaves the direction option as it is, and neither kind the kind.
    void setViewOptions(const GraphViewOptions& options) override;
    // Drawing asked for while suspended is done when the suspension ends.
    void setDrawingSuspended(bool suspended) override;

    // The full redraw; a minimised window comes back to its normal size first.
    virtual void redraw() = 0;

    bool polar() const;
    DirectionFilter filter() const;

    GraphPicture* picture() const { return picture_; }
    QLabel* clipPanel() const { return clipPanel_; }
    QRadioButton* polarOption() const { return optPolar_; }
    QRadioButton* linearOption() const { return optLinear_; }
    QRadioButton* directionOption(DirectionFilter f) const { return optDir_[std::size_t(f)]; }
    QPushButton* closeButton() const { return cmdClose_; }

protected:
    enum class Side { Left, Right };

    GraphWindow(const Case& openCase, Settings& settings, const UnitState& units, GraphWindowHost& host, Side side,
                QWidget* parent);

    // The panel of the graph kind options, the panel of the direction options, Close.
    QWidget* typePanel();
    QWidget* directionPanel();
    // Called by the derived window once its controls exist: the right panel beside the picture,
    // translation, the chosen options in bold and Esc on every control.
    void finishControls(QWidget* rightPanel);

    // What this window draws now.
    virtual GraphRequest request() const = 0;
    // Options were chosen by the user (one option: the kind alone or the directions alone) or
    // by setViewOptions (what it was given).
    virtual void optionsChanged(const GraphViewOptions& chosen);
    virtual void closeClicked() = 0;
    // After a drawing that rescaled the graph.
    virtual void scaleRescaled() {}

    // Draws the picture (not the caption) unless the window cannot show it now.
    void drawPicture();
    // The frame back to its normal size without drawing; the caller draws afterwards.
    void showNormalUndrawn();
    void restoreIfMinimised();
    QWidget* frame();

    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    const Case& case_;
    Settings& settings_;
    const UnitState& units_;
    GraphWindowHost& host_;

private:
    // Right or left half of the main window's client area.
    void place();
    void layoutClipPanel();
    void updateClipPanel();
    void boldChoice();

    Side side_;
    GraphPicture* picture_;
    QLabel* clipPanel_;
    QRadioButton* optLinear_ = nullptr;
    QRadioButton* optPolar_ = nullptr;
    std::array<QRadioButton*, 3> optDir_{};
    QPushButton* cmdClose_ = nullptr;
    QTimer clipTimer_;      // hides "Truncated!" a second after a rescale
    bool traceClipped_ = false; // a model trace leaves the graph: the panel stays until the next drawing
    bool suspendedByFrame_ = false;
    int undrawn_ = 0;
    bool pending_ = false;      // a drawing was skipped
    bool applyingOptions_ = false;
    bool placed_ = false;
};

// "frmGraph", "Original Measurement Graph": the measured runs, the minimum-zone circles, the
// scale per division with its steps, Print.
class OriginalGraphWindow : public GraphWindow {
    Q_OBJECT
public:
    // All references must outlive the window. A scale in the settings that is not positive
    // becomes 10 µm per division.
    OriginalGraphWindow(const Case& openCase, Settings& settings, const UnitState& units, GraphWindowHost& host,
                        QWidget* parent = nullptr);
    ~OriginalGraphWindow() override;

    // The caption for the combined state, then the graph: polar (with the circles when MZC is
    // checked) or linear.
    void redraw() override;
    // The scale text and unit in the display units, and the graph in them.
    void refreshUnits() override;
    // MZC is checked.
    bool minimumZoneShown() const override;

    // One scale step down or up (the spin button and the arrow keys in the scale box), then
    // both graphs redrawn.
    void stepScaleDown();
    void stepScaleUp();

    QCheckBox* mzcCheck() const { return chkMzc_; }
    QLineEdit* scaleBox() const { return txtScale_; }
    QToolButton* scaleDownButton() const { return spnDown_; }
    QToolButton* scaleUpButton() const { return spnUp_; }
    QLabel* unitLabel() const { return lblUnit_; }
    QPushButton* printButton() const { return cmdPrint_; }

protected:
    GraphRequest request() const override;
    void optionsChanged(const GraphViewOptions& chosen) override;
    void closeClicked() override;
    void scaleRescaled() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The typed scale taken over when it is a positive number; the box shows the scale again.
    void commitTypedScale();
    void showScaleText();
    void step(bool up);
    // This graph, then the analysis graph.
    void refreshGraphs();

    QCheckBox* chkMzc_;
    QLineEdit* txtScale_;
    QToolButton* spnDown_;
    QToolButton* spnUp_;
    QLabel* lblUnit_;
    QPushButton* cmdPrint_;
    bool refreshing_ = false;
    bool closedSent_ = false;
};

// "frmAnaGraph", "Analysis Result Graph": the model traces alone, and "C&ombine".
class AnalysisGraphWindow : public GraphWindow {
    Q_OBJECT
public:
    // All references must outlive the window. A scale in the settings that is not positive
    // becomes 10 µm per division.
    AnalysisGraphWindow(const Case& openCase, Settings& settings, const UnitState& units, GraphWindowHost& host,
                        QWidget* parent = nullptr);

    void redraw() override;
    void refreshUnits() override;

    QPushButton* combineButton() const { return cmdImpose_; }

protected:
    GraphRequest request() const override;
    void closeClicked() override;

private:
    QPushButton* cmdImpose_;
};

} // namespace sarvo::display
