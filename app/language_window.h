#pragma once
// The language window: one option with its icon per language of the language database, rows of
// three. A click previews the language on this window's own texts; OK switches the program to it,
// Cancel, Esc and the close box leave the language as it was when the window opened.

#include "core/language_db.h"

#include <QDialog>

#include <functional>
#include <optional>

class QButtonGroup;
class QGridLayout;
class QLabel;
class QPushButton;
class QRadioButton;

namespace sarvo {

class frmLang : public QDialog {
    Q_OBJECT
public:
    using SwitchLanguageFn = std::function<void(const QString& language)>;

    // Loads the window from the open language database and the current text language; a failure
    // is reported as "Opening language window" and leaves the window as far as it was built.
    // switchLanguage is OK's step: the whole program in the chosen language, kept in the settings.
    frmLang(const QString& programFolder, SwitchLanguageFn switchLanguage, QWidget* parent = nullptr);
    ~frmLang() override;

    // The option of language column n (0 is always there, also without a language).
    QRadioButton* option(int n) const;
    int optionCount() const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void accept() override;
    void done(int result) override;

private:
    void load(const QString& programFolder);
    void preview(const QString& language);
    // The language in force at opening, when the window goes without OK.
    void restore();

    SwitchLanguageFn switchLanguage_;
    std::optional<LanguageChoice> choice_;
    QLabel* prompt_;
    QGridLayout* grid_;
    QButtonGroup* group_;
    QList<QRadioButton*> options_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool restored_ = false;
};

} // namespace sarvo
