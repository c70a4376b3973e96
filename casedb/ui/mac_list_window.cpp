#include "casedb/ui/mac_list_window.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"
#include "casedb/case_store.h"
#include "casedb/machine_list.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo {

MacList::MacList(const casedb::CaseStore* store, QWidget* parent)
    : QDialog(parent)
    , txtMachine_(new QLineEdit)
    , lstMachine_(new QListWidget)
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
    , new_(new QPushButton(QStringLiteral("&New")))
    , store_(store)
{
    BusyCursor busy;
    setObjectName(QStringLiteral("MacList"));
    setWindowTitle(QStringLiteral("Machines"));

    txtMachine_->setObjectName(QStringLiteral("TxtMachine"));
    lstMachine_->setObjectName(QStringLiteral("LstMachine"));
    lstMachine_->setSelectionMode(QAbstractItemView::SingleSelection);
    ok_->setObjectName(QStringLiteral("cmdClose"));
    cancel_->setObjectName(QStringLiteral("CmdCancel"));
    new_->setObjectName(QStringLiteral("CmdNew"));
    ok_->setDefault(true);
    auto* title = new QLabel(QStringLiteral("is same as:"));
    title->setObjectName(QStringLiteral("LblMacTitle"));

    auto* namePanel = new QFrame;
    namePanel->setFrameShape(QFrame::StyledPanel);
    auto* nameLayout = new QVBoxLayout(namePanel);
    nameLayout->addWidget(txtMachine_);
    auto* listPanel = new QFrame;
    listPanel->setFrameShape(QFrame::StyledPanel);
    auto* listLayout = new QVBoxLayout(listPanel);
    listLayout->addWidget(lstMachine_);

    auto* left = new QVBoxLayout;
    left->addWidget(namePanel);
    left->addWidget(title);
    left->addWidget(listPanel, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(new_);
    buttons->addStretch();
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left, 1);
    outer->addLayout(buttons);
    resize(380, 300);

    connect(ok_, &QPushButton::clicked, this, &MacList::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &MacList::cancelClicked);
    connect(new_, &QPushButton::clicked, this, &MacList::newClicked);
    connect(lstMachine_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (item && item->isSelected())
            okClicked();
    });

    RunTrapped(QStringLiteral("Loading machine list"), [this] { fillMachineList(); });
    CenterForm(*this);
    TranslateForm(*this);
}

void MacList::setMachineName(const QString& name)
{
    txtMachine_->setText(name);
}

QString MacList::answer() const
{
    const QList<QListWidgetItem*> selected = lstMachine_->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void MacList::fillMachineList()
{
    lstMachine_->clear();
    if (!store_)
        throw AppError::standard(AppError::kObjectNotSet);
    lstMachine_->addItems(casedb::MachineNames(*store_));
}

void MacList::done(int result)
{
    // However the window closes, the close box included, the answer is the selected row.
    answer_ = answer();
    QDialog::done(result);
}

void MacList::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    QDialog::changeEvent(event);
}

void MacList::okClicked()
{
    accept();
}

void MacList::cancelClicked()
{
    lstMachine_->clearSelection();
    reject();
}

void MacList::newClicked()
{
    const QString name = txtMachine_->text();
    if (name.trimmed().isEmpty()) {
        QApplication::beep();
        txtMachine_->setFocus();
        return;
    }
    const bool added = RunTrapped(QStringLiteral("Adding a machine"), [&] {
        if (!store_)
            throw AppError::standard(AppError::kObjectNotSet);
        casedb::AddMachine(*store_, name);
    });
    if (!added)
        return;
    auto* item = new QListWidgetItem(name, lstMachine_);
    lstMachine_->setCurrentItem(item);
    item->setSelected(true);
    okClicked();
}

QString ChooseMachine(const casedb::CaseStore* store, const QString& name, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeWindow();
    // Readers ask while the hourglass is up; the choice itself is the user's to make.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QString answer;
    {
        MacList window(store, parent);
        window.setMachineName(name);
        window.exec();
        answer = window.answer();
    }
    QApplication::restoreOverrideCursor();
    return answer;
}

} // namespace sarvo
