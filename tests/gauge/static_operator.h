#pragma once
// The operator of a static capture: each point latched at the first live reading after the session
// waits for it.

#include "gauge/capture_session.h"

#include <memory>
#include <utility>

namespace sarvo::gauge {

template <class Latch>
void LatchEachPointAtItsFirstReading(CaptureSession& session, QObject* context, Latch latch)
{
    auto waiting = std::make_shared<bool>(false);
    QObject::connect(&session, &CaptureSession::staticPointWaiting, context, [waiting] { *waiting = true; });
    QObject::connect(&session, &CaptureSession::liveReading, context, [waiting, latch] {
        if (std::exchange(*waiting, false))
            latch();
    });
}

} // namespace sarvo::gauge
