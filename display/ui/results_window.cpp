#include "display/ui/results_window.h"

#include "display/fault_tree.h"

#include "core/help.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <algorithm>

#include <QClipboard>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTabBar>
#include <QStyle>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace sarvo::display {

namespace {

// The chart's design size: the bars of the five largest influences fit it with their texts.
constexpr QSize kParetoSize(486, 242);
constexpr QSize kSpectrumChartSize(420, 180);

QLabel* Text(const QString& text)
{
    return new QLabel(text);
}

// What frames the window: its sub-window in the main window's client area, or the window itself.
QWidget* MdiFrameOf(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}

// The sign sketches beside the scale mismatch and the squareness: a dashed nominal circle and the
// measured shape over it. The xz plane is seen with the opposite sense of rotation, so its
// squareness sketch is mirrored; an axis-parallel stretch reads the same either way.
class SignPicture : public QWidget {
public:
    enum Kind { Scale, Squareness };

    SignPicture(Kind kind, bool minus, bool xz) : kind_(kind), minus_(minus), xz_(xz) { setFixedSize(44, 44); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(rect()).center();
        const double r = std::min(width(), height()) / 2.0 - 3;
        p.setPen(QPen(Qt::gray, 1));
        p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
        p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
        p.drawEllipse(c, r * 0.75, r * 0.75);

        p.translate(c);
        double angle = 0;
        double along = r * 0.95;
        double across = r * 0.55;
        if (kind_ == Scale) {
            if (minus_)
                std::swap(along, across);
        } else {
            angle = minus_ ? 45 : -45; // screen y runs down: -45 rises to the right
            if (xz_)
                angle = -angle;
        }
        p.rotate(angle);
        p.setPen(QPen(QColor(160, 0, 0), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), along, across);
    }

private:
    Kind kind_;
    bool minus_;
    bool xz_;
};

} // namespace

// --- charts -----------------------------------------------------------------------------------

ParetoChart::ParetoChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(kParetoSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ParetoChart::setChart(BarChart chart)
{
    chart_ = std::move(chart);
    update();
}

BarChartGeometry ParetoChart::barGeometry() const
{
    return LayoutBarChart(chart_, QRectF(rect()), font(), this);
}

QImage ParetoChart::image() const
{
    // A chart that was never laid out has no size of its own yet.
    const QSize size = testAttribute(Qt::WA_Resized) ? this->size() : sizeHint();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font());
    DrawBarChart(painter, chart_, QRectF(image.rect()));
    return image;
}

QSize ParetoChart::sizeHint() const
{
    return kParetoSize;
}

void ParetoChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawBarChart(painter, chart_, QRectF(rect()));
}

void ParetoChart::mousePressEvent(QMouseEvent* event)
{
    if (const auto bar = barGeometry().barAt(event->position()))
        Q_EMIT barPressed(*bar);
    QWidget::mousePressEvent(event);
}

SpectrumChart::SpectrumChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(kSpectrumChartSize / 2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SpectrumChart::setChart(LineChart chart)
{
    chart_ = std::move(chart);
    update();
}

QSize SpectrumChart::sizeHint() const
{
    return kSpectrumChartSize;
}

void SpectrumChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawLineChart(painter, chart_, QRectF(rect()));
}

// --- window -----------------------------------------------------------------------------------

