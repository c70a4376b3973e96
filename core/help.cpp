#include "core/help.h"

#include <QDir>
#include <QFileInfo>

namespace sarvo {

namespace {
class SilentHelp final : public HelpSystem {
public:
    void showContext(const QString&, int) override {}
    void helpOnHelp() override {}
    void quit(const QString&) override {}
};
SilentHelp g_silent;
HelpSystem* g_installed = nullptr;
} // namespace

HelpSystem& help()
{
    return g_installed ? *g_installed : g_silent;
}

void setHelpSystem(HelpSystem* h)
{
    g_installed = h;
}

QString HelpPagePath(const QString& helpFile)
{
    const QFileInfo info(QDir::fromNativeSeparators(helpFile));
    const QString wanted = info.completeBaseName() + ".html";
    const QDir folder = info.dir();
    for (const QString& entry : folder.entryList({"*.html", "*.HTML", "*.htm"}, QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return {};
}

} // namespace sarvo
