#pragma once
// The program's multiple-document frame: menus, toolbar and status bar, every command behind
// them, and the start-up and shutdown around its life. It is the AppShell of the commands: menu
// items, toolbar buttons and status panels by their ids, each object named by its control name
// ("MResult", "MPoint(2)", button "button:SaveDb", panel "ReadOnly").

#include "app/app_shell.h"
#include "gui/progress_window.h"

#include <QHash>
#include <QMainWindow>

class QLabel;
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

    QAction* commandAction(CommandId id) const;
    QAction* buttonAction(ButtonId id) const;

    void setMenuEnabled(CommandId id, bool enabled) override;
    void setMenuChecked(CommandId id, bool checked) override;
    void setMenuVisible(CommandId id, bool visible) override;
    bool isMenuChecked(CommandId id) const override;
    void setMenuText(CommandId id, const QString& text) override;
    void setButtonEnabled(ButtonId id, bool enabled) override;
    void setStatusText(StatusPanel panel, const QString& text) override;
    bool toolbarVisible() const override;
    void setToolbarVisible(bool visible) override;
    // Hourglass on or off; the busy indicator of the logic.
    void setBusy(bool busy);
    void unitsChanged() override;
    void progressOpen(bool show) override;
    void progressSet(int percent) override;
    void progressClose() override;

    // The program's own title in the current language. A maximised child window adds its own
    // title to the frame's, so the frame's caption is not the program's title then.
    QString programTitle() const { return programTitle_; }
    // Takes the design title in the current language, also while a child window is maximised.
    void retranslateTitle();

    // Shutdown runs once, when the window closes; tests may run it without closing.
    void shutdown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    QAction* addCommand(QMenu* menu, CommandId id, const QString& caption, const QKeySequence& shortcut,
                        std::function<void()> command);
    void fillWindowMenu();

    QMdiArea* mdiArea_;
    QToolBar* toolBar_;
    QMenu* windowMenu_ = nullptr;
    QHash<int, QAction*> commands_;
    QHash<int, QAction*> buttons_;
    QHash<int, QLabel*> panels_;
    ProgressWindowHost progress_{this};
    int busyDepth_ = 0;
    bool shutDown_ = false;
    QString programTitle_;
};

} // namespace sarvo
