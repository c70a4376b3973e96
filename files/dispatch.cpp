#include "files/dispatch.h"

#include <algorithm>

#include "core/progress.h"
#include "core/dates.h"
#include "core/language_db.h"
#include "core/utilities.h"
#include "files/brv_file.h"
#include "files/b5r_reader.h"
#include "files/contisure_reader.h"
#include "files/dbb_reader.h"
#include "files/optodyne.h"
#include "files/reader_support.h"
#include "files/rtb_reader.h"

#include <QFileInfo>
#include <QHash>

namespace sarvo::files {

namespace {

struct TypeInfo {
    const char* text;
    const char* pattern;
};

constexpr TypeInfo kTypes[kFileTypeCount] = {
    {"Brintovale (*.brv)", "*.brv"},
    {"Renishaw (*.rtb)", "*.rtb"},
    {"Renishaw (*.b5r)", "*.b5r"},
    {"Heidenhain (*.dbb)", "*.dbb"},
    {"Contisure (*g.*)", "???????g.??"},
    {"2-D measurement (*.2d2)", "*.2d2"},
};

QHash<int, MeasurementReader>& readers()
{
    static QHash<int, MeasurementReader> table = [] {
        QHash<int, MeasurementReader> t;
        t.insert(int(ReaderKind::Rtb), [](Case& c, const QString&, const ReadContext& ctx) { return ReadRtb(c, ctx); });
        t.insert(int(ReaderKind::Brv), [](Case& c, const QString&, const ReadContext& ctx) { return ReadBrvFile(c, ctx); });
        t.insert(int(ReaderKind::B5r), [](Case& c, const QString&, const ReadContext& ctx) { return ReadB5r(c, ctx); });
        t.insert(int(ReaderKind::Dbb),
                 [](Case& c, const QString& file, const ReadContext& ctx) { return ReadDbbFiles(c, file, ctx); });
        t.insert(int(ReaderKind::ContiSure),
                 [](Case& c, const QString&, const ReadContext& ctx) { return ReadContiSure(c, ctx); });
        t.insert(int(ReaderKind::TwoD),
                 [](Case& c, const QString& form, const ReadContext& ctx) { return ReadOptodyneForm(c, form, ctx); });
        return t;
    }();
    return table;
}

TwoDCaseLister& twoDLister()
{
    static TwoDCaseLister lister;
    return lister;
}

QString stripQuotes(const QString& text)
{
    if (text.size() >= 2 && text.startsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

} // namespace

QString FileTypeText(FileType type)
{
    return QString::fromLatin1(kTypes[int(type)].text);
}

QString FileTypePattern(FileType type)
{
    return QString::fromLatin1(kTypes[int(type)].pattern);
}

FileType PreselectedFileType(const QString& defaultExtension)
{
    const QString ext = defaultExtension.toLower();
    if (ext == u"brv")
        return FileType::Brv;
    if (ext == u"rtb")
        return FileType::Rtb;
    if (ext == u"dbb")
        return FileType::Dbb;
    if (ext == u"2d2")
        return FileType::TwoD;
    return FileType::B5r;
}

SaveType SaveTypeOf(FileType written)
{
    const bool brv = written == FileType::Brv;
    return {FileTypeText(written), brv ? QStringLiteral("brv") : QStringLiteral("rtb"), brv ? FileType::Brv : FileType::Rtb};
}

QStringList SaveFilters(const QList<SaveType>& offered)
{
    QStringList filters;
    for (const SaveType& type : offered)
        filters.append(type.filter);
    return filters;
}

SaveTarget ChosenSaveTarget(const QString& typedName, const QList<SaveType>& offered, const QString& chosenFilter)
{
    const auto chosen = std::find_if(offered.begin(), offered.end(), [&](const SaveType& t) { return t.filter == chosenFilter; });
    const SaveType type = chosen != offered.end() ? *chosen : offered.value(0);
    const QString typed = QFileInfo(typedName).suffix().toLower();
    if (typed == u"brv")
        return {typedName, FileType::Brv};
    if (typed == u"rtb")
        return {typedName, FileType::Rtb};
    return {typed.isEmpty() ? typedName + u'.' + type.extension : typedName, type.contents};
}

QString ExtensionOf(const QString& path)
{
    return path.right(3).toLower();
}

bool MeetsContiSureRule(const QString& path)
{
    const qsizetype nameStart = PathOfFile(path).size();
    const qsizetype dot = path.indexOf(u'.', nameStart);
    if (dot <= nameStart)
        return false;
    return path[dot - 1].toLower() == u'g' && ExtensionOf(path) != u"rtb";
}

ReaderKind ChooseReader(const QString& path, Caller caller)
{
    const QString ext = ExtensionOf(path);
    if (ext == u"dbb")
        return ReaderKind::Dbb;
    if (ext == u"brv")
        return ReaderKind::Brv;
    if (ext == u"rtb")
        return ReaderKind::Rtb;
    if (ext == u"b5r")
        return ReaderKind::B5r;
    if (ext == u"2d2")
        return ReaderKind::TwoD;
    if (MeetsContiSureRule(path))
        return ReaderKind::ContiSure;
    return caller == Caller::Program ? ReaderKind::Rtb : ReaderKind::Unknown;
}

std::optional<TwoDForm> Parse2dForm(const QString& text, QString* error)
{
    auto fail = [&](const QString& reason) -> std::optional<TwoDForm> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const qsizetype separator = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    if (separator < 0)
        return fail(Translate("The 2-D case names no folder."));
    const QString rest = text.mid(separator + 1);
    if (!rest.startsWith(u' '))
        return fail(Translate("The folder of a 2-D case must be followed by a blank and the file names."));
    const QStringList names = rest.mid(1).split(u' ');
    if (names.size() > 4)
        return fail(Translate("A 2-D case names at most four files."));
    // Rotation 2 alone leaves both places of rotation 1 empty.
    const bool secondPairOnly = names.size() >= 3 && names[0].isEmpty() && names[1].isEmpty() && !names[2].isEmpty();
    if (names.front().isEmpty() && !secondPairOnly)
        return fail(Translate("A 2-D case names its first file."));
    TwoDForm form;
    form.folder = text.left(separator + 1);
    for (qsizetype i = 0; i < names.size(); ++i)
        form.names[static_cast<std::size_t>(i)] = names[i];
    return form;
}

void RegisterMeasurementReader(ReaderKind kind, MeasurementReader reader)
{
    readers().insert(int(kind), std::move(reader));
}

ReadResult ReadInto(Case& target, const QString& fileText, ReaderKind kind, const ReadContext& ctx)
{
    const auto reader = readers().constFind(int(kind));
    if (reader == readers().cend() || !*reader)
        return ReadResult::refused(fileText + "\r\n" + Translate("Files of this type cannot be read yet."),
                                   MessageIcon::Critical);
    if (kind == ReaderKind::TwoD) {
        QString reason;
        if (!Parse2dForm(fileText, &reason))
            return ReadResult::refused(fileText + "\r\n" + reason, MessageIcon::Critical);
    }
    try {
        // Nothing of the previous case belongs to the new one: a value the format does not carry
        // would otherwise reach storage, files and graphs.
        Case scratch;
        scratch.Header[HdrFilename] = fileText;
        ReadResult result = (*reader)(scratch, fileText, ctx);
        if (result.ok()) {
            scratch.Data.ReadingsAsRead = std::make_shared<const ReadingsTable>(scratch.Data.Readings);
            target = std::move(scratch);
        }
        return result;
    } catch (...) {
        return ReadResult::error(QStringLiteral("Reading file"), AppError::fromException(std::current_exception()));
    }
}

void RegisterTwoDCaseLister(TwoDCaseLister lister)
{
    twoDLister() = std::move(lister);
}

QList<TwoDCase> ListTwoDCases(const QString& folder, const QStringList& paths)
{
    if (twoDLister())
        return twoDLister()(folder, paths);
    DiskFiles disk;
    ReadContext ctx;
    ctx.files = &disk;
    return ListOptodyneCases(folder, paths, ctx, [](double feedrate) -> QString { return FixedText(feedrate, "#####0") + "mm/min"; });
}

QString CommandLineFileName(const QString& commandText)
{
    return stripQuotes(commandText);
}

ReadResult ReadCommandLineFile(const QString& fileText, Case& openCase, Settings& settings, const ReadContext& ctx)
{
    settings.DefaultExtension = fileText.right(3);
    BusyCursor busy;
    return ReadInto(openCase, fileText, ChooseReader(fileText, Caller::Program), ctx);
}

ReadResult ReadChosenFile(const QString& fileText, FileType type, Case& openCase, Settings& settings,
                          const ReadContext& ctx)
{
    BusyCursor busy;
    if (type == FileType::TwoD) {
        ReadResult result = ReadInto(openCase, fileText, ReaderKind::TwoD, ctx);
        settings.DefaultExtension = QStringLiteral("2d2");
        return result;
    }
    settings.DefaultExtension = fileText.right(3);
    const ReaderKind kind = ChooseReader(fileText, Caller::Window);
    if (kind == ReaderKind::Unknown)
        return ReadResult::refused(fileText + "\r\n" + Translate("File format not recognized!"), MessageIcon::Critical);
    return ReadInto(openCase, fileText, kind, ctx);
}

} // namespace sarvo::files
