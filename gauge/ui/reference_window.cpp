#include "gauge/ui/reference_window.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "gauge/device_thread.h"
#include "gauge/ui/device_error.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo::gauge {

namespace {
constexpr int kPollMs = 100;

struct MarkAnswer {
    bool connected = false;
    int16_t status = kGaugeNotConnected;
};
} // namespace

frmReference::frmReference(DeviceThread& deviceThread, GaugeType type, double ballBarLengthMm, const UnitState& units,
                           QWidget* parent)
    : QDialog(parent)
    , deviceThread_(deviceThread)
    , instruction_(new QLabel(QStringLiteral("To zero Heidenhain ball bar move it slightly through reference mark...")))
{
    setObjectName(QStringLiteral("frmReference"));
    setWindowTitle(QStringLiteral("Reference Mark"));
    setModal(true);
    instruction_->setObjectName(QStringLiteral("pnlItem"));
    instruction_->setWordWrap(true);
    auto* lengthCaption = new QLabel(QStringLiteral("Real Length of the Ball Bar:"));
    lengthCaption->setObjectName(QStringLiteral("lblItem"));
    auto* length = new QLabel(FormatNumber(ballBarLengthMm * units.LargeFactor, units.LongFormat));
    length->setObjectName(QStringLiteral("pnlLen"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("cmdClose"));

    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(lengthCaption);
    lengthRow->addWidget(length, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instruction_);
    layout->addLayout(lengthRow);
    layout->addWidget(cancel, 0, Qt::AlignRight);

    CenterForm(*this);
    TranslateForm(*this);
    if (type == GaugeType::OwnGauge)
        instruction_->setText(Translate(QStringLiteral("To zero Brintovale ball bar move it slightly through reference mark...")));

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    pollTimer_.setInterval(kPollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &frmReference::poll);
    pollTimer_.start();
}

void frmReference::poll()
{
    // A gauge slower than the timer is asked again only once it has answered.
    if (askInFlight_ || closing_)
        return;
    askInFlight_ = true;
    deviceThread_.post<MarkAnswer>(
        [](GaugeDevice& device) {
            if (!device.connected())
                return MarkAnswer{};
            const int16_t status = device.checkReferenceMark();
            // A port lost during the question closes the device, and with it the prompt.
            return MarkAnswer{device.connected(), status};
        },
        this, [this](MarkAnswer answer) { answered(answer.connected, answer.status); });
}

void frmReference::answered(bool connected, int16_t status)
{
    askInFlight_ = false;
    if (closing_)
        return;
    if (!connected) {
        // A check that failed closed the gauge (a card library without its reading call): the
        // user learns why the prompt went. A gauge never opened has nothing to tell.
        if (status != kGaugeNotConnected) {
            bool boxOpen = false;
            ShowDeviceError(status, QStringLiteral("Reading one value"), boxOpen);
        }
        reject();
        return;
    }
    if (status == 0) {
        pollTimer_.stop();
        QApplication::beep();
        accept();
    }
}

void frmReference::done(int result)
{
    if (referenceLeft_) {
        QDialog::done(result);
        return;
    }
    if (closing_)
        return;
    closing_ = true;
    pollTimer_.stop();
    deviceThread_.post<bool>(
        [](GaugeDevice& device) {
            if (device.connected())
                device.leaveReferenceMode();
            return true;
        },
        this, [this, result](bool) {
            referenceLeft_ = true;
            QDialog::done(result);
        });
}

} // namespace sarvo::gauge
