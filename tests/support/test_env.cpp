#include "tests/support/test_env.h"

#include "core/language_db.h"
#include "gui/window_registry.h"

namespace sarvo::test {

void AppTest::SetUp()
{
    CoreTest::SetUp();
    ResetAppContext();
    setShell(&recordingShell);
    app().State.AppPath = appPath;
    app().State.IniFile = iniFile;
}

void AppTest::TearDown()
{
    windows().reset();
    setShell(nullptr);
    ResetAppContext();
    CoreTest::TearDown();
}

void AppTest::openFixtureLanguageDb(const QList<QStringList>& rows)
{
    CoreTest::openFixtureLanguageDb(rows);
    app().State.LangDb = languageDb().connectionName();
}

} // namespace sarvo::test