ResultsWindow::ResultsWindow(const QString& appPath, const QString& errHelpFile, QWidget* parent)
    : QWidget(parent)
    , tabs_(new QTabWidget)
    , help_(new QPushButton(QStringLiteral("Help")))
    , close_(new QPushButton(QStringLiteral("&Close")))
    , tree_(new QPushButton(QStringLiteral("Fault tree")))
{
    setObjectName(QStringLiteral("result"));
    setProperty("tag", QStringLiteral("result"));
    setWindowTitle(QStringLiteral("Analysis Results"));
    setHelpFile(appPath, errHelpFile);

    tabs_->setObjectName(QStringLiteral("tabResult"));
    // The tabs take their captions from the type labels, so the tab widget is not translated itself.
    tabs_->setProperty("noTranslate", true);
    for (int i = 0; i < kResultPages; ++i) {
        // The type labels only carry the tab captions through translation; they are never shown.
        types_[i] = named(new QLabel(QString::fromLatin1(PageInfo(ResultPage(i)).type), this), QStringLiteral("lblType"), i);
        types_[i]->hide();
        tabs_->addTab(buildPage(i), types_[i]->text());
    }

    help_->setObjectName(QStringLiteral("CmdHelp"));
    close_->setObjectName(QStringLiteral("cmdClose"));
    tree_->setObjectName(QStringLiteral("cmdTree"));
    tree_->hide(); // no operation offers the fault-tree hand-over
    connect(help_, &QPushButton::clicked, this, &ResultsWindow::showHelp);
    connect(tree_, &QPushButton::clicked, this, [this] {
        if (faultTreeHandOver_)
            faultTreeHandOver_(FaultTreeJumpKey(tabs_->currentIndex()));
    });
    connect(close_, &QPushButton::clicked, this, [this] { MdiFrameOf(this)->close(); });
    connect(pareto_, &ParetoChart::barPressed, this, &ResultsWindow::openParetoBar);
    connect(copy_, &QPushButton::clicked, this, &ResultsWindow::copyChart);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tree_);
    buttons->addStretch();
    buttons->addWidget(help_);
    buttons->addWidget(close_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs_, 1);
    outer->addLayout(buttons);
    resize(720, 480);

    TranslateForm(*this);
    syncTabCaptions();
    openingSize_ = QSize(std::max(width(), widthForTabs()), height());
    resize(openingSize_);
    tabs_->setCurrentIndex(int(ResultPage::Pareto));
}

int ResultsWindow::widthForTabs() const
{
    // Wide enough for every tab caption in the language of the moment (German ones are long).
    const QMargins margins = layout()->contentsMargins();
    const int tabsFrame = 2 * tabs_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs_) + 8;
    return tabs_->tabBar()->sizeHint().width() + margins.left() + margins.right() + tabsFrame;
}

void ResultsWindow::fitTabs()
{
    syncTabCaptions();
    const int wanted = widthForTabs();
    openingSize_.setWidth(std::max(openingSize_.width(), wanted));
    if (width() >= wanted)
        return;
    QWidget* frame = MdiFrameOf(this);
    frame->resize(frame->width() + wanted - width(), frame->height());
}

void ResultsWindow::setFaultTreeHandOver(std::function<void(const QString& jumpKey)> handOver)
{
    faultTreeHandOver_ = std::move(handOver);
}

void ResultsWindow::setHelpFile(const QString& appPath, const QString& errHelpFile)
{
    helpFile_ = appPath + errHelpFile;
}

template <class W>
W* ResultsWindow::named(W* widget, const QString& control, int index)
{
    const QString key = ControlKey(control, index);
    widget->setObjectName(key);
    controls_.insert(key, widget);
    return widget;
}

QLabel* ResultsWindow::value(const QString& control, int index, const QString& design)
{
    QLabel* label = caption(control, index, design);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(72);
    return label;
}

QLabel* ResultsWindow::caption(const QString& control, int index, const QString& design)
{
    auto* label = named(new QLabel(design), control, index);
    // The view writes these; translating a shown value would only add it as a text to translate.
    label->setProperty("noTranslate", true);
    return label;
}

QLabel* ResultsWindow::unit()
{
    return caption(QStringLiteral("LblUnit"), units_++, QStringLiteral("µm"));
}

QLabel* ResultsWindow::mmUnit()
{
    return caption(QStringLiteral("lblMMUnit"), mmUnits_++, QStringLiteral("mm"));
}

QWidget* ResultsWindow::feedrateUnit()
{
    // "/min" right after the unit, however wide the unit's column is.
    auto* cell = new QWidget;
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(mmUnit());
    row->addWidget(Text(QStringLiteral("/min")));
    row->addStretch();
    return cell;
}

