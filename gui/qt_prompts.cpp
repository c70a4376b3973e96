#include "gui/qt_prompts.h"

#include "gui/input_window.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace sarvo {

namespace {
QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void QtPrompts::message(const QString& title, const QString& text, MessageIcon icon)
{
    QMessageBox box(toQt(icon), title, QString(text).remove('\r'), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& title, const QString& text)
{
    return QMessageBox::question(parent_, title, QString(text).remove('\r'), QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<QString> QtPrompts::askText(const QString& title, const QString& prompt, const QString& initial)
{
    // The question window carries the main window's caption; without one, the caller's title.
    const QString caption = parent_ ? parent_->window()->windowTitle() : title;
    return InputFrm::ask(parent_, caption, prompt, initial);
}

QString QtPrompts::chooseOpenFile(const QString& title, const QString& folder, const QStringList& filters)
{
    return QFileDialog::getOpenFileName(parent_, title, folder, filters.join(";;"));
}

QString QtPrompts::chooseSaveFile(const QString& title, const QString& folder, const QStringList& filters,
                                  QString* selectedFilter)
{
    return QFileDialog::getSaveFileName(parent_, title, folder, filters.join(";;"), selectedFilter);
}

} // namespace sarvo
