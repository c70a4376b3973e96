// The language window in the started program: its options from the language database, the
// preview on its own texts, OK switching every open window, and Cancel, Esc and the close box
// leaving everything as it was.
#include "app/after_load.h"
#include "app/app_context.h"
#include "app/language_window.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/program_db.h"
#include "app/startup.h"
#include "core/language_db.h"
#include "gui/program_services.h"
#include "gui/translate_form.h"
#include "gui/help_window.h"
#include "gui/input_window.h"
#include "gui/progress_window.h"
#include "gui/window_registry.h"
#include "casedb/ui/mac_list_window.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

namespace sarvo {
namespace {

class LanguageWindowTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        previousHome = qgetenv("SARVOTEX_HOME");
        qputenv("SARVOTEX_HOME", dir.path().toUtf8());
        services() = ProgramServices();
        main = std::make_unique<MainWindow>();
        StartOptions options;
        options.programFolder = programFolder.path();
        options.showWindows = false;
        StartApplication(*main, options); // English, over the shipped texts
        ASSERT_TRUE(languageDb().isOpen());
    }

    void TearDown() override
    {
        windows().reset();
        main.reset();
        services() = ProgramServices();
        qputenv("SARVOTEX_HOME", previousHome);
        AppTest::TearDown();
    }

    // Adds language columns to the program's language database and opens it again.
    void addLanguages(const QStringList& columnDefinitions)
    {
        for (const QString& column : columnDefinitions)
            execLanguageSql("ALTER TABLE Languages ADD COLUMN " + column + " TEXT");
        OpenLanguageDatabase(app().State.AppPath);
    }

    frmLang* loadWindow()
    {
        auto* window = qobject_cast<frmLang*>(windows().ensureLoaded(WindowId::Language));
        EXPECT_NE(window, nullptr);
        if (window)
            window->show();
        return window;
    }

    bool windowGone()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !windows().isLoaded(WindowId::Language);
    }

    QString openCaption() const { return main->action("MOpen")->text(); }

    QByteArray previousHome;
    QTemporaryDir programFolder;
    std::unique_ptr<MainWindow> main;
};

TEST_F(LanguageWindowTest, FourLanguagesGiveTwoRowsOfOptionsWithTheirIconsAndTheCurrentOneChosen)
{
    addLanguages({"Japanese", "\"Portuguese (Brazil)\""});
    // A language's icon is named after the first eight characters of its name.
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(app().State.AppPath + "German.ico", "ICO"));
    ASSERT_TRUE(picture.save(app().State.AppPath + "Portugue.ico", "ICO"));
    SetTextLanguage("German");

    frmLang* window = loadWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->optionCount(), 4);
    const QStringList names = {"English", "German", "Japanese", "Portuguese (Brazil)"};
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const QRadioButton* o = window->option(n);
        EXPECT_EQ(o->toolTip(), names[n]);
        EXPECT_EQ(o->isChecked(), n == 1);
        EXPECT_TRUE(o->isEnabled());
        const bool hasIcon = n == 1 || n == 3;
        EXPECT_EQ(o->icon().isNull(), !hasIcon);
        // Without its picture an option shows its name.
        EXPECT_EQ(o->text(), hasIcon ? QString() : names[n]);
    }
    // Three in the first row, the fourth under the first.
    const auto place = [window](int n) { return window->option(n)->geometry(); };
    EXPECT_EQ(place(1).top(), place(0).top());
    EXPECT_EQ(place(2).top(), place(0).top());
    EXPECT_LT(place(0).right(), place(1).left());
    EXPECT_LT(place(1).right(), place(2).left());
    EXPECT_EQ(place(3).left(), place(0).left());
    EXPECT_GT(place(3).top(), std::max(place(0).bottom(), place(1).bottom()));
    EXPECT_EQ(window->windowTitle(), "Sprache");
    EXPECT_TRUE(prompts.messages.empty());

    const LanguageChoice choice(names, "German", "/p/");
    EXPECT_EQ(choice.options()[3].iconFile, "/p/Portugue.ico");
    EXPECT_EQ(choice.options()[3].row, 1);
    EXPECT_EQ(choice.options()[3].column, 0);
}

