#include "gui/help_window.h"

#include "core/language_db.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace sarvo {

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
    , browser_(new QTextBrowser)
    , close_(new QPushButton(QStringLiteral("&Close")))
{
    setObjectName(QStringLiteral("frmHelp"));
    setProperty("tag", QStringLiteral("Help"));
    // Closing only hides it: the next help call shows the same window.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QStringLiteral("Help"));

    browser_->setObjectName(QStringLiteral("browser"));
    close_->setObjectName(QStringLiteral("cmdClose"));
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);
    resize(640, 560);
    TranslateForm(*this);
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close_->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

HtmlHelpSystem::~HtmlHelpSystem()
{
    delete window_.data();
}

HelpWindow* HtmlHelpSystem::ensureWindow()
{
    if (!window_)
        window_ = new HelpWindow(owner_);
    return window_;
}

void HtmlHelpSystem::present()
{
    HelpWindow* w = ensureWindow();
    if (!w->isVisible()) {
        if (owner_)
            CenterForm(*w, *owner_);
        else
            CenterForm(*w);
    }
    w->show();
    w->raise();
    w->activateWindow();
}

void HtmlHelpSystem::showContext(const QString& helpFile, int context)
{
    QString page = HelpPagePath(helpFile);
    if (page.isEmpty()) // the program folder holds the shipped pages
        page = HelpPagePath(QCoreApplication::applicationDirPath() + "/" + QFileInfo(helpFile).fileName());
    if (page.isEmpty())
        return; // a missing help file shows nothing, as a failed help call did
    QTextBrowser* b = ensureWindow()->browser();
    QUrl url = QUrl::fromLocalFile(page);
    if (context != 0)
        url.setFragment(QString::number(context));
    b->setSource(url);
    if (context != 0)
        b->scrollToAnchor(QString::number(context));
    currentFile_ = helpFile;
    present();
}

void HtmlHelpSystem::helpOnHelp()
{
    QTextBrowser* b = ensureWindow()->browser();
    b->setHtml("<h1>" + Translate("How to use help") + "</h1><p>"
               + Translate("Follow the underlined links to move between topics. Use the Back and Forward keys "
                           "(Alt+Left, Alt+Right) to return to pages you have seen.")
               + "</p>");
    currentFile_.clear();
    present();
}

void HtmlHelpSystem::quit(const QString& helpFile)
{
    if (window_ && (helpFile.isEmpty() || helpFile.compare(currentFile_, Qt::CaseInsensitive) == 0))
        window_->close();
}

} // namespace sarvo
