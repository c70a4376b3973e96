#include "gauge/ui/calibration_window.h"

#include "core/number_format.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "core/utilities.h"
#include "gauge/device_thread.h"
#include "gauge/ui/device_error.h"
#include "gui/form_utilities.h"
#include "gui/number_fields.h"
#include "gui/translate_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo::gauge {

namespace {

constexpr int kLiveIntervalMs = 1000;

QLabel* Panel()
{
    auto* panel = new QLabel;
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panel->setMinimumWidth(110);
    return panel;
}

QLabel* Caption(const QString& text, const QString& name = {})
{
    auto* label = new QLabel(text);
    if (!name.isEmpty())
        label->setObjectName(name);
    return label;
}

} // namespace

CalibrationWindow::CalibrationWindow(Settings& settings, const UnitState& units, const QString& tempUnitCaption,
                                     DeviceThread* device, const QString& gaugeTempText, QWidget* parent)
    : QDialog(parent)
    , settings_(settings)
    , units_(units)
    , device_(device)
    , model_(settings)
    , cboBBLen_(new QComboBox)
    , txtCalLen_(new QLineEdit)
    , pnlMeas_(Panel())
    , pnlCompensated_(Panel())
    , pnlOffset_(Panel())
    , txtGaugeTemp_(new QLineEdit)
    , txtCalTemp_(new QLineEdit)
    , cmdSet_(new QPushButton(QStringLiteral("C&alibrate")))
    , cmdClose_(new QPushButton(QStringLiteral("&Close")))
{
    BusyCursor busy;
    setObjectName(QStringLiteral("frmCalibrate"));
    setWindowTitle(QStringLiteral("Calibrate"));
    cboBBLen_->setObjectName(QStringLiteral("cboBBLen"));
    txtCalLen_->setObjectName(QStringLiteral("txtCalLen"));
    pnlMeas_->setObjectName(QStringLiteral("pnlMeas"));
    pnlCompensated_->setObjectName(QStringLiteral("PnlCompensated"));
    pnlOffset_->setObjectName(QStringLiteral("pnlOffset"));
    txtGaugeTemp_->setObjectName(QStringLiteral("txtGaugeTemp"));
    txtCalTemp_->setObjectName(QStringLiteral("txtCalTemp"));
    cmdSet_->setObjectName(QStringLiteral("cmdSet"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    // Enter ends a field; it must not calibrate.
    cmdSet_->setAutoDefault(false);
    cmdClose_->setAutoDefault(false);

    auto* lengths = new QGroupBox(QStringLiteral("Length"));
    lengths->setObjectName(QStringLiteral("Frame3D1"));
    auto* lengthGrid = new QGridLayout(lengths);
    const std::pair<QString, QWidget*> lengthRows[] = {
        {QStringLiteral("Ball Bar Length:"), cboBBLen_},   {QStringLiteral("Calibrator Length:"), txtCalLen_},
        {QStringLiteral("Measurement Value:"), pnlMeas_}, {QStringLiteral("Compensated Value:"), pnlCompensated_},
        {QStringLiteral("Current Offset:"), pnlOffset_},
    };
    int row = 0;
    for (const auto& [text, field] : lengthRows) {
        lengthGrid->addWidget(Caption(text), row, 0);
        lengthGrid->addWidget(field, row, 1);
        auto* unit = Caption(units.LargeCaption);
        unit->setProperty("noTranslate", true);
        lengthGrid->addWidget(unit, row++, 2);
    }

    auto* temperatures = new QGroupBox(QStringLiteral("Temperatures"));
    temperatures->setObjectName(QStringLiteral("frmTemperature"));
    auto* tempGrid = new QGridLayout(temperatures);
    const QString base = FormatTemp(settings.BaseTemperature, settings);
    const std::pair<QString, QLineEdit*> tempRows[] = {
        {QStringLiteral("Gauge:"), txtGaugeTemp_},
        {QStringLiteral("Calibrator:"), txtCalTemp_},
    };
    row = 0;
    for (const auto& [text, field] : tempRows) {
        tempGrid->addWidget(Caption(text), row, 0);
        tempGrid->addWidget(field, row, 1);
        auto* unit = Caption(tempUnitCaption);
        unit->setProperty("noTranslate", true);
        tempGrid->addWidget(unit, row, 2);
        auto* baseLabel = Caption(base + QLatin1Char(' ') + tempUnitCaption);
        baseLabel->setProperty("noTranslate", true);
        tempGrid->addWidget(baseLabel, row++, 3);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSet_);
    buttons->addWidget(cmdClose_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(lengths);
    outer->addWidget(temperatures);
    outer->addLayout(buttons);

    CenterForm(*this);
    TranslateForm(*this);

    connect(txtGaugeTemp_, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_.setGaugeTemperature(TempToCelsius(text, settings_)); });
    connect(txtCalTemp_, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_.setCalibratorTemperature(TempToCelsius(text, settings_)); });
    WatchNumberField(*txtCalLen_, QStringLiteral("Calibrator Length"));
    WatchNumberField(*txtGaugeTemp_, QStringLiteral("Gauge Temperature"));
    WatchNumberField(*txtCalTemp_, QStringLiteral("Calibrator Temperature"));
    connect(txtGaugeTemp_, &QLineEdit::editingFinished, this, [this] { temperatureEdited(txtGaugeTemp_); });
    connect(txtCalTemp_, &QLineEdit::editingFinished, this, [this] { temperatureEdited(txtCalTemp_); });
    connect(txtCalLen_, &QLineEdit::editingFinished, this, &CalibrationWindow::calibratorLengthEdited);
    connect(cboBBLen_, &QComboBox::currentIndexChanged, this, &CalibrationWindow::chooseEntry);
    connect(cmdSet_, &QPushButton::clicked, this, &CalibrationWindow::calibrate);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);

    txtGaugeTemp_->setText(gaugeTempText);
    txtCalTemp_->setText(base);
    txtGaugeTemp_->selectAll();
    txtCalTemp_->selectAll();
    txtGaugeTemp_->setEnabled(settings.GaugeExpCoeff != 0);
    txtCalTemp_->setEnabled(settings.CalibratorExpCoeff != 0);

    for (int i = 0; i < model_.entryCount(); ++i)
        cboBBLen_->addItem(FormatNumber(model_.nominalLength(i) * units.LargeFactor, units.LongFormat));
    cboBBLen_->setCurrentIndex(model_.entryOfBarLength());
    chooseEntry(cboBBLen_->currentIndex());

    timer_.setSingleShot(true);
    timer_.setInterval(kLiveIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &CalibrationWindow::tick);
    timer_.start();
}

