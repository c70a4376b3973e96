#include "gui/form_utilities.h"
#include "gui/number_fields.h"

#include "core/ini_file.h"
#include "core/language_db.h"
#include "tests/support/core_test.h"
#include "tests/support/typing.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

TEST(FormUtilitiesCenter, TopLevelWindowOnItsScreen)
{
    QWidget window;
    window.resize(300, 200);
    window.move(available().topLeft() + QPoint(7, 9));
    CenterForm(window);
    const QRect frame = window.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - available().center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - available().center().y()), 1);

    // A control centres the window it lies in.
    QLineEdit* edit = new QLineEdit(&window);
    window.move(available().topLeft());
    CenterForm(*edit);
    EXPECT_LE(std::abs(window.frameGeometry().center().x() - available().center().x()), 1);
}

TEST(FormUtilitiesCenter, TopLevelWindowOnAnotherStaysOnTheScreen)
{
    QWidget owner;
    owner.setGeometry(QRect(available().topLeft() + QPoint(250, 200), QSize(300, 240)));
    QWidget window;
    window.resize(200, 100);
    CenterForm(window, owner);
    EXPECT_LE((window.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 1);

    // An owner in the corner: centred on it the window would stick out of the screen.
    owner.setGeometry(QRect(available().topLeft(), QSize(100, 80)));
    CenterForm(window, owner);
    EXPECT_EQ(window.pos(), available().topLeft());
}

TEST(FormUtilitiesCenter, MdiChildInTheClientArea)
{
    QMdiArea area;
    area.resize(640, 480);
    area.show();
    auto* child = new QWidget;
    QMdiSubWindow* sub = area.addSubWindow(child);
    sub->resize(200, 100);
    sub->move(5, 5);
    CenterForm(*child);
    const QSize client = area.viewport()->size();
    EXPECT_EQ(sub->pos(), QPoint((client.width() - 200) / 2, (client.height() - 100) / 2));

    sub->resize(client.width() + 100, 50);
    CenterForm(*sub);
    EXPECT_EQ(sub->pos(), QPoint(0, (client.height() - 50) / 2));
}

TEST(FormUtilitiesClamp, APlaceIsMovedAndShrunkOntoTheArea)
{
    const QRect screen(0, 0, 1600, 1000);
    // Already inside: unchanged, also touching the edges.
    EXPECT_EQ(ClampToArea(QRect(100, 50, 300, 200), screen), QRect(100, 50, 300, 200));
    EXPECT_EQ(ClampToArea(screen, screen), screen);
    // Reaching past each side: moved back inside, size kept.
    EXPECT_EQ(ClampToArea(QRect(1500, 900, 300, 200), screen), QRect(1300, 800, 300, 200));
    EXPECT_EQ(ClampToArea(QRect(-50, -20, 300, 200), screen), QRect(0, 0, 300, 200));
    // Wholly off (old places in twips).
    EXPECT_EQ(ClampToArea(QRect(-30000, 30000, 400, 300), screen), QRect(0, 700, 400, 300));
    // Larger than the area: shrunk to it.
    EXPECT_EQ(ClampToArea(QRect(-10, 10, 2000, 1200), screen), screen);
    EXPECT_EQ(ClampToArea(QRect(200, 100, 500, 1400), screen), QRect(200, 0, 500, 1000));

    // An area that does not start at the origin: a second screen, a panel at the top.
    const QRect second(1600, 30, 1280, 994);
    EXPECT_EQ(ClampToArea(QRect(100, 0, 500, 400), second), QRect(1600, 30, 500, 400));
    EXPECT_EQ(ClampToArea(QRect(2800, 900, 500, 400), second), QRect(2380, 624, 500, 400));
}

class FormUtilitiesPlace : public test::CoreTest {
protected:
    QString section = QStringLiteral("Places");
    QString stored(const QString& key) const
    {
        return IniFile(iniFile).get(section, key, QStringLiteral("<none>"));
    }
    void store(const QString& key, const QString& value) const
    {
        ASSERT_TRUE(IniFile(iniFile).set(section, key, value));
    }
};

TEST_F(FormUtilitiesPlace, SavedPlaceIsRestored)
{
    const QPoint origin = available().topLeft();
    QWidget saved;
    saved.setWindowTitle("Results");
    saved.setGeometry(QRect(origin + QPoint(40, 30), QSize(320, 240)));
    SaveFormPlace(saved, iniFile);
    EXPECT_EQ(stored("Results top"), QString::number(saved.y()));
    EXPECT_EQ(stored("Results width"), QString::number(saved.width()));

    QWidget restored;
    restored.setWindowTitle("Results");
    restored.resize(100, 100);
    LoadFormPlace(restored, iniFile);
    EXPECT_EQ(restored.pos(), saved.pos());
    EXPECT_EQ(restored.size(), saved.size());

    QWidget other;
    other.setWindowTitle("Graph");
    other.resize(150, 120);
    LoadFormPlace(other, iniFile);
    EXPECT_EQ(other.pos(), QPoint(0, 0));
    EXPECT_EQ(other.size(), QSize(150, 120));
}

TEST_F(FormUtilitiesPlace, MinimisedOrMaximisedWindowsAreNotStored)
{
    QWidget window;
    window.setWindowTitle("Trend");
    window.setWindowState(Qt::WindowMaximized);
    SaveFormPlace(window, iniFile);
    window.setWindowState(Qt::WindowMinimized);
    SaveFormPlace(window, iniFile);
    EXPECT_EQ(stored("Trend top"), "<none>");
    EXPECT_EQ(stored("Trend height"), "<none>");
}

TEST_F(FormUtilitiesPlace, BadValueIsReportedAndStopsLoading)
{
    const QPoint origin = available().topLeft();
    store("Config top", QString::number(origin.y() + 20));
    store("Config left", "12.5x");
    store("Config height", "300");
    QWidget window;
    window.setWindowTitle("Config");
    window.setGeometry(QRect(origin + QPoint(1, 2), QSize(200, 100)));
    LoadFormPlace(window, iniFile);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("13:"));
    EXPECT_TRUE(prompts.messages[0].text.contains("Reading the position of form"));
    EXPECT_EQ(window.pos(), origin + QPoint(1, 20));
    EXPECT_EQ(window.size(), QSize(200, 100));

    prompts.messages.clear();
    store("Config left", "10");
    store("Config height", "40000");
    LoadFormPlace(window, iniFile);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("6:"));
    EXPECT_EQ(window.x(), 10);
    EXPECT_EQ(window.height(), 100);
}

