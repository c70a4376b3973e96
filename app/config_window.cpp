#include "app/config_window.h"

#include "app/app_context.h"
#include "app/program_state.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"
#include "gui/window_registry.h"

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
#include <QVBoxLayout>

namespace sarvo {

namespace {

QLabel* Caption(const char* text, int index)
{
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setObjectName(QStringLiteral("LblItem(%1)").arg(index));
    return label;
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

bool IsEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

QComboBox* ConfigWindow::editableCombo(const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setEditable(true);
    // Enter is OK; a typed text never becomes an entry of the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

ConfigWindow::ConfigWindow(QWidget* parent)
    : QDialog(parent)
    , model_(app().Settings, app().Units)
    , cboTempUnits_(new QComboBox)
    , cboGaugeExp_(editableCombo(QStringLiteral("cboGaugeExp"), {}))
    , cboCalExp_(editableCombo(QStringLiteral("cboCalExp"), {}))
    , txtScaleFactor_(new QLineEdit)
    , cboStaticCount_(editableCombo(QStringLiteral("cboStaticCount"), ConfigurationModel::staticCountList()))
    , txtReli_(new QLineEdit)
    , lblUnit_(Named(new QLabel, QStringLiteral("LblUnit")))
    , cboComm_(editableCombo(QStringLiteral("cboComm"), SystemSerialPorts()))
    , txtAddr_(new QLineEdit)
    , cboPort_(editableCombo(QStringLiteral("cboPort"), ConfigurationModel::ioAddressList()))
    , cboInterrupt_(editableCombo(QStringLiteral("cboInterrupt"), ConfigurationModel::interruptList()))
    , chkAutoDetect_(new QCheckBox(QStringLiteral("Automatic port detection")))
    , cboBrintovale_(editableCombo(QStringLiteral("cboBrintovale"), SystemSerialPorts()))
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
    constants->addWidget(Caption("Temperature Units:", 2), 0, 0);
    constants->addWidget(cboTempUnits_, 0, 1);
    constants->addWidget(Caption("Gauge Expansion Coefficient:", 12), 1, 0);
    constants->addWidget(cboGaugeExp_, 1, 1);
    constants->addWidget(Caption("Calibrator Expansion Coefficient:", 3), 2, 0);
    constants->addWidget(cboCalExp_, 2, 1);
    for (int i = 0; i < 2; ++i) {
        lblCoeffCel_[i] = Named(new QLabel(QString::fromUtf8("ppm/°C")), QStringLiteral("LblCoeffCel(%1)").arg(i));
        lblCoeffFahr_[i] = Named(new QLabel(QString::fromUtf8("ppm/°F")), QStringLiteral("LblCoeffFahr(%1)").arg(i));
        constants->addWidget(lblCoeffCel_[i], 1 + i, 2);
        constants->addWidget(lblCoeffFahr_[i], 1 + i, 2);
    }
    constants->addWidget(Caption("Scale Factor:", 5), 3, 0);
    constants->addWidget(txtScaleFactor_, 3, 1);
    constants->addWidget(Caption("Static Measurements / Point:", 7), 4, 0);
    constants->addWidget(cboStaticCount_, 4, 1);
    constants->addWidget(Caption("Reliability of Ball Bar:", 11), 5, 0);
    constants->addWidget(txtReli_, 5, 1);
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
        pnlType_[i]->hide();
    }
    for (int i = 0; i < 4; ++i) {
        optAxis_[i] = new QRadioButton(i % 2 == 0 ? QStringLiteral("1. Axis") : QStringLiteral("2. Axis"));
        optAxis_[i]->setObjectName(QStringLiteral("optAxis(%1)").arg(i));
    }
    auto* renishaw = new QGridLayout(pnlType_[kRenishawQC10]);
    renishaw->addWidget(Caption("Communication Port:", 4), 0, 0);
    renishaw->addWidget(cboComm_, 0, 1);
    auto* ik110 = new QGridLayout(pnlType_[kHeidenhainIK110]);
    ik110->addWidget(Caption("Base Address (in hexadecimal):", 6), 0, 0);
    ik110->addWidget(txtAddr_, 0, 1);
    ik110->addWidget(Caption("Axis Number:", 8), 1, 0);
    ik110->addWidget(optAxis_[0], 1, 1);
    ik110->addWidget(optAxis_[1], 2, 1);
    auto* ik121 = new QGridLayout(pnlType_[kHeidenhainIK121]);
    ik121->addWidget(Caption("I/O-Address (in hexadecimal):", 1), 0, 0);
    ik121->addWidget(cboPort_, 0, 1);
    ik121->addWidget(Caption("Interrupt Number:", 10), 1, 0);
    ik121->addWidget(cboInterrupt_, 1, 1);
    ik121->addWidget(Caption("Axis Number:", 9), 2, 0);
    ik121->addWidget(optAxis_[2], 2, 1);
    ik121->addWidget(optAxis_[3], 3, 1);
    auto* own = new QGridLayout(pnlType_[kOwnGauge]);
    own->addWidget(chkAutoDetect_, 0, 0, 1, 2);
    own->addWidget(Caption("Communication Port:", 0), 1, 0);
    own->addWidget(cboBrintovale_, 1, 1);
    auto* equipmentBox = new QVBoxLayout(equipment);
    equipmentBox->addLayout(types);
    auto* panels = new QGridLayout;
    for (QFrame* panel : pnlType_)
        panels->addWidget(panel, 0, 0, Qt::AlignTop);
    equipmentBox->addLayout(panels);
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
    cboTempUnits_->addItems({Translate(QStringLiteral("Celsius")), Translate(QStringLiteral("Fahrenheit"))});
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
    e.celsius = !e.celsius; // the boxes still show the other unit
    model_.switchTemperatureUnit(e, index == 0);
    fillCoefficientLists(index == 0);
    cboGaugeExp_->setEditText(e.gaugeCoefficient);
    cboCalExp_->setEditText(e.calibratorCoefficient);
}

void ConfigWindow::typeChosen(int index)
{
    for (QFrame* panel : pnlType_)
        panel->hide();
    for (QRadioButton* option : optType_)
        SetEmphasis(option);
    pnlType_[index]->show();
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
        prompts().message(app().State.AppTitle, rejected->message, MessageIcon::Critical);
        using Box = ConfigurationRejection::Box;
        if (rejected->box == Box::BaseAddress)
            txtAddr_->setText(rejected->resetText);
        else if (rejected->box == Box::IoAddress)
            cboPort_->setEditText(rejected->resetText);
        else
            cboInterrupt_->setEditText(rejected->resetText);
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
