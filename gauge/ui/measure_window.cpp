#include "gauge/ui/measure_window.h"

#include "core/language_db.h"
#include "core/number_format.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "core/utilities.h"
#include "gauge/ui/calibration_window.h"
#include "gauge/ui/capture_window.h"
#include "gauge/ui/device_error.h"
#include "gauge/ui/offset_window.h"
#include "gauge/ui/reference_window.h"
#include "gui/form_utilities.h"
#include "gui/number_fields.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPointer>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace sarvo::gauge {

namespace {

constexpr int kFirstTickMs = 1000;
constexpr int kConnectedTickMs = 500;
constexpr int kReconnectTickMs = 10000;

template <class Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* panel(const char* name, const QString& text = {})
{
    auto* label = named(new QLabel(text), name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLabel* unitLabel(const QString& text, const char* name = "")
{
    auto* label = named(new QLabel(text), name);
    label->setProperty("noTranslate", true);
    return label;
}

// The answer of the device thread to one live-reading tick.
struct LiveAnswer {
    GaugeReading reading;
    bool connected = false;
    bool batteryLow = false;
    bool reconnected = false;
    bool needsMark = false;
    QString name;
};

// The answer to opening the gauge when the window loads.
struct OpenAnswer {
    int16_t status = kGaugeNotConnected;
    bool quiet = false; // a failure the user is not told of: the window simply shows "Off"
    bool needsMark = false;
    QString name;
    std::optional<QString> serial;
    QString port;
};

// A gauge lost while it is asked who it is stays closed; the live reading opens it again.
void ReadIdentity(GaugeDevice& device, OpenAnswer& answer)
{
    answer.name = device.name();
    answer.serial = device.serialNumber();
    answer.port = device.portFound();
    if (!device.connected()) {
        answer.status = kGaugeNotConnected;
        answer.quiet = true;
    }
}

// The settings keep the gauge's serial number and the port the own gauge was found on.
void KeepIdentity(const OpenAnswer& answer, Settings& settings)
{
    if (answer.serial && !answer.serial->isEmpty())
        settings.SerialNumber = *answer.serial;
    if (!answer.port.isEmpty())
        settings.CommPort = answer.port;
}

} // namespace

frmMeasure::frmMeasure(Case& openCase, Settings& settings, const UnitState& units, IniFile ini,
                       MeasureServices services, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , case_(openCase)
    , settings_(settings)
    , units_(units)
    , ini_(std::move(ini))
    , services_(std::move(services))
    , txtStartPos_(named(new QLineEdit, "txtStartPos"))
    , txtEndPos_(named(new QLineEdit, "txtEndPos"))
    , txtAngularOvershoot_(named(new QLineEdit, "txtAngularOvershoot"))
    , txtFeedrate_(named(new QLineEdit, "txtFeedrate"))
    , lblFeedUnit_(unitLabel({}, "LblUnit0"))
    , cboSamplingRate_(named(new QComboBox, "cboSamplingRate"))
    , txtGaugeTemp_(named(new QLineEdit, "txtGaugeTemp"))
    , txtMacTemp_(named(new QLineEdit, "txtMacTemp"))
    , optXY_(named(new QRadioButton(QStringLiteral("XY")), "optXY"))
    , optXZ_(named(new QRadioButton(QStringLiteral("XZ")), "optXZ"))
    , optYZ_(named(new QRadioButton(QStringLiteral("YZ")), "optYZ"))
    , optCW_(named(new QRadioButton(QStringLiteral("CW")), "optCW"))
    , optCCW_(named(new QRadioButton(QStringLiteral("CCW")), "optCCW"))
    , optCWCCW_(named(new QRadioButton(QStringLiteral("CW + CCW")), "optCWCCW"))
    , cboStartAxis_(named(new QComboBox, "cboStartAxis"))
    , cboEndAxis_(named(new QComboBox, "cboEndAxis"))
    , tabType_(named(new QTabWidget, "tabType"))
    , pnlPlane_(named(new QGroupBox, "PnlPlane"))
    , frmDirection_(named(new QGroupBox(QStringLiteral("Direction")), "frmDirection"))
    , pnlMeas_(panel("pnlMeas"))
    , pnlBattery_(panel("pnlBattery", QStringLiteral("Battery low")))
    , pnlVersion_(panel("pnlVersion"))
    , imgSwOff_(named(new QPushButton, "ImgSw0"))
    , imgSwOn_(named(new QPushButton, "ImgSw1"))
    , lblSw_(named(new QLabel(QStringLiteral("Start Capture - F12")), "lblSw"))
    , pnlCW_(panel("PnlCW"))
    , pnlCCW_(panel("PnlCCW"))
    , cmdRefresh_(named(new QPushButton(QStringLiteral("Refresh")), "cmdRefresh"))
    , cmdSave_(named(new QPushButton(QStringLiteral("&Save")), "cmdSave"))
    , cmdView_(named(new QPushButton(QStringLiteral("&View")), "cmdView"))
    , cmdOffset_(named(new QPushButton(QStringLiteral("&Offsets")), "cmdOffset"))
    , cmdBasic_(named(new QPushButton(QStringLiteral("&Basic")), "cmdBasic"))
    , cmdClose_(named(new QPushButton(QStringLiteral("&Close")), "cmdClose"))
    , cmdCalibrate_(named(new QPushButton(QStringLiteral("C&alibrate")), "cmdCalibrate"))
{
    setObjectName(QStringLiteral("frmMeasure"));
    setWindowTitle(QStringLiteral("Measurement"));
    setAttribute(Qt::WA_DeleteOnClose);
    const char* calibratedNames[] = {"PnlCalibrated0", "PnlCalibrated1", "PnlCalibrated2"};
    const char* calibratedTexts[] = {"Non-Calibrated", "Calibrated", "Referenced"};
    for (int i = 0; i < 3; ++i)
        pnlCalibrated_[i] = panel(calibratedNames[i], QString::fromLatin1(calibratedTexts[i]));
    buildLayout();
    device_ = std::make_unique<DeviceThread>(services_.makeDevice);
    chain_ = new RunChain(*device_, case_, settings_, units_, *this, this);
    load();
}

frmMeasure::~frmMeasure()
{
    // The device thread closes the gauge on its way out; replies to this window are dropped.
    liveTimer_.stop();
    if (viewWindow_)
        viewWindow_->close();
    // Closed while this window is whole: the offsets window's end re-enables it.
    if (offsetWindow_)
        offsetWindow_->close();
    device_.reset();
}

void frmMeasure::buildLayout()
{
    auto* capture = new QGroupBox(QStringLiteral("Capture"));
    capture->setObjectName(QStringLiteral("Frame1"));
    auto* dynamicTab = new QWidget;
    auto* dynamicGrid = new QGridLayout(dynamicTab);
    const std::pair<const char*, QLineEdit*> angleRows[] = {
        {"Start Position:", txtStartPos_}, {"End Position:", txtEndPos_}, {"Angular Overshoot:", txtAngularOvershoot_}};
    int row = 0;
    for (const auto& [caption, field] : angleRows) {
        dynamicGrid->addWidget(new QLabel(QString::fromLatin1(caption)), row, 0);
        dynamicGrid->addWidget(field, row, 1);
        dynamicGrid->addWidget(unitLabel(QStringLiteral("°")), row++, 2);
    }
    dynamicGrid->addWidget(new QLabel(QStringLiteral("Feedrate:")), row, 0);
    dynamicGrid->addWidget(txtFeedrate_, row, 1);
    dynamicGrid->addWidget(lblFeedUnit_, row++, 2);
    dynamicGrid->addWidget(new QLabel(QStringLiteral("Samples / Measurement:")), row, 0);
    dynamicGrid->addWidget(cboSamplingRate_, row++, 1);
    auto* staticTab = new QWidget;
    auto* staticGrid = new QGridLayout(staticTab);
    staticGrid->addWidget(new QLabel(QStringLiteral("Start Axis:")), 0, 0);
    staticGrid->addWidget(cboStartAxis_, 0, 1);
    staticGrid->addWidget(new QLabel(QStringLiteral("End Axis:")), 1, 0);
    staticGrid->addWidget(cboEndAxis_, 1, 1);
    staticGrid->setRowStretch(2, 1);
    // The tab captions come from these hidden labels after translation.
    auto* lblDynamic = named(new QLabel(QStringLiteral("Dynamic")), "lblDynamic");
    auto* lblStatic = named(new QLabel(QStringLiteral("Static")), "lblStatic");
    lblDynamic->hide();
    lblStatic->hide();
    tabType_->addTab(dynamicTab, QString());
    tabType_->addTab(staticTab, QString());
    auto* captureLayout = new QVBoxLayout(capture);
    captureLayout->addWidget(tabType_);
    captureLayout->addWidget(lblDynamic);
    captureLayout->addWidget(lblStatic);

    auto* centre = new QGroupBox(QStringLiteral("Centre"));
    centre->setObjectName(QStringLiteral("frmCentre"));
    auto* centreGrid = new QGridLayout(centre);
    const char* centreNames[] = {"txtCenter0", "txtCenter1", "txtCenter2"};
    const char* axisNames[] = {"X:", "Y:", "Z:"};
    for (int i = 0; i < 3; ++i) {
        txtCenter_[i] = named(new QLineEdit(QStringLiteral("0,0")), centreNames[i]);
        centreGrid->addWidget(unitLabel(QString::fromLatin1(axisNames[i])), i, 0);
        centreGrid->addWidget(txtCenter_[i], i, 1);
    }

    auto* temperatures = new QGroupBox(QStringLiteral("Temperatures"));
    temperatures->setObjectName(QStringLiteral("frmTemperatures"));
    auto* tempGrid = new QGridLayout(temperatures);
    const std::pair<const char*, QLineEdit*> tempRows[] = {{"Gauge:", txtGaugeTemp_}, {"Machine:", txtMacTemp_}};
    row = 0;
    for (const auto& [caption, field] : tempRows) {
        tempGrid->addWidget(new QLabel(QString::fromLatin1(caption)), row, 0);
        tempGrid->addWidget(field, row, 1);
        lblTempUnit_[row] = unitLabel({}, row == 0 ? "lbltempUnit0" : "lbltempUnit1");
        tempGrid->addWidget(lblTempUnit_[row], row, 2);
        ++row;
    }

    auto* planeLayout = new QHBoxLayout(pnlPlane_);
    for (QRadioButton* option : {optXY_, optXZ_, optYZ_})
        planeLayout->addWidget(option);
    auto* directionLayout = new QHBoxLayout(frmDirection_);
    for (QRadioButton* option : {optCW_, optCCW_, optCWCCW_})
        directionLayout->addWidget(option);

    // The switch: off shows the start picture, on the stop picture.
    auto* switchRow = new QHBoxLayout;
    imgSwOff_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    imgSwOn_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    for (QPushButton* image : {imgSwOff_, imgSwOn_}) {
        image->setIconSize(QSize(40, 40));
        image->setAutoDefault(false);
        image->setFlat(true);
        switchRow->addWidget(image);
        connect(image, &QPushButton::clicked, this, &frmMeasure::switchClicked);
    }
    imgSwOn_->hide();
    switchRow->addWidget(lblSw_, 1);

    auto* status = new QGridLayout;
    status->addWidget(pnlMeas_, 0, 0, 1, 2);
    status->addWidget(pnlVersion_, 1, 0);
    status->addWidget(pnlBattery_, 1, 1);
    auto* calibrationRow = new QHBoxLayout;
    for (QLabel* p : pnlCalibrated_)
        calibrationRow->addWidget(p);
    status->addLayout(calibrationRow, 2, 0, 1, 2);
    status->addWidget(new QLabel(QStringLiteral("Runs Clockwise:")), 3, 0);
    status->addWidget(pnlCW_, 3, 1);
    status->addWidget(new QLabel(QStringLiteral("Runs Counter Clockwise:")), 4, 0);
    status->addWidget(pnlCCW_, 4, 1);
    QFont big = pnlMeas_->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    pnlMeas_->setFont(big);
    pnlBattery_->hide();

    // The captions the view button takes, translated with the window.
    auto* lblViewOff = named(new QLabel(QStringLiteral("&View off")), "LblViewOff");
    auto* lblViewOn = named(new QLabel(QStringLiteral("&View")), "LblViewOn");
    lblViewOff->hide();
    lblViewOn->hide();

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {cmdRefresh_, cmdCalibrate_, cmdBasic_, cmdView_, cmdOffset_, cmdSave_, cmdClose_}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(capture);
    left->addWidget(pnlPlane_);
    left->addWidget(frmDirection_);
    left->addLayout(switchRow);
    auto* right = new QVBoxLayout;
    right->addLayout(status);
    right->addWidget(centre);
    right->addWidget(temperatures);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addLayout(buttons);
    outer->addWidget(lblViewOff);
    outer->addWidget(lblViewOn);

    const std::pair<QLineEdit*, const char*> numberFields[] = {
        {txtStartPos_, "Start Position"}, {txtEndPos_, "End Position"}, {txtAngularOvershoot_, "Angular Overshoot"},
        {txtFeedrate_, "Feedrate"},       {txtCenter_[0], "Centre X"},  {txtCenter_[1], "Centre Y"},
        {txtCenter_[2], "Centre Z"},      {txtGaugeTemp_, "Gauge Temperature"},
        {txtMacTemp_, "Machine Temperature"}};
    for (const auto& [field, name] : numberFields)
        WatchNumberField(*field, QString::fromLatin1(name));
    connect(txtEndPos_, &QLineEdit::editingFinished, this, &frmMeasure::endLeft);
    connect(txtStartPos_, &QLineEdit::editingFinished, this, &frmMeasure::startLeft);
    connect(txtFeedrate_, &QLineEdit::editingFinished, this, &frmMeasure::feedrateLeft);
    connect(txtStartPos_, &QLineEdit::textEdited, this, &frmMeasure::notifyViewSettings);
    connect(txtEndPos_, &QLineEdit::textEdited, this, &frmMeasure::notifyViewSettings);
    connect(txtAngularOvershoot_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString checked = CheckedOvershootWhileTyping(text);
        if (checked != text)
            txtAngularOvershoot_->setText(checked);
        notifyViewSettings();
    });
    connect(txtAngularOvershoot_, &QLineEdit::editingFinished, this, [this] {
        if (!NumberKept(*txtAngularOvershoot_))
            return;
        txtAngularOvershoot_->setText(FormatNumber(static_cast<float>(StrToDbl(txtAngularOvershoot_->text())), "###0"));
        txtAngularOvershoot_->selectAll();
    });
    for (QLineEdit* field : txtCenter_)
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (!NumberKept(*field))
                return;
            field->setText(largeText(StrToDbl(field->text())));
            field->selectAll();
        });
    for (QLineEdit* field : {txtGaugeTemp_, txtMacTemp_})
        connect(field, &QLineEdit::editingFinished, this, [field] {
            if (!NumberKept(*field))
                return;
            field->setText(FormatNumber(StrToDbl(field->text()), "##0.0"));
            field->selectAll();
        });
    const std::pair<QRadioButton*, TestPlane> planes[] = {
        {optXY_, TestPlane::XY}, {optXZ_, TestPlane::XZ}, {optYZ_, TestPlane::YZ}};
    for (const auto& [option, plane] : planes)
        connect(option, &QRadioButton::clicked, this, [this, chosen = plane] { selectPlane(chosen); });
    for (QRadioButton* option : {optCW_, optCCW_, optCWCCW_})
        connect(option, &QRadioButton::clicked, this, [this, option] { selectDirection(option); });
    connect(cboStartAxis_, &QComboBox::activated, this, [this] {
        cboEndAxis_->setEnabled(true);
        notifyViewSettings();
    });
    connect(cboEndAxis_, &QComboBox::activated, this, &frmMeasure::notifyViewSettings);
    connect(tabType_, &QTabWidget::currentChanged, this, &frmMeasure::notifyViewSettings);

