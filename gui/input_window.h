#pragma once
// The question window: one question, one line of answer, OK and Cancel. Only OK gives an answer;
// Cancel, Esc and the close box all answer with nothing.

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sarvo {

class InputFrm : public QDialog {
    Q_OBJECT
public:
    // Loads the window: the caption (the main window's), centred, translated under the Tag
    // "Input". The question is set afterwards, so a prompt is shown exactly as passed.
    InputFrm(QWidget* parent, const QString& caption);

    void setQuestion(const QString& prompt);
    void setAnswer(const QString& text);

    // The typed text when the window was left with OK, else nullopt.
    std::optional<QString> answer() const { return answer_; }

    // Shows the window modally with the question and returns its answer.
    static std::optional<QString> ask(QWidget* parent, const QString& caption, const QString& prompt,
                                      const QString& initial = {});

    QLabel* question() const { return question_; }
    QLineEdit* answerBox() const { return answerBox_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void acceptAnswer();
    void cancel();

    QLabel* question_;
    QLineEdit* answerBox_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::optional<QString> answer_;
};

} // namespace sarvo
