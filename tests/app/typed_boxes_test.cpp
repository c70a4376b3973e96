// A new measurement as a user types it: every box of the case-information dialog and of the
// measurement window keeps the text typed into it (no box completes it from its list), Enter in
// the last box runs OK, and the measurement window and what it opens stay above the main window.

#include "app/app_context.h"
#include "app/case_save_command.h"
#include "app/measure_commands.h"
#include "app/program_db.h"
#include "core/ini_file.h"
#include "core/settings_file.h"
#include "core/utilities.h"
#include "gui/window_registry.h"
#include "tests/support/sample_cases.h"
#include "tests/support/test_env.h"
#include "tests/support/typing.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace sarvo {
namespace {

class TypedBoxes : public test::AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        app().Settings = ReadSettings(appPath, iniFile).settings;
        Settings& s = app().Settings;
        s.TemperatureUnits = QStringLiteral("Celsius");
        s.BallBarLength = 150;
        s.DefaultTestRadius = 150;
        s.Calibration.CalibratorCount = 2;
        s.Calibration.NominalLength[0] = 150;
        s.Calibration.NominalLength[1] = 300;
        // A gauge that is not there: the measurement window opens with one message.
        s.BallBarType = 0;
        s.CommPort = path(QStringLiteral("no-such-port"));
        ComputeUnits(app().Units, s, IniFile(iniFile));
        openDB();
        ASSERT_NE(mainCaseStore(), nullptr);
        // The lists of machines and sessions hold longer names beginning as the typed ones.
        test::FillTwoWayCircle(app().OpenCase);
        app().OpenCase.Header[HdrMachine] = QStringLiteral("MillA");
        ASSERT_EQ(SaveCaseToDb(QStringLiteral("Weekly 12")).outcome, casedb::SaveOutcome::Saved);
        app().OpenCase = Case{};

        RegisterMeasureWindows();
        windows().setDialogParent(&main);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    void TearDown() override
    {
        windows().reset();
        closeDB();
        AppTest::TearDown();
    }

    static bool active(QWidget* w)
    {
        if (!w || !QTest::qWaitForWindowExposed(w))
            return false;
        w->activateWindow();
        return QTest::qWaitForWindowActive(w);
    }
    template <class T>
    static T* control(QWidget& window, const char* name)
    {
        T* c = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QWidget main;
};

TEST_F(TypedBoxes, EveryBoxOfANewMeasurementKeepsWhatWasTypedAndTheWindowsStayInFront)
{
    // The length of the last measurement, against which the radius is checked as the focus passes.
    IniFile(iniFile).set(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), QStringLiteral("300.000"));
    ASSERT_TRUE(windows().show(WindowId::NewCase));
    QWidget* dialog = windows().loaded(WindowId::NewCase);
    ASSERT_TRUE(active(dialog));

    // Each a beginning of an entry of its box's list: "MillA", "Weekly 12", "150.000", "10.0".
    const std::pair<const char*, const char*> typed[] = {
        {"txtCustomer", "Acme"}, {"cmbMachine", "Mill"}, {"cmbSession", "Week"},   {"txtDate", "2026-03-04"},
        {"txtTime", "9:30"},     {"txtMeasBy", "Ann"},   {"cboBBLen", "150"},      {"txtRadius", "140"},
    };
    for (const auto& [name, text] : typed)
        test::TypeInto(*control<QWidget>(*dialog, name), QString::fromLatin1(text));
    EXPECT_TRUE(prompts.messages.empty()); // the radius within the bar's length
    // The last box is left with Enter, which is OK.
    test::TypeInto(*control<QWidget>(*dialog, "cboMacExp"), QStringLiteral("1"), false);
    QTest::keyClick(control<QComboBox>(*dialog, "cboMacExp")->lineEdit(), Qt::Key_Return);

    EXPECT_FALSE(dialog->isVisible());
    const Case& c = app().OpenCase;
    EXPECT_EQ(QStringList({c.Header[HdrCustomer], c.Header[HdrMachine], c.Header[HdrName], c.Header[HdrBy]}),
              QStringList({"Acme", "Mill", "Week", "Ann"}));
    EXPECT_EQ(c.Data.TestDate, QDateTime(QDate(2026, 3, 4), QTime(9, 30), Qt::UTC));
    const Settings& s = app().Settings;
    EXPECT_FLOAT_EQ(s.DefaultTestRadius, 140);
    EXPECT_FLOAT_EQ(s.BallBarLength, 150);
    EXPECT_DOUBLE_EQ(s.MachineExpCoeff, 1.0);
    EXPECT_EQ(IniFile(iniFile).get(QStringLiteral("BasicInput"), QStringLiteral("BallbarLength"), {}), "150 mm");

    // OK opened the measurement window, which says once that the gauge is not there.
    QWidget* window = windows().loaded(WindowId::Measure);
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompts.messages.empty(); }, 15000));
    EXPECT_EQ(prompts.messages.size(), 1u);
    prompts.messages.clear();

    // The window manager keeps it above the main window, and what it opens above it.
    EXPECT_EQ(window->windowHandle()->transientParent(), main.windowHandle());
    QTest::mouseClick(control<QPushButton>(*window, "cmdBasic"), Qt::LeftButton);
    QWidget* basic = windows().loaded(WindowId::NewCase);
    ASSERT_TRUE(basic && QTest::qWaitForWindowExposed(basic));
    EXPECT_EQ(basic->windowHandle()->transientParent(), window->windowHandle());
    basic->close();
    ASSERT_TRUE(active(window));

    // No box of the window completes what is typed; every text field keeps it.
    for (QComboBox* box : window->findChildren<QComboBox*>())
        EXPECT_TRUE(!box->isEditable() || !box->completer()) << box->objectName().toStdString();
    const std::pair<const char*, double> fields[] = {
        {"txtStartPos", 10},  {"txtEndPos", 370},   {"txtAngularOvershoot", 90}, {"txtFeedrate", 1250},
        {"txtCenter0", 3},    {"txtCenter1", -2},   {"txtCenter2", 12},        {"txtGaugeTemp", 21.5},
        {"txtMacTemp", 22.5}, // asked for: the machine's coefficient is not 0
    };
    for (const auto& [name, value] : fields) {
        auto* field = control<QLineEdit>(*window, name);
        ASSERT_TRUE(field && field->isEnabled()) << name;
        test::TypeInto(*field, QString::number(value));
    }
    for (const auto& [name, value] : fields)
        EXPECT_DOUBLE_EQ(StrToDbl(control<QLineEdit>(*window, name)->text()), value) << name;
}

} // namespace
} // namespace sarvo