QLabel* ResultsWindow::perDiameterUnit()
{
    return caption(QStringLiteral("lblSqUnit"), perDiameterUnits_++, QStringLiteral("µm/m"));
}

QLabel* ResultsWindow::label(const QString& key) const
{
    return qobject_cast<QLabel*>(controls_.value(key));
}

QWidget* ResultsWindow::buildPage(int index)
{
    const auto page = ResultPage(index);
    const ResultPageInfo& info = PageInfo(page);
    auto* frame = named(new QGroupBox(QString::fromLatin1(info.frame)), QStringLiteral("frmType"), index);
    auto* box = new QVBoxLayout(frame);
    switch (page) {
    case ResultPage::All:
        buildAll(box);
        break;
    case ResultPage::AxisSpike:
        buildAxisPair(box, QStringLiteral("Axis Spike Value"), 6, QStringLiteral("LblSpikeH"), QStringLiteral("LblSpikeV"), 1);
        break;
    case ResultPage::Backlash:
        buildBacklash(box);
        break;
    case ResultPage::Circularity:
        buildCircularity(box);
        break;
    case ResultPage::Cyclic:
        buildCyclic(box);
        break;
    case ResultPage::Iso:
        buildIso(box);
        break;
    case ResultPage::LateralPlay:
        buildAxisPair(box, QStringLiteral("Lateral Play"), 9, QStringLiteral("LblPlayH"), QStringLiteral("LblPlayV"), 1);
        break;
    case ResultPage::Scale:
        buildScale(box);
        break;
    case ResultPage::Servo:
        buildServo(box);
        break;
    case ResultPage::Squareness:
        buildSquareness(box);
        break;
    case ResultPage::StickSlip:
        buildAxisPair(box, QStringLiteral("Stick Slip Value"), 11, QStringLiteral("LblSlipH"), QStringLiteral("LblSlipV"), 1);
        break;
    case ResultPage::Straightness:
        buildAxisPair(box, QStringLiteral("Straightness"), 12, QStringLiteral("LblStraightH"), QStringLiteral("LblStraightV"), 0);
        break;
    case ResultPage::Vibration:
        buildVibration(box);
        break;
    case ResultPage::Pareto:
        buildPareto(box);
        break;
    }
    if (const char* hint = info.hint) {
        box->addStretch();
        auto* panel = named(new QFrame, QStringLiteral("PnlHint"), index);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* text = named(new QLabel(QString::fromLatin1(hint)), QStringLiteral("LblHint"), index);
        text->setWordWrap(true);
        // A hint longer than a translation key is translated from the long texts, under its own name.
        if (text->text().size() > kMaxKeyLength)
            text->setProperty("tag", text->objectName());
        auto* panelLayout = new QVBoxLayout(panel);
        panelLayout->addWidget(text);
        box->addWidget(panel);
    } else if (page != ResultPage::Vibration && page != ResultPage::Pareto) {
        box->addStretch();
    }

    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(frame);
    return tab;
}

