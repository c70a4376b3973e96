#include "casedb/ui/case_browser_window.h"

#include "casedb/case_browser.h"
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace sarvo {

namespace {
constexpr int kMeasIdRole = Qt::UserRole;
constexpr int kSessionRole = Qt::UserRole + 1;
constexpr int kSessionNameRole = Qt::UserRole + 2;

bool isSessionLine(const QTreeWidgetItem* item)
{
    return item && item->data(0, kSessionRole).toBool();
}
} // namespace

DbLoad::DbLoad(const casedb::CaseStore* store, const UnitState& units, OpenCase openCase, QWidget* parent)
    : QDialog(parent)
    , olnMeas_(new QTreeWidget)
    , open_(new QPushButton(QStringLiteral("&Open")))
    , remove_(new QPushButton(QStringLiteral("&Remove")))
    , close_(new QPushButton(QStringLiteral("&Close")))
    , store_(store)
    , units_(units)
    , openCase_(std::move(openCase))
{
    setObjectName(QStringLiteral("DbLoad"));
    setWindowTitle(QStringLiteral("Load from database"));
    olnMeas_->setObjectName(QStringLiteral("OlnMeas"));
    olnMeas_->setHeaderHidden(true);
    // A line is never cut: a longer one than the window scrolls sideways.
    olnMeas_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    olnMeas_->header()->setStretchLastSection(false);
    olnMeas_->setExpandsOnDoubleClick(false);
    olnMeas_->setSelectionMode(QAbstractItemView::SingleSelection);
    olnMeas_->installEventFilter(this);
    open_->setObjectName(QStringLiteral("CmdOpen"));
    remove_->setObjectName(QStringLiteral("CmdRemove"));
    close_->setObjectName(QStringLiteral("cmdClose"));

    auto* frame = new QGroupBox(QStringLiteral("Measurements"));
    frame->setObjectName(QStringLiteral("FrmMeas"));
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(olnMeas_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open_);
    buttons->addWidget(remove_);
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame, 1);
    outer->addLayout(buttons);
    resize(680, 420);

    connect(open_, &QPushButton::clicked, this, &DbLoad::openClicked);
    connect(remove_, &QPushButton::clicked, this, &DbLoad::removeClicked);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(olnMeas_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) {
        pressed_ = item;
        pressedExpanded_ = item && item->isExpanded();
    });
    connect(olnMeas_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { lineClicked(item); });
    connect(olnMeas_, &QTreeWidget::itemSelectionChanged, this, &DbLoad::updateButtons);
    connect(olnMeas_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && !isSessionLine(item))
            openClicked();
    });

    CenterForm(*this);
    TranslateForm(*this);
    fillOutline();
}

void DbLoad::fillOutline()
{
    BusyCursor busy;
    olnMeas_->clear();
    updateButtons();
    std::vector<casedb::BrowserLine> lines;
    const bool read = RunTrapped(QString::fromLatin1(casedb::kReadingCasesLocation), [&] {
        if (!store_)
            throw AppError::standard(AppError::kObjectNotSet);
        lines = casedb::ReadBrowserLines(*store_, units_);
    });
    if (!read)
        return;
    QTreeWidgetItem* session = nullptr;
    for (const casedb::BrowserLine& line : lines) {
        auto* item = new QTreeWidgetItem(QStringList{line.text});
        item->setData(0, kSessionRole, line.session);
        item->setData(0, kMeasIdRole, line.measId);
        item->setData(0, kSessionNameRole, line.sessionName);
        if (line.session) {
            olnMeas_->addTopLevelItem(item);
            session = item;
        } else if (session) {
            session->addChild(item);
        } else {
            olnMeas_->addTopLevelItem(item);
        }
    }
}

QTreeWidgetItem* DbLoad::selectedLine() const
{
    const QList<QTreeWidgetItem*> selected = olnMeas_->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void DbLoad::updateButtons()
{
    const QTreeWidgetItem* line = selectedLine();
    open_->setEnabled(line && !isSessionLine(line));
    remove_->setEnabled(line != nullptr);
}

void DbLoad::toggle(QTreeWidgetItem* item)
{
    if (isSessionLine(item))
        item->setExpanded(!item->isExpanded());
}

void DbLoad::lineClicked(QTreeWidgetItem* item)
{
    if (item && item == pressed_ && item->isExpanded() == pressedExpanded_)
        toggle(item);
    pressed_ = nullptr;
    updateButtons();
}

bool DbLoad::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == olnMeas_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            // The keyboard's line is the selected one, else the one it stands on: tabbing into
            // the outline marks its first line without selecting it.
            QTreeWidgetItem* line = selectedLine();
            if (!line && (line = olnMeas_->currentItem()))
                line->setSelected(true);
            toggle(line);
            updateButtons();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DbLoad::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMaximized))
        setWindowState(windowState() & ~Qt::WindowMaximized);
    QDialog::changeEvent(event);
}

void DbLoad::openClicked()
{
    QTreeWidgetItem* line = selectedLine();
    if (!line || isSessionLine(line) || !openCase_)
        return;
    if (openCase_(line->data(0, kMeasIdRole).toInt()))
        accept();
}

void DbLoad::removeClicked()
{
    QTreeWidgetItem* line = selectedLine();
    if (!line || !store_)
        return;
    const bool session = isSessionLine(line);
    const QString question = session ? Translate(QStringLiteral("Do you want to remove the session from the database?"))
                                     : Translate(QStringLiteral("Do you want to remove the case from the database?"));
    if (prompts().askYesNo(windowTitle(), question)) {
        BusyCursor busy;
        const casedb::RemovalResult removal =
            session ? casedb::RemoveStoredSession(*store_, line->data(0, kSessionNameRole).toString())
                    : casedb::RemoveStoredCase(*store_, line->data(0, kMeasIdRole).toInt());
        // A failure removed nothing: every line stays.
        if (ReportOutcome(removal.outcome))
            delete line;
    }
    // The line that took the removed one's place stays in sight, however many lines went: the
    // view would otherwise keep its scroll, clamped to the shorter outline.
    if (QTreeWidgetItem* now = selectedLine() ? selectedLine() : olnMeas_->currentItem())
        olnMeas_->scrollToItem(now);
    updateButtons();
}

} // namespace sarvo
