#pragma once
// The program's modal interactions: Qt message boxes, input and file dialogs, each belonging to
// the window that raises it (RaisingWindow), the main window when no other is on the screen. A box
// without a title of its own carries the program's title.

#include "core/prompts.h"

class QWidget;

namespace sarvo {

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& title, const QString& text, MessageIcon icon) override;
    bool askYesNo(const QString& title, const QString& text) override;
    std::optional<QString> askText(const QString& title, const QString& prompt, const QString& initial) override;
    QString chooseOpenFile(const QString& title, const QString& folder, const QStringList& filters) override;
    QString chooseSaveFile(const QString& title, const QString& folder, const QStringList& filters,
                           QString* selectedFilter = nullptr) override;

    // The window the next box belongs to.
    QWidget* owner() const;

    // The title of the boxes that have none of their own: the program's title in the current
    // language. Without it the window system would show the executable's name.
    static void setProgramTitle(const QString& title);
    static QString titleOr(const QString& title);

private:
    QWidget* parent_;
};

} // namespace sarvo
