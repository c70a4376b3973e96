#pragma once
// A clean program state for one test of the program: on top of the ground floor's clean state,
// the start values of the open case, the settings and the program state (pointing at the test's
// program folder) and a recording main-window shell.

#include "app/app_context.h"
#include "app/app_shell.h"
#include "tests/support/core_test.h"

namespace sarvo::test {

class AppTest : public CoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the fixture language database as the program's (app().State.LangDb).
    void openFixtureLanguageDb(const QList<QStringList>& rows = {});

    RecordingShell recordingShell;
};

} // namespace sarvo::test