QString CalibrationWindow::gaugeTemperatureText() const
{
    return txtGaugeTemp_->text();
}

void CalibrationWindow::done(int result)
{
    timer_.stop();
    QDialog::done(result);
}

QString CalibrationWindow::lengthText(double mm) const
{
    return FormatNumber(mm * units_.LargeFactor, QStringLiteral("#") + units_.LongFormat);
}

void CalibrationWindow::chooseEntry(int entry)
{
    model_.select(entry);
    const std::optional<double> length = model_.calibratorLength();
    const std::optional<double> offset = model_.offset();
    txtCalLen_->setText(length ? lengthText(*length) : QString());
    pnlOffset_->setText(offset ? lengthText(*offset) : QString());
    txtCalLen_->selectAll();
}

void CalibrationWindow::calibratorLengthEdited()
{
    if (!NumberKept(*txtCalLen_))
        return;
    if (model_.selected() >= 0) {
        model_.setCalibratorLength(StrToDbl(txtCalLen_->text()) / units_.LargeFactor);
        txtCalLen_->setText(lengthText(*model_.calibratorLength()));
    }
    txtCalLen_->selectAll();
}

void CalibrationWindow::temperatureEdited(QLineEdit* field)
{
    if (!NumberKept(*field))
        return;
    field->setText(FormatNumber(static_cast<float>(StrToDbl(field->text())), QStringLiteral("##0.0")));
    field->selectAll();
}

void CalibrationWindow::calibrate()
{
    if (model_.selected() < 0 || calibrating_)
        return;
    const auto store = [this](const GaugeReading& reading) {
        calibrating_ = false;
        cmdSet_->setEnabled(true);
        CalibrationReading shown;
        ShowClosingFailure(reading.closing, deviceErrorOpen_);
        if (!ReportOutcome(model_.calibrate(reading, shown)))
            return;
        showReading(shown);
        pnlOffset_->setText(lengthText(*model_.offset()));
    };
    if (!device_) {
        store(GaugeReading{});
        return;
    }
    calibrating_ = true;
    cmdSet_->setEnabled(false);
    device_->read(this, store);
}

void CalibrationWindow::tick()
{
    if (tickInFlight_)
        return;
    const auto show = [this](const GaugeReading& reading) {
        tickInFlight_ = false;
        // The failed reading closed the gauge: told once, the nominal length shows from now on.
        ShowReadingFailure(reading, deviceErrorOpen_);
        showReading(model_.live(reading.ok() ? reading.mm : 0));
        if (isVisible())
            timer_.start();
    };
    if (!device_) {
        show(GaugeReading{});
        return;
    }
    tickInFlight_ = true;
    device_->read(this, show);
}

void CalibrationWindow::showReading(const CalibrationReading& values)
{
    pnlMeas_->setText(lengthText(values.measuredMm));
    pnlCompensated_->setText(lengthText(values.compensatedMm));
}

} // namespace sarvo::gauge