    connect(cmdRefresh_, &QPushButton::clicked, this, &frmMeasure::refresh);
    connect(cmdClose_, &QPushButton::clicked, this, &frmMeasure::closeClicked);
    connect(cmdCalibrate_, &QPushButton::clicked, this, &frmMeasure::calibrateClicked);
    connect(cmdView_, &QPushButton::clicked, this, &frmMeasure::viewClicked);
    connect(cmdSave_, &QPushButton::clicked, this, [this] {
        if (services_.openSave)
            services_.openSave();
    });
    connect(cmdBasic_, &QPushButton::clicked, this, [this] {
        BusyCursor busy;
        if (services_.openCaseInfo)
            services_.openCaseInfo();
    });
    cmdView_->setEnabled(bool(services_.openView));
    cmdBasic_->setEnabled(bool(services_.openCaseInfo));
    // Only Save waits for runs: the offsets of none are 0 and 0.
    cmdOffset_->setEnabled(true);
    connect(cmdOffset_, &QPushButton::clicked, this, &frmMeasure::offsetClicked);

    liveTimer_.setSingleShot(true);
    connect(&liveTimer_, &QTimer::timeout, this, &frmMeasure::tick);
}

QString frmMeasure::largeText(double displayValue) const
{
    return FormatNumber(displayValue, units_.LargeFormat);
}

