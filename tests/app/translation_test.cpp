// Translation through the language database: lookups, keys added for missing texts, hostile
// language names, read-only databases, and the translation of a whole window.
#include "app/app_context.h"
#include "app/language_db.h"
#include "app/sql_script.h"
#include "app/ui/translate_form.h"
#include "tests/support/test_env.h"

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolBar>

using namespace sarvo;
using sarvo::test::AppTest;

class Translation : public AppTest {
protected:
    void exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }
    // The row (form, english) and whether its German cell is Null.
    std::optional<QVariant> row(const QString& form, const QString& english)
    {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        q.prepare("SELECT German FROM Languages WHERE Form = ? AND English = ?");
        q.addBindValue(form);
        q.addBindValue(english);
        if (!q.exec() || !q.next())
            return std::nullopt;
        return q.value(0);
    }
    int rowCount(const QString& table)
    {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        q.exec("SELECT COUNT(*) FROM " + table);
        q.next();
        return q.value(0).toInt();
    }
};

TEST_F(Translation, WithoutADatabaseEveryTextComesBackUnchanged)
{
    app().Settings.Language = "German";
    EXPECT_EQ(Translate("Starting"), "Starting");
    EXPECT_EQ(GetErrorText(9), "Subscript out of range");
}

TEST_F(Translation, MissingMessageIsAddedAndStaysEnglishUntilTranslated)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    app().Settings.Language = "German";
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
    app().Settings.Language = "English";
    EXPECT_EQ(Translate("Saving"), "Saving");
}

TEST_F(Translation, UnknownOrHostileLanguageNamesNeverReachTheQuery)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    for (const QString& language : {QString("Klingon"), QString("Form"),
                                    QString("German FROM Languages; DROP TABLE Languages; --"),
                                    QString("\"German\""), QString("German\" || \"x")}) {
        app().Settings.Language = language;
        EXPECT_EQ(Translate("Saving"), "Saving") << language.toStdString();
        EXPECT_EQ(Translate("Fresh text"), "Fresh text");
    }
    EXPECT_EQ(rowCount("Languages"), 2); // still there; the fresh text was added once
    EXPECT_EQ(languageDb().languages(), QStringList({"English", "German", "Japanese"}));
    app().Settings.Language = "german";
    EXPECT_EQ(Translate("Saving"), "Speichern");
}

TEST_F(Translation, TextsLongerThanAKeyAreNeitherFoundNorAdded)
{
    openFixtureLanguageDb();
    app().Settings.Language = "German";
    const QString liability(601, 'x');
    EXPECT_EQ(Translate(liability), liability);
    EXPECT_EQ(rowCount("Languages"), 0);
}

