#include "app/app_shell.h"

namespace sarvo {

namespace {
RecordingShell g_fallback;
AppShell* g_installed = nullptr;
} // namespace

AppShell& shell()
{
    return g_installed ? *g_installed : g_fallback;
}

void setShell(AppShell* s)
{
    g_installed = s;
}

} // namespace sarvo
