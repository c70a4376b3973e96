#include "app/app_shell.h"

#include "core/installed.h"

namespace sarvo {

namespace {
Installed<AppShell, RecordingShell> g_shell;
} // namespace

AppShell& shell()
{
    return g_shell.get();
}

void setShell(AppShell* s)
{
    g_shell.install(s);
}

} // namespace sarvo
