#include "gauge/ui/case_info_window.h"

#include "casedb/case_browser.h"
#include "casedb/trend.h"
#include "core/app_error.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "core/utilities.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo::gauge {

namespace {

template <class Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* editableCombo(const char* name)
{
    auto* combo = named(new QComboBox, name);
    MakeEditable(*combo);
    return combo;
}

// A field with its unit caption beside it.
QWidget* withUnit(QWidget* field, const QString& unit, const char* name)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    auto* caption = named(new QLabel(unit), name);
    caption->setProperty("noTranslate", true); // a unit, already in the display unit's words
    layout->addWidget(caption);
    return row;
}

} // namespace

frmBasic::frmBasic(Case& openCase, Settings& settings, const UnitState& units, IniFile ini,
                   const casedb::CaseStore* store, std::function<void()> accepted, bool newCase, QWidget* parent)
    : QDialog(parent)
    , case_(openCase)
    , settings_(settings)
    , units_(units)
    , ini_(std::move(ini))
    , store_(store)
    , accepted_(std::move(accepted))
    , newCase_(newCase)
    , txtCustomer_(named(new QLineEdit, "txtCustomer"))
    , cmbMachine_(editableCombo("cmbMachine"))
    , cmbSession_(editableCombo("cmbSession"))
    , txtDate_(named(new QLineEdit, "txtDate"))
    , txtTime_(named(new QLineEdit, "txtTime"))
    , txtMeasBy_(named(new QLineEdit, "txtMeasBy"))
    , txtRadius_(named(new QLineEdit, "txtRadius"))
    , cboBBLen_(editableCombo("cboBBLen"))
    , cboMacExp_(editableCombo("cboMacExp"))
    , pnlOffset_(named(new QFrame, "pnlOffset"))
    , pnlOffsetValue_(named(new QLabel, "pnlOffsetValue"))
{
    BusyCursor busy;
    setObjectName(QStringLiteral("frmBasic"));
    setWindowTitle(QStringLiteral("Basic data"));
    txtCustomer_->setMaxLength(kCaseTextLimit);
    txtMeasBy_->setMaxLength(kCaseTextLimit);

    auto* form = new QFormLayout;
    const auto row = [form](const char* labelName, const char* caption, QWidget* field) {
        auto* label = named(new QLabel(QString::fromLatin1(caption)), labelName);
        form->addRow(label, field);
        return label;
    };
    row("lblCustomer", "Customer:", txtCustomer_);
    row("lblMachine", "Machine:", cmbMachine_);
    row("lblSession", "Measurement Session:", cmbSession_);
    row("lblDate", "Date:", txtDate_);
    row("lblTime", "Time:", txtTime_);
    row("lblMeasBy", "Measured By:", txtMeasBy_);
    row("lblRadius", "Test Radius:", withUnit(txtRadius_, units_.LargeCaption, "lblMMUnit1"));
    row("lblBBLen", "Ball Bar Length:", withUnit(cboBBLen_, units_.LargeCaption, "lblMMUnit0"));
    const QString tempUnit = QStringLiteral("ppm/") + TempUnitCaption(settings_, ini_);
    // A long caption (the coefficient's in German) wraps rather than narrowing the fields: the
    // free texts show their 30 characters whole.
    row("lblMacExp", "Machine Expansion Coefficent:", withUnit(cboMacExp_, tempUnit, "lbltempUnit"))->setWordWrap(true);
    const int textWidth = fontMetrics().averageCharWidth() * (kCaseTextLimit + 2);
    for (QWidget* field : std::initializer_list<QWidget*>{txtCustomer_, cmbMachine_, cmbSession_, txtMeasBy_})
        field->setMinimumWidth(textWidth);
    auto* offsetLayout = new QHBoxLayout(pnlOffset_);
    offsetLayout->setContentsMargins(0, 0, 0, 0);
    offsetLayout->addWidget(named(new QLabel(QStringLiteral("Offset in the direction of the third axis:")), "lblOffset"));
    offsetLayout->addWidget(withUnit(pnlOffsetValue_, units_.LargeCaption, "lblMMUnit2"), 1);

    auto* ok = ok_ = named(new QPushButton(QStringLiteral("&OK")), "CmdOk");
    auto* cancel = named(new QPushButton(QStringLiteral("&Cancel")), "CmdCancel");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(pnlOffset_);
    layout->addLayout(buttons);

    CenterForm(*this);
    TranslateForm(*this);
    fillLists();

    // Loading: the open case and settings, then the remembered input over them.
    for (const QString& length : NominalLengthTexts(settings_, units_))
        cboBBLen_->addItem(length);
    cboMacExp_->addItems(TypicalExpCoeffs(settings_));
    setTexts(OpeningCaseInfoTexts(case_, settings_, units_, NaiveNow()));
    CaseInfoTexts texts = this->texts();
    LoadBasicInput(ini_, texts, units_, settings_.UnitsInch);
    setTexts(texts);
    // The hint is for the length and radius the dialog opens with, the remembered ones included.
    showCentreOffset();

    connect(ok, &QPushButton::clicked, this, &frmBasic::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QComboBox* combo : {cmbMachine_, cmbSession_})
        connect(combo->lineEdit(), &QLineEdit::editingFinished, this,
                [combo] { combo->setEditText(CutCaseText(combo->currentText())); });
    connect(cmbMachine_, &QComboBox::activated, this, [this] {
        if (store_)
            if (const std::optional<double> coeff = LastMachineExpCoeff(*store_, cmbMachine_->currentText()))
                cboMacExp_->setEditText(FormatNumber(ShownExpCoeff(*coeff, settings_), QStringLiteral("#####0.0")));
    });
    connect(txtDate_, &QLineEdit::editingFinished, this, [this] {
        const std::optional<QDateTime> date = ParseDateText(txtDate_->text());
        txtDate_->setText(ShortDateText(date ? *date : NaiveNow()));
    });
    connect(txtTime_, &QLineEdit::editingFinished, this, [this] {
        const std::optional<QDateTime> time =
            IsTimeText(txtTime_->text()) ? ParseDateText(QStringLiteral("2000-01-01 ") + txtTime_->text()) : std::nullopt;
        txtTime_->setText((time ? *time : NaiveNow()).toString(QStringLiteral("HH:mm")));
    });
    connect(cboBBLen_, &QComboBox::activated, this, &frmBasic::lengthPicked);
    connect(cboBBLen_->lineEdit(), &QLineEdit::editingFinished, this, &frmBasic::lengthLeft);
    connect(txtRadius_, &QLineEdit::editingFinished, this, &frmBasic::radiusLeft);
    resize(430, 360);
}

