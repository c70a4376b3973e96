#include "casedb/ui/session_window.h"

#include "casedb/case_browser.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo {

frmSession::frmSession(const casedb::CaseStore* store, const QString& currentSession, SaveUnder saveUnder,
                       AskName askName, QWidget* parent)
    : QDialog(parent)
    , lstSession_(new QListWidget)
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , new_(new QPushButton(QStringLiteral("&New")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
    , store_(store)
    , saveUnder_(std::move(saveUnder))
    , askName_(std::move(askName))
{
    BusyCursor busy;
    setObjectName(QStringLiteral("frmSession"));
    setWindowTitle(QStringLiteral("Session"));
    lstSession_->setObjectName(QStringLiteral("LstSession"));
    lstSession_->setSelectionMode(QAbstractItemView::SingleSelection);
    ok_->setObjectName(QStringLiteral("cmdClose"));
    new_->setObjectName(QStringLiteral("CmdNew"));
    cancel_->setObjectName(QStringLiteral("CmdCancel"));
    ok_->setDefault(true);
    auto* title = new QLabel(QStringLiteral("This measurement belongs to session:"));
    title->setObjectName(QStringLiteral("LblMacTitle"));
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("PnlItem"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(lstSession_);

    auto* left = new QVBoxLayout;
    left->addWidget(title);
    left->addWidget(panel, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(new_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left, 1);
    outer->addLayout(buttons);
    resize(380, 300);

    connect(ok_, &QPushButton::clicked, this, &frmSession::okClicked);
    connect(new_, &QPushButton::clicked, this, &frmSession::newClicked);
    connect(cancel_, &QPushButton::clicked, this, &frmSession::cancelClicked);
    connect(lstSession_, &QListWidget::itemSelectionChanged, this,
            [this] { ok_->setEnabled(!lstSession_->selectedItems().isEmpty()); });

    CenterForm(*this);
    TranslateForm(*this);
    fillSessionList();
    const QList<QListWidgetItem*> current = lstSession_->findItems(currentSession, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!currentSession.isEmpty() && !current.isEmpty())
        current.front()->setSelected(true);
    ok_->setEnabled(!lstSession_->selectedItems().isEmpty());
}

void frmSession::fillSessionList()
{
    lstSession_->clear();
    RunTrapped(QString::fromLatin1(casedb::kReadingSessionsLocation), [this] {
        if (!store_)
            throw AppError::standard(AppError::kObjectNotSet);
        lstSession_->addItems(casedb::StoredSessionNames(*store_));
    });
}

void frmSession::okClicked()
{
    const QList<QListWidgetItem*> selected = lstSession_->selectedItems();
    if (selected.isEmpty())
        return;
    const QString session = selected.front()->text();
    // Whatever the save's outcome (it reports its own failure), the open case stays in memory.
    if (saveUnder_)
        saveUnder_(session);
    accept();
}

void frmSession::newClicked()
{
    const QString name = askName_ ? askName_(Translate(QStringLiteral("Give the name of the new session, please."))) : QString();
    if (name.isEmpty())
        return;
    auto* item = new QListWidgetItem(name, lstSession_);
    lstSession_->clearSelection();
    item->setSelected(true);
    okClicked();
}

void frmSession::cancelClicked()
{
    lstSession_->clearSelection();
    reject();
}

} // namespace sarvo
