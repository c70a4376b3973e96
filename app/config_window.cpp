#include "app/config_window.h"

#include "app/app_context.h"
#include "app/program_state.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "gui/form_utilities.h"
#include "gui/number_fields.h"
#include "gui/translate_form.h"
#include "gui/window_registry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <iterator>

namespace sarvo {

namespace {

// A row of a grid: the caption LblItem(index) and its control.
void AddCaptioned(QGridLayout& grid, int row, const char* caption, int index, QWidget* control)
{
    auto* label = new QLabel(QString::fromUtf8(caption));
    label->setObjectName(QStringLiteral("LblItem(%1)").arg(index));
    label->setBuddy(control);
    grid.addWidget(label, row, 0);
    grid.addWidget(control, row, 1);
}

QLabel* Named(QLabel* label, const QString& name)
{
    label->setObjectName(name);
    return label;
}

// The device paths of the serial ports the system has.
QStringList SystemSerialPorts()
{
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports << info.systemLocation();
    ports.sort();
    return ports;
}

void SetEmphasis(QRadioButton* option)
{
    QFont font = option->font();
    font.setBold(option->isChecked());
    option->setFont(font);
}

QComboBox* EditableCombo(const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    // Enter is OK; a typed text stays as typed and never becomes an entry of the list.
    MakeEditable(*combo);
    combo->addItems(items);
    return combo;
}

bool IsEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

ConfigWindow::ConfigWindow(QWidget* parent)
    : QDialog(parent)
    , model_(app().Settings, app().Units)
    , cboTempUnits_(new QComboBox)
    , cboGaugeExp_(EditableCombo(QStringLiteral("cboGaugeExp"), {}))
    , cboCalExp_(EditableCombo(QStringLiteral("cboCalExp"), {}))
    , txtScaleFactor_(new QLineEdit)
    , cboStaticCount_(EditableCombo(QStringLiteral("cboStaticCount"), ConfigurationModel::staticCountList()))
    , txtReli_(new QLineEdit)
    , lblUnit_(Named(new QLabel, QStringLiteral("LblUnit")))
    , cboComm_(EditableCombo(QStringLiteral("cboComm"), SystemSerialPorts()))
    , txtAddr_(new QLineEdit)
    , cboPort_(EditableCombo(QStringLiteral("cboPort"), ConfigurationModel::ioAddressList()))
    , cboInterrupt_(EditableCombo(QStringLiteral("cboInterrupt"), ConfigurationModel::interruptList()))
    , chkAutoDetect_(new QCheckBox(QStringLiteral("Automatic port detection")))
    , cboBrintovale_(EditableCombo(QStringLiteral("cboBrintovale"), SystemSerialPorts()))
    , panels_(new QStackedWidget)
    , cmdOk_(new QPushButton(QStringLiteral("OK")))
    , cmdCancel_(new QPushButton(QStringLiteral("&Cancel")))
{
    setObjectName(QStringLiteral("frmConfig"));
    setProperty("tag", QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configuration"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    cboTempUnits_->setObjectName(QStringLiteral("cboTempUnits"));
    txtScaleFactor_->setObjectName(QStringLiteral("txtScaleFactor"));
    txtReli_->setObjectName(QStringLiteral("txtReli"));
    txtAddr_->setObjectName(QStringLiteral("txtAddr"));
    chkAutoDetect_->setObjectName(QStringLiteral("chkAutoDetect"));
    cmdOk_->setObjectName(QStringLiteral("CmdOk"));
    cmdCancel_->setObjectName(QStringLiteral("CmdCancel"));
    // The unit caption is the program's, in the language of the moment.
    lblUnit_->setProperty("noTranslate", true);
    for (QPushButton* button : {cmdOk_, cmdCancel_})
        button->setAutoDefault(false);

    auto* constants = new QGridLayout;
    const struct {
        const char* caption;
        int index;
        QWidget* control;
    } rows[] = {
        {"Temperature Units:", 2, cboTempUnits_},
        {"Gauge Expansion Coefficient:", 12, cboGaugeExp_},
        {"Calibrator Expansion Coefficient:", 3, cboCalExp_},
        {"Scale Factor:", 5, txtScaleFactor_},
        {"Static Measurements / Point:", 7, cboStaticCount_},
        {"Reliability of Ball Bar:", 11, txtReli_},
    };
    for (int row = 0; row < int(std::size(rows)); ++row)
        AddCaptioned(*constants, row, rows[row].caption, rows[row].index, rows[row].control);
    for (int i = 0; i < 2; ++i) {
        lblCoeffCel_[i] = Named(new QLabel(QString::fromUtf8("ppm/°C")), QStringLiteral("LblCoeffCel(%1)").arg(i));
        lblCoeffFahr_[i] = Named(new QLabel(QString::fromUtf8("ppm/°F")), QStringLiteral("LblCoeffFahr(%1)").arg(i));
        constants->addWidget(lblCoeffCel_[i], 1 + i, 2);
        constants->addWidget(lblCoeffFahr_[i], 1 + i, 2);
    }
    constants->addWidget(lblUnit_, 5, 2);
    constants->setColumnStretch(1, 1);

    auto* equipment = new QGroupBox(QStringLiteral("Equipment"));
    equipment->setObjectName(QStringLiteral("frmEquipment"));
    auto* types = new QHBoxLayout;
    const char* typeCaptions[] = {"Renishaw", "Heidenhain IK110", "Heidenhain IK121", "Brintovale"};
    for (int i = 0; i < 4; ++i) {
        optType_[i] = new QRadioButton(QString::fromLatin1(typeCaptions[i]));
        optType_[i]->setObjectName(QStringLiteral("optType(%1)").arg(i));
        types->addWidget(optType_[i]);
        pnlType_[i] = new QFrame;
        pnlType_[i]->setObjectName(QStringLiteral("pnlType(%1)").arg(i));
    }
    for (int i = 0; i < 4; ++i) {
        optAxis_[i] = new QRadioButton(i % 2 == 0 ? QStringLiteral("1. Axis") : QStringLiteral("2. Axis"));
        optAxis_[i]->setObjectName(QStringLiteral("optAxis(%1)").arg(i));
    }
    // Three exclusive groups: the types, and the axes of each Heidenhain panel. Left to the
    // options themselves, one group would span the whole frame, so that a click on the chosen
    // type could clear every type while an axis stays chosen.
    auto* typeGroup = new QButtonGroup(this);
    for (QRadioButton* option : optType_)
        typeGroup->addButton(option);
    for (int panel = 0; panel < 2; ++panel) {
        auto* axisGroup = new QButtonGroup(this);
        axisGroup->addButton(optAxis_[2 * panel]);
        axisGroup->addButton(optAxis_[2 * panel + 1]);
    }
    auto* renishaw = new QGridLayout(pnlType_[kRenishawQC10]);
    AddCaptioned(*renishaw, 0, "Communication Port:", 4, cboComm_);
    auto* ik110 = new QGridLayout(pnlType_[kHeidenhainIK110]);
    AddCaptioned(*ik110, 0, "Base Address (in hexadecimal):", 6, txtAddr_);
    AddCaptioned(*ik110, 1, "Axis Number:", 8, optAxis_[0]);
    ik110->addWidget(optAxis_[1], 2, 1);
    auto* ik121 = new QGridLayout(pnlType_[kHeidenhainIK121]);
    AddCaptioned(*ik121, 0, "I/O-Address (in hexadecimal):", 1, cboPort_);
    AddCaptioned(*ik121, 1, "Interrupt Number:", 10, cboInterrupt_);
    AddCaptioned(*ik121, 2, "Axis Number:", 9, optAxis_[2]);
    ik121->addWidget(optAxis_[3], 3, 1);
    auto* own = new QGridLayout(pnlType_[kOwnGauge]);
    own->addWidget(chkAutoDetect_, 0, 0, 1, 2);
    AddCaptioned(*own, 1, "Communication Port:", 0, cboBrintovale_);
    auto* equipmentBox = new QVBoxLayout(equipment);
    equipmentBox->addLayout(types);
    // One panel at a time, the frame sized for the largest.
    for (QGridLayout* grid : {renishaw, ik110, ik121, own})
        grid->setRowStretch(grid->rowCount(), 1);
    for (QFrame* panel : pnlType_)
        panels_->addWidget(panel);
    equipmentBox->addWidget(panels_);
    equipmentBox->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdCancel_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(constants);
    outer->addWidget(equipment);
    outer->addLayout(buttons);

    TranslateForm(*this);

    // The boxes from the settings.
    const ConfigurationEntries& e = model_.initialEntries();
    cboTempUnits_->addItems({QString(), QString()});
    nameTemperatureUnits();
    cboTempUnits_->setCurrentIndex(e.celsius ? 0 : 1);
    fillCoefficientLists(e.celsius);
    cboGaugeExp_->setEditText(e.gaugeCoefficient);
    cboCalExp_->setEditText(e.calibratorCoefficient);
    txtScaleFactor_->setText(e.scaleFactor);
    cboStaticCount_->setEditText(e.staticCount);
    txtReli_->setText(e.reliability);
    lblUnit_->setText(app().Units.SmallCaption);
    cboComm_->setEditText(e.commPort);
    cboBrintovale_->setEditText(e.ownGaugePort);
    chkAutoDetect_->setChecked(e.autoDetect);
    cboBrintovale_->setEnabled(!e.autoDetect);
    txtAddr_->setText(e.baseAddress);
    cboPort_->setEditText(e.ioAddress);
    cboInterrupt_->setEditText(e.irqNumber);
    if (e.axisNumber == 1 || e.axisNumber == 2) {
        optAxis_[e.axisNumber - 1]->setChecked(true);
        optAxis_[e.axisNumber + 1]->setChecked(true);
    }
    optType_[e.ballBarType]->setChecked(true);
    typeChosen(e.ballBarType);
    axisChosen(-1);

    connect(cboTempUnits_, &QComboBox::currentIndexChanged, this, &ConfigWindow::temperatureUnitChosen);
    connect(chkAutoDetect_, &QCheckBox::stateChanged, this, [this](int state) {
        // The third, greyed state changes nothing.
        if (state != Qt::PartiallyChecked)
            cboBrintovale_->setEnabled(state != Qt::Checked);
    });
    for (int i = 0; i < 4; ++i) {
        connect(optType_[i], &QRadioButton::clicked, this, [this, i] { typeChosen(i); });
        connect(optAxis_[i], &QRadioButton::clicked, this, [this, i] { axisChosen(i); });
    }
    connect(txtReli_, &QLineEdit::editingFinished, this,
            [this] { txtReli_->setText(model_.reliabilityText(txtReli_->text())); });
    connect(cmdOk_, &QPushButton::clicked, this, &ConfigWindow::ok);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    // Esc and Enter act on the window wherever the focus is.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    resize(sizeHint());
    CenterForm(*this);
}

void ConfigWindow::nameTemperatureUnits()
{
    cboTempUnits_->setItemText(0, Translate(QStringLiteral("Celsius")));
    cboTempUnits_->setItemText(1, Translate(QStringLiteral("Fahrenheit")));
}

void ConfigWindow::changeEvent(QEvent* event)
{
    // The units are entries of a list, which the translation of the window's captions leaves.
    if (event->type() == QEvent::LanguageChange)
        nameTemperatureUnits();
    QDialog::changeEvent(event);
}

void ConfigWindow::fillCoefficientLists(bool celsius)
{
    for (int i = 0; i < 2; ++i) {
        lblCoeffCel_[i]->setVisible(celsius);
        lblCoeffFahr_[i]->setVisible(!celsius);
    }
    const QString gauge = cboGaugeExp_->currentText();
    const QString calibrator = cboCalExp_->currentText();
    cboGaugeExp_->clear();
    cboGaugeExp_->addItems(model_.gaugeCoefficientList(celsius));
    cboCalExp_->clear();
    cboCalExp_->addItems(model_.calibratorCoefficientList(celsius));
    cboGaugeExp_->setEditText(gauge);
    cboCalExp_->setEditText(calibrator);
}

void ConfigWindow::temperatureUnitChosen(int index)
{
    ConfigurationEntries e = entries();
    e.celsius = index != 0; // the boxes still show the unit chosen before
    model_.switchTemperatureUnit(e, index == 0);
    fillCoefficientLists(index == 0);
    cboGaugeExp_->setEditText(e.gaugeCoefficient);
    cboCalExp_->setEditText(e.calibratorCoefficient);
}

void ConfigWindow::typeChosen(int index)
{
    for (QRadioButton* option : optType_)
        SetEmphasis(option);
    panels_->setCurrentWidget(pnlType_[index]);
}

void ConfigWindow::axisChosen(int index)
{
    // Both Heidenhain panels show the same axis.
    if (index >= 0)
        optAxis_[index < 2 ? index + 2 : index - 2]->setChecked(optAxis_[index]->isChecked());
    for (QRadioButton* option : optAxis_)
        SetEmphasis(option);
}

ConfigurationEntries ConfigWindow::entries() const
{
    ConfigurationEntries e;
    e.celsius = cboTempUnits_->currentIndex() == 0;
    e.gaugeCoefficient = cboGaugeExp_->currentText();
    e.calibratorCoefficient = cboCalExp_->currentText();
    e.scaleFactor = txtScaleFactor_->text();
    e.staticCount = cboStaticCount_->currentText();
    e.reliability = txtReli_->text();
    for (int i = 0; i < 4; ++i) {
        if (optType_[i]->isChecked()) {
            e.ballBarType = i;
            break;
        }
    }
    e.commPort = cboComm_->currentText();
    e.ownGaugePort = cboBrintovale_->currentText();
    e.autoDetect = chkAutoDetect_->checkState() == Qt::Checked;
    e.baseAddress = txtAddr_->text();
    e.ioAddress = cboPort_->currentText();
    e.axisNumber = optAxis_[0]->isChecked() ? 1 : optAxis_[1]->isChecked() ? 2 : 0;
    e.irqNumber = cboInterrupt_->currentText();
    return e;
}

void ConfigWindow::ok()
{
    const ConfigurationResult result = model_.accept(entries(), app().Settings);
    if (!result.outcome.ok()) {
        ReportOutcome(result.outcome);
        close();
        return;
    }
    if (const auto& rejected = result.rejection) {
        using Box = ConfigurationRejection::Box;
        const std::pair<Box, QWidget*> boxes[] = {
            {Box::BaseAddress, txtAddr_},          {Box::IoAddress, cboPort_},
            {Box::IrqNumber, cboInterrupt_},       {Box::GaugeCoefficient, cboGaugeExp_},
            {Box::CalibratorCoefficient, cboCalExp_}, {Box::ScaleFactor, txtScaleFactor_},
            {Box::StaticCount, cboStaticCount_},   {Box::Reliability, txtReli_},
        };
        for (const auto& [box, control] : boxes) {
            if (box == rejected->box)
                RefuseBoxText(*control, rejected->message, rejected->resetText, MessageIcon::Critical, app().State.AppTitle);
        }
        return;
    }
    app().Settings = result.settings;
    // As after reading the settings: units, and the windows that show values from the settings.
    SetUnits();
    close();
}

bool ConfigWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (key.key() == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (IsEnter(key)) {
            ok();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void RegisterConfigWindow()
{
    windows().registerWindow(WindowId::Configure, [](QWidget* parent) { return new ConfigWindow(parent); }, false);
}

} // namespace sarvo
