#pragma once
// The program's modal interactions: Qt message boxes, input and file dialogs, each belonging to
// the window that raises it (RaisingWindow), the main window when no other is on the screen.

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

private:
    QWidget* parent_;
};

} // namespace sarvo
