#pragma once
// The program's multiple-document frame. It is the AppShell of the logic: menu items, toolbar
// buttons and status panels are found by their control names.

#include "app/app_shell.h"

#include <QMainWindow>

class QMdiArea;
class QToolBar;

namespace sarvo {

class MainWindow : public QMainWindow, public AppShell {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    QMdiArea* mdiArea() const { return mdiArea_; }

    void setMenuEnabled(const QString& name, bool enabled) override;
    void setMenuChecked(const QString& name, bool checked) override;
    void setMenuVisible(const QString& name, bool visible) override;
    bool isMenuChecked(const QString& name) const override;
    void setButtonEnabled(const QString& key, bool enabled) override;
    void setStatusText(const QString& key, const QString& text) override;
    bool toolbarVisible() const override;
    void setToolbarVisible(bool visible) override;
    void setBusy(bool busy) override;
    void unitsChanged() override;
    void progressOpen(bool show) override;
    void progressSet(int percent) override;
    void progressClose() override;

private:
    QAction* action(const QString& name) const;

    QMdiArea* mdiArea_;
    QToolBar* toolBar_;
};

} // namespace sarvo
