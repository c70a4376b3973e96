#include "app/config_window.h"

#include "app/main_commands.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/settings_file.h"
#include "gui/window_registry.h"
#include "tests/support/test_env.h"
#include "tests/support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string_view>

namespace sarvo {
namespace {

class ConfigWindowTest : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app().Settings = ReadSettings(appPath, iniFile).settings;
        ComputeUnits(app().Units, app().Settings, IniFile(iniFile));
        RegisterConfigWindow();
        configure();
    }

    // Opens the window, in front as after the command.
    void configure()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CmdConfigure();
        ASSERT_NE(window(), nullptr);
        window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
    }
    void type(const char* box, const char* text, bool leave = true)
    {
        test::TypeInto(*control<QWidget>(box), QString::fromLatin1(text), leave);
    }
    // A click once the window is laid out as the user sees it (a panel just shown has its size
    // only then).
    void click(const char* name)
    {
        QCoreApplication::processEvents();
        QAbstractButton* button = control<QAbstractButton>(name);
        // On the option's mark: a wide option takes clicks on its mark and caption only.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->height() / 2, button->height() / 2));
    }

    // Whether the window is still loaded once a closed one has been deleted.
    static bool loaded()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return windows().isLoaded(WindowId::Configure);
    }
    ConfigWindow* window() const { return qobject_cast<ConfigWindow*>(windows().loaded(WindowId::Configure)); }
    template <class T>
    T* control(const char* name) const
    {
        T* c = window()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    // Every setting, as the settings file holds it.
    QByteArray written(const Settings& s) const
    {
        EXPECT_TRUE(WriteSettings(s, path("copy.ini")).ok());
        return readFile("copy.ini");
    }

    // Changes every kind of box.
    void editEverything()
    {
        control<QComboBox>("cboTempUnits")->setCurrentIndex(1);
        type("cboGaugeExp", "5");
        type("txtScaleFactor", "2");
        type("cboComm", "/dev/ttyUSB3");
        click("optType(2)");
        click("optAxis(3)");
    }
};

TEST_F(ConfigWindowTest, TheUnitNamesFollowAChangeOfLanguage)
{
    openFixtureLanguageDb({{"Message", "Fahrenheit", "Grad Fahrenheit"}});
    SetTextLanguage("German");
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(window(), &change);
    EXPECT_EQ(control<QComboBox>("cboTempUnits")->itemText(1), "Grad Fahrenheit");
}

TEST_F(ConfigWindowTest, CancelEscAndCloseLeaveTheSettingsAsTheyWere)
{
    const QByteArray before = written(app().Settings);
    const std::function<void()> leaves[] = {
        [this] { control<QPushButton>("CmdCancel")->click(); },
        [this] { QTest::keyClick(control<QLineEdit>("txtScaleFactor"), Qt::Key_Escape); },
        [this] { window()->close(); },
    };
    for (const auto& leave : leaves) {
        configure();
        editEverything();
        leave();
        EXPECT_FALSE(loaded());
        EXPECT_EQ(written(app().Settings), before);
    }
    EXPECT_EQ(recordingShell.unitsChangedCount(), 0);
}

TEST_F(ConfigWindowTest, EnterStoresTheEntriesAndRefreshesTheDisplays)
{
    EXPECT_FALSE(window()->isModal());
    editEverything();
    EXPECT_EQ(control<QComboBox>("cboCalExp")->currentText(), "6.4"); // 11.5 per degree Celsius
    EXPECT_TRUE(control<QRadioButton>("optAxis(1)")->isChecked());
    EXPECT_TRUE(control<QWidget>("pnlType(2)")->isVisibleTo(window()));
    EXPECT_FALSE(control<QWidget>("pnlType(0)")->isVisibleTo(window()));
    QTest::keyClick(control<QComboBox>("cboGaugeExp"), Qt::Key_Return);

    EXPECT_FALSE(loaded());
    const Settings& s = app().Settings;
    EXPECT_EQ(s.TemperatureUnits, "Fahrenheit");
    EXPECT_DOUBLE_EQ(s.GaugeExpCoeff, 9.0);
    EXPECT_EQ(s.CalibratorExpCoeff, 11.5);
    EXPECT_EQ(s.ScaleFactor, 2.0);
    EXPECT_EQ(s.BallBarType, 2);
    EXPECT_EQ(s.CommPort, "/dev/ttyUSB3");
    EXPECT_EQ(s.AxisNumber, 2);
    EXPECT_EQ(recordingShell.unitsChangedCount(), 1);
}

TEST_F(ConfigWindowTest, RejectedOkStoresNothingAndResetsTheBox)
{
    const QByteArray before = written(app().Settings);
    editEverything();
    type("cboInterrupt", "16");
    control<QPushButton>("CmdOk")->click();

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "IRQ-number must be between 0 - 15");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(control<QComboBox>("cboInterrupt")->currentText(), "12");
    EXPECT_TRUE(loaded());
    EXPECT_EQ(written(app().Settings), before);
}

