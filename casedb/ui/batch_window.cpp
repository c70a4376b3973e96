#include "casedb/ui/batch_window.h"

#include "casedb/case_browser.h"
#include "core/language_db.h"
#include "core/number_format.h"
#include "core/outcome.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sarvo {

namespace {
enum GridColumn { ColFile, ColPlane, ColType, ColFeedrate, ColStatus, ColCount };

// An add of more files than this shows its progress and reads its files in slices of the event
// loop's time, so that the window never stops answering for longer than a slice.
constexpr std::size_t kFilesAddedAtOnce = 50;
constexpr qint64 kAddSliceMs = 40;

QPushButton* button(const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromLatin1(caption));
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLabel* caption(const char* text)
{
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setObjectName(QStringLiteral("LblFileTitle"));
    return l;
}
} // namespace

BatchWindow::BatchWindow(BatchWindowSetup setup, QWidget* parent)
    : QDialog(parent)
    , setup_(std::move(setup))
    , folders_(new QFileSystemModel(this))
    , lstDir_(new QTreeView)
    , lstFile_(new QListWidget)
    , cmdAdd_(button("cmdAdd", "&Add"))
    , cmbSession_(new QComboBox)
    , grdCase_(new QTableWidget(0, ColCount))
    , cmdRemove_(button("CmdRemove", "&Remove"))
    , cmdSave_(button("cmdSave", "&Save"))
    , cmdClose_(button("cmdClose", "&Close"))
    , pnlStatus_(new QWidget)
    , lblCurrFile_(new QLabel(QStringLiteral("File's name")))
    , pnlFlood_(new QProgressBar)
    , cmdCancel_(button("cmdCancel", "Cance&l"))
    , stepTimer_(new QTimer(this))
{
    BusyCursor busy;
    setObjectName(QStringLiteral("Batch"));
    setWindowTitle(QStringLiteral("Batch Saving"));
    setModal(false);

    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QDir::rootPath());
    lstDir_->setObjectName(QStringLiteral("lstDir"));
    lstDir_->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c)
        lstDir_->hideColumn(c);
    lstDir_->setHeaderHidden(true);
    lstFile_->setObjectName(QStringLiteral("Lstfile"));
    lstFile_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    cmbSession_->setObjectName(QStringLiteral("cmbSession"));
    MakeEditable(*cmbSession_);
    grdCase_->setObjectName(QStringLiteral("grdCase"));
    grdCase_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCase_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // A name cut short keeps its end, where the files of one session differ, and a failure the
    // end of its reason.
    grdCase_->setTextElideMode(Qt::ElideMiddle);
    grdCase_->setWordWrap(false);
    grdCase_->verticalHeader()->hide();
    LetTabLeave(*grdCase_);
    // The columns keep their shares of the grid whatever it holds; a text cut short shows whole
    // in its tool tip.
    grdCase_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grdCase_->horizontalHeader()->setStretchLastSection(false);
    grdCase_->installEventFilter(this);
    retranslateTexts();
    layOutColumns();
    lblCurrFile_->setObjectName(QStringLiteral("LblCurrFile"));
    pnlFlood_->setObjectName(QStringLiteral("PnlFlood"));
    pnlFlood_->setRange(0, 100);
    pnlStatus_->setObjectName(QStringLiteral("PnlStatus"));

    auto* files = new QGroupBox(QStringLiteral("Files to Read"));
    files->setObjectName(QStringLiteral("Frame3D1"));
    auto* fileLayout = new QVBoxLayout(files);
    fileLayout->addWidget(caption("Directory:"));
    fileLayout->addWidget(lstDir_, 1);
    fileLayout->addWidget(caption("File:"));
    fileLayout->addWidget(lstFile_, 1);
    fileLayout->addWidget(cmdAdd_);

    auto* session = new QGroupBox(QStringLiteral("Measurement Session"));
    session->setObjectName(QStringLiteral("Frame3D2"));
    auto* sessionLayout = new QVBoxLayout(session);
    auto* nameRow = new QHBoxLayout;
    QLabel* name = caption("&Name:");
    name->setBuddy(cmbSession_);
    nameRow->addWidget(name);
    nameRow->addWidget(cmbSession_, 1);
    sessionLayout->addLayout(nameRow);
    sessionLayout->addWidget(caption("Cases:"));
    sessionLayout->addWidget(grdCase_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRemove_);
    buttons->addWidget(cmdSave_);
    buttons->addStretch();
    buttons->addWidget(cmdClose_);
    sessionLayout->addLayout(buttons);

    auto* statusLayout = new QHBoxLayout(pnlStatus_);
    statusLayout->addWidget(lblCurrFile_);
    statusLayout->addWidget(pnlFlood_, 1);
    statusLayout->addWidget(cmdCancel_);
    pnlStatus_->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(files, 2);
    top->addWidget(session, 3);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addWidget(pnlStatus_);
    resize(960, 560);

    // The keyboard's way through the window: folders, files, Add, then the session and its cases
    // and their buttons.
    const QList<QWidget*> tabOrder{lstDir_, lstFile_, cmdAdd_, cmbSession_, grdCase_, cmdRemove_, cmdSave_, cmdClose_, cmdCancel_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    for (QPushButton* b : {cmdAdd_, cmdRemove_, cmdSave_})
        b->setEnabled(false);
    stepTimer_->setSingleShot(true);
    stepTimer_->setInterval(0);

    // The folders load in the background: the current one is shown once its parents are there.
    connect(folders_, &QFileSystemModel::directoryLoaded, this, [this] { lstDir_->scrollTo(lstDir_->currentIndex()); });
    // The file list follows the tree's current folder however it was chosen: a click, the arrow
    // keys, type-ahead or Enter.
    connect(lstDir_, &QTreeView::clicked, this, [this](const QModelIndex& index) { setFolder(folders_->filePath(index)); });
    connect(lstDir_, &QTreeView::activated, this, [this](const QModelIndex& index) { setFolder(folders_->filePath(index)); });
    connect(lstDir_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid() && !placingFolder_)
            setFolder(folders_->filePath(index));
    });
    connect(lstFile_, &QListWidget::itemSelectionChanged, this, &BatchWindow::fileSelectionChanged);
    connect(lstFile_, &QListWidget::itemDoubleClicked, this, [this] { addSelected(); });
    connect(cmdAdd_, &QPushButton::clicked, this, &BatchWindow::addSelected);
    connect(cmdRemove_, &QPushButton::clicked, this, &BatchWindow::removeSelected);
    connect(cmdSave_, &QPushButton::clicked, this, &BatchWindow::startSave);
    connect(cmdClose_, &QPushButton::clicked, this, &BatchWindow::close);
    connect(cmdCancel_, &QPushButton::clicked, this, &BatchWindow::cancelWork);
    connect(cmbSession_, &QComboBox::activated, this, &BatchWindow::sessionChosen);
    connect(cmbSession_, &QComboBox::editTextChanged, this, &BatchWindow::sessionEdited);
    connect(grdCase_, &QTableWidget::itemSelectionChanged, this, &BatchWindow::gridSelectionChanged);
    connect(stepTimer_, &QTimer::timeout, this, [this] { adding_ ? addTimerStep() : saveStep(); });

    TranslateForm(*this);
    CenterForm(*this);
    fillSessions();
    setFolder(setup_.startFolder.isEmpty() ? QDir::homePath() : setup_.startFolder);
}

