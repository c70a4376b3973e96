// Translation through the language database: lookups, keys added for missing texts, hostile
// language names and read-only databases.
#include "core/app_error.h"
#include "core/language_db.h"
#include "core/sql_script.h"
#include "tests/support/core_test.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

using namespace sarvo;
using sarvo::test::CoreTest;

class Translation : public CoreTest {
protected:
    static void exec(const QString& sql) { execLanguageSql(sql); }
    static std::optional<QVariant> row(const QString& form, const QString& english) { return languageRow(form, english); }
    static int rowCount(const QString& table) { return languageRowCount(table); }
};

TEST_F(Translation, WithoutADatabaseEveryTextComesBackUnchanged)
{
    SetTextLanguage("German");
    EXPECT_EQ(Translate("Starting"), "Starting");
    EXPECT_EQ(GetErrorText(9), "Subscript out of range");
}

TEST_F(Translation, MissingMessageIsAddedAndStaysEnglishUntilTranslated)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    SetTextLanguage("German");
    EXPECT_EQ(Translate("Saving"), "Speichern");
    EXPECT_EQ(Translate("saving"), "Speichern"); // keys compare without regard to case
    EXPECT_EQ(Translate("Loading"), "Loading");
    const auto added = row("Message", "Loading");
    ASSERT_TRUE(added.has_value());
    EXPECT_TRUE(added->isNull());
    EXPECT_EQ(Translate("Loading"), "Loading");
    EXPECT_EQ(rowCount("Languages"), 2);
    exec("UPDATE Languages SET German = '' WHERE English = 'Loading'");
    EXPECT_EQ(Translate("Loading"), ""); // an empty cell is a translation to the empty text
}

TEST_F(Translation, EnglishReturnsTheKeyItself)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    SetTextLanguage("English");
    EXPECT_EQ(Translate("Saving"), "Saving");
}

TEST_F(Translation, UnknownOrHostileLanguageNamesNeverReachTheQuery)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    for (const QString& language : {QString("Klingon"), QString("Form"),
                                    QString("German FROM Languages; DROP TABLE Languages; --"),
                                    QString("\"German\""), QString("German\" || \"x")}) {
        SetTextLanguage(language);
        EXPECT_EQ(Translate("Saving"), "Saving") << language.toStdString();
        EXPECT_EQ(Translate("Fresh text"), "Fresh text");
    }
    EXPECT_EQ(rowCount("Languages"), 2); // still there; the fresh text was added once
    EXPECT_EQ(languageDb().languages(), QStringList({"English", "German", "Japanese"}));
    SetTextLanguage("german");
    EXPECT_EQ(Translate("Saving"), "Speichern");
}

TEST_F(Translation, TextsLongerThanAKeyAreNeitherFoundNorAdded)
{
    openFixtureLanguageDb();
    SetTextLanguage("German");
    const QString liability(601, 'x');
    EXPECT_EQ(Translate(liability), liability);
    EXPECT_EQ(rowCount("Languages"), 0);
}

TEST_F(Translation, AReadOnlyDatabaseTranslatesButAddsNothing)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    CloseLanguageDatabase();
    QFile::setPermissions(path(kLangDbFileName), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_TRUE(OpenLanguageDatabase(appPath)); // read-only
    EXPECT_TRUE(languageDb().isOpen());
    SetTextLanguage("German");
    EXPECT_EQ(Translate("Saving"), "Speichern");
    EXPECT_EQ(Translate("Not there"), "Not there");
    EXPECT_FALSE(row("Message", "Not there").has_value());
    CloseLanguageDatabase();
    QFile::setPermissions(path(kLangDbFileName), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Translation, DeviceErrorTexts)
{
    openFixtureLanguageDb();
    exec("INSERT INTO Errors (ErrNo, English, German) VALUES (1001, 'Gauge not found', 'Messgerät nicht gefunden')");
    exec("INSERT INTO Errors (ErrNo, English) VALUES (1002, 'Time-out')");
    SetTextLanguage("German");
    EXPECT_EQ(GetErrorText(1001), QString::fromUtf8("Messgerät nicht gefunden"));
    EXPECT_EQ(GetErrorText(1002), StandardErrorText(1002)); // no German text: the standard message
    EXPECT_EQ(GetErrorText(53), "File not found");
    SetTextLanguage("English");
    EXPECT_EQ(GetErrorText(1002), "Time-out");
    EXPECT_EQ(busyDepth(), 0);
}

TEST_F(Translation, TheShippedDatabaseIsCreatedWhenMissingAndSpeaksGerman)
{
    ASSERT_FALSE(QFile::exists(path(kLangDbFileName)));
    EXPECT_FALSE(OpenLanguageDatabase(appPath)); // writable
    EXPECT_TRUE(QFile::exists(path(kLangDbFileName)));
    EXPECT_TRUE(languageDb().languages().contains("German"));
    SetTextLanguage("German");
    EXPECT_EQ(Translate("Starting"), "Programmstart");
    EXPECT_EQ(TranslateIn("Main", "Sarvotrenk Analysis"), "Sarvotrenk Analyse");
    // German names help pages of its own; found without regard to case.
    EXPECT_EQ(Translate("ENGANA.HLP"), "GerAna.hlp");
    EXPECT_EQ(Translate("EngErr.hlp"), "GerErr.hlp");
    SetTextLanguage("English");
    EXPECT_EQ(Translate("ENGANA.HLP"), "EngAna.hlp"); // found without regard to case
}

TEST_F(Translation, ADamagedDatabaseFileCannotBeOpened)
{
    writeFile(kLangDbFileName, "this is not a database at all, just some text that is long enough");
    EXPECT_THROW(OpenLanguageDatabase(appPath), AppError);
    EXPECT_FALSE(languageDb().isOpen());
    EXPECT_EQ(Translate("Starting"), "Starting");
}

TEST(SqlScript, StatementsSplitOutsideQuotesAndComments)
{
    const QStringList s = SplitSqlScript("-- heading; with a semicolon\nCREATE TABLE t (a TEXT);\n"
                                         "INSERT INTO t VALUES ('a;b');INSERT INTO t VALUES ('it''s');");
    ASSERT_EQ(s.size(), 3);
    EXPECT_EQ(s[0], "CREATE TABLE t (a TEXT)");
    EXPECT_EQ(s[1], "INSERT INTO t VALUES ('a;b')");
    EXPECT_EQ(s[2], "INSERT INTO t VALUES ('it''s')");
}