void ResultsWindow::buildAll(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    int row = 0;
    // A title the printed report reads too has a name of its own.
    const auto titled = [this](const QString& title, const QString& control, int index) {
        QLabel* label = Text(title);
        return control.isEmpty() ? label : named(label, control, index);
    };
    const auto single = [&](const QString& title, QWidget* value, QWidget* unit, QWidget* extra = nullptr,
                            const QString& control = {}) {
        g->addWidget(titled(title, control, -1), row, 0);
        g->addWidget(value, row, 2);
        g->addWidget(unit, row, 3);
        if (extra)
            g->addWidget(extra, row, 4, 1, 3);
        ++row;
    };
    const auto pair = [&](const QString& title, int axes, QWidget* h, QWidget* v, const QString& control = {}) {
        g->addWidget(titled(title, control, 0), row, 0);
        g->addWidget(caption(QStringLiteral("LblAxesH"), axes, QStringLiteral("X")), row, 1);
        g->addWidget(h, row, 2);
        g->addWidget(unit(), row, 3);
        g->addWidget(caption(QStringLiteral("LblAxesV"), axes, QStringLiteral("Y")), row, 4);
        g->addWidget(v, row, 5);
        g->addWidget(unit(), row, 6);
        ++row;
    };
    single(QStringLiteral("Average Feedrate"), value(QStringLiteral("lblAverageFeedrate")), feedrateUnit());
    single(QStringLiteral("Best Radius"), value(QStringLiteral("LblBestR"), 2), mmUnit());
    single(QStringLiteral("Circularity Value"), value(QStringLiteral("LblCirV"), 2), unit());
    pair(QStringLiteral("Backlash"), 0, value(QStringLiteral("LblBlashH")), value(QStringLiteral("LblBlashV")));
    pair(QStringLiteral("Axis Spike"), 1, value(QStringLiteral("LblSpikeH"), 0), value(QStringLiteral("LblSpikeV"), 0));
    pair(QStringLiteral("Lateral Play"), 2, value(QStringLiteral("LblPlayH"), 0), value(QStringLiteral("LblPlayV"), 0));
    single(QStringLiteral("Scale Mismatch"), value(QStringLiteral("LblScEr")), perDiameterUnit(),
           caption(QStringLiteral("LblScaleAxis"), 0, QStringLiteral("(x-y)")));
    single(QStringLiteral("Squareness Error"), value(QStringLiteral("LblSqEr"), 0), perDiameterUnit());
    pair(QStringLiteral("Straightness"), 3, value(QStringLiteral("LblStraightH"), 1), value(QStringLiteral("LblStraightV"), 1),
         QStringLiteral("LblStraightTitle"));
    single(QStringLiteral("Servo Response"), value(QStringLiteral("LblServoH"), 1), Text(QStringLiteral("%")),
           caption(QStringLiteral("LblScaleAxis"), 1, QStringLiteral("(x-y)")));
    pair(QStringLiteral("Cyclic Error"), 4, value(QStringLiteral("LblCyclicH"), 1), value(QStringLiteral("LblCyclicV"), 1));
    pair(QStringLiteral("Stick Slip"), 5, value(QStringLiteral("LblSlipH"), 0), value(QStringLiteral("LblSlipV"), 0));
    single(QStringLiteral("Random Vibration"), value(QStringLiteral("LblRandom"), 1), unit());
    single(QStringLiteral("Directional Vibration"), value(QStringLiteral("LblPolarVib"), 0), unit(), nullptr,
           QStringLiteral("LblDirVib"));
    g->setColumnStretch(7, 1);
    box->addLayout(g);
}

void ResultsWindow::buildAxisPair(QVBoxLayout* box, const QString& title, int axes, const QString& h, const QString& v,
                                  int index)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(title), 0, 0, 1, 4);
    g->addWidget(caption(QStringLiteral("LblAxesH"), axes, QStringLiteral("X")), 1, 1);
    g->addWidget(value(h, index), 1, 2);
    g->addWidget(unit(), 1, 3);
    g->addWidget(caption(QStringLiteral("LblAxesV"), axes, QStringLiteral("Y")), 2, 1);
    g->addWidget(value(v, index), 2, 2);
    g->addWidget(unit(), 2, 3);
    g->setColumnMinimumWidth(0, 24);
    g->setColumnStretch(4, 1);
    box->addLayout(g);
}

void ResultsWindow::buildBacklash(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Axes")), 0, 0);
    g->addWidget(Text(QStringLiteral("Value")), 0, 1);
    g->addWidget(Text(QStringLiteral("Position")), 0, 3);
    struct Row {
        const char* axis;
        int axisIndex;
        const char* design;
        const char* value;
        const char* position;
    };
    // Each axis's plus step, then its minus step.
    const Row rows[] = {{"LblAxesHB", 0, "X+", "LblBVal0", "0 °"},
                        {"LblAxesHB", 1, "X-", "LblBVal180", "180 °"},
                        {"LblAxesVB", 0, "Y+", "LblBVal90", "90 °"},
                        {"LblAxesVB", 1, "Y-", "LblBVal270", "270 °"}};
    int row = 1;
    for (const Row& r : rows) {
        g->addWidget(caption(QLatin1String(r.axis), r.axisIndex, QLatin1String(r.design)), row, 0);
        g->addWidget(value(QLatin1String(r.value)), row, 1);
        g->addWidget(unit(), row, 2);
        g->addWidget(Text(QString::fromUtf8(r.position)), row, 3);
        ++row;
    }
    g->setColumnStretch(4, 1);
    box->addLayout(g);
}

