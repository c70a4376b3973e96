#include "core/progress.h"

namespace sarvo {

namespace {
BusyHandler& busyHandler()
{
    static BusyHandler handler;
    return handler;
}
} // namespace

void SetBusyHandler(BusyHandler handler)
{
    busyHandler() = std::move(handler);
}

void ShowBusy(bool busy)
{
    if (busyHandler())
        busyHandler()(busy);
}

} // namespace sarvo
