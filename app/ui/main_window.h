#pragma once
// The program's multiple-document frame: menus, toolbar and status bar, every command behind
// them, and the start-up and shutdown around its life. It is the AppShell of the logic: menu
// items, toolbar buttons and status panels are found by their control names ("MResult",
// "MPoint(2)", button "SaveDb", panel "ReadOnly").

#include "app/app_shell.h"
#include "app/ui/progress_window.h"

#include <QMainWindow>

class QMdiArea;
class QMenu;
class QToolBar;

namespace sarvo {

class MainWindow : public QMainWindow, public AppShell {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return mdiArea_; }
    QToolBar* toolBar() const { return toolBar_; }

    // The menu item or toolbar button ("button:Key") by control name; nullptr when there is none.
    QAction* action(const QString& name) const;

    void setMenuEnabled(const QString& name, bool enabled) override;
    void setMenuChecked(const QString& name, bool checked) override;
    void setMenuVisible(const QString& name, bool visible) override;
    bool isMenuChecked(const QString& name) const override;
    void setMenuText(const QString& name, const QString& text) override;
    void setButtonEnabled(const QString& key, bool enabled) override;
    void setStatusText(const QString& key, const QString& text) override;
    bool toolbarVisible() const override;
    void setToolbarVisible(bool visible) override;
    void setBusy(bool busy) override;
    void unitsChanged() override;
    void progressOpen(bool show) override;
    void progressSet(int percent) override;
    void progressClose() override;

    // Shutdown runs once, when the window closes; tests may run it without closing.
    void shutdown();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    QAction* addCommand(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                        std::function<void()> command);
    void fillWindowMenu();

    QMdiArea* mdiArea_;
    QToolBar* toolBar_;
    QMenu* windowMenu_ = nullptr;
    ProgressWindowHost progress_{this};
    int busyDepth_ = 0;
    bool shutDown_ = false;
};

} // namespace sarvo