TEST_F(FormUtilitiesPlace, PlaceOffEveryScreenComesBack)
{
    // Old files stored twips: far beyond any screen.
    store("Old top", "30000");
    store("Old left", "-30000");
    store("Old height", "6000");
    store("Old width", "9000");
    QWidget window;
    window.setWindowTitle("Old");
    LoadFormPlace(window, iniFile);
    EXPECT_EQ(window.pos(), available().topLeft());
    EXPECT_LE(window.width(), available().width());
    EXPECT_LE(window.height(), available().height());
}

TEST_F(FormUtilitiesPlace, PlaceReachingPastTheScreenIsMovedOntoItAndAnUnstoredOneIsNotThere)
{
    QWidget window;
    window.setWindowTitle("Trend");
    EXPECT_FALSE(HasStoredPlace(window, iniFile));
    store("Trend top", QString::number(available().top() + 10));
    EXPECT_TRUE(HasStoredPlace(window, iniFile));
    store("Trend left", QString::number(available().right() - 100));
    store("Trend height", "300");
    store("Trend width", "400");
    LoadFormPlace(window, iniFile);
    EXPECT_TRUE(available().contains(window.frameGeometry()));
    EXPECT_EQ(window.frameGeometry().right(), available().right());
    EXPECT_EQ(window.y(), available().top() + 10);
    EXPECT_EQ(window.size(), QSize(400, 300));
}

TEST_F(FormUtilitiesPlace, SectionIsTranslatedAndWriteFailureReported)
{
    openFixtureLanguageDb();
    QSqlQuery insert(QSqlDatabase::database(languageDb().connectionName()));
    ASSERT_TRUE(insert.prepare("INSERT INTO Languages (Form, English, German) VALUES ('Message', 'Places', ?)"));
    insert.addBindValue(QString::fromUtf8("Plätze"));
    ASSERT_TRUE(insert.exec());
    SetTextLanguage("German");
    section = QString::fromUtf8("Plätze");
    QWidget window;
    window.setWindowTitle("Results");
    window.setGeometry(QRect(available().topLeft() + QPoint(3, 4), QSize(210, 110)));
    SaveFormPlace(window, iniFile);
    EXPECT_EQ(stored("Results height"), "110");

    iniFile = path("missing folder/Sarvotex.ini");
    SaveFormPlace(window, iniFile);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].text.contains("Writing the position of form"));
}

