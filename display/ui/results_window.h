#pragma once
// The results window "Analysis Results" (control "result"): one tab page per error type, the
// Pareto chart of the largest influences and the power spectrum. It only shows a ResultsView:
// fill() sets every caption, visibility, page availability and both charts; a click on a Pareto
// bar opens the page of that bar's error type, and Help opens the error-types help at the
// current page's topic.

#include "display/charts.h"
#include "display/results_view.h"
#include "gui/window_views.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace sarvo::display {

// The Pareto chart "GrpPareto": the bars of the largest influences, left to right in ranking order.
class ParetoChart : public QWidget {
    Q_OBJECT
public:
    explicit ParetoChart(QWidget* parent = nullptr);

    void setChart(BarChart chart);
    const BarChart& chart() const { return chart_; }
    // Where the bars are at the chart's present size.
    BarChartGeometry barGeometry() const;
    // The chart drawn at its present size (at its design size before it is laid out).
    QImage image() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    // A press on the column of bar index (0 = the first bar); presses in the gaps give nothing.
    void barPressed(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    BarChart chart_;
};

// The spectrum chart "GrpSpec".
class SpectrumChart : public QWidget {
    Q_OBJECT
public:
    explicit SpectrumChart(QWidget* parent = nullptr);

    void setChart(LineChart chart);
    const LineChart& chart() const { return chart_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LineChart chart_;
};

class ResultsWindow : public QWidget, public HelpContextSource {
    Q_OBJECT
public:
    // appPath (ending in a separator) and errHelpFile make the help file of the error types.
    // The window is translated under the Tag "result" and opens on the Pareto page.
    ResultsWindow(const QString& appPath, const QString& errHelpFile, QWidget* parent = nullptr);

    void setHelpFile(const QString& appPath, const QString& errHelpFile);

    // Shows the view: its captions on the controls of the same key (captions of controls the
    // window does not have are ignored), the switched rows, panels and pictures, the available
    // pages and both charts. The selected page stays, also when it is switched off.
    void fill(const ResultsView& view);

    // The tabs take the captions of the hidden labels lblType(0..13).
    void syncTabCaptions();

    ResultPage currentPage() const;
    // Selects the page; a page that is switched off is not selected.
    void selectPage(ResultPage page);
    // The help context of the current page.
    int helpContext() const override;

    // Opens the page of the error type of the Pareto bar index; nothing when there is no such bar,
    // its fault code has no page or the page is switched off.
    void openParetoBar(int index);
    // Copies the Pareto chart to the clipboard as an image.
    void copyChart();
    // The error-types help at the current page's context; a failure is not shown.
    void showHelp();

    // The control of a key ("LblCirV(2)", "PnlHide", "frmType(13)"); nullptr when the window has none.
    QWidget* control(const QString& key) const { return controls_.value(key); }
    QLabel* label(const QString& key) const;

    QTabWidget* tabs() const { return tabs_; }
    ParetoChart* paretoChart() const { return pareto_; }
    SpectrumChart* spectrumChart() const { return spectrum_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* helpButton() const { return help_; }
    QPushButton* closeButton() const { return close_; }
    QPushButton* treeButton() const { return tree_; }
    // What the fault-tree button runs, with the jump key of the selected tab.
    void setFaultTreeHandOver(std::function<void(const QString& jumpKey)> handOver);

    // The size it opens with: wide enough for every tab caption in the language it was made in.
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The width that shows every tab caption whole, and the window widened to it when narrower.
    int widthForTabs() const;
    void fitTabs();
    QWidget* buildPage(int page);
    // A value page: its title, then the value of each axis in a row of its own.
    void buildAxisPair(QVBoxLayout* box, const QString& title, int axes, const QString& h, const QString& v, int index);
    void buildAll(QVBoxLayout* box);
    void buildBacklash(QVBoxLayout* box);
    void buildCircularity(QVBoxLayout* box);
    void buildCyclic(QVBoxLayout* box);
    void buildIso(QVBoxLayout* box);
    void buildScale(QVBoxLayout* box);
    void buildServo(QVBoxLayout* box);
    void buildSquareness(QVBoxLayout* box);
    void buildVibration(QVBoxLayout* box);
    void buildPareto(QVBoxLayout* box);

    // A control that the view fills or switches, found by its key.
    template <class W>
    W* named(W* widget, const QString& control, int index = -1);
    QLabel* value(const QString& control, int index = -1, const QString& design = {});
    QLabel* caption(const QString& control, int index = -1, const QString& design = {});
    QLabel* unit();
    QLabel* mmUnit();
    QLabel* perDiameterUnit();
    // The feedrate unit: an mmUnit with "/min" after it.
    QWidget* feedrateUnit();

    // A maximised window goes back to its normal size when it is activated.
    void restoreWhenActivated();
    void applyScaleCover();

    QTabWidget* tabs_;
    QLabel* types_[kResultPages];
    ParetoChart* pareto_ = nullptr;
    QSize openingSize_;
    SpectrumChart* spectrum_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* help_;
    QPushButton* close_;
    QPushButton* tree_;
    std::function<void(const QString&)> faultTreeHandOver_;
    QHash<QString, QWidget*> controls_;
    QWidget* scaleRowV_[3] = {}; // the vertical axis's row on the scale page, under PnlHide
    int units_ = 0, mmUnits_ = 0, perDiameterUnits_ = 0;
    std::vector<int> paretoCodes_;
    QString helpFile_;
    bool placed_ = false;
    bool watchingFrame_ = false;
};

} // namespace sarvo::display
