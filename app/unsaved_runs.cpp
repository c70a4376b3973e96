#include "app/unsaved_runs.h"

#include "app/app_context.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "files/brv_file.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtDebug>

namespace sarvo {

namespace {

// Where the next start finds the file; an empty value once it has been told.
constexpr char kKeptRunsSection[] = "Others";
constexpr char kKeptRunsKey[] = "Unsaved Measurement";

QString DataFolder()
{
    const AppContext& a = app();
    const QString dataPath = QDir::fromNativeSeparators(a.Settings.DataPath.trimmed());
    return !dataPath.isEmpty() && QDir(dataPath).exists() ? dataPath : a.State.AppPath;
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
    const QString name = NewFileName(QDir(DataFolder()));
    const Outcome written = files::SaveBrvFile(a.OpenCase, a.State.VersionString, name);
    if (!written.ok()) {
        // Nobody is there to answer a message.
        qWarning().noquote() << "The unsaved runs could not be kept in" << name << ":" << written.error().description();
        return {};
    }
    IniFile(a.State.IniFile).set(QString::fromLatin1(kKeptRunsSection), QString::fromLatin1(kKeptRunsKey), name);
    return name;
}

void TellOfKeptRuns()
{
    const IniFile ini(app().State.IniFile);
    const QString section = QString::fromLatin1(kKeptRunsSection);
    const QString key = QString::fromLatin1(kKeptRunsKey);
    const QString name = ini.get(section, key, {});
    if (name.isEmpty())
        return;
    ini.set(section, key, {});
    prompts().message(app().State.AppTitle,
                      Translate(QStringLiteral("The program was ended while a measurement was not saved. Its runs are "
                                               "kept in this file:")) +
                          QStringLiteral("\r\n") + QDir::toNativeSeparators(name),
                      MessageIcon::Information);
}

} // namespace sarvo