BatchWindow::~BatchWindow() = default;

void BatchWindow::retranslateTexts()
{
    QStringList headers;
    for (const char* text : {"File", "Plane", "Type", "Feedrate", "Status"})
        headers << TranslateIn(QStringLiteral("Batch"), QString::fromLatin1(text));
    grdCase_->setHorizontalHeaderLabels(headers);
    showRows();
}

QString BatchWindow::pathOf(const QString& entry) const
{
    return folder_ + entry;
}

void BatchWindow::setFolder(const QString& folder)
{
    // The running add reads the entries of the list as it stands.
    if (adding())
        return;
    const QDir dir(folder);
    if (!dir.exists())
        return; // a missing folder leaves the list as it was
    folder_ = dir.absolutePath();
    if (!folder_.endsWith(u'/'))
        folder_ += u'/';
    const QModelIndex index = folders_->index(dir.absolutePath());
    {
        const QScopedValueRollback placing(placingFolder_, true);
        lstDir_->setCurrentIndex(index);
    }
    lstDir_->scrollTo(index);
    lstFile_->clear();
    // Name filters of QDir ignore case, so "*.RTB" is listed too.
    lstFile_->addItems(dir.entryList(casedb::BatchFilePatterns(), QDir::Files, QDir::Name));
    cmdSave_->setEnabled(false);
}

