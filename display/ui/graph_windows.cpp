#include "display/ui/graph_windows.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "gui/number_fields.h"
#include "gui/translate_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace sarvo::display {

namespace {

const QColor kCwColour(0x00, 0x00, 0xFF);
const QColor kCcwColour(0xFF, 0x00, 0x00);

constexpr int kClipNoticeMs = 1000;

// A typed scale outside these (µm per division) cannot be drawn sensibly.
constexpr double kMinTypedScale = 0.01;
constexpr double kMaxTypedScale = 100000;

// The scale steps per division in display units, ascending.
constexpr std::array<double, 8> kMetricSteps = {1, 2, 5, 10, 20, 50, 100, 200};
constexpr std::array<double, 8> kInchSteps = {0.00005, 0.0001, 0.0002, 0.0005, 0.001, 0.002, 0.005, 0.01};

// An inch scale comes back from µm with rounding noise; a value that far from a step is the step.
constexpr double kStepTolerance = 1e-9;

bool Below(double v, double step)
{
    return v < step * (1 - kStepTolerance);
}

// The largest step below v; the least step when there is none.
double StepDown(const std::array<double, 8>& steps, double v)
{
    double result = steps.front();
    for (const double s : steps) {
        if (Below(s, v))
            result = s;
    }
    return result;
}

// The first step above v from the second on (a value below the least step goes to the second);
// the greatest step stays.
double StepUp(const std::array<double, 8>& steps, double v)
{
    for (std::size_t i = 1; i + 1 < steps.size(); ++i) {
        if (Below(v, steps[i]))
            return steps[i];
    }
    return steps.back();
}

QLabel* Legend(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A line sample of the legend in the colour of its direction.
QFrame* LineSample(const QString& name, const QColor& colour, QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFixedSize(24, 2);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

QFrame* Panel(const QString& name)
{
    auto* panel = new QFrame;
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

QRadioButton* Option(const QString& name, const QString& caption)
{
    auto* option = new QRadioButton(caption);
    option->setObjectName(name);
    return option;
}

// What a click on one option chooses: the graph kind alone, or the directions alone. The other
// part is neither, which leaves it as it is where the options are applied.
GraphViewOptions KindOnly(bool polar)
{
    GraphViewOptions o;
    o.polar = polar;
    o.linear = !polar;
    o.clockwise = o.counterClockwise = false;
    return o;
}

GraphViewOptions DirectionsOnly(DirectionFilter filter)
{
    GraphViewOptions o;
    o.polar = o.linear = false;
    o.clockwise = filter != DirectionFilter::Ccw;
    o.counterClockwise = filter != DirectionFilter::Cw;
    return o;
}

void SetBold(QWidget* w, bool bold)
{
    QFont font = w->font();
    font.setBold(bold);
    w->setFont(font);
}

} // namespace

// --- picture ----------------------------------------------------------------------------------

GraphPicture::GraphPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Polar"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(60, 60);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPicture::setImage(QImage image)
{
    image_ = std::move(image);
    update();
}

void GraphPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!image_.isNull())
        painter.drawImage(QPointF(0, 0), image_);
}

void GraphPicture::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Q_EMIT resized();
}

void GraphPicture::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Q_EMIT shown();
}

// --- shared window ----------------------------------------------------------------------------

