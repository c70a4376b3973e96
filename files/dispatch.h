#pragma once
// Which reader a measurement file goes to, and the read itself: into a scratch copy of the open
// case that the program adopts only when the read succeeded.

#include "core/case.h"
#include "core/settings.h"
#include "files/read_context.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace sarvo::files {

// The types of the open-file window, by list index.
enum class FileType { Brv = 0, Rtb = 1, B5r = 2, Dbb = 3, ContiSure = 4, TwoD = 5 };
inline constexpr int kFileTypeCount = 6;
inline constexpr int kMaxListedFiles = 511;

QString FileTypeText(FileType type);    // "Renishaw (*.rtb)"
QString FileTypePattern(FileType type); // "*.rtb"
// The type preselected for the DefaultExtension setting (compared in lower case).
FileType PreselectedFileType(const QString& defaultExtension);
// A type a save dialog offers: its filter, the extension a name typed without one gets, and what
// is written (.brv or .rtb contents; a text file gets the .rtb contents).
struct SaveType {
    QString filter;
    QString extension;
    FileType contents = FileType::Rtb;
};
// The program's own two: "Brintovale (*.brv)" and "Renishaw (*.rtb)".
SaveType SaveTypeOf(FileType written);
QStringList SaveFilters(const QList<SaveType>& offered);

// What a save writes under the name typed in its dialog with the filter left chosen: a typed
// ".brv" or ".rtb" (in any case) says what the file is, whatever the filter; else the chosen
// type's contents, and a name typed without an extension gets the chosen type's.
struct SaveTarget {
    QString fileName;
    FileType contents = FileType::Rtb;
};
SaveTarget ChosenSaveTarget(const QString& typedName, const QList<SaveType>& offered, const QString& chosenFilter);

enum class ReaderKind { Dbb, Brv, Rtb, B5r, ContiSure, TwoD, Unknown };

// The last three characters of the path, in lower case.
QString ExtensionOf(const QString& path);
// The stem of the file name (not the folder) ends in "g" before its first ".", and the file is
// no .rtb file.
bool MeetsContiSureRule(const QString& path);

// The program's command line and recent list read an unknown extension as .rtb (the program
// writes .rtb content under other names); the window refuses it.
enum class Caller { Program, Window };
// Known extensions come first, so "testg.2d2" is a 2-D file and not a ContiSure set.
ReaderKind ChooseReader(const QString& path, Caller caller);

// The 2-D case form: a folder (ending at its last separator), a blank, then one to four file
// names separated by single blanks; a name may be empty except the first, and the first two are
// both empty for a case of rotation 2 alone. Names go to the file slots (direction 0, rotation 1),
// (1, 1), (0, 2), (1, 2).
struct TwoDForm {
    QString folder; // with its trailing separator
    std::array<QString, 4> names;
};
// nullopt with the reason in error for anything else.
std::optional<TwoDForm> Parse2dForm(const QString& text, QString* error = nullptr);

// A reader: fills the scratch case from the file (or, for 2-D cases, the form) named by the text.
using MeasurementReader = std::function<ReadResult(Case& scratch, const QString& fileText, const ReadContext& ctx)>;
// The readers of this library are registered from the start; the other formats add theirs.
void RegisterMeasurementReader(ReaderKind kind, MeasurementReader reader);

// Reads with the reader of kind into an empty scratch case and adopts it only on success; on
// failure target is left exactly as it was.
ReadResult ReadInto(Case& target, const QString& fileText, ReaderKind kind, const ReadContext& ctx);

// The 2-D cases of a folder for the window: each with its list text and the form that reads it.
struct TwoDCase {
    QString text;
    QString form;
};
using TwoDCaseLister = std::function<QList<TwoDCase>(const QString& folder, const QStringList& paths)>;
// Without one registered, the Optodyne grouping of the files on disk, feedrates in mm/min.
void RegisterTwoDCaseLister(TwoDCaseLister lister);
QList<TwoDCase> ListTwoDCases(const QString& folder, const QStringList& paths);

// The file named by a command-line or recent-list text (surrounding quotes removed).
QString CommandLineFileName(const QString& commandText);

// The read of the command line and the recent list into openCase. Sets DefaultExtension and
// adopts the case on success. The caller reports the failure and runs the after-load step.
ReadResult ReadCommandLineFile(const QString& fileText, Case& openCase, Settings& settings, const ReadContext& ctx);

// The open-file window's read of a listed file (types 0..4) or 2-D form (type 5). Sets
// DefaultExtension and adopts the case on success; an unknown extension is refused with a
// message. The caller reports the failure and runs the after-load step.
ReadResult ReadChosenFile(const QString& fileText, FileType type, Case& openCase, Settings& settings,
                          const ReadContext& ctx);

} // namespace sarvo::files