void frmMeasure::load()
{
    BusyCursor busy;
    const MeasureOpening opening = OpeningMeasureFields(ini_, case_, settings_, units_);
    txtStartPos_->setText(opening.startPos);
    txtEndPos_->setText(opening.endPos);
    txtAngularOvershoot_->setText(opening.overshoot);
    CenterForm(*this);
    TranslateForm(*this);
    tabType_->setTabText(1, findChild<QLabel*>(QStringLiteral("lblStatic"))->text());
    tabType_->setTabText(0, findChild<QLabel*>(QStringLiteral("lblDynamic"))->text());
    tabType_->setCurrentIndex(0);

    const QString tempUnit = TempUnitCaption(settings_, ini_);
    for (QLabel* label : lblTempUnit_)
        label->setText(tempUnit);
    lblFeedUnit_->setText(units_.LargeCaption + QStringLiteral("/min"));
    feedrateFactor_ = units_.LargeFactor;

    txtFeedrate_->setText(opening.feedrate);
    txtGaugeTemp_->setText(opening.temperature);
    txtMacTemp_->setText(opening.temperature);
    for (QLineEdit* field : {txtGaugeTemp_, txtMacTemp_, txtAngularOvershoot_, txtStartPos_, txtEndPos_, txtFeedrate_})
        field->selectAll();
    for (QLineEdit* field : txtCenter_)
        field->selectAll();

    cmdSave_->setEnabled(false);
    optXY_->setChecked(true);
    selectPlane(TestPlane::XY);
    optCWCCW_->setChecked(true);
    selectDirection(optCWCCW_);

    pnlVersion_->setText(Translate(QStringLiteral("Off")));
    refresh();
    cboSamplingRate_->setCurrentIndex(ClampedRateIndex(opening.samplingRateIndex, cboSamplingRate_->count()));

    measureSaved_ = false;
    case_.Data.clearRuns();
    liveTimer_.setInterval(kFirstTickMs);
}

