#include "core/app_error.h"

#include "core/language_db.h"
#include "core/outcome.h"
#include "core/prompts.h"

#include <QHash>

#include <algorithm>
#include <cstdint>

#include <new>

namespace sarvo {

namespace {
constexpr const char* kProductTitle = "Sarvotrenk";
}

AppError::AppError(int number, const QString& description)
    : std::runtime_error(QString("%1: %2").arg(number).arg(description).toStdString())
    , number_(number)
    , description_(description)
{
}

AppError AppError::invalidCall(const QString& detail)
{
    return AppError(kInvalidCall, detail.isEmpty() ? StandardErrorText(kInvalidCall) : detail);
}
AppError AppError::overflow() { return AppError(kOverflow, StandardErrorText(kOverflow)); }
AppError AppError::outOfMemory() { return AppError(kOutOfMemory, StandardErrorText(kOutOfMemory)); }
AppError AppError::subscriptOutOfRange() { return AppError(kSubscriptOutOfRange, StandardErrorText(kSubscriptOutOfRange)); }
AppError AppError::divisionByZero() { return AppError(kDivisionByZero, StandardErrorText(kDivisionByZero)); }
AppError AppError::typeMismatch() { return AppError(kTypeMismatch, StandardErrorText(kTypeMismatch)); }

AppError AppError::fileNotFound(const QString& path) { return standard(kFileNotFound, path); }

AppError AppError::standard(int number, const QString& detail)
{
    QString text = StandardErrorText(number);
    if (!detail.isEmpty())
        text += ": " + detail;
    return AppError(number, text);
}

AppError AppError::cancelled() { return AppError(kCancelled, StandardErrorText(kCancelled)); }

AppError AppError::database(int number, const QString& description)
{
    return AppError(number > 0 ? number : kDatabaseError, description);
}

AppError AppError::fromException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AppError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (const std::out_of_range&) {
        return subscriptOutOfRange();
    } catch (const std::exception& e) {
        return AppError(kInternalError, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return standard(kInternalError);
    }
}

namespace {

const QHash<int, QString>& StandardErrorTexts()
{
    static const QHash<int, QString> texts = {
        {3, "Return without GoSub"},
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {7, "Out of memory"},
        {9, "Subscript out of range"},
        {10, "This array is fixed or temporarily locked"},
        {11, "Division by zero"},
        {13, "Type mismatch"},
        {14, "Out of string space"},
        {28, "Out of stack space"},
        {35, "Sub or Function not defined"},
        {48, "Error in loading DLL"},
        {51, "Internal error"},
        {52, "Bad file name or number"},
        {53, "File not found"},
        {54, "Bad file mode"},
        {55, "File already open"},
        {57, "Device I/O error"},
        {58, "File already exists"},
        {61, "Disk full"},
        {62, "Input past end of file"},
        {63, "Bad record number"},
        {67, "Too many files"},
        {68, "Device unavailable"},
        {70, "Permission denied"},
        {71, "Disk not ready"},
        {75, "Path/File access error"},
        {76, "Path not found"},
        {91, "Object variable or With block variable not set"},
        {94, "Invalid use of Null"},
        {321, "Invalid file format"},
        {380, "Invalid property value"},
        {453, "Specified DLL function not found"},
        {32755, "Cancel was selected."},
    };
    return texts;
}

} // namespace

QString StandardErrorText(int number)
{
    return StandardErrorTexts().value(number, QStringLiteral("Application-defined or object-defined error"));
}

QList<int> StandardErrorNumbers()
{
    QList<int> numbers = StandardErrorTexts().keys();
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QString FormatErrorMessage(int number, const QString& description, const QString& translatedLocation)
{
    return QString::number(number) + ":" + description + " \r\n" + translatedLocation + ".";
}

// The standard message that starts a description, in the user's language as the table of errors
// holds it (the old run-time library spoke the system's language); the detail after it stays.
QString LocalisedDescription(const AppError& error)
{
    const QString standard = StandardErrorText(error.number());
    const QString& description = error.description();
    if (error.number() < INT16_MIN || error.number() > INT16_MAX || !description.startsWith(standard))
        return description;
    return GetErrorText(static_cast<int16_t>(error.number())) + description.mid(standard.size());
}

void ReportError(const QString& location, const AppError& error)
{
    prompts().message(QString::fromLatin1(kProductTitle),
                      FormatErrorMessage(error.number(), LocalisedDescription(error), Translate(location)),
                      MessageIcon::Warning);
}

void ReportError(const QString& location)
{
    prompts().message(QString::fromLatin1(kProductTitle), FormatErrorMessage(0, QString(), Translate(location)),
                      MessageIcon::Warning);
}

bool ReportOutcome(const Outcome& outcome)
{
    if (outcome.ok())
        return true;
    ReportError(outcome.location(), outcome.error());
    return false;
}

} // namespace sarvo
