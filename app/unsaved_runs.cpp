#include "app/unsaved_runs.h"

#include "app/app_context.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "files/brv_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

namespace sarvo {

namespace {

// Where the next start finds the file, or the folders that could not hold it; empty once told.
constexpr char kKeptRunsSection[] = "Others";
constexpr char kKeptRunsKey[] = "Unsaved Measurement";
constexpr char kLostRunsKey[] = "Unsaved Measurement Lost";

// Where the runs may go: the program folder, then the per-user data folder. Never the data folder:
// it is only the folder last browsed (a folder of examples, a read-only medium).
QStringList KeepFolders()
{
    QStringList folders;
    for (const QString& folder : {app().State.AppPath, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)}) {
        const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder));
        if (!folder.isEmpty() && !folders.contains(path))
            folders.append(path);
    }
    return folders;
}

// A name no file has yet: the translated stem and the time, numbered when that is taken.
QString NewFileName(const QDir& folder)
{
    const QString stem =
        Translate(QStringLiteral("Unsaved measurement")) + u' ' + QDateTime::currentDateTime().toString("yyyy-MM-dd HH-mm-ss");
    QString name = folder.absoluteFilePath(stem + QStringLiteral(".brv"));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = folder.absoluteFilePath(QStringLiteral("%1 (%2).brv").arg(stem).arg(n));
    return name;
}

} // namespace

bool HoldsUnsavedRuns()
{
    const AppState& state = app().State;
    return state.CaptureUnsaved || (state.MeasureShown && app().OpenCase.Data.RunCount > 0);
}

QString KeepUnsavedRuns()
{
    if (!HoldsUnsavedRuns())
        return {};
    AppContext& a = app();
    const IniFile ini(a.State.IniFile);
    const QString section = QString::fromLatin1(kKeptRunsSection);
    const QStringList folders = KeepFolders();
    QString reason;
    for (const QString& folder : folders) {
        QDir().mkpath(folder);
        const QString name = NewFileName(QDir(folder));
        const Outcome written = files::SaveBrvFile(a.OpenCase, a.State.VersionString, name);
        if (written.ok()) {
            ini.setMany({{{section, QString::fromLatin1(kKeptRunsKey)}, name}, {{section, QString::fromLatin1(kLostRunsKey)}, {}}});
            return name;
        }
        reason = written.error().description();
        // Nobody is there to answer a message.
        qWarning().noquote() << "The unsaved runs could not be kept in" << name << ":" << reason;
    }
    QStringList shown;
    for (const QString& folder : folders)
        shown.append(QDir::toNativeSeparators(folder));
    ini.setMany({{{section, QString::fromLatin1(kKeptRunsKey)}, {}},
                 {{section, QString::fromLatin1(kLostRunsKey)}, shown.join(QStringLiteral("; ")) + QStringLiteral(": ") + reason}});
    return {};
}

void TellOfKeptRuns()
{
    const IniFile ini(app().State.IniFile);
    const QString section = QString::fromLatin1(kKeptRunsSection);
    const QString keptKey = QString::fromLatin1(kKeptRunsKey);
    const QString lostKey = QString::fromLatin1(kLostRunsKey);
    const QString name = ini.get(section, keptKey, {});
    const QString lostIn = ini.get(section, lostKey, {});
    if (name.isEmpty() && lostIn.isEmpty())
        return;
    ini.setMany({{{section, keptKey}, {}}, {{section, lostKey}, {}}});
    const QString text =
        !name.isEmpty()
            ? Translate(QStringLiteral("The program was ended while a measurement was not saved. Its runs are "
                                       "kept in this file:")) + QStringLiteral("\r\n") + QDir::toNativeSeparators(name)
            : Translate(QStringLiteral("The program was ended while a measurement was not saved. Its runs are lost: "
                                       "they could not be written in these folders:")) + QStringLiteral("\r\n") + lostIn;
    prompts().message(app().State.AppTitle, text, name.isEmpty() ? MessageIcon::Warning : MessageIcon::Information);
}

} // namespace sarvo