void frmMeasure::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!opened_) {
        opened_ = true;
        // The gauge is opened once the window is on the screen; the live reading starts with it.
        QTimer::singleShot(0, this, &frmMeasure::openDevice);
    }
}

void frmMeasure::openDevice()
{
    device_->post<OpenAnswer>(
        [](GaugeDevice& device) {
            OpenAnswer answer;
            answer.status = device.open();
            // A search of the ports that finds no gauge is no error: the window shows "Off".
            answer.quiet = answer.status != 0 && device.searchesPorts();
            if (answer.status == 0) {
                answer.needsMark = device.needsReferenceMark();
                if (!answer.needsMark)
                    ReadIdentity(device, answer);
            }
            return answer;
        },
        this, [this](const OpenAnswer& answer) {
            if (answer.status != 0) {
                if (!answer.quiet && !faultTold_) {
                    const RaisedBy raised(*this);
                    ShowDeviceError(answer.status, QStringLiteral("Initialization"), deviceErrorOpen_);
                    faultTold_ = true;
                }
                pnlVersion_->setText(Translate(QStringLiteral("Off")));
                Q_EMIT deviceOpened(false);
                liveTimer_.start();
                return;
            }
            if (answer.needsMark) {
                askForReferenceMark();
                return;
            }
            KeepIdentity(answer, settings_);
            showDeviceName(answer.name);
            Q_EMIT deviceOpened(true);
            liveTimer_.start();
        });
}

