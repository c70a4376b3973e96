#include "app/about_window.h"
#include "gui/input_window.h"
#include "gui/progress_window.h"
#include "gui/qt_prompts.h"
#include "app/splash_window.h"
#include "gui/translate_form.h"
#include "gui/help_window.h"

#include "core/language_db.h"
#include "app/program_state.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sarvo {
namespace {

class SmallWindowsTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app().State.VersionString = "4.7.12";
    }

    void TearDown() override
    {
        // Stops any action or watchdog still waiting for a modal window.
        guard.reset();
        AppTest::TearDown();
    }

    // Runs action on the modal window as soon as it is up. A watchdog rejects a modal window that
    // is still open long after, so a broken window fails the test instead of hanging it.
    void onModal(std::function<void(QWidget&)> action)
    {
        auto* poll = new QTimer(guard.get());
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, action, tries = 0]() mutable {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                poll->stop();
                action(*modal);
                poll->deleteLater();
            } else if (++tries > 2000) {
                poll->stop();
                ADD_FAILURE() << "no modal window appeared";
            }
        });
        poll->start();
        QTimer::singleShot(8000, guard.get(), [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "modal window " << dialog->objectName().toStdString() << " left open";
                dialog->reject();
            }
        });
    }

    void exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
    }

    int languageRows(const QString& form, const QString& english)
    {
        QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
        q.prepare("SELECT COUNT(*) FROM Languages WHERE Form = ? AND English = ?");
        q.addBindValue(form);
        q.addBindValue(english);
        EXPECT_TRUE(q.exec() && q.next());
        return q.value(0).toInt();
    }

    std::unique_ptr<QObject> guard = std::make_unique<QObject>();
};

// ---- The question window through AskInput and the program's prompts ----

class SmallWindowsQuestion : public SmallWindowsTest {
protected:
    void SetUp() override
    {
        SmallWindowsTest::SetUp();
        openFixtureLanguageDb({{"Input", "&OK", "&OK"},
                               {"Input", "&Cancel", "&Abbrechen"},
                               {"Input", "Kysymys", "Frage"},
                               {"Input", "Name of the new session?", "Name der neuen Sitzung?"}});
        SetTextLanguage("German");
        main.setWindowTitle("Sarvotrenk Analyse");
        setPrompts(&qtPrompts);
    }

    void TearDown() override
    {
        setPrompts(nullptr);
        SmallWindowsTest::TearDown();
    }

    // Asks through AskInput with an older answer still held, closing the window with close.
    QString askAfterOlderAnswer(std::function<void(InputFrm&)> close)
    {
        app().State.InputAnswer = "Mill 3";
        onModal([close](QWidget& w) {
            auto* form = qobject_cast<InputFrm*>(&w);
            if (!form) {
                ADD_FAILURE() << "the modal window is not the question window";
                return;
            }
            QTest::keyClicks(form->answerBox(), "typed but not taken");
            close(*form);
        });
        return AskInput("Name of the new session?");
    }

    QMainWindow main;
    QtPrompts qtPrompts{&main};
};

TEST_F(SmallWindowsQuestion, OkReturnsTheTypedTextAndTheWindowShowsThePromptAsPassed)
{
    app().State.InputAnswer = "Mill 3";
    QString caption, question, initialAnswer, cancelCaption;
    onModal([&](QWidget& w) {
        auto* form = qobject_cast<InputFrm*>(&w);
        ASSERT_NE(form, nullptr);
        caption = form->windowTitle();
        question = form->question()->text();
        initialAnswer = form->answerBox()->text();
        cancelCaption = form->cancelButton()->text();
        QTest::keyClicks(form->answerBox(), "Session A");
        QTest::mouseClick(form->okButton(), Qt::LeftButton);
    });

    EXPECT_EQ(AskInput("Name of the new session?"), "Session A");
    EXPECT_EQ(app().State.InputAnswer, "Session A");

    EXPECT_EQ(caption, main.windowTitle());
    // The window is translated before the question is set: the prompt is shown exactly as passed,
    // although the window's group has a translation for it.
    EXPECT_EQ(question, "Name of the new session?");
    EXPECT_EQ(initialAnswer, "");
    EXPECT_EQ(cancelCaption, "&Abbrechen");
    // The caption was looked up under the window's Tag.
    EXPECT_EQ(languageRows("Input", main.windowTitle()), 1);
}

