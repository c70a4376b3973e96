#include "app/main_window.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "gui/translate_form.h"
#include "app/main_commands.h"
#include "core/progress.h"
#include "app/startup.h"
#include "gui/window_registry.h"

#include <QAction>
#include <optional>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace sarvo {

namespace {
// The frame's design caption, translated under its Tag.
constexpr const char* kDesignTitle = "Sarvotrenk Analysis";
} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , mdiArea_(new QMdiArea(this))
    , toolBar_(new QToolBar(QStringLiteral("Toolbar"), this))
{
    setObjectName("Main");
    setProperty("tag", "Main");
    programTitle_ = QString::fromLatin1(kDesignTitle);
    setWindowTitle(programTitle_);
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName("MdiArea");
    toolBar_->setObjectName("tbrMain");
    addToolBar(toolBar_);
    createMenus();
    createToolBar();
    createStatusBar();
    // Hidden from the toolbar's own context menu or from Settings, the check follows.
    connect(toolBar_->toggleViewAction(), &QAction::toggled, this,
            [this](bool visible) { setMenuChecked(CommandId::Toolbar, visible); });
    // F1 reaches the program's help from every window, dialogs included.
    qApp->installEventFilter(this);
    windows().setMdiArea(mdiArea_);
    windows().setDialogParent(this);
    resize(1024, 720);
}

MainWindow::~MainWindow()
{
    qApp->removeEventFilter(this);
    if (&shell() == this) {
        setShell(nullptr);
        SetBusyHandler({});
    }
}

QAction* MainWindow::addCommand(QMenu* menu, CommandId id, const QString& caption, const QKeySequence& shortcut,
                                std::function<void()> command)
{
    const QString name = CommandName(id);
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    commands_.insert(int(id), a);
    a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [a, name, command = std::move(command)](bool checked) {
        // The commands set their check marks themselves; undo Qt's own toggle first.
        if (a->isCheckable())
            a->setChecked(!checked);
        RunTrapped(name, command); // no error reaches the event loop
    });
    return a;
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MFile");
    addCommand(file, CommandId::NewMeasurement, "New &measurement...", QKeySequence("Ctrl+M"), CmdNewMeasurement);
    addCommand(file, CommandId::OpenFromFile, "Open case from &file...", QKeySequence("Ctrl+R"), CmdOpenFromFile);
    addCommand(file, CommandId::OpenFromDatabase, "Open case from &database...", QKeySequence("Ctrl+D"), CmdOpenFromDatabase);
    file->addSeparator();
    addCommand(file, CommandId::SaveToDatabase, "&Save...", QKeySequence("Ctrl+S"), CmdSaveToDatabase)->setEnabled(false);
    addCommand(file, CommandId::SaveToFile, "Save case &to file...", {}, CmdSaveToFile)->setEnabled(false);
    addCommand(file, CommandId::Batch, "&Batch saving...", {}, CmdBatch);
    file->addSeparator();
    addCommand(file, CommandId::Print, "&Print...", QKeySequence("Ctrl+P"), CmdPrint)->setEnabled(false);
    file->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* recent = addCommand(file, RecentCommand(i), QString(), {}, [i] { CmdReopenRecent(i); });
        recent->setVisible(false);
        recent->setProperty("noTranslate", true); // set at run time from the list
    }
    file->addSeparator();
    addCommand(file, CommandId::Exit, "E&xit", {}, [this] { close(); });

    QMenu* analysis = menuBar()->addMenu("&Analysis");
    analysis->setObjectName("MAnalysis");
    addCommand(analysis, CommandId::Graph, "&Graph...", QKeySequence("Ctrl+G"), CmdGraph)->setEnabled(false);
    addCommand(analysis, CommandId::Results, "R&esults...", QKeySequence("Ctrl+E"), CmdResults)->setEnabled(false);
    addCommand(analysis, CommandId::ResultGraph, "&Result Graph...", {}, CmdResultGraph)->setEnabled(false);
    analysis->addSeparator();
    addCommand(analysis, CommandId::Trend, "&Trend...", QKeySequence("Ctrl+H"), CmdTrend);

    QMenu* settings = menuBar()->addMenu("&Settings");
    settings->setObjectName("Msettings");
    QAction* combine = addCommand(settings, CommandId::Combine, "C&ombine", QKeySequence("Ctrl+O"), CmdCombine);
    combine->setCheckable(true);
    combine->setEnabled(false);
    QAction* toolbar = addCommand(settings, CommandId::Toolbar, "&Toolbar", {}, CmdToolbar);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QMenu* points = settings->addMenu("Max. number of &points");
    points->setObjectName("MPoints");
    const char* pointCaptions[] = {"&500 points", "&1000 points", "&2000 points", "&4000 points", "&8000 points"};
    for (int i = 0; i < 5; ++i) {
        QAction* item = addCommand(points, MaxPointsCommand(i), pointCaptions[i], {}, [i] { CmdMaxPoints(i); });
        item->setCheckable(true);
        item->setChecked(i == 3);
    }
    QMenu* units = settings->addMenu("&Units");
    units->setObjectName("MUnits");
    QAction* metric = addCommand(units, CommandId::Metric, "&Metric", {}, [] { CmdUnits(false); });
    metric->setCheckable(true);
    metric->setChecked(true);
    addCommand(units, CommandId::Inches, "&Inches", {}, [] { CmdUnits(true); })->setCheckable(true);
    addCommand(settings, CommandId::Machines, "&Machines...", {}, [] {})->setVisible(false);
    addCommand(settings, CommandId::Language, "&Language...", {}, CmdLanguage);
    addCommand(settings, CommandId::Configure, "&Configure...", {}, CmdConfigure);

    windowMenu_ = menuBar()->addMenu("&Window");
    windowMenu_->setObjectName("MWindow");
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    fillWindowMenu();

    QMenu* helpMenu = menuBar()->addMenu("&Help");
    helpMenu->setObjectName("MHelp");
    addCommand(helpMenu, CommandId::HelpContents, "&Contents", {}, CmdHelpContents);
    addCommand(helpMenu, CommandId::HowToUseHelp, "&How to use help", {}, CmdHelpOnHelp);
    addCommand(helpMenu, CommandId::ErrorTypesHelp, "&Information on error types", QKeySequence("Ctrl+F1"), CmdErrorTypesHelp);
    helpMenu->addSeparator();
    addCommand(helpMenu, CommandId::About, "&About...", {}, CmdAbout);
}