void frmMeasure::askForReferenceMark()
{
    auto* prompt = new frmReference(*device_, GaugeType(settings_.BallBarType), settings_.BallBarLength, units_, this);
    prompt->setAttribute(Qt::WA_DeleteOnClose);
    connect(prompt, &QDialog::finished, this, &frmMeasure::referenceMarkDone);
    holdLiveReading();
    prompt->open();
}

void frmMeasure::referenceMarkDone()
{
    device_->post<OpenAnswer>(
        [](GaugeDevice& device) {
            OpenAnswer answer;
            answer.status = device.connected() ? 0 : kGaugeNotConnected;
            if (answer.status == 0)
                ReadIdentity(device, answer);
            return answer;
        },
        this, [this](const OpenAnswer& answer) {
            if (answer.status == 0) {
                KeepIdentity(answer, settings_);
                showDeviceName(answer.name);
            } else {
                pnlVersion_->setText(Translate(QStringLiteral("Off")));
            }
            Q_EMIT deviceOpened(answer.status == 0);
            resumeLiveReading();
            refresh();
        });
}

void frmMeasure::showDeviceName(const QString& name)
{
    pnlVersion_->setText(name);
}

void frmMeasure::holdLiveReading()
{
    ++liveHolds_;
    liveTimer_.stop();
    // A tick already asked for is left to finish on the device thread; its answer is ignored.
    if (tickInFlight_) {
        tickInFlight_ = false;
        ++tickGeneration_;
    }
}

void frmMeasure::resumeLiveReading()
{
    if (liveHolds_ > 0 && --liveHolds_ == 0 && !closing_)
        liveTimer_.start();
}

void frmMeasure::tick()
{
    if (tickInFlight_ || liveHolds_ > 0 || closing_)
        return;
    tickInFlight_ = true;
    const unsigned generation = tickGeneration_;
    device_->post<LiveAnswer>(
        [](GaugeDevice& device) {
            LiveAnswer answer;
            if (device.connected()) {
                // A failed reading closes the device; it is opened again at the next tick, once
                // the user has seen "Off".
                answer.reading = device.readOne();
                answer.batteryLow = device.connected() && device.batteryLow();
            } else if (device.reopen(answer.needsMark) == 0) {
                // Plugged in again: a gauge that must find its reference mark asks for it first.
                answer.reconnected = true;
                answer.name = device.name();
            }
            answer.connected = device.connected();
            return answer;
        },
        this, [this, generation](const LiveAnswer& answer) {
            if (generation != tickGeneration_ || closing_)
                return;
            tickInFlight_ = false;
            // A reading that failed was the gauge's last: it is closed and the user told once,
            // unless the capture before it has told of the same fault already.
            // A gauge that fails again at each attempt to find it is told of once, until it has
            // given a good reading.
            const GaugeReading& reading = answer.reading;
            {
                const RaisedBy raised(*this);
                ShowReadingFailure(reading, deviceErrorOpen_, captureFaultShown_ || faultTold_);
            }
            captureFaultShown_ = false;
            if (reading.ok())
                faultTold_ = false;
            else if (reading.status != kGaugeNotConnected)
                faultTold_ = true;
            const double raw = reading.ok() ? reading.mm : 0.0;
            const double length = LiveLengthMm(raw, case_.Data.ZeroOffset, TempToCelsius(txtGaugeTemp_->text(), settings_),
                                               TempToCelsius(txtMacTemp_->text(), settings_), settings_);
            pnlMeas_->setText(FormatNumber(length * units_.LargeFactor, units_.LongFormat));
            pnlBattery_->setVisible(answer.batteryLow);
            if (answer.reconnected) {
                // Found again: its readings follow at once rather than after the next attempt.
                liveTimer_.setInterval(kConnectedTickMs);
                showDeviceName(answer.name);
            } else if (answer.connected) {
                liveTimer_.setInterval(kConnectedTickMs);
            } else {
                liveTimer_.setInterval(kReconnectTickMs);
                pnlVersion_->setText(Translate(QStringLiteral("Off")));
            }
            Q_EMIT liveReadingShown();
            if (answer.reconnected && answer.needsMark) {
                askForReferenceMark();
                return;
            }
            if (liveHolds_ == 0)
                liveTimer_.start();
        });
}