TEST_F(LanguageWindowTest, CancelEscAndTheCloseBoxLeaveTheLanguageAndEveryWindowAsTheyWere)
{
    const QString englishOpen = openCaption();
    const std::pair<const char*, std::function<void(frmLang&)>> ways[] = {
        {"Cancel", [](frmLang& w) { QTest::mouseClick(w.cancelButton(), Qt::LeftButton); }},
        {"Esc", [](frmLang& w) { QTest::keyClick(w.option(1), Qt::Key_Escape); }},
        {"close box", [](frmLang& w) { w.close(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        frmLang* window = loadWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(window->optionCount(), 2); // the shipped English and German
        EXPECT_TRUE(window->option(0)->isChecked());
        QTest::mouseClick(window->option(1), Qt::LeftButton);
        // The preview shows the window's own texts in German, and no other window's.
        EXPECT_EQ(window->windowTitle(), "Sprache");
        EXPECT_EQ(window->cancelButton()->text(), "&Abbrechen");
        EXPECT_EQ(openCaption(), englishOpen);
        leave(*window);
        EXPECT_TRUE(windowGone());
        EXPECT_EQ(TextLanguage(), "English");
        EXPECT_EQ(app().Settings.Language, "English");
        EXPECT_EQ(openCaption(), englishOpen);
        EXPECT_EQ(Translate("Read only"), "Read only");
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LanguageWindowTest, OkFromTheMenuSwitchesEveryOpenWindowAndKeepsTheChoice)
{
    ASSERT_TRUE(main->action("MLanguage")->isEnabled());
    // An open window of its own, with a caption holding a quote and a language whose name is SQL.
    addLanguages({"\"Deutsch'; DROP TABLE Languages; --\""});
    const QString hostile = "Deutsch'; DROP TABLE Languages; --";
    execLanguageSql("UPDATE Languages SET \"" + hostile + "\" = German");
    execLanguageSql("INSERT INTO Languages (Form, English, \"" + hostile
                    + "\") VALUES ('Demo', 'Operator''s name', 'Name des Bedieners')");
    QWidget demo;
    demo.setProperty("tag", "Demo");
    auto* label = new QLabel("Operator's name", &demo);
    TranslateForm(demo);

    bool driven = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* window = qobject_cast<frmLang*>(QApplication::activeModalWidget());
        if (!window)
            return;
        poll.stop();
        driven = true;
        ASSERT_EQ(window->optionCount(), 3);
        EXPECT_EQ(window->option(2)->toolTip(), hostile);
        QTest::mouseClick(window->option(2), Qt::LeftButton);
        QTest::mouseClick(window->okButton(), Qt::LeftButton);
    });
    poll.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "language window left open";
            dialog->reject();
        }
    });
    watchdog.start(8000);
    main->action("MLanguage")->trigger();

    ASSERT_TRUE(driven);
    EXPECT_TRUE(windowGone());
    EXPECT_EQ(label->text(), "Name des Bedieners");
    EXPECT_EQ(openCaption(), QString::fromUtf8("Fall aus &Datei öffnen..."));
    EXPECT_EQ(app().State.AppTitle, "Sarvotrenk Analyse");
    EXPECT_EQ(app().Settings.Language, hostile);
    EXPECT_EQ(TextLanguage(), hostile);
    EXPECT_EQ(app().State.HelpFile, "EngAna.hlp");
    EXPECT_EQ(languageDb().languages(), QStringList({"English", "German", hostile}));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LanguageWindowTest, WithoutALanguageDatabaseTheLoadIsReportedAndOnlyTheDesignedOptionStays)
{
    CloseLanguageDatabase();
    frmLang* window = loadWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(reportsAt("Opening language window"), 1);
    EXPECT_EQ(window->optionCount(), 1);
    EXPECT_EQ(window->chosenLanguage(), "");
    QTest::mouseClick(window->okButton(), Qt::LeftButton);
    EXPECT_TRUE(windowGone());
    EXPECT_EQ(app().Settings.Language, "English");
}

// The shipped texts in German for every window the program has: the frame, every window it
// registers (loaded after the switch, the case windows over an open case) and the common small
// windows. A text a window shows that the shipped database lacks is added without German and
// fails here.
TEST_F(LanguageWindowTest, EveryWindowOfTheProgramShowsGermanFromTheShippedTexts)
{
    const auto rowsWithoutGerman = [] {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        q.exec("SELECT Form || ': ' || English FROM Languages WHERE German IS NULL ORDER BY Form, English");
        QStringList rows;
        while (q.next())
            rows << q.value(0).toString();
        return rows.join(" | ").toStdString();
    };
    ASSERT_EQ(rowsWithoutGerman(), "");
    SwitchLanguage(*main, "German");
    test::FillTwoWayCircle(app().OpenCase);
    RunAfterFileRead(true, "/data/circle.rtb");
    for (const char* item : {"MResult", "MGraph", "MSimuGraph"})
        main->action(item)->trigger();
    int registered = 0;
    for (int id = 0; id <= int(WindowId::Measure); ++id) {
        if (!windows().isRegistered(WindowId(id)))
            continue;
        ++registered;
        EXPECT_TRUE(windows().show(WindowId(id))) << WindowName(WindowId(id)).toStdString();
    }
    EXPECT_GE(registered, 9);
    InputFrm input(main.get(), main->windowTitle());
    WaitForm wait(main.get());
    HelpWindow help(main.get());
    MacList machines(mainCaseStore(), main.get());
    EXPECT_EQ(rowsWithoutGerman(), "");
    EXPECT_EQ(main->windowTitle(), "Sarvotrenk Analyse");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
}

} // namespace
} // namespace sarvo
