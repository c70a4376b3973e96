#pragma once
// A Prompts implementation that records every message and answers from a script. A test that
// never looks at the messages fails at its end when any was shown (see CoreTest::TearDown): an
// unexpected error report fails a test by itself.

#include "core/prompts.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace sarvo::test {

struct ShownMessage {
    QString title;
    QString text;
    MessageIcon icon;
};

// The messages shown so far; reading them in any way marks them as looked at.
class ShownMessages {
public:
    bool empty() const { return look().empty(); }
    std::size_t size() const { return look().size(); }
    const ShownMessage& operator[](std::size_t i) const { return look()[i]; }
    const ShownMessage& front() const { return look().front(); }
    const ShownMessage& back() const { return look().back(); }
    auto begin() const { return look().begin(); }
    auto end() const { return look().end(); }
    void clear()
    {
        lookedAt_ = true;
        list_.clear();
    }

    void push_back(ShownMessage m) { list_.push_back(std::move(m)); }
    bool lookedAt() const { return lookedAt_; }
    // For the end-of-test check: the list without marking it.
    const std::deque<ShownMessage>& unlooked() const { return list_; }

private:
    const std::deque<ShownMessage>& look() const
    {
        lookedAt_ = true;
        return list_;
    }
    std::deque<ShownMessage> list_;
    mutable bool lookedAt_ = false;
};

class ScriptedPrompts : public Prompts {
public:
    using Message = ShownMessage;

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

    ShownMessages messages;
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