void BatchWindow::fillSessions()
{
    const casedb::CaseStore* store = setup_.store ? setup_.store() : nullptr;
    if (!store)
        return;
    const QString typed = cmbSession_->currentText();
    QSignalBlocker block(cmbSession_);
    cmbSession_->clear();
    ReportOutcome(Trapped(QStringLiteral("Reading sessions"),
                          [&] { cmbSession_->addItems(casedb::StoredSessionNames(*store)); }));
    // No session is chosen until the user chooses one: Down then takes the first.
    cmbSession_->setCurrentIndex(-1);
    cmbSession_->setEditText(typed);
}

void BatchWindow::sessionChosen(int index)
{
    const casedb::CaseStore* store = setup_.store ? setup_.store() : nullptr;
    if (busy() || index < 0 || !store)
        return;
    ReportOutcome(model_.listSession(*store, cmbSession_->itemText(index)));
    showRows();
    cmdSave_->setEnabled(false);
    cmdRemove_->setEnabled(false);
}

void BatchWindow::sessionEdited()
{
    if (busy() || !model_.sessionRowsShown() || cmbSession_->currentText() == cmbSession_->itemText(cmbSession_->currentIndex()))
        return;
    model_.clear();
    showRows();
    cmdSave_->setEnabled(false);
    cmdRemove_->setEnabled(false);
}

void BatchWindow::fileSelectionChanged()
{
    // A file already in the grid cannot be chosen again.
    QSignalBlocker block(lstFile_);
    for (QListWidgetItem* item : lstFile_->selectedItems()) {
        if (model_.contains(pathOf(item->text())))
            item->setSelected(false);
    }
    cmdAdd_->setEnabled(!busy() && !lstFile_->selectedItems().isEmpty());
}

void BatchWindow::addSelected()
{
    if (busy())
        return;
    Adding add;
    for (int i = 0; i < lstFile_->count(); ++i) {
        if (lstFile_->item(i)->isSelected())
            add.entries.push_back(i);
    }
    if (add.entries.empty())
        return;
    add.readContext = setup_.services().readContext;
    const bool atOnce = add.entries.size() <= kFilesAddedAtOnce;
    adding_ = std::move(add);
    if (atOnce) {
        BusyCursor busy;
        addStep(true);
        finishAdd();
        return;
    }
    // A long add: the window keeps answering, shows how far it has come and can be stopped.
    setIdleControlsEnabled(false);
    pnlFlood_->setValue(0);
    lblCurrFile_->setText(lstFile_->item(adding_->entries.front())->text());
    pnlStatus_->show();
    stepTimer_->start();
}

void BatchWindow::addStep(bool wholeAdd)
{
    QElapsedTimer slice;
    slice.start();
    const int firstNew = int(model_.rows().size());
    {
        // The file list's selection is checked once, when the add ends, not at every file.
        QSignalBlocker block(lstFile_);
        do {
            QListWidgetItem* item = lstFile_->item(adding_->entries[adding_->next++]);
            const auto added = model_.addFile(pathOf(item->text()), adding_->readContext);
            if (added.result == casedb::BatchModel::AddResult::Added) {
                item->setSelected(false);
                continue;
            }
            // The file stays selected; a folder and a header that cannot be read are told.
            if (added.result == casedb::BatchModel::AddResult::Folder)
                prompts().message(windowTitle(), added.refusalText(), MessageIcon::Warning);
            else if (added.result == casedb::BatchModel::AddResult::ReadFailed && added.read.kind == files::ReadResult::Kind::Error)
                ReportError(added.read.location, AppError(added.read.number, added.read.message));
            else if (added.result == casedb::BatchModel::AddResult::ReadFailed && added.read.kind == files::ReadResult::Kind::Message)
                prompts().message(QString(), added.read.message, added.read.icon);
        } while (!adding_->finished() && (wholeAdd || slice.elapsed() < kAddSliceMs));
    }
    showRowsFrom(firstNew);
    if (grdCase_->rowCount() > firstNew) {
        // The newest row in sight: the grid's scroll range must know the rows just added first.
        grdCase_->doItemsLayout();
        grdCase_->setCurrentCell(grdCase_->rowCount() - 1, ColFile);
    }
}

