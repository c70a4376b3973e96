#pragma once
// A clean state for one test of the ground floor or the logic: a fresh program folder with its
// settings file path, recorded prompts, a counted busy indicator and the language texts are
// looked up in reset. No application object and no window.

#include "tests/support/scripted_prompts.h"

#include <QString>
#include <QVariant>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace sarvo::test {

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A file in the test's program folder.
    QString path(const QString& name) const { return appPath + name; }
    // Writes bytes to a file in the program folder and returns its path.
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& name) const;

    // Creates a language database in the program folder with the columns English, German and
    // Japanese and opens it as the one texts are looked up in; rows as (form, english, german).
    void openFixtureLanguageDb(const QList<QStringList>& rows = {});

    // How many busy indicators are up now.
    int busyDepth() const { return busyDepth_; }
    // How many messages so far name the location.
    int reportsAt(const QString& location) const;

    // The open language database: runs a statement, reads the German cell of the row (form,
    // english) (nullopt when there is no such row), counts a table's rows.
    static void execLanguageSql(const QString& sql);
    static std::optional<QVariant> languageRow(const QString& form, const QString& english);
    static int languageRowCount(const QString& table);

    QTemporaryDir dir;
    QString appPath; // ends in "/"
    QString iniFile; // appPath + "Sarvotex.ini"
    ScriptedPrompts prompts;

private:
    int busyDepth_ = 0;
};

} // namespace sarvo::test
