#include "app/ui/main_window.h"

#include "app/app_error.h"
#include "app/ui/main_commands.h"
#include "app/ui/startup.h"
#include "app/ui/window_registry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace sarvo {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , mdiArea_(new QMdiArea(this))
    , toolBar_(new QToolBar(QStringLiteral("tbrMain"), this))
{
    setObjectName("Main");
    setProperty("tag", "Main");
    setWindowTitle("Sarvotrenk Analysis");
    setCentralWidget(mdiArea_);
    mdiArea_->setObjectName("MdiArea");
    toolBar_->setObjectName("tbrMain");
    addToolBar(toolBar_);
    createMenus();
    createToolBar();
    createStatusBar();
    windows().setMdiArea(mdiArea_);
    windows().setDialogParent(this);
    resize(1024, 720);
}

MainWindow::~MainWindow()
{
    if (&shell() == this)
        setShell(nullptr);
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& name, const QString& caption,
                                const QKeySequence& shortcut, std::function<void()> command)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
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
    addCommand(file, "MNew", "New &measurement...", QKeySequence("Ctrl+M"), CmdNewMeasurement);
    addCommand(file, "MOpen", "Open case from &file...", QKeySequence("Ctrl+R"), CmdOpenFromFile);
    addCommand(file, "MOpenDB", "Open case from &database...", QKeySequence("Ctrl+D"), CmdOpenFromDatabase);
    file->addSeparator();
    addCommand(file, "MSave", "&Save...", QKeySequence("Ctrl+S"), CmdSaveToDatabase)->setEnabled(false);
    addCommand(file, "MSaveToFile", "Save case &to file...", {}, CmdSaveToFile)->setEnabled(false);
    addCommand(file, "MBatch", "&Batch saving...", {}, CmdBatch);
    file->addSeparator();
    addCommand(file, "MPrint", "&Print...", QKeySequence("Ctrl+P"), CmdPrint)->setEnabled(false);
    file->addSeparator();
    for (int i = 0; i < 4; ++i) {
        QAction* recent = addCommand(file, QString("MRecent(%1)").arg(i), QString(), {}, [i] { CmdReopenRecent(i); });
        recent->setVisible(false);
        recent->setProperty("noTranslate", true); // set at run time from the list
    }
    file->addSeparator();
    addCommand(file, "MExit", "E&xit", {}, [this] { close(); });

    QMenu* analysis = menuBar()->addMenu("&Analysis");
    analysis->setObjectName("MAnalysis");
    addCommand(analysis, "MGraph", "&Graph...", QKeySequence("Ctrl+G"), CmdGraph)->setEnabled(false);
    addCommand(analysis, "MResult", "R&esults...", QKeySequence("Ctrl+E"), CmdResults)->setEnabled(false);
    addCommand(analysis, "MSimuGraph", "&Result Graph...", {}, CmdResultGraph)->setEnabled(false);
    analysis->addSeparator();
    addCommand(analysis, "MHistory", "&Trend...", QKeySequence("Ctrl+H"), CmdTrend);

    QMenu* settings = menuBar()->addMenu("&Settings");
    settings->setObjectName("Msettings");
    QAction* combine = addCommand(settings, "MSimuShow", "C&ombine", QKeySequence("Ctrl+O"), CmdCombine);
    combine->setCheckable(true);
    combine->setEnabled(false);
    QAction* toolbar = addCommand(settings, "MToolbar", "&Toolbar", {}, CmdToolbar);
    toolbar->setCheckable(true);
    toolbar->setChecked(true);
    QMenu* points = settings->addMenu("Max. number of &points");
    points->setObjectName("MPoints");
    const char* pointCaptions[] = {"&500 points", "&1000 points", "&2000 points", "&4000 points", "&8000 points"};
    for (int i = 0; i < 5; ++i) {
        QAction* item = addCommand(points, QString("MPoint(%1)").arg(i), pointCaptions[i], {}, [i] { CmdMaxPoints(i); });
        item->setCheckable(true);
        item->setChecked(i == 3);
    }
    QMenu* units = settings->addMenu("&Units");
    units->setObjectName("MUnits");
    QAction* metric = addCommand(units, "MMetric", "&Metric", {}, [] { CmdUnits(false); });
    metric->setCheckable(true);
    metric->setChecked(true);
    addCommand(units, "MInches", "&Inches", {}, [] { CmdUnits(true); })->setCheckable(true);
    addCommand(settings, "MMachine", "&Machines...", {}, [] {})->setVisible(false);
    addCommand(settings, "MLanguage", "&Language...", {}, CmdLanguage);
    addCommand(settings, "MConfigure", "&Configure...", {}, CmdConfigure);

    windowMenu_ = menuBar()->addMenu("&Window");
    windowMenu_->setObjectName("MWindow");
    connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    fillWindowMenu();

    QMenu* helpMenu = menuBar()->addMenu("&Help");
    helpMenu->setObjectName("MHelp");
    addCommand(helpMenu, "MContents", "&Contents", {}, CmdHelpContents);
    addCommand(helpMenu, "MHow", "&How to use help", {}, CmdHelpOnHelp);
    addCommand(helpMenu, "MInfo", "&Information on error types", QKeySequence("Ctrl+F1"), CmdErrorTypesHelp);
    helpMenu->addSeparator();
    addCommand(helpMenu, "MAbout", "&About...", {}, CmdAbout);
}