void frmMeasure::buildSamplingRates()
{
    SamplingFields fields{txtFeedrate_->text(), txtStartPos_->text(), txtEndPos_->text()};
    const SamplingRates rates =
        RebuildSamplingRates(fields, cboSamplingRate_->currentIndex() >= 0 ? cboSamplingRate_->currentText() : QString(),
                             settings_, units_);
    for (const auto& [field, text] : {std::pair{txtFeedrate_, fields.feedrate}, std::pair{txtStartPos_, fields.startPos},
                                      std::pair{txtEndPos_, fields.endPos}})
        if (field->text() != text)
            field->setText(text);
    cboSamplingRate_->clear();
    for (const SamplingRateItem& item : rates.items)
        cboSamplingRate_->addItem(QString::number(item.points), item.rateCode);
    cboSamplingRate_->setCurrentIndex(rates.selected);
}

void frmMeasure::endLeft()
{
    if (!NumberKept(*txtEndPos_))
        return;
    txtEndPos_->setText(FormatNumber(CheckedEndAngle(txtEndPos_->text(), txtStartPos_->text()), "###0"));
    buildSamplingRates();
    txtEndPos_->selectAll();
}

void frmMeasure::startLeft()
{
    if (!NumberKept(*txtStartPos_))
        return;
    txtStartPos_->setText(FormatNumber(CheckedStartAngle(txtStartPos_->text(), txtEndPos_->text()), "###0"));
    buildSamplingRates();
    txtStartPos_->selectAll();
}

void frmMeasure::feedrateLeft()
{
    if (!NumberKept(*txtFeedrate_))
        return;
    const double mmPerMin = CheckedFeedrate(txtFeedrate_->text(), units_.LargeFactor, settings_.UnitsInch);
    txtFeedrate_->setText(largeText(mmPerMin * units_.LargeFactor));
    buildSamplingRates();
    txtFeedrate_->selectAll();
}

void frmMeasure::selectPlane(TestPlane plane)
{
    const std::array<QString, 4> axes = AxisTexts(plane);
    for (QComboBox* list : {cboStartAxis_, cboEndAxis_}) {
        list->clear();
        for (const QString& axis : axes)
            list->addItem(axis);
        list->setCurrentIndex(0);
    }
    const std::pair<QRadioButton*, TestPlane> options[] = {
        {optXY_, TestPlane::XY}, {optXZ_, TestPlane::XZ}, {optYZ_, TestPlane::YZ}};
    for (const auto& [option, itsPlane] : options) {
        QFont font = option->font();
        font.setBold(itsPlane == plane);
        option->setFont(font);
    }
    notifyViewPlane();
    loadLastCentre();
}

void frmMeasure::selectDirection(QRadioButton* selected)
{
    notifyViewSettings();
    for (QRadioButton* option : {optCW_, optCCW_, optCWCCW_}) {
        QFont font = option->font();
        font.setBold(option == selected);
        option->setFont(font);
    }
}

TestPlane frmMeasure::plane() const
{
    if (optXZ_->isChecked())
        return TestPlane::XZ;
    if (optYZ_->isChecked())
        return TestPlane::YZ;
    return TestPlane::XY;
}

void frmMeasure::loadLastCentre()
{
    if (!services_.store)
        return;
    const auto origin = LastMeasurementOrigin(*services_.store, plane(), case_.Header[HdrMachine]);
    if (!origin)
        return;
    for (int axis = 0; axis < 3; ++axis) {
        txtCenter_[axis]->setText(largeText((*origin)[axis] * units_.LargeFactor));
        txtCenter_[axis]->selectAll();
    }
}

void frmMeasure::lookUpBarLength()
{
    const BarLengthCalibration state = LookUpBarLength(settings_);
    case_.Data.ZeroOffset = state.zeroOffsetMm;
    case_.Data.Calibrated = state.calibrated;
    for (int i = 0; i < 3; ++i)
        pnlCalibrated_[i]->setVisible(i == int(state.panel));
}

void frmMeasure::refresh()
{
    setWindowTitle(case_.Header[HdrMachine]);
    buildSamplingRates();
    lookUpBarLength();
    txtGaugeTemp_->setEnabled(settings_.GaugeExpCoeff != 0);
    txtMacTemp_->setEnabled(settings_.MachineExpCoeff != 0);
    loadLastCentre();
}

void frmMeasure::refreshUnits()
{
    const double mmPerMin = StrToDbl(txtFeedrate_->text()) / feedrateFactor_;
    feedrateFactor_ = units_.LargeFactor;
    lblFeedUnit_->setText(units_.LargeCaption + QStringLiteral("/min"));
    txtFeedrate_->setText(largeText(mmPerMin * units_.LargeFactor));
}

