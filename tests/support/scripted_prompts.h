#pragma once
// A Prompts implementation that records every message and answers from a script.

#include "core/prompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace sarvo::test {

class ScriptedPrompts : public Prompts {
public:
    struct Message {
        QString title;
        QString text;
        MessageIcon icon;
    };

    ScriptedPrompts() { setPrompts(this); }
    ~ScriptedPrompts() override { setPrompts(nullptr); }

    void message(const QString& title, const QString& text, MessageIcon icon) override
    {
        messages.push_back({title, text, icon});
    }
    bool askYesNo(const QString& title, const QString& text) override
    {
        questions.push_back(text);
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    std::optional<QString> askText(const QString&, const QString& prompt, const QString&) override
    {
        questions.push_back(prompt);
        if (textAnswers.isEmpty())
            return std::nullopt;
        const QString answer = textAnswers.takeFirst();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
    QString chooseOpenFile(const QString&, const QString&, const QStringList&) override { return nextFile(); }
    QString chooseSaveFile(const QString&, const QString&, const QStringList& filters, QString* selectedFilter) override
    {
        if (selectedFilter && !filterAnswers.isEmpty())
            *selectedFilter = filters.value(filterAnswers.takeFirst());
        return nextFile();
    }

    std::deque<Message> messages;
    QStringList questions;
    std::deque<bool> yesNoAnswers;
    QStringList textAnswers; // a null QString() answers Cancel
    std::deque<QString> fileAnswers;
    QList<int> filterAnswers; // index of the filter chosen in the next save dialog

private:
    QString nextFile()
    {
        if (fileAnswers.empty())
            return {};
        QString f = fileAnswers.front();
        fileAnswers.pop_front();
        return f;
    }
};

} // namespace sarvo::test