GraphWindow::GraphWindow(const Case& openCase, Settings& settings, const UnitState& units, GraphWindowHost& host,
                         Side side, QWidget* parent)
    : QWidget(parent)
    , case_(openCase)
    , settings_(settings)
    , units_(units)
    , host_(host)
    , side_(side)
    , picture_(new GraphPicture)
    , clipPanel_(new QLabel(QStringLiteral("Truncated!"), picture_))
{
    settings_.GraphScale = UsableGraphScale(settings_.GraphScale);

    auto* legend = new QWidget(picture_);
    legend->setObjectName(QStringLiteral("Legend"));
    auto* legendGrid = new QGridLayout(legend);
    legendGrid->setContentsMargins(6, 6, 6, 6);
    legendGrid->setHorizontalSpacing(2);
    legendGrid->addWidget(LineSample(QStringLiteral("LineCW"), kCwColour, legend), 0, 0);
    legendGrid->addWidget(Legend(QStringLiteral("LblCW"), QStringLiteral(" CW"), legend), 0, 1);
    legendGrid->addWidget(LineSample(QStringLiteral("LineCCW"), kCcwColour, legend), 1, 0);
    legendGrid->addWidget(Legend(QStringLiteral("LblCCW"), QStringLiteral(" CCW"), legend), 1, 1);
    // The legend takes the size of its texts whenever they change: translated ones are longer.
    legendGrid->setSizeConstraint(QLayout::SetFixedSize);
    legend->adjustSize();
    legend->move(0, 0);

    clipPanel_->setObjectName(QStringLiteral("PnlClip"));
    QFont clipFont = clipPanel_->font();
    clipFont.setBold(true);
    clipFont.setPointSizeF(9.75);
    clipPanel_->setFont(clipFont);
    clipPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    clipPanel_->setAlignment(Qt::AlignCenter);
    clipPanel_->setMargin(6);
    clipPanel_->setAutoFillBackground(true);
    clipPanel_->hide();

    clipTimer_.setSingleShot(true);
    clipTimer_.setInterval(kClipNoticeMs);
    connect(&clipTimer_, &QTimer::timeout, this, &GraphWindow::updateClipPanel);

    optLinear_ = Option(QStringLiteral("OptLinear"), QStringLiteral("Linear"));
    optPolar_ = Option(QStringLiteral("OptPolar"), QStringLiteral("Polar"));
    optPolar_->setChecked(true);
    static const char* const directions[] = {"CW", "CCW", "Both"};
    for (std::size_t i = 0; i < optDir_.size(); ++i)
        optDir_[i] = Option(QStringLiteral("OptDir(%1)").arg(i), QString::fromLatin1(directions[i]));
    optDir_[std::size_t(DirectionFilter::Both)]->setChecked(true);
    const auto chooses = [this](QRadioButton* option, const GraphViewOptions& chosen) {
        connect(option, &QRadioButton::toggled, this, [this, chosen](bool on) {
            if (on && !applyingOptions_)
                optionsChanged(chosen);
        });
    };
    chooses(optLinear_, KindOnly(false));
    chooses(optPolar_, KindOnly(true));
    for (const DirectionFilter f : {DirectionFilter::Cw, DirectionFilter::Ccw, DirectionFilter::Both})
        chooses(optDir_[std::size_t(f)], DirectionsOnly(f));

    cmdClose_ = new QPushButton(QStringLiteral("&Close"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose_, &QPushButton::clicked, this, [this] { closeClicked(); });

    connect(picture_, &GraphPicture::resized, this, [this] {
        layoutClipPanel();
        if (!frame()->isMinimized())
            drawPicture();
    });
    connect(picture_, &GraphPicture::shown, this, [this] {
        layoutClipPanel();
        drawPicture();
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picture_, 1);
}

GraphWindow::~GraphWindow()
{
    // Focus leaves a control while the window is taken apart; the filter must not see it.
    for (QWidget* w : findChildren<QWidget*>())
        w->removeEventFilter(this);
}

QWidget* GraphWindow::typePanel()
{
    QFrame* panel = Panel(QStringLiteral("PnlType"));
    auto* box = new QVBoxLayout(panel);
    box->addWidget(optLinear_);
    box->addWidget(optPolar_);
    return panel;
}

QWidget* GraphWindow::directionPanel()
{
    QFrame* panel = Panel(QStringLiteral("PnlDir"));
    auto* box = new QVBoxLayout(panel);
    for (QRadioButton* option : optDir_)
        box->addWidget(option);
    return panel;
}

void GraphWindow::finishControls(QWidget* rightPanel)
{
    rightPanel->setObjectName(QStringLiteral("PnlRight"));
    rightPanel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    layout()->addWidget(rightPanel);
    TranslateForm(*this);
    boldChoice();
    // Esc closes from wherever the focus is.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

QWidget* GraphWindow::frame()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

bool GraphWindow::polar() const
{
    return optPolar_->isChecked();
}

DirectionFilter GraphWindow::filter() const
{
    if (optDir_[std::size_t(DirectionFilter::Cw)]->isChecked())
        return DirectionFilter::Cw;
    if (optDir_[std::size_t(DirectionFilter::Ccw)]->isChecked())
        return DirectionFilter::Ccw;
    return DirectionFilter::Both;
}

GraphViewOptions GraphWindow::viewOptions() const
{
    GraphViewOptions o;
    o.polar = optPolar_->isChecked();
    o.linear = optLinear_->isChecked();
    o.clockwise = filter() != DirectionFilter::Ccw;
    o.counterClockwise = filter() != DirectionFilter::Cw;
    return o;
}

void GraphWindow::setViewOptions(const GraphViewOptions& options)
{
    applyingOptions_ = true;
    if (options.polar)
        optPolar_->setChecked(true);
    else if (options.linear)
        optLinear_->setChecked(true);
    // Neither direction leaves the choice as it is: one of the options is always chosen.
    if (options.clockwise && options.counterClockwise)
        optDir_[std::size_t(DirectionFilter::Both)]->setChecked(true);
    else if (options.clockwise)
        optDir_[std::size_t(DirectionFilter::Cw)]->setChecked(true);
    else if (options.counterClockwise)
        optDir_[std::size_t(DirectionFilter::Ccw)]->setChecked(true);
    applyingOptions_ = false;
    optionsChanged(options);
}

void GraphWindow::setDrawingSuspended(bool suspended)
{
    if (suspendedByFrame_ == suspended)
        return;
    suspendedByFrame_ = suspended;
    if (!suspended && pending_)
        drawPicture();
}

void GraphWindow::optionsChanged(const GraphViewOptions&)
{
    boldChoice();
    redraw();
}

void GraphWindow::boldChoice()
{
    for (QRadioButton* option : {optLinear_, optPolar_, optDir_[0], optDir_[1], optDir_[2]})
        SetBold(option, option->isChecked());
}

void GraphWindow::showNormalUndrawn()
{
    ++undrawn_;
    frame()->showNormal();
    --undrawn_;
}

void GraphWindow::restoreIfMinimised()
{
    if (frame()->isMinimized())
        showNormalUndrawn();
}

void GraphWindow::drawPicture()
{
    // A hidden, empty or suspended picture is drawn when it can be seen again.
    if (suspendedByFrame_ || undrawn_ > 0 || !picture_->isVisible() || picture_->width() <= 0
        || picture_->height() <= 0) {
        pending_ = true;
        return;
    }
    pending_ = false;
    const BusyCursor busy;
    const GraphRequest req = request();
    traceClipped_ = false;

    const qreal ratio = picture_->devicePixelRatioF();
    QImage image(picture_->size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    GraphOutcome outcome;
    // What was drawn before an error stays in the picture.
    RunTrapped(req.polar ? QStringLiteral("Making polar graph") : QStringLiteral("Making linear graph"), [&] {
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(picture_->size()));
        outcome = DrawGraphPicture(canvas, case_, settings_.GraphScale, req, units_, settings_.UnitsInch);
    });
    picture_->setImage(std::move(image));

    // The notice of a rescale lasts a second, whatever is drawn meanwhile; that of a model trace
    // beyond the graph stays until the next drawing.
    traceClipped_ = outcome.modelClipped || (outcome.clipped && !outcome.rescaled);
    if (outcome.rescaled) {
        clipTimer_.start();
        scaleRescaled();
    }
    updateClipPanel();
}

void GraphWindow::updateClipPanel()
{
    const bool show = traceClipped_ || clipTimer_.isActive();
    clipPanel_->setVisible(show);
    if (show)
        clipPanel_->raise();
}

void GraphWindow::layoutClipPanel()
{
    clipPanel_->adjustSize();
    clipPanel_->move((picture_->width() - clipPanel_->width()) / 2, (picture_->height() - clipPanel_->height()) / 2);
}

bool GraphWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            closeClicked();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GraphWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool GraphWindow::event(QEvent* event)
{
    if (event->type() == QEvent::Show && !placed_) {
        placed_ = true;
        place();
    }
    return QWidget::event(event);
}

void GraphWindow::place()
{
    QWidget* f = frame();
    // A window opened maximised (the combined display) keeps that state.
    if (f->isMaximized() || f->isMinimized())
        return;
    QRect area;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(f); sub && sub->mdiArea())
        area = QRect(QPoint(0, 0), sub->mdiArea()->viewport()->size());
    else if (const QScreen* s = screen())
        area = s->availableGeometry();
    else
        return;
    const int half = area.width() / 2;
    const int left = side_ == Side::Left ? area.left() : area.left() + half;
    f->setGeometry(left, area.top(), half, area.height());
}

// --- original graph window --------------------------------------------------------------------

OriginalGraphWindow::OriginalGraphWindow(const Case& openCase, Settings& settings, const UnitState& units,
                                         GraphWindowHost& host, QWidget* parent)
    : GraphWindow(openCase, settings, units, host, Side::Right, parent)
    , chkMzc_(new QCheckBox(QStringLiteral("MZC")))
    , txtScale_(new QLineEdit)
    , spnDown_(new QToolButton)
    , spnUp_(new QToolButton)
    , lblUnit_(new QLabel)
    , cmdPrint_(new QPushButton(QStringLiteral("&Print")))
{
    setObjectName(QStringLiteral("frmGraph"));
    setProperty("tag", QStringLiteral("frmGraph"));
    setWindowTitle(QStringLiteral("Original Measurement Graph"));

    chkMzc_->setObjectName(QStringLiteral("ChkMZC"));
    txtScale_->setObjectName(QStringLiteral("TxtScale"));
    txtScale_->setAlignment(Qt::AlignRight);
    txtScale_->setMaximumWidth(72);
    WatchNumberField(*txtScale_, QStringLiteral("Scale"));
    lblUnit_->setObjectName(QStringLiteral("LblUnit(0)"));
    lblUnit_->setProperty("noTranslate", true); // the unit caption is already translated
    cmdPrint_->setObjectName(QStringLiteral("CmdPrint"));

    // The spin button: two arrows that leave the focus in the scale box.
    auto* spin = new QWidget;
    spin->setObjectName(QStringLiteral("SpnScale"));
    auto* arrows = new QVBoxLayout(spin);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    for (QToolButton* arrow : {spnUp_, spnDown_}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setFixedSize(16, 11);
        arrows->addWidget(arrow);
    }
    spnUp_->setObjectName(QStringLiteral("SpnScaleUp"));
    spnUp_->setArrowType(Qt::UpArrow);
    spnDown_->setObjectName(QStringLiteral("SpnScaleDown"));
    spnDown_->setArrowType(Qt::DownArrow);

    QFrame* grid = Panel(QStringLiteral("PnlGrid"));
    auto* gridBox = new QGridLayout(grid);
    QFrame* item = Panel(QStringLiteral("PnlItem"));
    auto* itemBox = new QHBoxLayout(item);
    itemBox->setContentsMargins(2, 2, 2, 2);
    auto* title = new QLabel(QStringLiteral("Scale"));
    title->setObjectName(QStringLiteral("LblItem(0)"));
    itemBox->addWidget(title);
    gridBox->addWidget(item, 0, 0, 1, 2);
    gridBox->addWidget(txtScale_, 1, 0);
    gridBox->addWidget(spin, 1, 1);
    auto* perDivision = new QLabel(QStringLiteral("/div"));
    perDivision->setObjectName(QStringLiteral("LblItem(1)"));
    auto* unitRow = new QHBoxLayout;
    unitRow->setSpacing(0);
    unitRow->addWidget(lblUnit_);
    unitRow->addWidget(perDivision);
    unitRow->addStretch();
    gridBox->addLayout(unitRow, 2, 0, 1, 2);

    auto* right = new QFrame;
    right->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* box = new QVBoxLayout(right);
    box->addWidget(chkMzc_);
    box->addWidget(grid);
    box->addWidget(typePanel());
    box->addWidget(directionPanel());
    box->addStretch();
    box->addWidget(closeButton());
    box->addWidget(cmdPrint_);

    connect(chkMzc_, &QCheckBox::toggled, this, [this] { redraw(); });
    connect(spnDown_, &QToolButton::clicked, this, &OriginalGraphWindow::stepScaleDown);
    connect(spnUp_, &QToolButton::clicked, this, &OriginalGraphWindow::stepScaleUp);
    connect(cmdPrint_, &QPushButton::clicked, this,
            [this] { RunTrapped(QStringLiteral("Printing graph"), [this] { host_.printGraph(); }); });

    finishControls(right);
    lblUnit_->setText(units_.SmallCaption);
    showScaleText();
}

OriginalGraphWindow::~OriginalGraphWindow()
{
    txtScale_->removeEventFilter(this);
}

GraphRequest OriginalGraphWindow::request() const
{
    GraphRequest r;
    r.polar = polar();
    r.filter = filter();
    r.showMeasured = true;
    r.showAnalysis = host_.combined();
    r.showMzc = r.polar && chkMzc_->isChecked();
    r.cw = kCwColour;
    r.ccw = kCcwColour;
    return r;
}

void OriginalGraphWindow::redraw()
{
    setWindowTitle(OriginalGraphCaption(host_.combined()));
    restoreIfMinimised();
    drawPicture();
}

bool OriginalGraphWindow::minimumZoneShown() const
{
    return chkMzc_->isChecked();
}

void OriginalGraphWindow::refreshUnits()
{
    lblUnit_->setText(units_.SmallCaption);
    showScaleText();
    drawPicture(); // the linear graph labels its divisions in display units
}

void OriginalGraphWindow::optionsChanged(const GraphViewOptions& chosen)
{
    GraphWindow::optionsChanged(chosen);
    chkMzc_->setVisible(polar());
    // Only what was chosen: a direction picked in the analysis graph stays when the kind changes here.
    host_.syncAnalysisOptions(chosen);
}

void OriginalGraphWindow::closeClicked()
{
    if (host_.combined()) {
        host_.setCombined(false);
        showNormalUndrawn();
        refreshGraphs();
        return;
    }
    frame()->close();
}

void OriginalGraphWindow::scaleRescaled()
{
    showScaleText();
    // The scale is the program's one scale: the analysis graph follows it.
    if (!refreshing_)
        host_.refreshAnalysisGraph();
}

void OriginalGraphWindow::refreshGraphs()
{
    refreshing_ = true;
    redraw();
    refreshing_ = false;
    host_.refreshAnalysisGraph();
}

void OriginalGraphWindow::showScaleText()
{
    txtScale_->setText(GraphScaleText(settings_.GraphScale, units_));
}

void OriginalGraphWindow::commitTypedScale()
{
    // Only a typed text counts: the shown text is rounded, so taking it back would move the scale.
    if (!txtScale_->isModified() || !NumberKept(*txtScale_))
        return;
    const double v = StrToDbl(txtScale_->text());
    if (v > 0) {
        const double factor = units_.SmallFactor > 0 && std::isfinite(units_.SmallFactor) ? units_.SmallFactor : 1.0;
        settings_.GraphScale = std::clamp(v / factor, kMinTypedScale, kMaxTypedScale);
    }
    showScaleText();
}

void OriginalGraphWindow::stepScaleDown()
{
    step(false);
}

void OriginalGraphWindow::stepScaleUp()
{
    step(true);
}

void OriginalGraphWindow::step(bool up)
{
    // A value typed and not yet taken over is the one stepped from.
    commitTypedScale();
    if (settings_.UnitsInch) {
        const double factor = units_.SmallFactor > 0 && std::isfinite(units_.SmallFactor) ? units_.SmallFactor : 1.0;
        const double v = settings_.GraphScale * factor;
        settings_.GraphScale = (up ? StepUp(kInchSteps, v) : StepDown(kInchSteps, v)) / factor;
    } else {
        const double v = settings_.GraphScale;
        settings_.GraphScale = up ? StepUp(kMetricSteps, v) : StepDown(kMetricSteps, v);
    }
    showScaleText();
    txtScale_->setCursorPosition(int(txtScale_->text().size()));
    txtScale_->setFocus();
    refreshGraphs();
}

bool OriginalGraphWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtScale_) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
                step(key->key() == Qt::Key_Up);
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                commitTypedScale();
                refreshGraphs();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
            // After the press that gave the focus, which would place the caret.
            QTimer::singleShot(0, txtScale_, &QLineEdit::selectAll);
            break;
        case QEvent::FocusOut:
            commitTypedScale();
            break;
        default:
            break;
        }
    }
    return GraphWindow::eventFilter(watched, event);
}