// A number box that holds no number refuses OK naming its field and shows again the value it
// showed; nothing is stored until a number is typed. The reliability box keeps the text when left.
// A number with group separators is one the reading would cut ("1,250.5" reads 1.5): refused alike.
TEST_F(ConfigWindowTest, TextThatIsNoNumberIsRefusedNamingTheFieldAndTheValueStays)
{
    window()->close();
    app().Settings.GaugeExpCoeff = 11.5;
    configure();
    const QByteArray before = written(app().Settings);
    const std::pair<const char*, const char*> boxes[] = {
        {"cboGaugeExp", "Gauge Expansion Coefficient"}, {"cboCalExp", "Calibrator Expansion Coefficient"},
        {"txtScaleFactor", "Scale Factor"},             {"cboStaticCount", "Static Measurements / Point"},
        {"txtReli", "Reliability of Ball Bar"},
    };
    for (const auto& [box, field] : boxes) {
        for (const char* typed : {"xyz", "1,250.5", "1,000,000"}) {
            prompts.messages.clear();
            const QString shown = test::TextFieldOf(*control<QWidget>(box))->text();
            type(box, typed, box == std::string_view("txtReli"));
            QTest::keyClick(test::TextFieldOf(*control<QWidget>(box)), Qt::Key_Return);
            ASSERT_EQ(prompts.messages.size(), 1u) << box << " " << typed;
            EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. %1 = %2").arg(field, typed));
            ASSERT_TRUE(loaded());
            EXPECT_EQ(test::TextFieldOf(*control<QWidget>(box))->text(), shown);
            EXPECT_TRUE(control<QWidget>(box)->hasFocus()) << box;
            EXPECT_EQ(written(app().Settings), before);
        }
    }
    EXPECT_EQ(control<QComboBox>("cboGaugeExp")->currentText(), "11.5");
    type("cboGaugeExp", "12.5", false);
    QTest::keyClick(control<QComboBox>("cboGaugeExp")->lineEdit(), Qt::Key_Return);
    EXPECT_FALSE(loaded());
    EXPECT_DOUBLE_EQ(app().Settings.GaugeExpCoeff, 12.5);
}

// Each typed text the beginning of an entry of its box's list ("10.0", "10.7", "20", "1E0", "10"),
// which the box must not complete; an I/O address of 0 is refused before.
TEST_F(ConfigWindowTest, EveryBoxKeepsWhatWasTypedAndOkStoresIt)
{
    const QByteArray before = written(app().Settings);
    type("cboPort", "0");
    click("CmdOk");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "I/O-port address must be between 0 - 500");
    EXPECT_EQ(control<QComboBox>("cboPort")->currentText(), "330");
    ASSERT_TRUE(loaded());
    EXPECT_EQ(written(app().Settings), before);

    for (QComboBox* box : window()->findChildren<QComboBox*>())
        EXPECT_TRUE(!box->isEditable() || !box->completer()) << box->objectName().toStdString();
    click("optType(0)");
    type("cboGaugeExp", "1");
    type("cboCalExp", "10");
    type("txtScaleFactor", "2");
    type("cboStaticCount", "2");
    type("txtReli", "3");
    type("cboComm", "/dev/ttyUSB");
    type("txtAddr", "C9000");
    type("cboPort", "1E");
    type("cboInterrupt", "1", false);
    QTest::keyClick(control<QComboBox>("cboInterrupt")->lineEdit(), Qt::Key_Return);
    ASSERT_FALSE(loaded());
    const Settings& s = app().Settings;
    EXPECT_DOUBLE_EQ(s.GaugeExpCoeff, 1.0);
    EXPECT_DOUBLE_EQ(s.CalibratorExpCoeff, 10.0);
    EXPECT_DOUBLE_EQ(s.ScaleFactor, 2.0);
    EXPECT_EQ(s.StaticMeasurements, 2);
    EXPECT_NEAR(s.ReliabilitySetting * app().Units.SmallFactor, 3.0, 1e-6);
    EXPECT_EQ(s.CommPort, "/dev/ttyUSB");
    EXPECT_EQ(s.BaseAddress, 0xC9000);
    EXPECT_EQ(s.IoAddress, 0x1E);
    EXPECT_EQ(s.IrqNumber, 1);

    // The own gauge's port, typed with the automatic detection off.
    configure();
    click("optType(3)");
    click("chkAutoDetect");
    type("cboBrintovale", "/dev/pts/", false);
    QTest::keyClick(control<QComboBox>("cboBrintovale")->lineEdit(), Qt::Key_Return);
    ASSERT_FALSE(loaded());
    EXPECT_EQ(app().Settings.BallBarType, 3);
    EXPECT_FALSE(app().Settings.AutoDetect);
    EXPECT_EQ(app().Settings.CommPort, "/dev/pts/");
}

// Clicking the chosen type keeps it and leaves the axes; an axis click moves both panels' choice
// and leaves the type.
TEST_F(ConfigWindowTest, ClickingTheChosenGaugeTypeKeepsIt)
{
    const auto checked = [this](const char* options) {
        QList<int> on;
        for (int i = 0; i < 4; ++i) {
            if (control<QRadioButton>(QStringLiteral("%1(%2)").arg(options).arg(i).toLatin1().constData())->isChecked())
                on << i;
        }
        return on;
    };
    const QString port = app().Settings.CommPort;
    for (int type = 0; type < 4; ++type) {
        configure();
        const QByteArray name = QStringLiteral("optType(%1)").arg(type).toLatin1();
        click(name.constData());
        click(name.constData()); // the chosen one
        EXPECT_EQ(checked("optType"), QList<int>{type});
        EXPECT_EQ(checked("optAxis"), (QList<int>{0, 2})) << type;
        click("CmdOk");
        ASSERT_FALSE(loaded());
        EXPECT_EQ(app().Settings.BallBarType, type);
        if (type != 3)
            EXPECT_EQ(app().Settings.CommPort, port);
    }
    configure();
    click("optType(1)");
    click("optAxis(1)");
    EXPECT_EQ(checked("optType"), QList<int>{1});
    EXPECT_EQ(checked("optAxis"), (QList<int>{1, 3}));
    click("CmdOk");
    EXPECT_EQ(app().Settings.AxisNumber, 2);
    EXPECT_EQ(app().Settings.BallBarType, 1);
}

} // namespace
} // namespace sarvo
