#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace sarvo {

namespace {

// The language columns of the language database are English names.
struct LocaleName {
    const char* language;
    const char* locale;
};
constexpr LocaleName kLocaleNames[] = {
    {"English", "en"}, {"German", "de"},  {"French", "fr"},    {"Italian", "it"},  {"Spanish", "es"},
    {"Dutch", "nl"},   {"Danish", "da"},  {"Finnish", "fi"},   {"Swedish", "sv"},  {"Polish", "pl"},
    {"Czech", "cs"},   {"Russian", "ru"}, {"Japanese", "ja"},  {"Korean", "ko"},   {"Chinese", "zh_CN"},
};

QPointer<QTranslator> g_qtTranslator;

} // namespace

QString QtLocaleName(const QString& language)
{
    // Language columns match without regard to case, so the names here do too.
    for (const LocaleName& name : kLocaleNames) {
        if (language.compare(QLatin1String(name.language), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(name.locale);
    }
    return {};
}

QString QtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool InstallQtTranslations(const QString& language, const QString& folder)
{
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator);
        delete g_qtTranslator.data();
    }
    const QString locale = QtLocaleName(language);
    if (locale.isEmpty() || !QCoreApplication::instance())
        return false;
    // The application owns the translator, so it never outlives the application.
    auto* translator = new QTranslator(QCoreApplication::instance());
    // The base catalogue holds every text of the Qt modules the program uses.
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    g_qtTranslator = translator;
    return true;
}

} // namespace sarvo
