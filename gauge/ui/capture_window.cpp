#include "gauge/ui/capture_window.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "core/outcome.h"
#include "core/prompts.h"
#include "gauge/ui/device_error.h"
#include "gauge/device_thread.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sarvo::gauge {

namespace {

constexpr int kLaunchDelayMs = 100;
constexpr int kTargetSize = 320;
constexpr int kUnmeasuredDrawMs = 100;
const QColor kCounterClockwiseColour(255, 0, 0);
const QColor kClockwiseColour(0, 0, 255);
const QColor kOvershootColour(0, 128, 0);
const QColor kReferenceColour(0xC0, 0xC0, 0xC0);

QLabel* NamedLabel(const QString& name, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(name);
    return label;
}

// A legend entry: its caption and a short line in the trace colour.
QHBoxLayout* LegendEntry(const QString& labelName, const QString& caption, const QString& lineName, const QColor& colour)
{
    auto* line = new QFrame;
    line->setObjectName(lineName);
    line->setFixedSize(30, 2);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    auto* row = new QHBoxLayout;
    row->addWidget(line);
    row->addWidget(NamedLabel(labelName, caption));
    return row;
}

QPushButton* Button(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    // Keys reach the window only: a focused button must not take Enter or Space as a second click.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmWait::frmWait(DeviceThread& device, Case& openCase, Settings& settings, const UnitState& units, QWidget* parent)
    : QDialog(parent)
    , case_(openCase)
    , settings_(settings)
    , units_(units)
    , session_(new CaptureSession(device, openCase, settings, units, 1000, this))
    , title_(NamedLabel(QStringLiteral("lblTitle"), QStringLiteral("Waiting for data...")))
    , picture_(NamedLabel(QStringLiteral("Plr"), QString()))
    , staticPanel_(new QWidget)
    , staticReading_(NamedLabel(QStringLiteral("pnlMeas"), QStringLiteral("0.0000")))
    , latch_(Button(QStringLiteral("cmdLatch"), QStringLiteral("Capture!")))
    , tickCaption_(NamedLabel(QStringLiteral("lblTick0"), QStringLiteral("50 µm")))
{
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QStringLiteral("Capture"));
    setModal(true);
    staticPanel_->setObjectName(QStringLiteral("pnlStatic"));
    staticReading_->setProperty("noTranslate", true);
    tickCaption_->setProperty("noTranslate", true);
    picture_->setFixedSize(kTargetSize, kTargetSize);
    target_ = QPixmap(kTargetSize, kTargetSize);
    target_.fill(Qt::white);
    showPicture();

    auto* item = NamedLabel(QStringLiteral("pnlItem"), QStringLiteral("Measurement on high sampling rate."));
    auto* capturing = NamedLabel(QStringLiteral("lblCapturing"), QStringLiteral("Capturing data..."));
    capturing->hide();
    auto* cancel = Button(QStringLiteral("cmdClose"), QStringLiteral("&Cancel"));

    auto* staticRow = new QHBoxLayout(staticPanel_);
    staticRow->addStretch(1);
    staticRow->addWidget(staticReading_);
    auto* readingUnit = NamedLabel(QStringLiteral("lblMeasUnit"), units_.LargeCaption);
    readingUnit->setProperty("noTranslate", true);
    staticRow->addWidget(readingUnit);
    staticRow->addStretch(1);
    staticPanel_->hide();

    auto* scale = new QHBoxLayout;
    scale->addWidget(tickCaption_);
    scale->addWidget(NamedLabel(QStringLiteral("lblTick1"), QStringLiteral("/tick")));
    scale->addStretch(1);
    scale->addLayout(LegendEntry(QStringLiteral("LblCCW"), QStringLiteral(" CCW"), QStringLiteral("LineCCW"),
                                 kCounterClockwiseColour));
    scale->addLayout(LegendEntry(QStringLiteral("LblCW"), QStringLiteral(" CW"), QStringLiteral("LineCW"),
                                 kClockwiseColour));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(latch_);
    buttons->addStretch(1);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(item);
    layout->addWidget(picture_, 0, Qt::AlignHCenter);
    layout->addLayout(scale);
    layout->addWidget(staticPanel_);
    layout->addWidget(capturing);
    layout->addLayout(buttons);

    TranslateForm(*this);
    CenterForm(*this);

    connect(latch_, &QPushButton::clicked, session_, &CaptureSession::toggleLatch);
    connect(cancel, &QPushButton::clicked, session_, &CaptureSession::requestStop);
    connect(session_, &CaptureSession::statusChanged, title_, &QLabel::setText);
    connect(session_, &CaptureSession::pointsAdded, this, &frmWait::drawPoints);
    connect(session_, &CaptureSession::liveReading, this, [this](double mm) {
        staticReading_->setText(FormatNumber(mm * units_.LargeFactor, units_.LongFormat));
    });
    connect(session_, &CaptureSession::concluded, this, &frmWait::showOutcome);
    connect(session_, &CaptureSession::finished, this, &frmWait::ended);
}

int frmWait::MeasureDrawSpeed()
{
    QPixmap scratch(picture_->size());
    if (scratch.isNull())
        return kUnmeasuredDrawMs;
    scratch.fill(Qt::white);
    QPainter painter(&scratch);
    if (!painter.isActive())
        return kUnmeasuredDrawMs;
    QElapsedTimer clock;
    clock.start();
    painter.drawLine(0, 0, scratch.width(), scratch.height());
    return static_cast<int>(clock.elapsed());
}

void frmWait::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!launched_) {
        launched_ = true;
        QTimer::singleShot(kLaunchDelayMs, this, &frmWait::launch);
    }
}