// The Window menu: Arrange, then the open child windows (their titles are the windows' own,
// already translated, so the entries are never translated again).
void MainWindow::fillWindowMenu()
{
    QAction* arrange = action("MArrange");
    if (!arrange) {
        arrange = addCommand(windowMenu_, "MArrange", "&Arrange", QKeySequence("Ctrl+A"), [this] { CmdArrange(*this); });
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
        const char* key;
        const char* toolTip;
        QStyle::StandardPixmap icon;
        std::function<void()> command;
    };
    const QList<Button> buttons = {
        {"Exit", "Exit Sarvotrenk", QStyle::SP_DialogCloseButton, [this] { close(); }},
        {nullptr, nullptr, {}, {}},
        {"New", "Start measurement", QStyle::SP_FileIcon, CmdNewMeasurement},
        {"OpenFile", "Open case from file", QStyle::SP_DialogOpenButton, CmdOpenFromFile},
        {nullptr, nullptr, {}, {}},
        {"OpenDb", "Open case from database", QStyle::SP_DriveHDIcon, CmdOpenFromDatabase},
        {"SaveDb", "Save case to database", QStyle::SP_DialogSaveButton, CmdSaveToDatabase},
        {nullptr, nullptr, {}, {}},
        {"Print", "Print report", QStyle::SP_FileDialogDetailedView, CmdPrint},
        {nullptr, nullptr, {}, {}},
        {"Graph", "Draw Graph", QStyle::SP_FileDialogContentsView, CmdGraph},
        {"Result", "Show Result", QStyle::SP_FileDialogInfoView, CmdResults},
        {"Trend", "Trend analysis", QStyle::SP_ArrowUp, CmdTrend},
        {nullptr, nullptr, {}, {}},
        {"Help", "Show help window", QStyle::SP_MessageBoxQuestion, [this] { CmdHelpForActiveWindow(*this); }},
    };
    for (const Button& b : buttons) {
        if (!b.key) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = toolBar_->addAction(style()->standardIcon(b.icon), QString());
        a->setObjectName(QString("button:") + b.key);
        a->setToolTip(b.toolTip);
        connect(a, &QAction::triggered, this, [key = QString(b.key), command = b.command] { RunTrapped(key, command); });
    }
    // No case is open at start.
    for (const char* key : {"SaveDb", "Print", "Graph", "Result"})
        setButtonEnabled(key, false);
}

void MainWindow::createStatusBar()
{
    statusBar()->setObjectName("sbrMain");
    for (const char* key : {"Info", "ReadOnly", "Logo"}) {
        auto* panel = new QLabel(statusBar());
        panel->setObjectName(key);
        panel->setProperty("noTranslate", true);
        statusBar()->addPermanentWidget(panel, QString(key) == "Info" ? 1 : 0);
    }
    setStatusText("Logo", "Sarvotex");
}

QAction* MainWindow::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

void MainWindow::setMenuEnabled(const QString& name, bool enabled)
{
    if (QAction* a = action(name))
        a->setEnabled(enabled);
}

void MainWindow::setMenuChecked(const QString& name, bool checked)
{
    if (QAction* a = action(name)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

void MainWindow::setMenuVisible(const QString& name, bool visible)
{
    if (QAction* a = action(name))
        a->setVisible(visible);
}

bool MainWindow::isMenuChecked(const QString& name) const
{
    const QAction* a = action(name);
    return a && a->isChecked();
}

void MainWindow::setMenuText(const QString& name, const QString& text)
{
    if (QAction* a = action(name))
        a->setText(text);
}

void MainWindow::setButtonEnabled(const QString& key, bool enabled)
{
    if (QAction* a = action("button:" + key))
        a->setEnabled(enabled);
}

void MainWindow::setStatusText(const QString& key, const QString& text)
{
    if (auto* panel = statusBar()->findChild<QLabel*>(key))
        panel->setText(text);
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

void MainWindow::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    ShutdownApplication();
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
