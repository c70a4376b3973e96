#pragma once
// How the program and its windows tell the user of a read that failed: an error report under
// its location, or the refusal as a message box. Inline, so that the windowless dump shows
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
    case files::ReadResult::Kind::Cancelled:
        break;
    }
}

} // namespace sarvo
