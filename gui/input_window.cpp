#include "gui/input_window.h"

#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace sarvo {

InputFrm::InputFrm(QWidget* parent, const QString& caption)
    : QDialog(parent)
    , question_(new QLabel(QStringLiteral("Kysymys")))
    , answerBox_(new QLineEdit)
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
{
    setObjectName(QStringLiteral("InputFrm"));
    setProperty("tag", QStringLiteral("Input"));
    setWindowTitle(caption);

    auto* base = new QFrame;
    base->setObjectName(QStringLiteral("pnlBase"));
    base->setFrameShape(QFrame::StyledPanel);
    auto* answerPanel = new QFrame;
    answerPanel->setObjectName(QStringLiteral("Panel3D1"));
    answerPanel->setFrameShape(QFrame::StyledPanel);
    question_->setObjectName(QStringLiteral("LblQuestion"));
    question_->setWordWrap(true);
    question_->setTextFormat(Qt::PlainText);
    answerBox_->setObjectName(QStringLiteral("TxtAnswer"));
    ok_->setObjectName(QStringLiteral("CmdOk"));
    cancel_->setObjectName(QStringLiteral("cmdClose"));

    auto* answerLayout = new QVBoxLayout(answerPanel);
    answerLayout->addWidget(question_);
    answerLayout->addWidget(answerBox_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(answerPanel);
    baseLayout->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(base);
    resize(400, 150);

    setTabOrder(answerBox_, ok_);
    setTabOrder(ok_, cancel_);
    answerBox_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, &InputFrm::acceptAnswer);
    connect(cancel_, &QPushButton::clicked, this, &InputFrm::cancel);

    CenterForm(*this);
    TranslateForm(*this);
    answerBox_->setFocus();
}

void InputFrm::setQuestion(const QString& prompt)
{
    question_->setText(prompt);
}

void InputFrm::setAnswer(const QString& text)
{
    answerBox_->setText(text);
    answerBox_->selectAll();
}

std::optional<QString> InputFrm::ask(QWidget* parent, const QString& caption, const QString& prompt,
                                     const QString& initial)
{
    // On the heap: the parent may go away while the window is open, and takes the window with it.
    QPointer<InputFrm> window = new InputFrm(parent, caption);
    window->setEnabled(true); // usable also over a window that is busy and disabled
    window->setQuestion(prompt);
    window->setAnswer(initial);
    window->exec();
    if (!window)
        return std::nullopt;
    const std::optional<QString> result = window->answer();
    delete window.data();
    return result;
}

bool InputFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == answerBox_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            cancel_->click();
            return true;
        }
        int keyCode = key->key();
        EnterAsTab(keyCode, *this);
        if (keyCode == 0)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool InputFrm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && isMaximized())
        showNormal();
    return QDialog::event(event);
}

void InputFrm::acceptAnswer()
{
    answer_ = answerBox_->text();
    accept();
}

void InputFrm::cancel()
{
    answer_.reset();
    reject();
}

} // namespace sarvo