TEST_F(Translation, AReadOnlyDatabaseTranslatesButAddsNothing)
{
    openFixtureLanguageDb({{"Message", "Saving", "Speichern"}});
    CloseLanguageDatabase();
    QFile::setPermissions(path(kLangDbFileName), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    OpenLanguageDatabase();
    EXPECT_TRUE(app().State.LangDbReadOnly);
    app().Settings.Language = "German";
    EXPECT_EQ(Translate("Saving"), "Speichern");
    EXPECT_EQ(Translate("Not there"), "Not there");
    EXPECT_FALSE(row("Message", "Not there").has_value());
    EXPECT_TRUE(prompts.messages.empty());
    CloseLanguageDatabase();
    QFile::setPermissions(path(kLangDbFileName), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(Translation, DeviceErrorTexts)
{
    openFixtureLanguageDb();
    exec("INSERT INTO Errors (ErrNo, English, German) VALUES (1001, 'Gauge not found', 'Messgerät nicht gefunden')");
    exec("INSERT INTO Errors (ErrNo, English) VALUES (1002, 'Time-out')");
    app().Settings.Language = "German";
    EXPECT_EQ(GetErrorText(1001), QString::fromUtf8("Messgerät nicht gefunden"));
    EXPECT_EQ(GetErrorText(1002), StandardErrorText(1002)); // no German text: the standard message
    EXPECT_EQ(GetErrorText(53), "File not found");
    app().Settings.Language = "English";
    EXPECT_EQ(GetErrorText(1002), "Time-out");
    EXPECT_EQ(recordingShell.busyDepth(), 0);
}

TEST_F(Translation, TheShippedDatabaseIsCreatedWhenMissingAndSpeaksGerman)
{
    ASSERT_FALSE(QFile::exists(path(kLangDbFileName)));
    OpenLanguageDatabase();
    EXPECT_TRUE(QFile::exists(path(kLangDbFileName)));
    EXPECT_TRUE(languageDb().languages().contains("German"));
    app().Settings.Language = "German";
    EXPECT_EQ(Translate("Starting"), "Programmstart");
    EXPECT_EQ(TranslateIn("Main", "Sarvotrenk Analysis"), "Sarvotrenk Analyse");
    EXPECT_EQ(Translate("ENGANA.HLP"), "ENGANA.HLP"); // no German help file: the name stays
    app().Settings.Language = "English";
    EXPECT_EQ(Translate("ENGANA.HLP"), "EngAna.hlp"); // found without regard to case
}

TEST_F(Translation, ADamagedDatabaseFileCannotBeOpened)
{
    writeFile(kLangDbFileName, "this is not a database at all, just some text that is long enough");
    EXPECT_THROW(OpenLanguageDatabase(), AppError);
    EXPECT_TRUE(app().State.LangDb.isEmpty());
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

class WindowTranslation : public Translation {
protected:
    void SetUp() override
    {
        Translation::SetUp();
        openFixtureLanguageDb({{"Demo", "&Close", "&Schließen"},
                               {"Demo", "Close the window", "Fenster schließen"},
                               {"Demo", "Demo window", "Testfenster"},
                               {"Demo", "&File", "&Datei"},
                               {"Demo", "E&xit", "&Beenden"},
                               {"Demo", "Open", "Öffnen"},
                               {"Demo", "Open a file", "Datei öffnen"}});
        exec("INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('Demo', 'Limit', 'long', 'Lange Haftungsklausel')");
        app().Settings.Language = "German";
    }
};

TEST_F(WindowTranslation, CaptionsToolTipsMenusAndToolbarUnderTheWindowsTag)
{
    QMainWindow window;
    window.setProperty("tag", "Demo");
    window.setWindowTitle("Demo window");
    auto* close = new QPushButton("&Close", &window);
    close->setToolTip("Close the window");
    auto* unknown = new QLabel("Radius", &window);
    auto* edit = new QLineEdit(&window);
    edit->setToolTip("Open a file");
    QMenu* file = window.menuBar()->addMenu("&File");
    QAction* exit = file->addAction("E&xit");
    QToolBar* bar = window.addToolBar("tools");
    QAction* open = bar->addAction("Open");
    open->setToolTip("Open a file");
    QAction* recent = file->addAction("/data/run.rtb");
    recent->setProperty("noTranslate", true);

    TranslateForm(window);

    EXPECT_EQ(window.windowTitle(), "Testfenster");
    EXPECT_EQ(close->text(), QString::fromUtf8("&Schließen"));
    EXPECT_EQ(close->toolTip(), QString::fromUtf8("Fenster schließen"));
    EXPECT_EQ(unknown->text(), "Radius");
    EXPECT_TRUE(row("Demo", "Radius").has_value()); // added under the window's group
    EXPECT_EQ(edit->toolTip(), QString::fromUtf8("Datei öffnen"));
    EXPECT_EQ(file->title(), "&Datei");
    EXPECT_EQ(exit->text(), "&Beenden");
    EXPECT_EQ(open->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(open->toolTip(), QString::fromUtf8("Datei öffnen"));
    EXPECT_EQ(recent->text(), "/data/run.rtb");
    EXPECT_FALSE(row("Demo", "/data/run.rtb").has_value());
    EXPECT_FALSE(row("Message", "Radius").has_value());
}

TEST_F(WindowTranslation, TaggedLabelsFallBackToLangMemoAndAddNothing)
{
    QWidget window;
    window.setProperty("tag", "Demo");
    auto* liability = new QLabel(QString(601, 'L'), &window);
    liability->setProperty("tag", "Limit");
    auto* other = new QLabel("Some caption", &window);
    other->setProperty("tag", "NoSuchMemo");
    const int before = rowCount("Languages");

    TranslateForm(window);

    EXPECT_EQ(liability->text(), "Lange Haftungsklausel");
    EXPECT_EQ(other->text(), "Some caption");
    // Only the window's empty caption is added as a key; the tagged labels add nothing.
    EXPECT_EQ(rowCount("Languages"), before + 1);
    EXPECT_TRUE(row("Demo", "").has_value());
}

TEST_F(WindowTranslation, ChildWindowsAreLeftToThemselvesAndASecondPassAddsTranslatedKeys)
{
    QMainWindow window;
    window.setProperty("tag", "Demo");
    auto* area = new QMdiArea(&window);
    window.setCentralWidget(area);
    auto* child = new QWidget;
    child->setProperty("tag", "Child");
    auto* childButton = new QPushButton("&Close", child);
    area->addSubWindow(child);
    auto* groupBox = new QGroupBox("&File", &window);

    TranslateForm(window);
    EXPECT_EQ(childButton->text(), "&Close");
    EXPECT_EQ(groupBox->title(), "&Datei");

    // A window translated twice looks its translated captions up as English keys.
    TranslateForm(window);
    EXPECT_EQ(groupBox->title(), "&Datei");
    EXPECT_TRUE(row("Demo", "&Datei").has_value());
}

TEST_F(WindowTranslation, UnknownLanguageStillAddsMissingKeys)
{
    app().Settings.Language = "Klingon";
    QWidget window;
    window.setProperty("tag", "Demo");
    window.setWindowTitle("Demo window");
    auto* close = new QPushButton("&Close", &window);
    new QLabel("Brand new", &window);
    TranslateForm(window);
    EXPECT_EQ(window.windowTitle(), "Demo window");
    EXPECT_EQ(close->text(), "&Close");
    EXPECT_TRUE(row("Demo", "Brand new").has_value());
}