void OriginalGraphWindow::showEvent(QShowEvent* event)
{
    closedSent_ = false;
    GraphWindow::showEvent(event);
}

void OriginalGraphWindow::closeEvent(QCloseEvent* event)
{
    GraphWindow::closeEvent(event);
    if (event->isAccepted() && !closedSent_) {
        closedSent_ = true;
        host_.originalGraphClosed();
    }
}

// --- analysis graph window --------------------------------------------------------------------

AnalysisGraphWindow::AnalysisGraphWindow(const Case& openCase, Settings& settings, const UnitState& units,
                                         GraphWindowHost& host, QWidget* parent)
    : GraphWindow(openCase, settings, units, host, Side::Left, parent)
    , cmdImpose_(new QPushButton(QStringLiteral("C&ombine")))
{
    setObjectName(QStringLiteral("frmAnaGraph"));
    setProperty("tag", QStringLiteral("frmAnaGraph"));
    setWindowTitle(QStringLiteral("Analysis Result Graph"));

    cmdImpose_->setObjectName(QStringLiteral("CmdImpose"));
    auto* unit = new QLabel(QStringLiteral("µm/Grid"));
    unit->setObjectName(QStringLiteral("LblUnit"));

    QFrame* grid = Panel(QStringLiteral("PnlGrid"));
    auto* gridBox = new QVBoxLayout(grid);
    gridBox->addWidget(typePanel());
    gridBox->addWidget(directionPanel());
    gridBox->addWidget(unit);

    auto* right = new QFrame;
    right->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* box = new QVBoxLayout(right);
    box->addWidget(cmdImpose_);
    box->addWidget(grid);
    box->addStretch();
    box->addWidget(closeButton());

    connect(cmdImpose_, &QPushButton::clicked, this, [this] {
        host_.setCombined(true);
        host_.showCombinedOriginal();
    });

    finishControls(right);
}

GraphRequest AnalysisGraphWindow::request() const
{
    GraphRequest r;
    r.polar = polar();
    r.filter = filter();
    r.showMeasured = false;
    r.showAnalysis = true;
    r.showMzc = false;
    r.cw = kCwColour;
    r.ccw = kCcwColour;
    return r;
}

void AnalysisGraphWindow::redraw()
{
    restoreIfMinimised();
    drawPicture();
}

void AnalysisGraphWindow::refreshUnits()
{
    drawPicture(); // the linear graph labels its divisions in display units
}

void AnalysisGraphWindow::closeClicked()
{
    frame()->close();
}

} // namespace sarvo::display