void ResultsWindow::buildCircularity(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("LSC")), 0, 2, Qt::AlignHCenter);
    g->addWidget(Text(QStringLiteral("MZC")), 0, 3, Qt::AlignHCenter);
    int row = 1;
    const auto line = [&](const QString& title, QWidget* lsc, QWidget* mzc, QWidget* unit) {
        if (!title.isEmpty())
            g->addWidget(Text(title), row, 0);
        if (lsc)
            g->addWidget(lsc, row, 2);
        if (mzc)
            g->addWidget(mzc, row, 3);
        g->addWidget(unit, row, 4);
        ++row;
    };
    line(QStringLiteral("Circularity Value"), value(QStringLiteral("LblCirV"), 0), value(QStringLiteral("LblCirV"), 1), unit());
    line(QStringLiteral("Max Value"), value(QStringLiteral("LblCirMaV")), nullptr, unit());
    line(QStringLiteral("Max Position"), value(QStringLiteral("LblCirMaP"), 0), value(QStringLiteral("LblCirMaP"), 1),
         Text(QStringLiteral("°")));
    line(QStringLiteral("Min Value"), value(QStringLiteral("LblCirMiV")), nullptr, unit());
    line(QStringLiteral("Min Position"), value(QStringLiteral("LblCirMiP"), 0), value(QStringLiteral("LblCirMiP"), 1),
         Text(QStringLiteral("°")));
    line(QStringLiteral("Best Radius"), value(QStringLiteral("LblBestR"), 0), value(QStringLiteral("LblBestR"), 1), mmUnit());
    g->addWidget(caption(QStringLiteral("LblAxesH"), 7, QStringLiteral("X")), row, 1);
    line(QStringLiteral("Centre Offset"), value(QStringLiteral("LblCentH"), 0), value(QStringLiteral("LblCentH"), 1), unit());
    g->addWidget(caption(QStringLiteral("LblAxesV"), 7, QStringLiteral("Y")), row, 1);
    line(QString(), value(QStringLiteral("LblCentV"), 0), value(QStringLiteral("LblCentV"), 1), unit());
    g->setColumnStretch(5, 1);
    box->addLayout(g);
}

void ResultsWindow::buildCyclic(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Axes")), 0, 0);
    g->addWidget(Text(QStringLiteral("Value")), 0, 1);
    g->addWidget(named(Text(QStringLiteral("Pitch")), QStringLiteral("LblPitchTitle")), 0, 3);
    g->addWidget(Text(QStringLiteral("Phase")), 0, 5);
    const char* const axes[] = {"LblAxesH", "LblAxesV"};
    const char* const letters[] = {"X", "Y"};
    const char* const suffix[] = {"H", "V"};
    for (int i = 0; i < 2; ++i) {
        const int row = i + 1;
        g->addWidget(caption(QLatin1String(axes[i]), 8, QLatin1String(letters[i])), row, 0);
        g->addWidget(value(QStringLiteral("LblCyclic") + QLatin1String(suffix[i]), 0), row, 1);
        g->addWidget(unit(), row, 2);
        g->addWidget(value(QStringLiteral("LblPitch") + QLatin1String(suffix[i])), row, 3);
        g->addWidget(mmUnit(), row, 4);
        g->addWidget(value(QStringLiteral("LblPhase") + QLatin1String(suffix[i])), row, 5);
        g->addWidget(Text(QStringLiteral("±180 °")), row, 6);
    }
    g->setColumnStretch(7, 1);
    box->addLayout(g);
}

