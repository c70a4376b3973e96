#include "casedb/ui/trend_windows.h"

#include "casedb/sql_error.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "display/ui/print_window.h"
#include "gui/form_utilities.h"
#include "gui/print_context.h"
#include "gui/translate_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace sarvo {

namespace {

QWidget* FrameOf(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}

bool PlainKey(const QKeyEvent* event, int key)
{
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

// --- the chart ----------------------------------------------------------------------------------

TrendChartView::TrendChartView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Graph1"));
    setMinimumSize(200, 150);
}

void TrendChartView::setChart(const casedb::TrendChart& chart, display::TrendChartType type)
{
    chart_ = chart;
    type_ = type;
    update();
}

void TrendChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    display::DrawTrendChart(painter, chart_, type_, QRectF(rect()));
}

// --- the graph and table window -----------------------------------------------------------------

TrendGraphWindow::TrendGraphWindow(std::function<display::TrendPrint()> printSetup, QWidget* parent)
    : QWidget(parent), printSetup_(std::move(printSetup))
{
    setObjectName(QStringLiteral("HistGraph"));
    setWindowTitle(QStringLiteral("Trend Query Results"));
    tabb_ = new QTabWidget(this);
    tabb_->setObjectName(QStringLiteral("tabb"));

    auto* graphPage = new QWidget;
    graph_ = new TrendChartView(graphPage);
    optBar_ = new QRadioButton(QStringLiteral("Bar"), graphPage);
    optBar_->setObjectName(QStringLiteral("OptBar"));
    optLine_ = new QRadioButton(QStringLiteral("Line"), graphPage);
    optLine_->setObjectName(QStringLiteral("OptLine"));
    optBar_->setChecked(true);
    auto* graphLayout = new QVBoxLayout(graphPage);
    graphLayout->addWidget(graph_, 1);
    auto* types = new QHBoxLayout;
    types->addWidget(optBar_);
    types->addWidget(optLine_);
    types->addStretch(1);
    graphLayout->addLayout(types);

    grdResult_ = new QTableWidget(0, 5);
    grdResult_->setObjectName(QStringLiteral("grdResult"));
    grdResult_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdResult_->verticalHeader()->hide();
    grdResult_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    LetTabLeave(*grdResult_);
    // Carried by the tab captions; translated with the window.
    tabb_->addTab(graphPage, QStringLiteral("&Graph"));
    tabb_->addTab(grdResult_, QStringLiteral("&Tabular"));

    cmdPrint_ = new QPushButton(QStringLiteral("&Print"), this);
    cmdPrint_->setObjectName(QStringLiteral("CmdPrint"));
    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdPrint_);
    buttons->addWidget(cmdClose_);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(tabb_, 1);
    layout->addLayout(buttons);

    connect(optBar_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setChartType(display::TrendChartType::Bar);
    });
    connect(optLine_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setChartType(display::TrendChartType::Line);
    });
    connect(cmdPrint_, &QPushButton::clicked, this, [this] { print(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { closeWindow(); });
    TranslateForm(*this);
    fillTable();
}

display::TrendChartType TrendGraphWindow::chartType() const
{
    return optLine_->isChecked() ? display::TrendChartType::Line : display::TrendChartType::Bar;
}

void TrendGraphWindow::setChartType(display::TrendChartType type)
{
    (type == display::TrendChartType::Line ? optLine_ : optBar_)->setChecked(true);
    graph_->setChart(view_.chart, type);
}

void TrendGraphWindow::showTrend(const casedb::TrendView& view)
{
    view_ = view;
    graph_->setChart(view_.chart, chartType());
    fillTable();
}

void TrendGraphWindow::fillTable()
{
    grdResult_->clearContents();
    grdResult_->setColumnCount(5);
    grdResult_->setHorizontalHeaderLabels(view_.table.headers);
    grdResult_->setRowCount(int(view_.table.rows.size()));
    for (int r = 0; r < grdResult_->rowCount(); ++r) {
        const QStringList& row = view_.table.rows[std::size_t(r)];
        for (int c = 0; c < 5; ++c)
            grdResult_->setItem(r, c, new QTableWidgetItem(row.value(c)));
    }
    if (grdResult_->rowCount() > 0)
        grdResult_->setCurrentCell(grdResult_->rowCount() - 1, 0);
}

void TrendGraphWindow::print()
{
    if (!ShowPrintDialog(this))
        return;
    const display::PrintWaitScope wait;
    display::TrendPrint setup = printSetup_ ? printSetup_() : display::TrendPrint{};
    setup.caption = windowTitle();
    const bool table = tabb_->currentIndex() > 0;
    const display::TrendChartType type = chartType();
    PrintPages(printContext().printer(), [&](QPagedPaintDevice& device) {
        return table ? display::RenderTrendTable(device, view_.table, setup)
                     : display::RenderTrendChart(device, view_.chart, type, setup);
    });
}

void TrendGraphWindow::closeWindow()
{
    FrameOf(this)->close();
}

void TrendGraphWindow::keyPressEvent(QKeyEvent* event)
{
    if (PlainKey(event, Qt::Key_Escape)) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- the trend window ---------------------------------------------------------------------------

TrendWindow::TrendWindow(TrendSources sources, QWidget* parent)
    : QWidget(parent, Qt::Window), sources_(std::move(sources))
{
    const BusyCursor busy;
    setObjectName(QStringLiteral("History"));
    setWindowTitle(QStringLiteral("Trend Analysis"));

    auto* frmPlane = new QGroupBox(QStringLiteral("Plane"));
    frmPlane->setObjectName(QStringLiteral("FrmPlane"));
    cmbPlane_ = new QComboBox;
    cmbPlane_->setObjectName(QStringLiteral("CmbPlane"));
    cmbPlane_->setProperty("noTranslate", true);
    cmbPlane_->addItems({QStringLiteral("xy"), QStringLiteral("yz"), QStringLiteral("xz")});
    (new QVBoxLayout(frmPlane))->addWidget(cmbPlane_);

    auto* frmMachine = new QGroupBox(QStringLiteral("Machine"));
    frmMachine->setObjectName(QStringLiteral("FrmMachine"));
    cmbMachine_ = new QComboBox;
    cmbMachine_->setObjectName(QStringLiteral("cmbMachine"));
    cmbMachine_->setProperty("noTranslate", true);
    chkMachine_ = new QCheckBox;
    chkMachine_->setObjectName(QStringLiteral("ChkMachine"));
    auto* machineLayout = new QHBoxLayout(frmMachine);
    machineLayout->addWidget(chkMachine_);
    machineLayout->addWidget(cmbMachine_, 1);

    auto* frmDate = new QGroupBox(QStringLiteral("Date"));
    frmDate->setObjectName(QStringLiteral("FrmDate"));
    dtpStart_ = new QDateEdit;
    dtpStart_->setObjectName(QStringLiteral("dtpStart"));
    dtpStop_ = new QDateEdit;
    dtpStop_->setObjectName(QStringLiteral("dtpStop"));
    for (QDateEdit* date : {dtpStart_, dtpStop_})
        date->setCalendarPopup(true);
    const QDate today = QDate::currentDate();
    dtpStart_->setDate(QDate(today.year(), 1, 1));
    dtpStop_->setDate(today);
    auto* dateLayout = new QVBoxLayout(frmDate);
    dateLayout->addWidget(dtpStart_);
    dateLayout->addWidget(dtpStop_);

    auto* frmScale = new QGroupBox(QStringLiteral("Spacing"));
    frmScale->setObjectName(QStringLiteral("FrmScale"));
    optVariable_ = new QRadioButton(QStringLiteral("Variable"));
    optVariable_->setObjectName(QStringLiteral("OptVariable"));
    optFixed_ = new QRadioButton(QStringLiteral("Fixed"));
    optFixed_->setObjectName(QStringLiteral("OptFixed"));
    optFixed_->setChecked(true);
    auto* scaleLayout = new QVBoxLayout(frmScale);
    scaleLayout->addWidget(optVariable_);
    scaleLayout->addWidget(optFixed_);

    auto* frmType = new QGroupBox(QStringLiteral("Draw"));
    frmType->setObjectName(QStringLiteral("frmType"));
    types_ = new QButtonGroup(this);
    auto* typeLayout = new QGridLayout(frmType);
    constexpr int kRowsPerColumn = 9;
    for (int k = 0; k < casedb::kTrendResultCount; ++k) {
        auto* option = new QRadioButton(QString::fromLatin1(casedb::TrendResult(k).caption));
        option->setObjectName(QStringLiteral("optType_%1").arg(k));
        types_->addButton(option, k);
        typeLayout->addWidget(option, k % kRowsPerColumn, k / kRowsPerColumn);
        optType_[std::size_t(k)] = option;
    }
    optType_[casedb::kDefaultTrendResult]->setChecked(true);

    cmdPlot_ = new QPushButton(QStringLiteral("&Query"));
    cmdPlot_->setObjectName(QStringLiteral("CmdPlot"));
    cmdClose_ = new QPushButton(QStringLiteral("&Close"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));

    auto* left = new QVBoxLayout;
    for (QWidget* frame : std::initializer_list<QWidget*>{frmPlane, frmMachine, frmDate, frmScale})
        left->addWidget(frame);
    left->addStretch(1);
    left->addWidget(cmdPlot_);
    left->addWidget(cmdClose_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(frmType, 1);

    TranslateForm(*this);
    for (int k = 0; k < casedb::kTrendResultCount; ++k)
        captions_[std::size_t(k)] = optType_[std::size_t(k)]->text();

    connect(cmbPlane_, &QComboBox::currentIndexChanged, this, [this] { planeChanged(); });
    connect(cmbMachine_, &QComboBox::activated, this, [this] { chkMachine_->setChecked(cmbMachine_->currentIndex() > -1); });
    connect(chkMachine_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            cmbMachine_->setCurrentIndex(-1);
    });
    connect(types_, &QButtonGroup::idToggled, this, [this] { boldChosenResult(); });
    connect(cmdPlot_, &QPushButton::clicked, this, [this] { runQuery(); });
    connect(cmdClose_, &QPushButton::clicked, this, [this] { FrameOf(this)->close(); });

    loadMachineList();
    planeChanged();
    boldChosenResult();
    CenterForm(*this);
}

void TrendWindow::loadMachineList()
{
    const BusyCursor busy;
    cmbMachine_->clear();
    try {
        const casedb::CaseStore* store = sources_.store ? sources_.store() : nullptr;
        if (!store)
            return;
        cmbMachine_->addItems(casedb::StoredMachines(*store));
    } catch (...) {
        ReportError(QStringLiteral("Reading machines"), AppError::fromException(std::current_exception()));
    }
    cmbMachine_->setCurrentIndex(-1);
}

void TrendWindow::planeChanged()
{
    const QString plane = cmbPlane_->currentText();
    for (int k = 0; k < casedb::kTrendResultCount; ++k) {
        optType_[std::size_t(k)]->setText(
            casedb::CaptionForPlane(captions_[std::size_t(k)], casedb::TrendResult(k).axis, plane));
    }
}

void TrendWindow::boldChosenResult()
{
    for (QRadioButton* option : optType_) {
        QFont font = option->font();
        font.setBold(option->isChecked());
        option->setFont(font);
    }
}

casedb::TrendRequest TrendWindow::request() const
{
    return {cmbPlane_->currentText(), cmbMachine_->currentIndex() > -1 ? cmbMachine_->currentText() : QString(),
            dtpStart_->date(), dtpStop_->date()};
}

casedb::TrendOptions TrendWindow::options() const
{
    const int result = std::max(0, types_->checkedId());
    return {result, optType_[std::size_t(result)]->text(),
            optVariable_->isChecked() ? casedb::TrendSpacing::Variable : casedb::TrendSpacing::Fixed};
}

void TrendWindow::runQuery()
{
    const BusyCursor busy;
    const casedb::TrendRequest wanted = request();
    const casedb::TrendOptions chosen = options();
    const UnitState units = sources_.units ? sources_.units() : UnitState{};
    TrendGraphWindow* graph = sources_.graph ? sources_.graph() : nullptr;
    // The graph shows the headers alone until the query has its result.
    if (graph)
        graph->showTrend(casedb::BuildTrend({}, wanted, chosen, units));
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(casedb::TrendStatementText(wanted));
    try {
        const casedb::CaseStore* store = sources_.store ? sources_.store() : nullptr;
        if (!store)
            throw AppError(casedb::kDatabaseNotOpen, StandardErrorText(casedb::kDatabaseNotOpen));
        const casedb::TrendView view = casedb::BuildTrend(casedb::QueryTrend(*store, wanted), wanted, chosen, units);
        if (graph)
            graph->showTrend(view);
    } catch (...) {
        ReportError(QString::fromLatin1(casedb::kTrendQueryLocation), AppError::fromException(std::current_exception()));
    }
}

void TrendWindow::keyPressEvent(QKeyEvent* event)
{
    if (PlainKey(event, Qt::Key_Escape)) {
        FrameOf(this)->close();
        return;
    }
    if (PlainKey(event, Qt::Key_Return) || PlainKey(event, Qt::Key_Enter)) {
        runQuery();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace sarvo