void frmWait::launch()
{
    settings_.MaxGraphUpdate = MeasureDrawSpeed();
    session_->start();
    const CapturePlan& plan = session_->plan();
    picture_->setVisible(plan.liveDrawing);
    staticPanel_->setVisible(!plan.dynamic);
    if (plan.liveDrawing)
        drawTarget();
}

void frmWait::drawTarget()
{
    geometry_ = MakeTargetGeometry(target_.width(), target_.height(), settings_, units_, case_.Data);
    tickCaption_->setText(geometry_.tickCaption);
    target_.fill(Qt::white);
    QPainter painter(&target_);
    const TargetGeometry& g = geometry_;
    const double ts = g.tickMm * g.scale;
    painter.setPen(QPen(kReferenceColour, 1));
    painter.drawEllipse(QPointF(g.cx, g.cy), g.referenceRing * g.scale, g.referenceRing * g.scale);

    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(g.cx - 5 * ts, g.cy), QPointF(g.cx - ts, g.cy));
    painter.drawLine(QPointF(g.cx + 5 * ts, g.cy), QPointF(g.cx + ts, g.cy));
    painter.drawLine(QPointF(g.cx, g.cy - ts), QPointF(g.cx, g.cy - 5 * ts));
    painter.drawLine(QPointF(g.cx, g.cy + 5 * ts), QPointF(g.cx, g.cy + ts));
    const AxisLabels labels = TargetAxisLabels(case_.Header[HdrPlane]);
    const QFontMetrics metrics = painter.fontMetrics();
    const int textHeight = metrics.height();
    const double labelTop = g.cy - 1.1 * textHeight;
    painter.drawText(QPointF(g.cx - 5 * ts, labelTop + metrics.ascent()), labels.left);
    painter.drawText(QPointF(g.cx + 5 * ts - metrics.horizontalAdvance(labels.right), labelTop + metrics.ascent()),
                     labels.right);
    const double labelX = g.cx + 0.1 * metrics.horizontalAdvance(labels.top);
    painter.drawText(QPointF(labelX, g.cy - 5 * ts + metrics.ascent()), labels.top);
    painter.drawText(QPointF(labelX, g.cy + 5 * ts - metrics.descent()), labels.bottom);

    QFont normal = painter.font();
    normal.setBold(false);
    painter.setFont(normal);
    for (int d = -5; d <= 5; ++d) {
        painter.drawLine(QPointF(g.cx - ts / 10, g.cy + d * ts), QPointF(g.cx + ts / 10, g.cy + d * ts));
        painter.drawLine(QPointF(g.cx + d * ts, g.cy - ts / 10), QPointF(g.cx + d * ts, g.cy + ts / 10));
    }
    painter.end();
    showPicture();
}

void frmWait::drawPoints(int first, int count)
{
    const CapturePlan& plan = session_->plan();
    if (!plan.dynamic)
        QApplication::beep();
    if (!plan.liveDrawing || count < 1)
        return;
    const std::span<const float> points = session_->points();
    const QColor trace = plan.direction >= 0 ? kCounterClockwiseColour : kClockwiseColour;
    QPainter painter(&target_);
    if (first == 0)
        lastPoint_ = TracePoint(geometry_, points[0], TraceAngle(plan, 0));
    // One line a block: to its newest point.
    const int newest = first + count - 1;
    const QPoint to = TracePoint(geometry_, points[static_cast<std::size_t>(newest)], TraceAngle(plan, newest));
    const bool overshoot = plan.dynamic && IsOvershootPoint(plan, newest + 1);
    painter.setPen(QPen(overshoot ? kOvershootColour : trace, 1));
    if (newest > 0)
        painter.drawLine(lastPoint_, to);
    lastPoint_ = to;
    painter.end();
    showPicture();
}

void frmWait::showPicture()
{
    picture_->setPixmap(target_);
}

void frmWait::showOutcome(const CaptureResult& result)
{
    if (result.deviceStatus != 0) {
        bool boxOpen = false;
        ShowDeviceError(result.deviceStatus, result.deviceCaption, boxOpen);
    }
    ReportOutcome(result.failure);
    for (const QString& message : result.messages)
        prompts().message(QString(), message, MessageIcon::Warning);
}

void frmWait::ended(const CaptureResult& result)
{
    ended_ = true;
    QDialog::done(result.end == CaptureEnd::Stored ? QDialog::Accepted : QDialog::Rejected);
    Q_EMIT captureEnded(result);
}

void frmWait::reject()
{
    if (ended_ || !launched_) {
        QDialog::reject();
        return;
    }
    session_->requestStop();
}

void frmWait::closeEvent(QCloseEvent* event)
{
    if (ended_) {
        QDialog::closeEvent(event);
        return;
    }
    session_->requestStop();
    event->ignore();
}

void frmWait::keyPressEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (latch_->isVisible())
            session_->toggleLatch();
        event->accept();
        return;
    case Qt::Key_Escape:
        session_->requestStop();
        event->accept();
        return;
    case Qt::Key_F12:
        if (event->modifiers() == Qt::ShiftModifier)
            session_->toggleLatch();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace sarvo::gauge
