#pragma once
// The help window: the HTML pages of the help files in one browser window.

#include "core/help.h"

#include <QPointer>

#include <QTextBrowser>
class QWidget;

namespace sarvo {

class HtmlHelpSystem : public HelpSystem {
public:
    explicit HtmlHelpSystem(QWidget* owner) : owner_(owner) {}
    ~HtmlHelpSystem() override;

    void showContext(const QString& helpFile, int context) override;
    void helpOnHelp() override;
    void quit(const QString& helpFile) override;

    QTextBrowser* browser() const { return browser_.data(); }

private:
    QTextBrowser* ensureBrowser();

    QWidget* owner_;
    QPointer<QTextBrowser> browser_;
    QString currentFile_;
};

} // namespace sarvo