void ResultsWindow::buildIso(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Run")), 0, 0);
    g->addWidget(Text(QStringLiteral("G")), 0, 1, Qt::AlignHCenter);
    g->addWidget(unit(), 0, 2);
    g->addWidget(Text(QStringLiteral("Fmin / Fmax")), 0, 3, Qt::AlignHCenter);
    g->addWidget(unit(), 0, 4);
    const auto panel = [this](const QString& control, int index, QLabel* inner) {
        auto* frame = named(new QFrame, control, index);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        inner->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* layout = new QHBoxLayout(frame);
        layout->setContentsMargins(4, 1, 4, 1);
        layout->addWidget(inner);
        frame->setMinimumWidth(72);
        // A row is shown only for a run the case has.
        frame->hide();
        return frame;
    };
    for (int r = 0; r < 4; ++r) {
        QLabel* run = caption(QStringLiteral("LblRound"), r, QString::number(r + 1));
        run->hide();
        g->addWidget(run, r + 1, 0);
        g->addWidget(panel(QStringLiteral("PnlIsoG"), r, caption(QStringLiteral("LblIsoG"), r)), r + 1, 1);
        g->addWidget(panel(QStringLiteral("PnlIsoF"), r, caption(QStringLiteral("LblIsoF"), r)), r + 1, 3);
    }
    g->addWidget(Text(QStringLiteral("G(b)")), 5, 0);
    g->addWidget(value(QStringLiteral("LblIsoGb")), 5, 1);
    g->addWidget(unit(), 5, 2);
    g->addWidget(Text(QStringLiteral("D")), 6, 0);
    g->addWidget(value(QStringLiteral("lblIsoD")), 6, 1);
    g->addWidget(unit(), 6, 2);
    g->setColumnStretch(5, 1);
    box->addLayout(g);
}

void ResultsWindow::buildScale(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Scale Error Value")), 0, 0, 1, 4);
    // The horizontal row names its axis when calibrated, else the axis pair of the mismatch.
    auto* axisCell = new QHBoxLayout;
    axisCell->addWidget(caption(QStringLiteral("LblAxesH"), 10, QStringLiteral("X")));
    axisCell->addWidget(caption(QStringLiteral("LblScaleAxis"), 2, QStringLiteral("(x-y)")));
    g->addLayout(axisCell, 1, 1);
    g->addWidget(value(QStringLiteral("LblScErH"), 0), 1, 2);
    g->addWidget(perDiameterUnit(), 1, 3);
    scaleRowV_[0] = caption(QStringLiteral("LblAxesV"), 10, QStringLiteral("Y"));
    scaleRowV_[1] = value(QStringLiteral("LblScErV"), 0);
    scaleRowV_[2] = perDiameterUnit();
    for (int i = 0; i < 3; ++i)
        g->addWidget(scaleRowV_[i], 2, i + 1);
    // Shown, it takes the place of the vertical row: without a calibrated bar only the mismatch is known.
    auto* cover = named(new QWidget, QStringLiteral("PnlHide"));
    cover->hide();
    g->addWidget(cover, 2, 1, 1, 3);

    auto* pictures = new QHBoxLayout;
    const std::pair<const char*, SignPicture*> signs[] = {
        {"ImgScaleMinus", new SignPicture(SignPicture::Scale, true, false)},
        {"ImgScalePlus", new SignPicture(SignPicture::Scale, false, false)},
        {"ImgScaleMinusXZ", new SignPicture(SignPicture::Scale, true, true)},
        {"ImgScalePlusXZ", new SignPicture(SignPicture::Scale, false, true)}};
    for (const auto& [name, picture] : signs) {
        pictures->addWidget(named(picture, QLatin1String(name)));
        picture->hide();
    }
    g->addLayout(pictures, 1, 5, 2, 1);
    g->setColumnMinimumWidth(0, 24);
    g->setColumnMinimumWidth(4, 16);
    g->setColumnStretch(6, 1);
    box->addLayout(g);
}

