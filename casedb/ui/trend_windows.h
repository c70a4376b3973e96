#pragma once
// The trend windows: "History" (Trend Analysis), where the user picks plane, machine, dates,
// spacing and one of the 27 stored results and runs the query, and "HistGraph" (Trend Query
// Results), which shows the chart and the table of the last query and prints either. Both are
// thin: the query and the builder are casedb's, the drawing and the pages display's.

#include "casedb/trend.h"
#include "display/trend_chart.h"

#include <QWidget>

#include <array>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace sarvo {

namespace casedb {
class CaseStore;
}

// The chart of the graph window's first tab.
class TrendChartView : public QWidget {
public:
    explicit TrendChartView(QWidget* parent = nullptr);
    void setChart(const casedb::TrendChart& chart, display::TrendChartType type);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    casedb::TrendChart chart_;
    display::TrendChartType type_ = display::TrendChartType::Bar;
};

class TrendGraphWindow : public QWidget {
    Q_OBJECT
public:
    // printSetup gives the page header's logo and version at the time of a print.
    explicit TrendGraphWindow(std::function<display::TrendPrint()> printSetup, QWidget* parent = nullptr);

    // Shows a query's result; an empty chart clears the graph and the table keeps its headers.
    void showTrend(const casedb::TrendView& view);
    const casedb::TrendView& trend() const { return view_; }

    display::TrendChartType chartType() const;
    void setChartType(display::TrendChartType type);

    // The print dialog, then the visible tab on the chosen printer under the print wait panel.
    void print();

    QTabWidget* tabs() const { return tabb_; }
    QTableWidget* table() const { return grdResult_; }
    TrendChartView* chart() const { return graph_; }
    QRadioButton* barOption() const { return optBar_; }
    QRadioButton* lineOption() const { return optLine_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillTable();
    void closeWindow();

    std::function<display::TrendPrint()> printSetup_;
    casedb::TrendView view_;
    QTabWidget* tabb_;
    TrendChartView* graph_;
    QRadioButton* optBar_;
    QRadioButton* optLine_;
    QTableWidget* grdResult_;
    QPushButton* cmdPrint_;
    QPushButton* cmdClose_;
};

// What the trend window reads of the program at the time of a query.
struct TrendSources {
    std::function<const casedb::CaseStore*()> store; // nullptr while no case database is open
    std::function<UnitState()> units;
    std::function<TrendGraphWindow*()> graph;        // the graph window, loaded and shown
};

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    explicit TrendWindow(TrendSources sources, QWidget* parent = nullptr);

    // The request and the options the query would run with now.
    casedb::TrendRequest request() const;
    casedb::TrendOptions options() const;
    // Runs the query and fills the graph window; a failure is reported under "Drawing history".
    void runQuery();
    // Reads the machines of the case database into the machine list.
    void loadMachineList();

    QComboBox* planeBox() const { return cmbPlane_; }
    QComboBox* machineBox() const { return cmbMachine_; }
    QCheckBox* machineCheck() const { return chkMachine_; }
    QDateEdit* startDate() const { return dtpStart_; }
    QDateEdit* stopDate() const { return dtpStop_; }
    QRadioButton* variableOption() const { return optVariable_; }
    QRadioButton* fixedOption() const { return optFixed_; }
    QRadioButton* resultOption(int index) const { return optType_[std::size_t(index)]; }
    QPushButton* queryButton() const { return cmdPlot_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void planeChanged();
    void boldChosenResult();

    TrendSources sources_;
    QComboBox* cmbPlane_;
    QComboBox* cmbMachine_;
    QCheckBox* chkMachine_;
    QDateEdit* dtpStart_;
    QDateEdit* dtpStop_;
    QRadioButton* optVariable_;
    QRadioButton* optFixed_;
    QButtonGroup* types_;
    std::array<QRadioButton*, casedb::kTrendResultCount> optType_{};
    std::array<QString, casedb::kTrendResultCount> captions_; // as translated, before the plane's letters
    QPushButton* cmdPlot_;
    QPushButton* cmdClose_;
};

} // namespace sarvo
