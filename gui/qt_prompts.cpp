#include "gui/qt_prompts.h"

#include "gui/form_utilities.h"
#include "gui/input_window.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
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

// The title of boxes that bring none of their own.
QString& programTitle()
{
    static QString title;
    return title;
}

// Runs the box over its owner and returns what f reads of it once it closed; fallback when the
// owner took the box with it while it was open. A window busy with its own work is disabled, its
// box is not.
template <class Dialog, class Read, class Result>
Result runOwned(Dialog* dialog, Read read, Result fallback)
{
    QPointer<Dialog> box(dialog);
    box->setEnabled(true);
    const int code = box->exec();
    if (!box)
        return fallback;
    Result result = read(*box, code);
    delete box.data();
    return result;
}
} // namespace

QtPrompts::QtPrompts(QWidget* parent) : parent_(parent)
{
    WatchRaisingWindows();
}

void QtPrompts::setProgramTitle(const QString& title)
{
    programTitle() = title;
}

QString QtPrompts::titleOr(const QString& title)
{
    return title.isEmpty() ? programTitle() : title;
}

QWidget* QtPrompts::owner() const
{
    QWidget* raising = RaisingWindow();
    return raising ? raising : parent_;
}

void QtPrompts::message(const QString& title, const QString& text, MessageIcon icon)
{
    auto* box = new QMessageBox(toQt(icon), titleOr(title), QString(text).remove('\r'), QMessageBox::Ok, owner());
    runOwned(box, [](QMessageBox&, int) { return true; }, false);
}

bool QtPrompts::askYesNo(const QString& title, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Question, titleOr(title), QString(text).remove('\r'),
                                QMessageBox::Yes | QMessageBox::No, owner());
    return runOwned(
        box, [](QMessageBox& b, int) { return b.standardButton(b.clickedButton()) == QMessageBox::Yes; }, false);
}

std::optional<QString> QtPrompts::askText(const QString& title, const QString& prompt, const QString& initial)
{
    // The question window carries the main window's caption; without one, the caller's title.
    const QString caption = parent_ ? parent_->window()->windowTitle() : title;
    return InputFrm::ask(owner(), caption, prompt, initial);
}

QString QtPrompts::chooseOpenFile(const QString& title, const QString& folder, const QStringList& filters)
{
    auto* dialog = new QFileDialog(owner(), titleOr(title), folder, filters.join(";;"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    return runOwned(
        dialog,
        [](QFileDialog& d, int code) { return code == QDialog::Accepted ? d.selectedFiles().value(0) : QString(); },
        QString());
}

QString QtPrompts::chooseSaveFile(const QString& title, const QString& folder, const QStringList& filters,
                                  QString* selectedFilter)
{
    auto* dialog = new QFileDialog(owner(), titleOr(title), folder, filters.join(";;"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog->selectNameFilter(*selectedFilter);
    return runOwned(
        dialog,
        [selectedFilter](QFileDialog& d, int code) {
            if (code != QDialog::Accepted)
                return QString();
            if (selectedFilter)
                *selectedFilter = d.selectedNameFilter();
            return d.selectedFiles().value(0);
        },
        QString());
}

} // namespace sarvo
