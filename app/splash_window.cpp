#include "app/splash_window.h"

#include "app/app_context.h"
#include "gui/form_utilities.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sarvo {

MakerLogo::MakerLogo(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picLogo"));
    setMinimumSize(48, 48);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize MakerLogo::sizeHint() const
{
    return {72, 72};
}

void MakerLogo::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const QRectF box((width() - side) / 2, (height() - side) / 2, side, side);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x3f, 0x6f));
    p.drawRoundedRect(box.adjusted(1, 1, -1, -1), side * 0.16, side * 0.16);

    const QPointF centre = box.center();
    const qreal r = side * 0.3;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xc8, 0xd4, 0xe6), std::max<qreal>(1, side / 48)));
    p.drawEllipse(centre, r, r);

    // A two-lobed trace, the look of a squareness error on a circular test.
    QPainterPath trace;
    constexpr int kSteps = 90;
    for (int i = 0; i <= kSteps; ++i) {
        const double a = 2 * std::numbers::pi * i / kSteps;
        const double radius = r * (1 + 0.09 * std::cos(2 * a + 0.8));
        const QPointF pt(centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a));
        if (i == 0)
            trace.moveTo(pt);
        else
            trace.lineTo(pt);
    }
    p.setPen(QPen(QColor(0xe0, 0x4a, 0x3a), std::max<qreal>(1.5, side / 30)));
    p.drawPath(trace);

    // The bar from the centre pivot to the ball on the circle.
    const double a = std::numbers::pi / 4;
    const QPointF ball(centre.x() + r * std::cos(a), centre.y() - r * std::sin(a));
    p.setPen(QPen(Qt::white, std::max<qreal>(2, side / 16), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, ball);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, side * 0.07, side * 0.07);
    p.drawEllipse(ball, side * 0.07, side * 0.07);
}

namespace {

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// Each step of the splash runs on its own; a failure skips only that step.
template <class Fn>
void ignoringFailure(Fn&& fn)
{
    try {
        fn();
    } catch (...) {
    }
}

} // namespace

frmFirst::frmFirst(QWidget* mainWindow)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
    , mainWindow_(mainWindow)
    , version_(makeLabel(QStringLiteral("LblVersion"), QString()))
{
    setObjectName(QStringLiteral("frmFirst"));
    // The version is a number, not a text to translate.
    version_->setProperty("noTranslate", true);

    auto* base = new QFrame;
    base->setObjectName(QStringLiteral("pnlBase"));
    base->setFrameStyle(QFrame::Panel | QFrame::Raised);
    base->setLineWidth(2);

    auto* topic = new QFrame;
    topic->setObjectName(QStringLiteral("pnltopic"));
    topic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QLabel* product = makeLabel(QStringLiteral("lblItem0"), QStringLiteral("Sarvotrenk Analysis Software"));
    QFont productFont = product->font();
    productFont.setPointSizeF(productFont.pointSizeF() * 1.6);
    productFont.setBold(true);
    product->setFont(productFont);
    product->setAlignment(Qt::AlignCenter);
    QLabel* versionCaption = makeLabel(QStringLiteral("lblItem1"), QStringLiteral("Version:"));
    auto* versionRow = new QHBoxLayout;
    versionRow->addStretch();
    versionRow->addWidget(versionCaption);
    versionRow->addWidget(version_);
    versionRow->addStretch();
    auto* topicLayout = new QVBoxLayout(topic);
    topicLayout->addWidget(product);
    topicLayout->addLayout(versionRow);

    auto* maker = new QFrame;
    maker->setObjectName(QStringLiteral("pnlBase1"));
    maker->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QLabel* makerName = makeLabel(QStringLiteral("LblLogo0"), QStringLiteral("Sarvotex"));
    QFont makerFont = makerName->font();
    makerFont.setBold(true);
    makerFont.setPointSizeF(makerFont.pointSizeF() * 1.3);
    makerName->setFont(makerFont);
    makerName->setProperty("noTranslate", true); // the maker's name
    QLabel* makerLine = makeLabel(QStringLiteral("LblLogo1"), QStringLiteral("Circular test analysis for machine tools"));
    auto* names = new QVBoxLayout;
    names->addStretch();
    names->addWidget(makerName);
    names->addWidget(makerLine);
    names->addStretch();
    auto* makerLayout = new QHBoxLayout(maker);
    makerLayout->addWidget(new MakerLogo);
    makerLayout->addSpacing(12);
    makerLayout->addLayout(names, 1);

    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(topic);
    baseLayout->addWidget(maker);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(base);
    resize(460, 220);
}

frmFirst::~frmFirst()
{
    unload();
}

void frmFirst::load()
{
    ignoringFailure([&] { CenterForm(*this); });
    ignoringFailure([&] { version_->setText(app().State.VersionString); });
    ignoringFailure([&] { show(); });
    ignoringFailure([&] { QCoreApplication::processEvents(); });
}

void frmFirst::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void frmFirst::unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    if (mainWindow_)
        mainWindow_->setEnabled(true);
}

} // namespace sarvo
