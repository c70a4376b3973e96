#pragma once
// The one seam for every modal interaction. The program installs the Qt implementation; tests
// install a scripted answerer, so no test ever blocks on a window.

#include <QString>
#include <QStringList>

#include <optional>

namespace sarvo {

enum class MessageIcon { None, Information, Warning, Critical, Question };

class Prompts {
public:
    virtual ~Prompts() = default;

    // A message box with only an OK button.
    virtual void message(const QString& title, const QString& text, MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text) = 0;
    // A line of text; nullopt when the user cancels.
    virtual std::optional<QString> askText(const QString& title, const QString& prompt,
                                           const QString& initial) = 0;
    // File dialogs; an empty text when the user cancels. The save dialog asks before overwriting;
    // selectedFilter, when given, holds the filter preselected and receives the one chosen.
    virtual QString chooseOpenFile(const QString& title, const QString& folder, const QStringList& filters) = 0;
    virtual QString chooseSaveFile(const QString& title, const QString& folder, const QStringList& filters,
                                   QString* selectedFilter = nullptr) = 0;
};

// The installed implementation. Until one is installed, messages go to the log and every
// question is answered No / Cancel, so nothing blocks.
Prompts& prompts();
// Installs p (not owned); nullptr restores the fallback.
void setPrompts(Prompts* p);

// Asks for one line of text with an already translated prompt: the typed text after OK, the
// empty text after Cancel or any other way of closing the question.
QString AskInput(const QString& title, const QString& prompt);

} // namespace sarvo
