#include "app/config_window.h"

#include "app/main_commands.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/settings_file.h"
#include "gui/window_registry.h"
#include "tests/support/test_env.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

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
        CmdConfigure();
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
        control<QComboBox>("cboGaugeExp")->setEditText("5");
        control<QLineEdit>("txtScaleFactor")->setText("2");
        control<QComboBox>("cboComm")->setEditText("/dev/ttyUSB3");
        control<QRadioButton>("optType(2)")->click();
        control<QRadioButton>("optAxis(3)")->click();
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
        CmdConfigure();
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
    control<QComboBox>("cboInterrupt")->setEditText("16");
    control<QPushButton>("CmdOk")->click();

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "IRQ-number must be between 0 - 15");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(control<QComboBox>("cboInterrupt")->currentText(), "12");
    EXPECT_TRUE(loaded());
    EXPECT_EQ(written(app().Settings), before);
}

} // namespace
} // namespace sarvo
