#pragma once
// What a measurement-file reader needs from its surroundings, and what it hands back. Readers
// are plain logic: every question (the machine, "more files?", the file dialog) and every file
// access goes through the context, so the same code runs in the program, in tests and in fuzzers.

#include "core/app_error.h"
#include "core/prompts.h"
#include "core/settings.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace sarvo::files {

// No measurement file comes anywhere near this; anything larger is refused before it is read.
inline constexpr qint64 kMaxMeasurementFileSize = 64LL * 1024 * 1024;

// The outcome of one read. A failure carries what the user is told: an error report under a
// location text, or a plain message (a refused file); a cancelled read tells nothing more. The
// program and the windows show it (files/ui/read_report.h); the readers never do.
struct ReadResult {
    enum class Kind { Ok, Error, Message, Cancelled };
    Kind kind = Kind::Ok;
    QString location;              // Error: the location text of the report
    int number = 0;                // Error: the error number
    QString message;               // Error: the description; Message: the text shown
    MessageIcon icon = MessageIcon::None; // Message
    QStringList notes;             // Ok: what the user is told of a read that went on (a date not read)

    bool ok() const { return kind == Kind::Ok; }
    // This result with the note added; an empty note adds nothing.
    ReadResult withNote(const QString& note) const
    {
        ReadResult r = *this;
        if (!note.isEmpty())
            r.notes << note;
        return r;
    }

    static ReadResult success() { return {}; }
    static ReadResult error(const QString& location, const AppError& e);
    static ReadResult refused(const QString& text, MessageIcon icon = MessageIcon::None);
    static ReadResult cancelled();
    // The read of the file ended because no machine was chosen for it.
    static ReadResult noMachineChosen(const QString& fileName);
};

// Whole files by path.
class FileProvider {
public:
    virtual ~FileProvider() = default;
    // The file's bytes; raises AppError 53 when it cannot be read and 7 when it is too large.
    virtual QByteArray read(const QString& path) = 0;
    // The files of a folder (ending in its separator) whose names match the wildcard ("?" one
    // character, "*" any run), without regard to case: full paths, sorted by name without regard
    // to case, so a set of files is always read in the same order.
    virtual QStringList list(const QString& folder, const QString& wildcard) = 0;
};

class DiskFiles : public FileProvider {
public:
    QByteArray read(const QString& path) override;
    QStringList list(const QString& folder, const QString& wildcard) override;
};

// Files held in memory, for tests and fuzzers.
class MemoryFiles : public FileProvider {
public:
    QByteArray read(const QString& path) override;
    QStringList list(const QString& folder, const QString& wildcard) override;
    QHash<QString, QByteArray> files;
};

struct ReadContext {
    int maxPoints = 2500;        // most points a run keeps (1..8000)
    double baseTemperature = 20; // Celsius, for formats without temperatures
    std::function<QDateTime()> now;
    // The known machine an unknown name stands for; "" when none was chosen.
    std::function<QString(const QString& name)> resolveMachine;
    // The next file of a measurement spread over several files; "" when there is none.
    std::function<QString(const QString& previousFile)> moreFiles;
    // Tells the user of a failure that does not end the whole read (a later file of a set).
    std::function<void(const ReadResult&)> report;
    FileProvider* files = nullptr;

    // The limits the settings set: the most points a run keeps and the base temperature.
    static ReadContext fromSettings(const Settings& settings);

    QDateTime currentTime() const;
    QString machineFor(const QString& name) const { return resolveMachine ? resolveMachine(name) : name; }
    QByteArray read(const QString& path) const;
    QStringList list(const QString& folder, const QString& wildcard) const;
};

} // namespace sarvo::files