void frmBasic::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // With machine and session known, the user usually only confirms.
    if (!cmbMachine_->currentText().isEmpty() && !cmbSession_->currentText().isEmpty())
        ok_->setFocus();
}

void frmBasic::fillLists()
{
    // A failing list stays empty; the user may still type a name.
    const auto fill = [this](QComboBox* combo, const char* location, QStringList (*read)(const casedb::CaseStore&)) {
        combo->clear();
        RunTrapped(QString::fromLatin1(location), [&] {
            if (!store_)
                throw AppError::standard(AppError::kObjectNotSet);
            combo->addItems(read(*store_));
        });
    };
    fill(cmbSession_, casedb::kReadingSessionsLocation, &casedb::StoredSessionNames);
    fill(cmbMachine_, "Reading machines", &casedb::StoredMachines);
}

CaseInfoTexts frmBasic::texts() const
{
    return {txtCustomer_->text(), cmbMachine_->currentText(), cmbSession_->currentText(), txtDate_->text(),
            txtTime_->text(),     txtMeasBy_->text(),          txtRadius_->text(),          cboBBLen_->currentText(),
            cboMacExp_->currentText()};
}

void frmBasic::setTexts(const CaseInfoTexts& texts)
{
    txtCustomer_->setText(texts.customer);
    cmbMachine_->setEditText(texts.machine);
    cmbSession_->setEditText(texts.session);
    txtDate_->setText(texts.date);
    txtTime_->setText(texts.time);
    txtMeasBy_->setText(texts.measuredBy);
    txtRadius_->setText(texts.radius);
    cboBBLen_->setEditText(texts.length);
    cboMacExp_->setEditText(texts.machineExp);
}

void frmBasic::showCentreOffset()
{
    const std::optional<QString> hint = CentreOffsetHint(texts(), units_);
    pnlOffsetValue_->setText(hint.value_or(QString()));
    pnlOffset_->setVisible(hint.has_value());
}

void frmBasic::lengthPicked(int index)
{
    txtRadius_->setText(RadiusForLength(StrToDbl(cboBBLen_->itemText(index)), units_, settings_.UnitsInch));
}

void frmBasic::lengthLeft()
{
    CaseInfoTexts now = texts();
    NormaliseLength(now, units_, settings_.UnitsInch);
    setTexts(now);
    showCentreOffset();
}

void frmBasic::radiusLeft()
{
    CaseInfoTexts now = texts();
    const std::vector<RadiusNote> notes = NormaliseRadius(now, units_, settings_.UnitsInch);
    setTexts(now);
    for (const RadiusNote& note : notes) {
        if (!note.information)
            QApplication::beep();
        prompts().message(QString(), note.text, note.information ? MessageIcon::Information : MessageIcon::Warning);
    }
    if (!notes.empty())
        txtRadius_->setFocus();
    txtRadius_->selectAll();
    showCentreOffset();
}

QWidget* frmBasic::fieldWidget(CaseInfoField field) const
{
    switch (field) {
    case CaseInfoField::Machine: return cmbMachine_;
    case CaseInfoField::Session: return cmbSession_;
    case CaseInfoField::Date: return txtDate_;
    case CaseInfoField::Time: return txtTime_;
    case CaseInfoField::Radius: return txtRadius_;
    case CaseInfoField::Length: return cboBBLen_;
    case CaseInfoField::MachineExp: return cboMacExp_;
    case CaseInfoField::None: break;
    }
    return nullptr;
}

void frmBasic::refuse(const CaseInfoFailure& failure)
{
    const CaseInfoField field = failure.field;
    QApplication::beep();
    prompts().message(QString(), failure.message, MessageIcon::Warning);
    if (!failure.replacement.isEmpty() && field == CaseInfoField::Radius) {
        txtRadius_->setText(failure.replacement);
        showCentreOffset();
    }
    QWidget* widget = fieldWidget(field);
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable())
        combo->lineEdit()->selectAll();
}

void frmBasic::okClicked()
{
    const CaseInfoTexts typed = texts();
    // A new measurement starts from an empty case: nothing of the case open before it is
    // measured, stored or written with it. A refused OK leaves the open case as it was.
    Case entered;
    Case& target = newCase_ ? entered : case_;
    const CaseInfoFailure failure = AcceptCaseInfo(typed, target, settings_, units_);
    if (failure.failed()) {
        refuse(failure);
        return;
    }
    if (newCase_)
        case_ = std::move(entered);
    SaveBasicInput(ini_, typed, settings_.UnitsInch);
    accept();
    if (accepted_)
        accepted_();
}

} // namespace sarvo::gauge
