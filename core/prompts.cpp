#include "core/prompts.h"


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

LogPrompts g_fallback;
Prompts* g_installed = nullptr;

} // namespace

Prompts& prompts()
{
    return g_installed ? *g_installed : g_fallback;
}

void setPrompts(Prompts* p)
{
    g_installed = p;
}

QString AskInput(const QString& title, const QString& prompt)
{
    return prompts().askText(title, prompt, QString()).value_or(QString());
}

} // namespace sarvo
