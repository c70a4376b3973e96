#include "app/ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

namespace sarvo {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , mdiArea_(new QMdiArea(this))
    , toolBar_(addToolBar(QStringLiteral("tbrMain")))
{
    setObjectName("Main");
    setProperty("tag", "Main");
    setWindowTitle("Sarvotrenk Analysis");
    setCentralWidget(mdiArea_);
    toolBar_->setObjectName("tbrMain");
    statusBar()->setObjectName("sbrMain");
    resize(1024, 720);
}

MainWindow::~MainWindow()
{
    if (&shell() == this)
        setShell(nullptr);
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

void MainWindow::setButtonEnabled(const QString& key, bool enabled)
{
    if (QAction* a = action("button:" + key))
        a->setEnabled(enabled);
}

void MainWindow::setStatusText(const QString& key, const QString& text)
{
    auto* panel = statusBar()->findChild<QLabel*>(key);
    if (!panel) {
        panel = new QLabel(statusBar());
        panel->setObjectName(key);
        statusBar()->addPermanentWidget(panel);
    }
    panel->setText(text);
}

bool MainWindow::toolbarVisible() const
{
    return !toolBar_->isHidden();
}

void MainWindow::setToolbarVisible(bool visible)
{
    toolBar_->setVisible(visible);
}

void MainWindow::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void MainWindow::unitsChanged()
{
    // The windows that show values in display units register here as they arrive.
}

void MainWindow::progressOpen(bool show)
{
    setEnabled(false);
}

void MainWindow::progressSet(int percent)
{
    QCoreApplication::processEvents();
}

void MainWindow::progressClose()
{
    setEnabled(true);
}

} // namespace sarvo