TEST_F(SmallWindowsQuestion, OkWithAnEmptyBoxIsAnAnswerNotACancel)
{
    onModal([](QWidget& w) {
        auto* form = qobject_cast<InputFrm*>(&w);
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->okButton(), Qt::LeftButton);
    });
    const std::optional<QString> answer = qtPrompts.askText("title", "Anything?", "");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "");

    app().State.InputAnswer = "Mill 3";
    onModal([](QWidget& w) {
        auto* form = qobject_cast<InputFrm*>(&w);
        ASSERT_NE(form, nullptr);
        QTest::mouseClick(form->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(AskInput("Anything?"), "");
    EXPECT_EQ(app().State.InputAnswer, "");
}

TEST_F(SmallWindowsQuestion, CancelEscAndTheCloseBoxNeverAnswerWithAnOlderAnswer)
{
    const std::pair<const char*, std::function<void(InputFrm&)>> ways[] = {
        {"Cancel", [](InputFrm& f) { QTest::mouseClick(f.cancelButton(), Qt::LeftButton); }},
        {"Esc in the answer box", [](InputFrm& f) { QTest::keyClick(f.answerBox(), Qt::Key_Escape); }},
        {"Esc on a button",
         [](InputFrm& f) {
             f.okButton()->setFocus();
             QTest::keyClick(f.okButton(), Qt::Key_Escape);
         }},
        {"close box", [](InputFrm& f) { f.close(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        EXPECT_EQ(askAfterOlderAnswer(close), "");
        EXPECT_EQ(app().State.InputAnswer, "");
    }

    // The program's prompts report each of these as a cancel.
    onModal([](QWidget& w) {
        if (auto* form = qobject_cast<InputFrm*>(&w))
            form->close();
    });
    EXPECT_FALSE(qtPrompts.askText("title", "Anything?", "old").has_value());
}

TEST_F(SmallWindowsQuestion, EnterInTheAnswerBoxMovesTheFocusOnInsteadOfClosing)
{
    bool stillOpen = false;
    bool focusOnOk = false;
    onModal([&](QWidget& w) {
        auto* form = qobject_cast<InputFrm*>(&w);
        ASSERT_NE(form, nullptr);
        form->answerBox()->setFocus();
        QTest::keyClicks(form->answerBox(), "Line 2");
        QTest::keyClick(form->answerBox(), Qt::Key_Return);
        stillOpen = form->isVisible() && form->result() == 0;
        focusOnOk = form->focusWidget() == form->okButton();
        // The keypad's Enter does the same; then Enter on the focused OK button accepts.
        form->answerBox()->setFocus();
        QTest::keyClick(form->answerBox(), Qt::Key_Enter);
        stillOpen = stillOpen && form->isVisible();
        QTest::keyClick(form->okButton(), Qt::Key_Return);
    });

    EXPECT_EQ(AskInput("Which line?"), "Line 2");
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(focusOnOk);
}

// ---- The progress window ----

class SmallWindowsProgress : public SmallWindowsTest {
protected:
    QMainWindow main;
};

TEST_F(SmallWindowsProgress, AnUnshownWindowStillDisablesTheMainWindowUntilClosed)
{
    ProgressWindowHost host(&main);
    host.open(false);
    ASSERT_NE(host.window(), nullptr);
    EXPECT_FALSE(host.window()->isVisible());
    EXPECT_FALSE(main.isEnabled());
    // The window itself stays live although its parent is disabled.
    EXPECT_TRUE(host.window()->isEnabled());

    host.setPercent(40);
    EXPECT_EQ(host.window()->meter()->value(), 40);
    host.setPercent(250);
    EXPECT_EQ(host.window()->meter()->value(), 100);
    host.setPercent(-3);
    EXPECT_EQ(host.window()->meter()->value(), 0);
    EXPECT_FALSE(main.isEnabled());

    host.close();
    EXPECT_EQ(host.window(), nullptr);
    EXPECT_TRUE(main.isEnabled());
    host.close(); // closing twice is harmless
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(SmallWindowsProgress, TheCloseBoxEnablesTheMainWindowAndTheNextUpdateLoadsItAgain)
{
    {
        ProgressWindowHost host(&main);
        host.open(true);
        ASSERT_NE(host.window(), nullptr);
        EXPECT_TRUE(host.window()->isVisible());
        EXPECT_FALSE(main.isEnabled());

        host.window()->close();
        EXPECT_TRUE(main.isEnabled());
        EXPECT_EQ(host.window(), nullptr);

        // The computation goes on: its next update loads the window again, unshown.
        host.setPercent(70);
        ASSERT_NE(host.window(), nullptr);
        EXPECT_FALSE(host.window()->isVisible());
        EXPECT_EQ(host.window()->meter()->value(), 70);
        EXPECT_FALSE(main.isEnabled());
    }
    // The host going away closes the window.
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(SmallWindowsProgress, DestroyingTheWindowEnablesTheMainWindow)
{
    {
        WaitForm form(&main);
        EXPECT_FALSE(main.isEnabled());
    }
    EXPECT_TRUE(main.isEnabled());

    // A window that goes with its main window does no harm.
    auto* doomed = new QMainWindow;
    QPointer<WaitForm> orphan = new WaitForm(doomed);
    EXPECT_FALSE(doomed->isEnabled());
    delete doomed;
    EXPECT_TRUE(orphan.isNull());
}

TEST_F(SmallWindowsProgress, AnUpdateRunsNoPendingEvents)
{
    ProgressWindowHost host(&main);
    host.open(true);
    bool ran = false;
    QTimer::singleShot(0, guard.get(), [&ran] { ran = true; });
    host.setPercent(10);
    EXPECT_FALSE(ran); // a click handled here would re-enter the computation
    EXPECT_EQ(host.window()->meter()->value(), 10);
}

TEST_F(SmallWindowsProgress, TranslatedUnderItsTag)
{
    openFixtureLanguageDb({{"Wait", "Sarvotrenk", "Sarvotrenk"},
                           {"Wait", "One moment, please...", "Einen Moment bitte..."}});
    SetTextLanguage("German");
    WaitForm form(&main);
    EXPECT_EQ(form.findChild<QLabel*>("Label1")->text(), "Einen Moment bitte...");
    EXPECT_EQ(form.windowTitle(), "Sarvotrenk");
}

// ---- The about window ----

class SmallWindowsAbout : public SmallWindowsTest {
protected:
    void SetUp() override
    {
        SmallWindowsTest::SetUp();
        openFixtureLanguageDb({{"About", "C&opyright", "&Urheberrecht"},
                               {"About", "&Limitation of liability", "&Haftungsausschluss"},
                               {"About", "&Close", "&Schließen"}});
        SetTextLanguage("German");
    }
};

TEST_F(SmallWindowsAbout, TabCaptionsFollowTheTranslatedLabels)
{
    frmAbout about;
    EXPECT_EQ(about.typeLabel(0)->text(), "&Urheberrecht");
    EXPECT_EQ(about.tabs()->tabText(0), "&Urheberrecht");
    EXPECT_EQ(about.tabs()->tabText(1), "&Haftungsausschluss");
    EXPECT_EQ(about.tabs()->currentIndex(), 0);
    EXPECT_EQ(about.closeButton()->text(), QString::fromUtf8("&Schließen"));
    EXPECT_EQ(about.versionLabel()->text(), "4.7.12");
    EXPECT_EQ(busyDepth(), 0);

    // A later change of a label's language reaches its tab.
    about.typeLabel(1)->setText("&Limitation of liability");
    about.syncTabCaptions();
    EXPECT_EQ(about.tabs()->tabText(1), "&Limitation of liability");
}

TEST_F(SmallWindowsAbout, EnglishCaptionsStayWhenTheLanguageIsEnglish)
{
    SetTextLanguage("English");
    frmAbout about;
    EXPECT_EQ(about.tabs()->tabText(0), "C&opyright");
    EXPECT_EQ(about.tabs()->tabText(1), "&Limitation of liability");
    EXPECT_EQ(about.liabilityLabel()->text(), frmAbout::liabilityText());
}

TEST_F(SmallWindowsAbout, LiabilityTextComesFromTheLongTextTableOnlyWhenItHasTheRow)
{
    exec("INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('About', 'Other', 'x', 'Falscher Text')");
    {
        frmAbout about;
        EXPECT_EQ(about.liabilityLabel()->text(), frmAbout::liabilityText());
        // Too long to be a key: it is neither found nor added.
        EXPECT_EQ(languageRows("About", frmAbout::liabilityText()), 0);
    }

    exec("INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('About', 'Limit', 'x', "
         "'Diese Software wird ohne Gewähr geliefert.')");
    frmAbout about;
    EXPECT_EQ(about.liabilityLabel()->text(), QString::fromUtf8("Diese Software wird ohne Gewähr geliefert."));
}

TEST_F(SmallWindowsAbout, EscAndCloseButtonCloseTheModalWindow)
{
    for (bool useEsc : {true, false}) {
        SCOPED_TRACE(useEsc ? "Esc" : "Close button");
        bool driven = false;
        onModal([&](QWidget& w) {
            auto* about = qobject_cast<frmAbout*>(&w);
            ASSERT_NE(about, nullptr);
            driven = true;
            if (useEsc)
                QTest::keyClick(about->tabs(), Qt::Key_Escape);
            else
                QTest::mouseClick(about->closeButton(), Qt::LeftButton);
        });
        frmAbout::showModal(nullptr);
        EXPECT_TRUE(driven);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// ---- The help window ----

class SmallWindowsHelp : public SmallWindowsTest {
protected:
    void SetUp() override
    {
        SmallWindowsTest::SetUp();
        openFixtureLanguageDb({{"Help", "Help", "Hilfe"}, {"Help", "&Close", QString::fromUtf8("&Schließen")}});
        SetTextLanguage("German");
        // Not maximised and off the screen's centre, so centred on it differs from centred on the screen.
        main.setGeometry(QRect(available().topLeft() + QPoint(150, 100), QSize(600, 500)));
        main.show();
    }

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    QMainWindow main;
    HtmlHelpSystem help{&main};
};

TEST_F(SmallWindowsHelp, OpensTranslatedAndCentredOnTheMainWindow)
{
    help.helpOnHelp();
    HelpWindow* window = help.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->windowTitle(), "Hilfe");
    EXPECT_EQ(window->closeButton()->text(), QString::fromUtf8("&Schließen"));
    const QPoint offset = window->frameGeometry().center() - main.frameGeometry().center();
    // The frame the window manager adds after showing may shift it by its width.
    EXPECT_LE(offset.manhattanLength(), 4) << offset.x() << "," << offset.y();
    EXPECT_TRUE(available().contains(window->frameGeometry()));

    // Open again while shown, it stays where the user moved it.
    window->move(window->pos() + QPoint(30, 20));
    const QPoint moved = window->pos();
    help.helpOnHelp();
    EXPECT_EQ(window->pos(), moved);
}

TEST_F(SmallWindowsHelp, EscAndTheCloseButtonCloseItAndTheNextCallShowsItAgain)
{
    const std::pair<const char*, std::function<void(HelpWindow&)>> ways[] = {
        {"Esc in the page", [](HelpWindow& w) { QTest::keyClick(w.browser(), Qt::Key_Escape); }},
        {"Esc on the button",
         [](HelpWindow& w) {
             w.closeButton()->setFocus();
             QTest::keyClick(w.closeButton(), Qt::Key_Escape);
         }},
        {"Close button", [](HelpWindow& w) { QTest::mouseClick(w.closeButton(), Qt::LeftButton); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        help.helpOnHelp();
        HelpWindow* window = help.window();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->isVisible());
        close(*window);
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_TRUE(main.isVisible());
}

// ---- The splash window ----

TEST_F(SmallWindowsTest, SplashShowsTheVersionAndEnablesTheMainWindowWhenItGoes)
{
    QMainWindow main;
    main.setEnabled(false);
    {
        frmFirst splash(&main);
        splash.load();
        EXPECT_TRUE(splash.isVisible());
        EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_EQ(splash.versionLabel()->text(), "4.7.12");
        EXPECT_FALSE(main.isEnabled());
        splash.close();
        EXPECT_TRUE(main.isEnabled());

        main.setEnabled(false);
    }
    // Closed once, the splash does not enable the main window a second time.
    EXPECT_FALSE(main.isEnabled());

    {
        frmFirst splash(&main);
        splash.load();
    }
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(SmallWindowsTest, SplashIsTranslatedUnderItsOwnName)
{
    openFixtureLanguageDb({{"frmFirst", "Version:", "Programmversion:"}});
    SetTextLanguage("German");
    frmFirst splash;
    splash.load();
    TranslateForm(splash);
    EXPECT_EQ(splash.findChild<QLabel*>("lblItem1")->text(), "Programmversion:");
    // The version is not a caption to translate.
    EXPECT_EQ(splash.versionLabel()->text(), "4.7.12");
    EXPECT_EQ(languageRows("frmFirst", "4.7.12"), 0);
    EXPECT_EQ(languageRows("frmFirst", "Sarvotrenk Analysis Software"), 1);
}

TEST_F(SmallWindowsTest, VersionCaptionsNameNoOtherSystemAndTheShippedTextsTranslateThem)
{
    OpenLanguageDatabase(appPath); // created from the shipped texts
    for (const char* language : {"English", "German"}) {
        SCOPED_TRACE(language);
        SetTextLanguage(language);
        frmFirst splash;
        splash.load();
        TranslateForm(splash);
        frmAbout about;
        const std::pair<QString, QLabel*> captions[] = {{"frmFirst", splash.findChild<QLabel*>("lblItem1")},
                                                        {"About", about.findChild<QLabel*>("LblLogo1")}};
        for (const auto& [form, label] : captions) {
            SCOPED_TRACE(form.toStdString());
            ASSERT_NE(label, nullptr);
            EXPECT_FALSE(label->text().contains("Windows"));
            EXPECT_TRUE(label->text().startsWith("Version:"));
            // A shipped row with a text in this language, not a key the window had to add.
            QSqlQuery q(QSqlDatabase::database(kLangDbConnection));
            q.prepare(QString("SELECT 1 FROM Languages WHERE Form = ? AND %1 = ? AND German IS NOT NULL").arg(language));
            q.addBindValue(form);
            q.addBindValue(label->text());
            ASSERT_TRUE(q.exec());
            EXPECT_TRUE(q.next()) << label->text().toStdString();
        }
    }
}

TEST_F(SmallWindowsTest, TheShippedTextsTranslateTheAboutWindowWholeAndAddNothing)
{
    OpenLanguageDatabase(appPath);
    const int shipped = languageRowCount("Languages");
    SetTextLanguage("German");
    frmAbout about;
    EXPECT_EQ(about.findChild<QLabel*>("LblLogo4")->text(), "Alle Rechte vorbehalten.");
    // What the English says: the results depend on the set-up, skilled staff must check them.
    const QString liability = about.findChild<QLabel*>("LblLimit1")->text();
    EXPECT_TRUE(liability.contains(QString::fromUtf8("hängen vom Aufbau der Maschine")) && liability.contains("Fachpersonal"));
    EXPECT_EQ(languageRowCount("Languages"), shipped);
}

} // namespace
} // namespace sarvo
