#include "gauge/ui/offset_window.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "gauge/centre_offset.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sarvo::gauge {

namespace {

const QString kFormTag = QStringLiteral("frmOffset");

QLabel* Label(const QString& name, const QString& text = {}, bool translated = false)
{
    auto* label = new QLabel(text);
    label->setObjectName(name);
    if (!translated)
        label->setProperty("noTranslate", true);
    return label;
}

void ShowAxis(QLabel& letter, QLabel& value, const AxisOffset& offset, const UnitState& units)
{
    letter.setText(offset.axis);
    value.setText(ShownOffset(offset.micrometres, units));
    QPalette palette = value.palette();
    palette.setColor(QPalette::WindowText, offset.aboveLimit ? QColor(255, 0, 0) : QColor(Qt::black));
    value.setPalette(palette);
}

} // namespace

frmOffset::frmOffset(const Case& openCase, const UnitState& units, std::function<void(bool)> setHostEnabled,
                     QString plane, QWidget* parent)
    : QDialog(parent)
    , case_(openCase)
    , units_(units)
    , setHostEnabled_(std::move(setHostEnabled))
    , plane_(std::move(plane))
    , pnlWait_(Label(QStringLiteral("PnlWait"), QStringLiteral("One moment, please..."), true))
    , lblX_(Label(QStringLiteral("LblX")))
    , lblY_(Label(QStringLiteral("LblY")))
    , lblXOffset_(Label(QStringLiteral("LblXOffset")))
    , lblYOffset_(Label(QStringLiteral("LblYOffset")))
{
    setObjectName(kFormTag);
    setWindowTitle(QStringLiteral("Current Offsets"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout;
    const QString items[] = {QStringLiteral("Centre Offset "), QStringLiteral("Centre Offset")};
    QLabel* const letters[] = {lblX_, lblY_};
    QLabel* const values[] = {lblXOffset_, lblYOffset_};
    for (int row = 0; row < 2; ++row) {
        grid->addWidget(Label(QStringLiteral("lblItem%1").arg(row), items[row], true), row, 0);
        grid->addWidget(letters[row], row, 1);
        values[row]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(values[row], row, 2);
        grid->addWidget(Label(QStringLiteral("LblUnit%1").arg(row), units_.SmallCaption), row, 3);
    }
    const QString limit = FormatNumber(kCentreOffsetLimitUm * units_.SmallFactor, units_.SmallFormat);
    auto* advice = Label(QStringLiteral("pnlAdvice"),
                         TranslateIn(kFormTag, QStringLiteral("Offsets are not recommended to exceed")) +
                             QLatin1Char(' ') + limit + units_.SmallCaption + QLatin1Char('.'));
    advice->setWordWrap(true);
    auto* close = new QPushButton(QStringLiteral("&Close"));
    close->setObjectName(QStringLiteral("CmdCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlWait_);
    layout->addLayout(grid);
    layout->addWidget(advice);
    layout->addWidget(close, 0, Qt::AlignRight);

    CenterForm(*this);
    TranslateForm(*this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void frmOffset::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!hostDisabled_ && setHostEnabled_) {
        hostDisabled_ = true;
        setHostEnabled_(false);
    }
    // The window is drawn with its wait note before the offsets are computed.
    if (!computed_) {
        computed_ = true;
        QTimer::singleShot(0, this, &frmOffset::showOffsets);
    }
}

void frmOffset::showOffsets()
{
    CentreOffsets offsets = ComputeCentreOffsets(case_);
    ReportOutcome(offsets.outcome);
    // Before a run the case has no plane yet: the letters of the plane the run will take.
    if (case_.Header[HdrPlane].isEmpty() && !plane_.isEmpty()) {
        offsets.first.axis = plane_.left(1);
        offsets.second.axis = plane_.right(1);
    }
    ShowAxis(*lblX_, *lblXOffset_, offsets.first, units_);
    ShowAxis(*lblY_, *lblYOffset_, offsets.second, units_);
    pnlWait_->hide();
}

void frmOffset::done(int result)
{
    if (hostDisabled_) {
        hostDisabled_ = false;
        setHostEnabled_(true);
    }
    QDialog::done(result);
}

} // namespace sarvo::gauge
