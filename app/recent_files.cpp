#include "app/recent_files.h"

#include "app/app_shell.h"
#include "core/language_db.h"
#include "core/settings.h"

namespace sarvo {

namespace {
// A stored case's entry ends in the English word; entries of files are paths, never translated.
QString ShownEntry(const QString& entry, int32_t id)
{
    const QString word = QStringLiteral("Static");
    if (id == 0 || !entry.endsWith(u' ' + word))
        return entry;
    return entry.chopped(word.size()) + Translate(word);
}
} // namespace

void AddRecentFile(Settings& s, const QString& text, int32_t id)
{
    int k = kRecentListed; // the slot that receives the entry pushed off the list
    for (int i = 0; i < kRecentListed; ++i) {
        if (s.RecentFile[static_cast<std::size_t>(i)] == text && s.RecentID[static_cast<std::size_t>(i)] == id) {
            k = i;
            break;
        }
    }
    for (int j = k; j >= 1; --j) {
        s.RecentFile[static_cast<std::size_t>(j)] = s.RecentFile[static_cast<std::size_t>(j - 1)];
        s.RecentID[static_cast<std::size_t>(j)] = s.RecentID[static_cast<std::size_t>(j - 1)];
    }
    s.RecentFile[0] = text;
    s.RecentID[0] = id;
    ShowRecentFiles(s);
}

void ShowRecentFiles(const Settings& s)
{
    for (int i = 0; i < kRecentListed; ++i) {
        const CommandId name = RecentCommand(i);
        const QString& entry = s.RecentFile[static_cast<std::size_t>(i)];
        if (entry.isEmpty()) {
            shell().setMenuVisible(name, false);
            continue;
        }
        // A "&" in a path is shown as itself, not as an access key.
        shell().setMenuText(name, QString("&%1 ").arg(i + 1) +
                                      ShownEntry(entry, s.RecentID[static_cast<std::size_t>(i)]).replace('&', "&&"));
        shell().setMenuVisible(name, true);
    }
}

} // namespace sarvo
