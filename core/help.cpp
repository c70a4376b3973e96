#include "core/help.h"

#include "core/installed.h"

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
Installed<HelpSystem, SilentHelp> g_help;
} // namespace

HelpSystem& help()
{
    return g_help.get();
}

void setHelpSystem(HelpSystem* h)
{
    g_help.install(h);
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