void ResultsWindow::buildServo(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(named(Text(QStringLiteral("Servo Mismatch")), QStringLiteral("LblServoTitle"), 0), 0, 0);
    g->addWidget(value(QStringLiteral("LblServoH"), 0), 0, 1);
    g->addWidget(Text(QStringLiteral("%")), 0, 2);
    g->setRowMinimumHeight(1, 12);
    g->addWidget(Text(QStringLiteral("Round")), 2, 0);
    g->addWidget(Text(QStringLiteral("Measured Feedrate")), 2, 1);
    g->addWidget(feedrateUnit(), 2, 2, 1, 2);
    for (int r = 0; r < 4; ++r) {
        QLabel* run = caption(QStringLiteral("LblRoundServo"), r, QString::number(r + 1));
        QLabel* feedrate = value(QStringLiteral("lblRunFeedrate"), r, QStringLiteral("-"));
        run->hide();
        feedrate->hide();
        g->addWidget(run, r + 3, 0);
        g->addWidget(feedrate, r + 3, 1);
    }
    g->setColumnStretch(4, 1);
    box->addLayout(g);
}

void ResultsWindow::buildSquareness(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Squareness Error Value")), 0, 0);
    g->addWidget(value(QStringLiteral("LblSqEr"), 1), 0, 1);
    g->addWidget(perDiameterUnit(), 0, 2);
    g->addWidget(value(QStringLiteral("LblSqEr"), 2), 1, 1);
    g->addWidget(Text(QStringLiteral("arcsec")), 1, 2);
    auto* pictures = new QHBoxLayout;
    const std::pair<const char*, SignPicture*> signs[] = {
        {"ImgMinus", new SignPicture(SignPicture::Squareness, true, false)},
        {"ImgPlus", new SignPicture(SignPicture::Squareness, false, false)},
        {"ImgMinusXZ", new SignPicture(SignPicture::Squareness, true, true)},
        {"ImgPlusXZ", new SignPicture(SignPicture::Squareness, false, true)}};
    for (const auto& [name, picture] : signs) {
        pictures->addWidget(named(picture, QLatin1String(name)));
        picture->hide();
    }
    g->addLayout(pictures, 0, 4, 2, 1);
    g->setColumnMinimumWidth(3, 16);
    g->setColumnStretch(5, 1);
    box->addLayout(g);
}

void ResultsWindow::buildVibration(QVBoxLayout* box)
{
    auto* g = new QGridLayout;
    g->addWidget(Text(QStringLiteral("Random Vibration Value")), 0, 0);
    g->addWidget(value(QStringLiteral("LblRandom"), 0), 0, 1);
    g->addWidget(unit(), 0, 2);
    g->addWidget(Text(QStringLiteral("Directional Vibration Value")), 1, 0);
    g->addWidget(value(QStringLiteral("LblPolarVib"), 1), 1, 1);
    g->addWidget(unit(), 1, 2);
    g->addWidget(value(QStringLiteral("LblPolarAngle")), 1, 3);
    g->addWidget(Text(QStringLiteral("°")), 1, 4);
    g->setColumnStretch(5, 1);
    box->addLayout(g);

    auto* frame = new QGroupBox(QStringLiteral("Power spectrum"));
    frame->setObjectName(QStringLiteral("FrmSpec"));
    spectrum_ = named(new SpectrumChart, QStringLiteral("GrpSpec"));
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(spectrum_);
    box->addWidget(frame, 1);
}

void ResultsWindow::buildPareto(QVBoxLayout* box)
{
    pareto_ = named(new ParetoChart, QStringLiteral("GrpPareto"));
    copy_ = new QPushButton(QStringLiteral("Cop&y"));
    copy_->setObjectName(QStringLiteral("SSCommand1"));
    copy_->setToolTip(QStringLiteral("Copy to clipboard"));

    auto* circularity = new QHBoxLayout;
    circularity->addWidget(value(QStringLiteral("LblCirV"), 3));
    circularity->addWidget(unit());
    auto* side = new QVBoxLayout;
    side->addWidget(Text(QStringLiteral("Circularity Value")));
    side->addLayout(circularity);
    side->addStretch();
    side->addWidget(copy_);
    auto* row = new QHBoxLayout;
    row->addWidget(pareto_, 1);
    row->addLayout(side);
    box->addLayout(row, 1);
}

