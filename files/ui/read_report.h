#pragma once
// How the program and its windows tell the user how a read went: an error report under its
// location, the refusal as a message box, or the notes of a successful read, each in a box. Inline, so that the windowless dump shows
// failures the same way without linking the windows.

#include "core/app_error.h"
#include "core/prompts.h"
#include "files/read_context.h"

namespace sarvo {

inline void ReportReadResult(const files::ReadResult& result)
{
    switch (result.kind) {
    case files::ReadResult::Kind::Error:
        ReportError(result.location, AppError(result.number, result.message));
        break;
    case files::ReadResult::Kind::Message:
        prompts().message(QString(), result.message, result.icon);
        break;
    case files::ReadResult::Kind::Ok:
        for (const QString& note : result.notes)
            prompts().message(QString(), note, MessageIcon::Warning);
        break;
    case files::ReadResult::Kind::Cancelled:
        break;
    }
}

} // namespace sarvo
