#pragma once
// What a procedure below the windows returns instead of showing a message: success, or the
// error it trapped together with the location text the program reports it under. The program
// and the windows pass a failed outcome to ReportOutcome, so the user sees the same message
// the procedure would once have shown itself; a batch or a capture can count it instead.

#include "core/app_error.h"

#include <QString>

#include <optional>
#include <utility>

namespace sarvo {

class Outcome {
public:
    Outcome() = default; // success

    static Outcome failure(const QString& location, const AppError& error)
    {
        Outcome o;
        o.location_ = location;
        o.error_ = error;
        return o;
    }
    // The error carried by the exception in flight, at the location.
    static Outcome fromCurrentException(const QString& location)
    {
        return failure(location, AppError::fromException(std::current_exception()));
    }

    bool ok() const { return !error_.has_value(); }
    explicit operator bool() const { return ok(); }

    // Only for a failed outcome.
    const QString& location() const { return location_; }
    const AppError& error() const { return *error_; }
    int number() const { return error_ ? error_->number() : 0; }
    bool cancelled() const { return number() == AppError::kCancelled; }

private:
    QString location_;
    std::optional<AppError> error_;
};

// Runs fn; an exception it throws becomes the failed outcome at the location. The counterpart
// of RunTrapped for code that must not show anything.
template <class Fn>
Outcome Trapped(const QString& location, Fn&& fn)
{
    try {
        std::forward<Fn>(fn)();
        return {};
    } catch (...) {
        return Outcome::fromCurrentException(location);
    }
}

// Shows a failed outcome through ReportError (nothing for success); returns whether it was ok.
// For the program and the windows only.
bool ReportOutcome(const Outcome& outcome);

} // namespace sarvo
