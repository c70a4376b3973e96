#include "core/prompts.h"

#include "core/installed.h"


#include <QDebug>

namespace sarvo {

namespace {

class LogPrompts final : public Prompts {
public:
    void message(const QString& title, const QString& text, MessageIcon) override
    {
        qWarning().noquote() << title << ":" << text;
    }
    bool askYesNo(const QString& title, const QString& text) override
    {
        qWarning().noquote() << title << ":" << text << "(answered No)";
        return false;
    }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString chooseOpenFile(const QString&, const QString&, const QStringList&) override { return {}; }
    QString chooseSaveFile(const QString&, const QString&, const QStringList&, QString*) override { return {}; }
};

Installed<Prompts, LogPrompts> g_prompts;

} // namespace

Prompts& prompts()
{
    return g_prompts.get();
}

void setPrompts(Prompts* p)
{
    g_prompts.install(p);
}

QString AskInput(const QString& title, const QString& prompt)
{
    return prompts().askText(title, prompt, QString()).value_or(QString());
}

} // namespace sarvo
