#pragma once
// Run-time errors: an error number and its description, as the handlers that report them
// through ReportError need them.

#include <QList>
#include <QString>

#include <exception>
#include <stdexcept>

namespace sarvo {

class AppError : public std::runtime_error {
public:
    AppError(int number, const QString& description);

    int number() const { return number_; }
    const QString& description() const { return description_; }

    // The numbers the program raises itself.
    static AppError invalidCall(const QString& detail = {});  // 5
    static AppError overflow();                                // 6
    static AppError outOfMemory();                             // 7
    static AppError subscriptOutOfRange();                     // 9
    static AppError divisionByZero();                          // 11
    static AppError typeMismatch();                            // 13
    static AppError fileNotFound(const QString& path = {});    // 53
    static AppError cancelled();                               // 32755, the file dialog's Cancel
    static AppError database(int number, const QString& description);
    // Error `number` with its standard text, followed by ": detail" when a detail is given.
    static AppError standard(int number, const QString& detail = {});

    // The error carried by any exception, for the handlers at the slot boundaries.
    static AppError fromException(std::exception_ptr error);

    static constexpr int kInvalidCall = 5;
    static constexpr int kOverflow = 6;
    static constexpr int kOutOfMemory = 7;
    static constexpr int kSubscriptOutOfRange = 9;
    static constexpr int kDivisionByZero = 11;
    static constexpr int kTypeMismatch = 13;
    static constexpr int kInternalError = 51;
    static constexpr int kBadFileName = 52;
    static constexpr int kFileNotFound = 53;
    static constexpr int kDeviceIoError = 57;
    static constexpr int kDiskFull = 61;
    static constexpr int kDllLoadError = 48;
    static constexpr int kDllFunctionNotFound = 453;
    static constexpr int kPermissionDenied = 70;
    static constexpr int kPathFileAccess = 75;
    static constexpr int kPathNotFound = 76;
    static constexpr int kObjectNotSet = 91;
    static constexpr int kCancelled = 32755;
    static constexpr int kDatabaseError = 3000; // used when the driver gives no number of its own

private:
    int number_;
    QString description_;
};

// The standard English message of a run-time error number; a number without one gives the text
// of an application-defined error.
QString StandardErrorText(int number);
// The numbers that have a standard message of their own.
QList<int> StandardErrorNumbers();

// "N:description \r\nlocation." with the location already translated.
QString FormatErrorMessage(int number, const QString& description, const QString& translatedLocation);

// Shows the common error message for the given error: the location text is translated, the box
// is modal, titled with the product name, with an OK button and the exclamation icon.
void ReportError(const QString& location, const AppError& error);
// The same outside any handler: number 0 and an empty description.
void ReportError(const QString& location);

// Runs fn; any exception it throws is reported with the location text and swallowed. Every
// event handler that has a location of its own wraps its body in this, so that no exception
// reaches the event loop. Returns false when an error was reported.
template <class Fn>
bool RunTrapped(const QString& location, Fn&& fn)
{
    try {
        fn();
        return true;
    } catch (...) {
        ReportError(location, AppError::fromException(std::current_exception()));
        return false;
    }
}

} // namespace sarvo