void ResultsWindow::syncTabCaptions()
{
    for (int i = 0; i < kResultPages; ++i)
        tabs_->setTabText(i, types_[i]->text());
}

void ResultsWindow::fill(const ResultsView& view)
{
    for (const ResultCaption& c : view.captions) {
        QWidget* w = controls_.value(ControlKey(c.control, c.index));
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(c.text);
        else if (auto* frame = qobject_cast<QGroupBox*>(w))
            frame->setTitle(c.text);
    }
    syncTabCaptions();
    for (const auto& [key, shown] : view.visible) {
        if (QWidget* w = controls_.value(key))
            w->setVisible(shown);
    }
    applyScaleCover();
    // Switching the current page off would make the tab bar select another one; the page the
    // user is on stays, as a refill in place never chooses the page.
    const int current = tabs_->currentIndex();
    for (int i = 0; i < kResultPages; ++i)
        tabs_->setTabEnabled(i, view.pageEnabled[std::size_t(i)]);
    tabs_->setCurrentIndex(current);

    BarChart bars;
    paretoCodes_.clear();
    for (const ParetoBar& bar : view.pareto) {
        bars.values.push_back(bar.value);
        bars.labels.push_back(bar.name);
        paretoCodes_.push_back(bar.code);
    }
    bars.axisTitle = view.paretoAxisTitle;
    pareto_->setChart(std::move(bars));

    LineChart line;
    line.points = view.spectrum;
    // The line amplitudes are in µm in either unit system.
    line.yTitle = QStringLiteral("µm");
    line.xTitle = view.spectrumInHertz ? QStringLiteral("Hz") : QString();
    spectrum_->setChart(std::move(line));
}

void ResultsWindow::applyScaleCover()
{
    const bool covered = !controls_.value(QStringLiteral("PnlHide"))->isHidden();
    for (QWidget* w : scaleRowV_)
        w->setVisible(!covered);
}

ResultPage ResultsWindow::currentPage() const
{
    return ResultPage(tabs_->currentIndex());
}

void ResultsWindow::selectPage(ResultPage page)
{
    const int index = int(page);
    if (index < 0 || index >= kResultPages || !tabs_->isTabEnabled(index))
        return;
    tabs_->setCurrentIndex(index);
}

int ResultsWindow::helpContext() const
{
    return HelpContextOfPage(currentPage());
}

void ResultsWindow::openParetoBar(int index)
{
    if (index < 0 || std::size_t(index) >= paretoCodes_.size())
        return;
    if (const auto page = PageOfFaultCode(paretoCodes_[std::size_t(index)]))
        selectPage(*page);
}

void ResultsWindow::copyChart()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(pareto_->image());
}

void ResultsWindow::showHelp()
{
    const BusyCursor busy;
    // The help is an offer: when it cannot open, the window carries on without a message.
    try {
        help().showContext(helpFile_, helpContext());
    } catch (...) {
    }
}

QSize ResultsWindow::sizeHint() const
{
    return openingSize_.isValid() ? openingSize_ : QWidget::sizeHint();
}

void ResultsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        CenterForm(*this);
    }
    if (!watchingFrame_) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
            watchingFrame_ = true;
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &ResultsWindow::restoreWhenActivated);
        }
    }
}

void ResultsWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The captions of another language come once the switch has translated the window's labels:
    // the window then grows to show every tab whole, as it opens in that language.
    if (event->type() == QEvent::LanguageChange)
        QMetaObject::invokeMethod(this, &ResultsWindow::fitTabs, Qt::QueuedConnection);
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow())
        restoreWhenActivated();
}

void ResultsWindow::restoreWhenActivated()
{
    // Looked at once the activation has run its course: the client area maximises a child it
    // activates only after announcing it, and changing the state inside the activation would fight it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            QWidget* frame = MdiFrameOf(this);
            if (frame->isMaximized())
                frame->showNormal();
        },
        Qt::QueuedConnection);
}

} // namespace sarvo::display
