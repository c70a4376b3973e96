// The translation of a whole window: captions, tool tips, menus and toolbar under the window's
// tag, the long-text fallback of tagged labels, and the keys a pass adds.
#include "core/language_db.h"
#include "gui/translate_form.h"
#include "tests/support/core_test.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolBar>

#include <optional>

using namespace sarvo;
using sarvo::test::CoreTest;

class WindowTranslation : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        openFixtureLanguageDb({{"Demo", "&Close", "&Schließen"},
                               {"Demo", "Close the window", "Fenster schließen"},
                               {"Demo", "Demo window", "Testfenster"},
                               {"Demo", "&File", "&Datei"},
                               {"Demo", "E&xit", "&Beenden"},
                               {"Demo", "Open", "Öffnen"},
                               {"Demo", "Open a file", "Datei öffnen"}});
        exec("INSERT INTO LangMemo (Form, Tag, English, German) VALUES ('Demo', 'Limit', 'long', 'Lange Haftungsklausel')");
        SetTextLanguage("German");
    }
    static void exec(const QString& sql) { execLanguageSql(sql); }
    static std::optional<QVariant> row(const QString& form, const QString& english) { return languageRow(form, english); }
    static int rowCount(const QString& table) { return languageRowCount(table); }
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
    // Neither the tagged labels nor the window's empty caption add a key.
    EXPECT_EQ(rowCount("Languages"), before);
    EXPECT_FALSE(row("Demo", "").has_value());
}

TEST_F(WindowTranslation, ChildWindowsAreLeftToThemselvesAndASecondPassTranslatesFromTheEnglish)
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

    // A window translated twice looks up its English captions, never its translated ones.
    TranslateForm(window);
    EXPECT_EQ(groupBox->title(), "&Datei");
    EXPECT_FALSE(row("Demo", "&Datei").has_value());
}

TEST_F(WindowTranslation, UnknownLanguageStillAddsMissingKeys)
{
    SetTextLanguage("Klingon");
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

TEST_F(WindowTranslation, RetranslationStartsFromTheEnglishAndLeavesTheProgramsOwnTexts)
{
    QMainWindow window;
    window.setProperty("tag", "Demo");
    QAction* exit = window.menuBar()->addMenu("&File")->addAction("E&xit"); // Qt's tool tip "Exit"
    QToolBar* bar = window.addToolBar("Open");
    auto* value = new QLabel("Open", &window);
    TranslateForm(window);
    const int rows = rowCount("Languages");
    EXPECT_EQ(bar->toggleViewAction()->text(), QString::fromUtf8("Öffnen"));
    value->setText("12.5"); // set by the window after its translation
    SetTextLanguage("English");
    RetranslateOpenForms();
    EXPECT_EQ(exit->text(), "E&xit");
    EXPECT_EQ(bar->toggleViewAction()->text(), "Open");
    EXPECT_EQ(value->text(), "12.5");
    EXPECT_EQ(TranslateIn("Demo", ""), "");
    EXPECT_EQ(rowCount("Languages"), rows);
}