TEST_F(FormUtilitiesPlace, MdiChildPlaceIsItsSubWindow)
{
    QMdiArea area;
    area.resize(640, 480);
    area.show();
    auto* child = new QWidget;
    child->setWindowTitle("Case");
    QMdiSubWindow* sub = area.addSubWindow(child);
    sub->setGeometry(30, 20, 250, 150);
    SaveFormPlace(*child, iniFile);
    EXPECT_EQ(stored("Case left"), "30");

    sub->setGeometry(0, 0, 100, 100);
    LoadFormPlace(*child, iniFile);
    EXPECT_EQ(sub->geometry(), QRect(30, 20, 250, 150));

    store("Case top", "5000");
    LoadFormPlace(*child, iniFile);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
}

TEST(FormUtilitiesList, SelectsFirstEqualEntry)
{
    QComboBox combo;
    combo.addItems({"mm", "inch", "Inch", "inch"});
    int changes = 0;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&] { ++changes; });
    for (const char* text : {"inch", "INCH", "in"})
        ListSelectText(combo, text);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(changes, 1);

    QListWidget list;
    list.addItems({"X", "Y", "Z"});
    int rowChanges = 0;
    QObject::connect(&list, &QListWidget::currentRowChanged, [&] { ++rowChanges; });
    ListSelectText(list, "Z");
    ListSelectText(list, "z");
    EXPECT_EQ(list.currentRow(), 2);
    EXPECT_EQ(rowChanges, 1);
}

TEST(FormUtilitiesKeys, EnterMovesToTheNextControl)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QLineEdit* edits[3];
    for (auto*& e : edits)
        layout->addWidget(e = new QLineEdit);
    window.show();
    QApplication::setActiveWindow(&window);
    edits[0]->setFocus();
    ASSERT_EQ(window.focusWidget(), edits[0]);

    // Each form of Enter moves on and is swallowed; focus wraps round at the end.
    for (int enter : {int(Qt::Key_Return), int(Qt::Key_Enter), 13}) {
        int key = enter;
        EnterAsTab(key, window);
        EXPECT_EQ(key, 0);
    }
    EXPECT_EQ(window.focusWidget(), edits[0]);
    int key = Qt::Key_Return;
    EnterAsTab(key, window);
    EXPECT_EQ(window.focusWidget(), edits[1]);

    for (int other : {int(Qt::Key_Tab), int(Qt::Key_A), 9, 27}) {
        key = other;
        EnterAsTab(key, window);
        EXPECT_EQ(key, other);
        EXPECT_EQ(window.focusWidget(), edits[1]);
    }
}

// A number field left with a text that is no number says so naming the field and shows again the
// last number, whether the program put it there or the user typed it; a number is taken.
TEST_F(FormUtilitiesPlace, ANumberFieldRefusesTextThatIsNoNumberAndShowsTheLastNumber)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(QStringLiteral("20.0"));
    layout->addWidget(field);
    layout->addWidget(new QLineEdit);
    WatchNumberField(*field, QStringLiteral("Gauge Temperature"));
    QObject::connect(field, &QLineEdit::editingFinished, field, [field] { NumberKept(*field); });
    window.show();
    QApplication::setActiveWindow(&window);
    field->setText(QStringLiteral("21.5"));
    for (const auto& [typed, shown] : {std::pair{"abc", "21.5"}, {"22,5", "22,5"}, {"1.5.2", "22,5"}}) {
        prompts.messages.clear();
        test::TypeInto(*field, QString::fromLatin1(typed));
        EXPECT_EQ(field->text(), shown) << typed;
        if (field->text() == QLatin1String(typed))
            continue;
        ASSERT_EQ(prompts.messages.size(), 1u) << typed;
        EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. Gauge Temperature = %1").arg(typed));
        EXPECT_EQ(window.focusWidget(), field);
    }
}

TEST(FormUtilitiesFont, ArialOrItsStandIn)
{
    QFont font(QStringLiteral("DejaVu Serif"), 11);
    font.setBold(true);
    SetPrinterFont(font);
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_TRUE(font.bold());
    const QStringList families = QFontDatabase::families();
    if (std::any_of(families.begin(), families.end(), [](const QString& f) { return f.contains("Arial"); }))
        EXPECT_TRUE(font.family().contains("Arial"));
    else if (families.contains("Liberation Sans")) // fonts-liberation, installed with the program
        EXPECT_EQ(font.family(), "Liberation Sans");
    else
        EXPECT_EQ(font.family(), "DejaVu Serif");
}

} // namespace
} // namespace sarvo
