#pragma once
// A clean program state for one test: a fresh program folder, the start values of the open
// case and the settings, recorded prompts and a recording main-window shell.

#include "app/app_context.h"
#include "app/app_shell.h"
#include "tests/support/scripted_prompts.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sarvo::test {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file in the test's program folder.
    QString path(const QString& name) const { return app().State.AppPath + name; }
    // Writes text (UTF-8) to a file in the program folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    // Creates a language database in the program folder with the columns English, German and
    // Japanese and opens it as the program's; rows as (form, english, german).
    void openFixtureLanguageDb(const QList<QStringList>& rows = {});

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    RecordingShell recordingShell;
};

} // namespace sarvo::test
