#include "gui/help_window.h"

#include "core/language_db.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

namespace sarvo {

HtmlHelpSystem::~HtmlHelpSystem()
{
    delete browser_.data();
}

QTextBrowser* HtmlHelpSystem::ensureBrowser()
{
    if (!browser_) {
        browser_ = new QTextBrowser;
        browser_->setAttribute(Qt::WA_DeleteOnClose, false);
        browser_->setWindowTitle(Translate("Help"));
        browser_->resize(640, 520);
    }
    return browser_;
}

void HtmlHelpSystem::showContext(const QString& helpFile, int context)
{
    QString page = HelpPagePath(helpFile);
    if (page.isEmpty()) // the program folder holds the shipped pages
        page = HelpPagePath(QCoreApplication::applicationDirPath() + "/" + QFileInfo(helpFile).fileName());
    if (page.isEmpty())
        return; // a missing help file shows nothing, as a failed help call did
    QTextBrowser* b = ensureBrowser();
    QUrl url = QUrl::fromLocalFile(page);
    if (context != 0)
        url.setFragment(QString::number(context));
    b->setSource(url);
    if (context != 0)
        b->scrollToAnchor(QString::number(context));
    currentFile_ = helpFile;
    b->show();
    b->raise();
}

void HtmlHelpSystem::helpOnHelp()
{
    QTextBrowser* b = ensureBrowser();
    b->setHtml("<h1>" + Translate("How to use help") + "</h1><p>"
               + Translate("Follow the underlined links to move between topics. Use the Back and Forward keys "
                           "(Alt+Left, Alt+Right) to return to pages you have seen.")
               + "</p>");
    currentFile_.clear();
    b->show();
    b->raise();
}

void HtmlHelpSystem::quit(const QString& helpFile)
{
    if (browser_ && (helpFile.isEmpty() || helpFile.compare(currentFile_, Qt::CaseInsensitive) == 0))
        browser_->close();
}

} // namespace sarvo