void frmMeasure::caseStored(int measId)
{
    savedMeasId_ = measId;
    measureSaved_ = true;
    writtenCase_.reset();
}

void frmMeasure::caseWritten(const Case& written)
{
    writtenCase_ = std::make_shared<const Case>(written);
    savedMeasId_ = 0;
    measureSaved_ = false;
}

void frmMeasure::clearForNextMeasurement()
{
    pnlPlane_->setEnabled(true);
    tabType_->setEnabled(true);
    chain_->clearCounters();
    showCounters(0, 0);
    cmdSave_->setEnabled(false);
    cmdOffset_->setEnabled(false);
}

display::ViewParams frmMeasure::viewParams() const
{
    display::ViewParams params;
    params.dynamic = tabType_->currentIndex() == 0;
    // Both directions draw the first run's, clockwise.
    params.counterClockwise = optCCW_->isChecked();
    params.startAngle = LeadingNumber(txtStartPos_->text());
    params.endAngle = LeadingNumber(txtEndPos_->text());
    params.overshoot = LeadingNumber(txtAngularOvershoot_->text());
    params.startAxisIndex = cboStartAxis_->currentIndex();
    params.endAxisIndex = cboEndAxis_->currentIndex();
    const TestPlane p = plane();
    params.plane = p == TestPlane::XZ ? display::ViewPlane::XZ
                   : p == TestPlane::YZ ? display::ViewPlane::YZ
                                        : display::ViewPlane::XY;
    return params;
}

void frmMeasure::notifyViewSettings()
{
    if (viewWindow_)
        viewWindow_->refresh();
}

void frmMeasure::notifyViewPlane()
{
    if (viewWindow_)
        viewWindow_->relabel();
}

void frmMeasure::viewClicked()
{
    if (!services_.openView)
        return;
    if (viewWindow_) {
        viewWindow_->close();
        return;
    }
    BusyCursor busy;
    viewWindow_ = services_.openView([this] { return viewParams(); },
                                     [this](bool open) {
                                         if (open)
                                             return;
                                         viewWindow_ = nullptr;
                                         cmdView_->setText(findChild<QLabel*>(QStringLiteral("LblViewOn"))->text());
                                     });
    if (viewWindow_) {
        connect(viewWindow_, &QObject::destroyed, this, [this] { viewWindow_ = nullptr; });
        cmdView_->setText(findChild<QLabel*>(QStringLiteral("LblViewOff"))->text());
        // Beside this window the first time, then where the user left it; the keyboard stays
        // here, so that F12 starts a run at once.
        if (!HasStoredPlace(*viewWindow_, ini_.path(), QLatin1String(display::ViewWindow::kPlaceName)))
            PlaceBeside(*viewWindow_, *this);
        activateWindow();
    }
}