void BatchWindow::addTimerStep()
{
    // A cancel before this step reads nothing more.
    if (!adding_->finished())
        addStep(false);
    if (adding_->finished())
        return finishAdd();
    pnlFlood_->setValue(int(adding_->next * 100 / adding_->entries.size()));
    lblCurrFile_->setText(lstFile_->item(adding_->entries[adding_->next])->text());
    stepTimer_->start();
}

void BatchWindow::finishAdd()
{
    adding_.reset();
    if (!pnlStatus_->isHidden()) {
        pnlStatus_->hide();
        setIdleControlsEnabled(true);
        lstFile_->setFocus();
    }
    fileSelectionChanged();
    cmdSave_->setEnabled(model_.hasPending());
    gridSelectionChanged();
    if (closeWhenDone_)
        QTimer::singleShot(0, this, &BatchWindow::close);
}

void BatchWindow::setIdleControlsEnabled(bool enabled)
{
    for (QWidget* w : std::initializer_list<QWidget*>{lstDir_, lstFile_, cmdAdd_, cmdRemove_, cmdSave_, cmdClose_, cmbSession_})
        w->setEnabled(enabled);
}

void BatchWindow::gridSelectionChanged()
{
    const int row = grdCase_->currentRow();
    const auto& rows = model_.rows();
    cmdRemove_->setEnabled(!busy() && row >= 0 && row < int(rows.size()) && !rows[std::size_t(row)].stored());
}

void BatchWindow::removeSelected()
{
    if (busy())
        return;
    const QList<QTableWidgetSelectionRange> ranges = grdCase_->selectedRanges();
    int first = grdCase_->currentRow(), last = first;
    for (const QTableWidgetSelectionRange& range : ranges) {
        first = std::min(first, range.topRow());
        last = std::max(last, range.bottomRow());
    }
    if (first < 0)
        return;
    model_.removeRows(first, last);
    showRows();
    if (grdCase_->rowCount() > 0)
        grdCase_->setCurrentCell(std::min(first, grdCase_->rowCount() - 1), ColFile);
    cmdSave_->setEnabled(model_.hasPending());
    gridSelectionChanged();
}

void BatchWindow::showRowsFrom(int first)
{
    QSignalBlocker block(grdCase_);
    grdCase_->setRowCount(int(model_.rows().size()));
    for (int r = std::max(0, first); r < grdCase_->rowCount(); ++r)
        showRow(r);
}

void BatchWindow::showRow(int r)
{
    const casedb::BatchRow& row = model_.rows()[std::size_t(r)];
    const QString feedrate =
        row.feedrate ? FormatNumber(*row.feedrate * setup_.units.LargeFactor, setup_.units.LargeFormat) : QString();
    const QString cells[ColCount] = {row.fileName, row.plane, row.statDyn, feedrate, row.statusText()};
    for (int c = 0; c < ColCount; ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        // The whole text, however narrow its column: the file with its folder, the state with a
        // failure's full reason.
        if (c == ColFile)
            item->setToolTip(row.path.isEmpty() ? row.fileName : QDir::toNativeSeparators(row.path));
        else if (c == ColStatus)
            item->setToolTip(cells[c]);
        grdCase_->setItem(r, c, item);
    }
}

void BatchWindow::layOutColumns()
{
    // A sixth of the grid, less a margin of 400 twips for the frame and the scroll bar, makes a
    // share: the file takes two, every other column one.
    const double margin = 400.0 / 1440.0 * grdCase_->logicalDpiX();
    const double share = std::max(0.0, (grdCase_->width() - margin) / 6.0);
    for (int c = 0; c < ColCount; ++c)
        grdCase_->setColumnWidth(c, int(std::lround((c == ColFile ? 2 : 1) * share)));
}

