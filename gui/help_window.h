#pragma once
// The help window: the HTML pages of the help files in one browser window, centred on the main
// window when it opens, with a Close button; Esc closes it too.

#include "core/help.h"

#include <QPointer>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace sarvo {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // Translated under the Tag "Help"; a window of its own over owner.
    explicit HelpWindow(QWidget* owner = nullptr);

    QTextBrowser* browser() const { return browser_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTextBrowser* browser_;
    QPushButton* close_;
};

class HtmlHelpSystem : public HelpSystem {
public:
    explicit HtmlHelpSystem(QWidget* owner) : owner_(owner) {}
    ~HtmlHelpSystem() override;

    void showContext(const QString& helpFile, int context) override;
    void helpOnHelp() override;
    void quit(const QString& helpFile) override;

    HelpWindow* window() const { return window_.data(); }

private:
    HelpWindow* ensureWindow();
    // Shows the window, centred on the owner when it was not open.
    void present();

    QWidget* owner_;
    QPointer<HelpWindow> window_;
    QString currentFile_;
};

} // namespace sarvo