void frmMeasure::calibrateClicked()
{
    BusyCursor busy;
    holdLiveReading();
    auto* window = new CalibrationWindow(settings_, units_, TempUnitCaption(settings_, ini_),
                                         device_->connected() ? device_.get() : nullptr, txtGaugeTemp_->text(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QDialog::finished, this, [this, window] {
        txtGaugeTemp_->setText(window->gaugeTemperatureText());
        lookUpBarLength();
        resumeLiveReading();
    });
    window->open();
}

void frmMeasure::closeClicked()
{
    close();
}

bool frmMeasure::handOverCase()
{
    BusyCursor busy;
    if (case_.Data.RunCount > 0) {
        if (!case_.Results.ResultsValid && services_.analyse) {
            // The analysis keeps the readings as captured for the files of the case.
            if (!services_.analyse())
                return false;
        }
        if (services_.runsAnalysed)
            services_.runsAnalysed();
    } else if (writtenCase_ && services_.showWritten) {
        if (!services_.showWritten(*writtenCase_))
            return false;
    } else if (measureSaved_ && savedMeasId_ > 0 && services_.reloadSaved) {
        // The case just saved, by the number the save returned.
        if (!services_.reloadSaved(savedMeasId_))
            return false;
    }
    return true;
}

void frmMeasure::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (cmdClose_->isEnabled())
            closeClicked();
        return;
    }
    if (event->key() == Qt::Key_F12 && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            switchClicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmMeasure::closeEvent(QCloseEvent* event)
{
    // A capture in hand ends in its own window first; the window stays until then.
    if (chain_->running() || (!closing_ && !handOverCase())) {
        event->ignore();
        return;
    }
    // Every way out (the button, Esc, the close box) hands the captured runs over first, so
    // none is left behind unanalysed.
    closing_ = true;
    liveTimer_.stop();
    // The gauge is released here, while the window can still tell how its closing went.
    ShowClosingFailure(device_->closeNow(), deviceErrorOpen_);
    if (viewWindow_)
        viewWindow_->close();
    if (services_.closed)
        services_.closed();
    QWidget::closeEvent(event);
}

void frmMeasure::offsetClicked()
{
    // Not this window's child: disabling this window would disable it too.
    auto* offsets = new frmOffset(
        case_, units_,
        [window = QPointer<frmMeasure>(this)](bool enabled) {
            if (window)
                window->setEnabled(enabled);
        },
        PlaneKey(plane()));
    offsetWindow_ = offsets;
    KeepAbove(*offsets, *this);
    offsets->show();
}

void frmMeasure::switchClicked()
{
    if (!isEnabled() || chain_->running())
        return;
    chain_->press(ini_, cboSamplingRate_->currentIndex());
}

void frmMeasure::rebuildSamplingRates()
{
    buildSamplingRates();
}

RunFields frmMeasure::fields()
{
    RunFields fields;
    fields.dynamic = tabType_->currentIndex() == 0;
    fields.startPos = txtStartPos_->text();
    fields.endPos = txtEndPos_->text();
    fields.overshoot = txtAngularOvershoot_->text();
    fields.feedrate = txtFeedrate_->text();
    fields.startAxisIndex = cboStartAxis_->currentIndex();
    fields.endAxisIndex = cboEndAxis_->currentIndex();
    if (const int item = cboSamplingRate_->currentIndex(); item >= 0)
        fields.samplingRate = SamplingRateItem{int(std::lround(LeadingNumber(cboSamplingRate_->itemText(item)))),
                                               cboSamplingRate_->itemData(item).toInt()};
    fields.plane = plane();
    fields.direction = optCW_->isChecked()    ? DirectionChoice::Cw
                       : optCCW_->isChecked() ? DirectionChoice::Ccw
                                              : DirectionChoice::Both;
    for (int axis = 0; axis < 3; ++axis)
        fields.centre[axis] = txtCenter_[axis]->text();
    fields.gaugeTemp = txtGaugeTemp_->text();
    fields.machineTemp = txtMacTemp_->text();
    return fields;
}

void frmMeasure::notice(ChainNotice kind, const QString& text)
{
    const MessageIcon icon = kind == ChainNotice::NotConnected ? MessageIcon::Critical
                             : kind == ChainNotice::BatteryLow ? MessageIcon::None
                                                               : MessageIcon::Warning;
    // Also after a click on the main window while the run went on.
    const RaisedBy raised(*this);
    prompts().message(QString(), text, icon);
}

void frmMeasure::setCapturing(bool capturing)
{
    imgSwOff_->setVisible(!capturing);
    imgSwOn_->setVisible(capturing);
    lblSw_->setText(capturing ? Translate(QStringLiteral("Ready"))
                              : Translate(QStringLiteral("Start Capture")) + QStringLiteral(" - F12"));
    if (!capturing && services_.clearStatus)
        services_.clearStatus();
    const bool runsHeld = case_.Data.RunCount > 0;
    for (QWidget* control : std::initializer_list<QWidget*>{cmdClose_, cmdCalibrate_, frmDirection_})
        control->setEnabled(!capturing);
    cmdBasic_->setEnabled(!capturing && services_.openCaseInfo);
    cmdView_->setEnabled(!capturing && services_.openView);
    // The plane and the kind of test stay as they are while the case holds runs.
    pnlPlane_->setEnabled(!capturing && !runsHeld);
    tabType_->setEnabled(!capturing && !runsHeld);
    cmdSave_->setEnabled(!capturing && runsHeld);
    cmdOffset_->setEnabled(!capturing && runsHeld);
}

void frmMeasure::capture(std::function<void(const CaptureResult&)> done)
{
    holdLiveReading();
    auto* window = new frmWait(*device_, case_, settings_, units_, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &frmWait::captureEnded, this, [this, done](const CaptureResult& result) {
        // The capture has shown its device fault; the live reading that meets it next is quiet.
        if (result.deviceStatus != 0)
            captureFaultShown_ = true;
        resumeLiveReading();
        done(result);
    });
    window->open();
}

void frmMeasure::showCounters(int clockwise, int counterClockwise)
{
    const auto counter = [](int runs) { return runs > 0 ? QString::number(runs) : QString(); };
    pnlCW_->setText(counter(clockwise));
    pnlCCW_->setText(counter(counterClockwise));
}

void frmMeasure::runsStored(int clockwise, int counterClockwise)
{
    showCounters(clockwise, counterClockwise);
    txtFeedrate_->setText(largeText(StrToDbl(case_.Header[HdrFeedrate]) * units_.LargeFactor));
}

void frmMeasure::runsDropped(int clockwise, int counterClockwise)
{
    showCounters(clockwise, counterClockwise);
}

bool frmMeasure::changeDirection()
{
    const RaisedBy raised(*this);
    if (!prompts().askYesNo(QString(), Translate(QStringLiteral("Do you want to change the direction and capture a new run?"))))
        return false;
    QRadioButton* other = optCW_->isChecked() ? optCCW_ : optCW_;
    other->setChecked(true);
    selectDirection(other);
    return true;
}

void frmMeasure::pressEnded(bool openSave)
{
    if (openSave && services_.openSave)
        services_.openSave();
}

} // namespace sarvo::gauge
