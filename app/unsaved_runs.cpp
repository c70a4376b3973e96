#include "app/unsaved_runs.h"

#include "app/app_context.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "core/writable_path.h"
#include "files/brv_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>

#include <unistd.h>

namespace sarvo {

namespace {

// Where the next start finds the file, or the folders that could not hold it; removed once told.
constexpr char kKeptRunsSection[] = "Others";
constexpr char kKeptRunsKey[] = "Unsaved Measurement";
constexpr char kLostRunsKey[] = "Unsaved Measurement Lost";
// The note for the next start, where the settings file cannot take it: beside the runs, and when
// no folder took them, in the user's temporary folder.
constexpr char kNoteFileName[] = "Sarvotex unsaved runs.ini";

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

QString NoteBeside(const QString& folder)
{
    return QDir(folder).filePath(QString::fromLatin1(kNoteFileName));
}

// Named after the user: the temporary folder is shared.
QString TemporaryNote()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("Sarvotex unsaved runs %1.ini").arg(::geteuid()));
}

// Every place a note may be, in the order the start reads them.
QStringList NotePlaces()
{
    QStringList places{app().State.IniFile};
    for (const QString& folder : KeepFolders())
        places.append(NoteBeside(folder));
    places.append(TemporaryNote());
    return places;
}

// The note in the first of the places that takes it; false when none did.
bool WriteNote(const QStringList& places, const QString& kept, const QString& lostIn)
{
    const QString section = QString::fromLatin1(kKeptRunsSection);
    for (const QString& place : places) {
        if (IniFile(place).setMany({{{section, QString::fromLatin1(kKeptRunsKey)}, kept},
                                    {{section, QString::fromLatin1(kLostRunsKey)}, lostIn}}))
            return true;
    }
    return false;
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
    const QStringList folders = KeepFolders();
    QString reason;
    for (const QString& folder : folders) {
        // Not where the user made the folder read-only, also when root runs the program.
        if (!IsWritablePath(folder)) {
            reason = AppError::standard(AppError::kPathFileAccess, folder).description();
            qWarning().noquote() << "The unsaved runs could not be kept in" << folder << ":" << reason;
            continue;
        }
        QDir().mkpath(folder);
        const QString name = NewFileName(QDir(folder));
        const Outcome written = files::SaveBrvFile(a.OpenCase, a.State.VersionString, name);
        if (written.ok()) {
            if (!WriteNote({a.State.IniFile, NoteBeside(folder)}, name, {}))
                qWarning().noquote() << "The unsaved runs are kept in" << name << "; the next start cannot tell so.";
            return name;
        }
        reason = written.error().description();
        // Nobody is there to answer a message.
        qWarning().noquote() << "The unsaved runs could not be kept in" << name << ":" << reason;
    }
    QStringList shown;
    for (const QString& folder : folders)
        shown.append(QDir::toNativeSeparators(folder));
    const QString lostIn = shown.join(QStringLiteral("; ")) + QStringLiteral(": ") + reason;
    qWarning().noquote() << "The unsaved runs are lost: no folder could take them.";
    if (!WriteNote(NotePlaces(), {}, lostIn))
        qWarning().noquote() << "The next start cannot tell so: no note could be written.";
    return {};
}

void TellOfKeptRuns()
{
    const QString section = QString::fromLatin1(kKeptRunsSection);
    const QString keptKey = QString::fromLatin1(kKeptRunsKey);
    const QString lostKey = QString::fromLatin1(kLostRunsKey);
    for (const QString& place : NotePlaces()) {
        const QFileInfo note(place);
        // A note of another user in the shared temporary folder is none of ours.
        if (!note.exists() || (place == TemporaryNote() && note.ownerId() != ::geteuid()))
            continue;
        const IniFile ini(place);
        const QString name = ini.get(section, keptKey, {});
        const QString lostIn = ini.get(section, lostKey, {});
        // Once told, the note's keys go; a settings file without them keeps its bytes.
        if (place == app().State.IniFile)
            ini.remove({{section, keptKey}, {section, lostKey}});
        else
            QFile::remove(place);
        if (name.isEmpty() && lostIn.isEmpty())
            continue;
        const QString text =
            !name.isEmpty()
                ? Translate(QStringLiteral("The program was ended while a measurement was not saved. Its runs are "
                                           "kept in this file:")) + QStringLiteral("\r\n") + QDir::toNativeSeparators(name)
                : Translate(QStringLiteral("The program was ended while a measurement was not saved. Its runs are lost: "
                                           "they could not be written in these folders:")) + QStringLiteral("\r\n") + lostIn;
        prompts().message(app().State.AppTitle, text, name.isEmpty() ? MessageIcon::Warning : MessageIcon::Information);
    }
}

} // namespace sarvo