// The Window menu: Arrange, then the open child windows (their titles are the windows' own,
// already translated, so the entries are never translated again).
void MainWindow::fillWindowMenu()
{
    QAction* arrange = commands_.value(int(CommandId::Arrange));
    if (!arrange) {
        arrange = addCommand(windowMenu_, CommandId::Arrange, "&Arrange", QKeySequence("Ctrl+A"), [this] { CmdArrange(*this); });
    }
    for (QAction* a : windowMenu_->actions()) {
        if (a != arrange) {
            windowMenu_->removeAction(a);
            a->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> children = mdiArea_->subWindowList();
    if (!children.isEmpty())
        windowMenu_->addSeparator();
    for (int i = 0; i < children.size(); ++i) {
        QMdiSubWindow* child = children[i];
        QAction* a = windowMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(child->windowTitle().replace('&', "&&")));
        a->setProperty("noTranslate", true);
        a->setCheckable(true);
        a->setChecked(child == mdiArea_->activeSubWindow());
        connect(a, &QAction::triggered, mdiArea_, [this, child] { mdiArea_->setActiveSubWindow(child); });
    }
}

void MainWindow::createToolBar()
{
    struct Button {
        std::optional<ButtonId> id;
        const char* toolTip;
        QStyle::StandardPixmap icon;
        std::function<void()> command;
    };
    const QList<Button> buttons = {
        {ButtonId::Exit, "Exit Sarvotrenk", QStyle::SP_DialogCloseButton, [this] { close(); }},
        {std::nullopt, nullptr, {}, {}},
        {ButtonId::New, "Start measurement", QStyle::SP_FileIcon, CmdNewMeasurement},
        {ButtonId::OpenFile, "Open case from file", QStyle::SP_DialogOpenButton, CmdOpenFromFile},
        {std::nullopt, nullptr, {}, {}},
        {ButtonId::OpenDb, "Open case from database", QStyle::SP_DriveHDIcon, CmdOpenFromDatabase},
        {ButtonId::SaveDb, "Save case to database", QStyle::SP_DialogSaveButton, CmdSaveToDatabase},
        {std::nullopt, nullptr, {}, {}},
        {ButtonId::Print, "Print report", QStyle::SP_FileDialogDetailedView, CmdPrint},
        {std::nullopt, nullptr, {}, {}},
        {ButtonId::Graph, "Draw Graph", QStyle::SP_FileDialogContentsView, CmdGraph},
        {ButtonId::Result, "Show Result", QStyle::SP_FileDialogInfoView, CmdResults},
        {ButtonId::Trend, "Trend analysis", QStyle::SP_ArrowUp, CmdTrend},
        {std::nullopt, nullptr, {}, {}},
        {ButtonId::Help, "Show help window", QStyle::SP_MessageBoxQuestion, [this] { CmdHelpForActiveWindow(*this); }},
    };
    for (const Button& b : buttons) {
        if (!b.id) {
            toolBar_->addSeparator();
            continue;
        }
        const QString key = ButtonKey(*b.id);
        QAction* a = toolBar_->addAction(style()->standardIcon(b.icon), QString());
        a->setObjectName("button:" + key);
        a->setToolTip(b.toolTip);
        buttons_.insert(int(*b.id), a);
        connect(a, &QAction::triggered, this, [key, command = b.command] { RunTrapped(key, command); });
    }
    // No case is open at start.
    for (ButtonId id : {ButtonId::SaveDb, ButtonId::Print, ButtonId::Graph, ButtonId::Result})
        setButtonEnabled(id, false);
}

void MainWindow::createStatusBar()
{
    statusBar()->setObjectName("sbrMain");
    for (StatusPanel p : {StatusPanel::Info, StatusPanel::ReadOnly, StatusPanel::Logo}) {
        auto* panel = new QLabel(statusBar());
        panel->setObjectName(PanelKey(p));
        panel->setProperty("noTranslate", true);
        statusBar()->addPermanentWidget(panel, p == StatusPanel::Info ? 1 : 0);
        panels_.insert(int(p), panel);
    }
    setStatusText(StatusPanel::Logo, "Sarvotex");
}

QAction* MainWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QAction* MainWindow::commandAction(CommandId id) const
{
    return commands_.value(int(id));
}

QAction* MainWindow::buttonAction(ButtonId id) const
{
    return buttons_.value(int(id));
}

void MainWindow::setMenuEnabled(CommandId id, bool enabled)
{
    if (QAction* a = commandAction(id))
        a->setEnabled(enabled);
}

void MainWindow::setMenuChecked(CommandId id, bool checked)
{
    if (QAction* a = commandAction(id)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

void MainWindow::setMenuVisible(CommandId id, bool visible)
{
    if (QAction* a = commandAction(id))
        a->setVisible(visible);
}

bool MainWindow::isMenuChecked(CommandId id) const
{
    const QAction* a = commandAction(id);
    return a && a->isChecked();
}

void MainWindow::setMenuText(CommandId id, const QString& text)
{
    if (QAction* a = commandAction(id))
        a->setText(text);
}

void MainWindow::setButtonEnabled(ButtonId id, bool enabled)
{
    if (QAction* a = buttonAction(id))
        a->setEnabled(enabled);
}

void MainWindow::setStatusText(StatusPanel panel, const QString& text)
{
    if (QLabel* label = panels_.value(int(panel)))
        label->setText(text);
}

bool MainWindow::toolbarVisible() const
{
    // Not isVisible(): that is false while the main window itself is hidden or minimised.
    return !toolBar_->isHidden();
}

void MainWindow::setToolbarVisible(bool visible)
{
    toolBar_->setHidden(!visible);
}

void MainWindow::setBusy(bool busy)
{
    // One state, not a stack: a command sets the hourglass and the window it opens resets it.
    busyDepth_ = std::max(0, busyDepth_ + (busy ? 1 : -1));
    if (busyDepth_ > 0 && !QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (busyDepth_ == 0)
        while (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
}

void MainWindow::unitsChanged()
{
    RefreshUnitDisplays();
}

void MainWindow::progressOpen(bool show)
{
    progress_.open(show);
}

void MainWindow::progressSet(int percent)
{
    progress_.setPercent(percent);
}

void MainWindow::progressClose()
{
    progress_.close();
}

void MainWindow::retranslateTitle()
{
    programTitle_ = TranslateIn(WindowTag(*this), QString::fromLatin1(kDesignTitle));
    // Qt keeps the frame's caption from before a child was maximised and writes it in front of the
    // child's title: setting the caption anew makes it take this one.
    setWindowTitle(programTitle_);
}

void MainWindow::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    ShutdownApplication();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        if (auto* widget = qobject_cast<QWidget*>(watched)) {
            RunTrapped(ButtonKey(ButtonId::Help), [widget] { CmdHelpForWidget(*widget); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmLeaving()) {
        event->ignore();
        return;
    }
    shutdown();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace sarvo