bool BatchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grdCase_ && event->type() == QEvent::Resize)
        layOutColumns();
    return QDialog::eventFilter(watched, event);
}

void BatchWindow::startSave()
{
    if (busy())
        return;
    const QString session = cmbSession_->currentText();
    if (const QString refusal = model_.saveRefusal(session); !refusal.isEmpty()) {
        prompts().message(windowTitle(), refusal, MessageIcon::Warning);
        return;
    }
    const bool pending = model_.hasPending();
    if (pending) {
        try {
            run_ = std::make_unique<casedb::BatchRun>(model_, session, setup_.services());
            running_.emplace(setup_.setRunning);
        } catch (...) {
            run_.reset();
            ReportOutcome(Outcome::fromCurrentException(QLatin1String(casedb::kSavingBatchLocation)));
            return;
        }
    }
    for (QPushButton* b : {cmdAdd_, cmdRemove_, cmdSave_, cmdClose_})
        b->setEnabled(false);
    cmbSession_->setEnabled(false);
    pnlFlood_->setValue(0);
    pnlStatus_->show();
    // Out of the way of the windows the save refreshes, until it ends.
    moveToClientBottom();
    if (pending)
        stepTimer_->start();
    else
        finishSave(); // every row is stored already: nothing to tell
}

void BatchWindow::moveToClientBottom()
{
    // The main window's client area: the central widget of the window that owns this one.
    const auto* main = parentWidget() ? qobject_cast<const QMainWindow*>(parentWidget()->window()) : nullptr;
    const QWidget* client = main ? main->centralWidget() : nullptr;
    if (!client)
        return;
    // move() places the frame: the window's bottom edge, title bar included, meets the client's.
    const int clientTop = client->mapToGlobal(QPoint(0, 0)).y();
    move(x(), clientTop + client->height() - frameGeometry().height());
}

void BatchWindow::cancelWork()
{
    if (adding_)
        adding_->cancelled = true;
    if (run_)
        run_->cancel();
}

void BatchWindow::saveStep()
{
    if (!run_)
        return;
    try {
        const int row = run_->currentRow();
        if (row >= 0) {
            grdCase_->setCurrentCell(row, ColFile);
            lblCurrFile_->setText(model_.rows()[std::size_t(row)].fileName);
        }
        run_->step();
        if (row >= 0)
            showRow(row);
        pnlFlood_->setValue(run_->percent());
    } catch (...) {
        ReportOutcome(Outcome::fromCurrentException(QLatin1String(casedb::kSavingBatchLocation)));
        run_->cancel();
    }
    if (run_->finished())
        finishSave();
    else
        stepTimer_->start();
}

void BatchWindow::finishSave()
{
    std::unique_ptr<casedb::BatchRun> run = std::move(run_);
    running_.reset();
    pnlStatus_->hide();
    CenterForm(*this);
    cmbSession_->setEnabled(true);
    cmdClose_->setEnabled(true);
    cmdSave_->setEnabled(false);
    cmdRemove_->setEnabled(false);
    fileSelectionChanged();
    if (run) {
        const bool allStored = run->failedCount() == 0 && !run->cancelled();
        prompts().message(windowTitle(), run->closingText(), allStored ? MessageIcon::None : MessageIcon::Warning);
        cmdSave_->setEnabled(model_.hasPending());
        const QString session = cmbSession_->currentText();
        QSignalBlocker block(cmbSession_);
        if (cmbSession_->findText(session) < 0)
            cmbSession_->addItem(session);
        cmbSession_->setEditText(session);
    }
    if (closeWhenDone_)
        QTimer::singleShot(0, this, &BatchWindow::close);
}

void BatchWindow::closeEvent(QCloseEvent* event)
{
    // An add or a save ends after the file it reads; the window closes then.
    if (busy()) {
        closeWhenDone_ = true;
        cancelWork();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void BatchWindow::reject()
{
    // Esc while adding or saving is taken as cancel, never as a close under the running work.
    if (busy()) {
        cancelWork();
        return;
    }
    QDialog::reject();
}

} // namespace sarvo
