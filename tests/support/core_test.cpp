#include "tests/support/core_test.h"

#include "core/language_db.h"
#include "core/progress.h"
#include "core/sql_script.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace sarvo::test {

void CoreTest::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    appPath = QDir(dir.path()).absolutePath() + "/";
    iniFile = appPath + "Sarvotex.ini";
    setPrompts(&prompts);
    SetBusyHandler([this](bool busy) { busyDepth_ += busy ? 1 : -1; });
    SetTextLanguage(QString());
}

void CoreTest::TearDown()
{
    // A test that expects a message looks at it; anything else shown is a fault of its own.
    if (!prompts.messages.lookedAt()) {
        for (const auto& m : prompts.messages.unlooked())
            ADD_FAILURE() << "unexpected message: " << m.text.toStdString();
    }
    CloseLanguageDatabase();
    SetTextLanguage(QString());
    SetBusyHandler({});
    setPrompts(nullptr);
}

int CoreTest::reportsAt(const QString& location) const
{
    int n = 0;
    for (const auto& m : prompts.messages)
        n += m.text.contains(location) ? 1 : 0;
    return n;
}

void CoreTest::execLanguageSql(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
}

std::optional<QVariant> CoreTest::languageRow(const QString& form, const QString& english)
{
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    q.prepare("SELECT German FROM Languages WHERE Form = ? AND English = ?");
    q.addBindValue(form);
    q.addBindValue(english);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return q.value(0);
}

int CoreTest::languageRowCount(const QString& table)
{
    QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
    q.exec("SELECT COUNT(*) FROM " + table);
    q.next();
    return q.value(0).toInt();
}

QString CoreTest::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return f.fileName();
}

QByteArray CoreTest::readFile(const QString& name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void CoreTest::openFixtureLanguageDb(const QList<QStringList>& rows)
{
    QString script = QStringLiteral(
        "CREATE TABLE Languages (Form TEXT NOT NULL COLLATE NOCASE, English TEXT NOT NULL COLLATE NOCASE,"
        " German TEXT, Japanese TEXT, PRIMARY KEY (Form, English));\n"
        "CREATE TABLE LangMemo (Form TEXT NOT NULL COLLATE NOCASE, Tag TEXT NOT NULL COLLATE NOCASE,"
        " English TEXT, German TEXT, Japanese TEXT, PRIMARY KEY (Form, Tag));\n"
        "CREATE TABLE Errors (ErrNo INTEGER PRIMARY KEY, English TEXT, German TEXT, Japanese TEXT);\n");
    auto quoted = [](const QString& s) -> QString { return "'" + QString(s).replace("'", "''") + "'"; };
    for (const QStringList& row : rows)
        script += QStringLiteral("INSERT INTO Languages (Form, English, German) VALUES (%1, %2, %3);\n")
                      .arg(quoted(row.value(0)), quoted(row.value(1)), quoted(row.value(2)));
    const QString file = path(kLangDbFileName);
    QFile::remove(file);
    ASSERT_EQ(CreateDatabaseFromScript(file, script), QString());
    OpenLanguageDatabase(appPath);
    ASSERT_TRUE(languageDb().isOpen());
}

} // namespace sarvo::test
