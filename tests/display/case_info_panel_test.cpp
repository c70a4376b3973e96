// The case-information panel driven offscreen with the keyboard over a case of the test's own:
// moving through the fields leaves the case as it was, edits are written back, the plane choice,
// the length limits, the close notification and the maximised frame.
#include "display/ui/case_info_panel.h"

#include "core/ini_file.h"
#include "tests/support/core_test.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace sarvo {
namespace {

const QDateTime kTestDate(QDate(2020, 1, 2), QTime(8, 0), Qt::UTC);

class CaseInfoPanelTest : public test::CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        saved_ = QLocale();
        QLocale::setDefault(QLocale::c());
        settings.TemperatureUnits = "Celsius";
        settings.ScaleFactor = 1;
        useUnits(false);
        // Texts the panel shows otherwise than stored: a path over the limit, a date not in its
        // general form, origins that the display rounds.
        c.Header[HdrFilename] = "/" + QString(119, 'p');
        c.Header[HdrMachine] = "Mill 3";
        c.Header[HdrDate] = "03/15/2024 10:30";
        c.Header[HdrBy] = "Ann";
        c.Header[HdrPlane] = "xy";
        c.Header[HdrFeedrate] = "1000";
        c.Header[HdrCustomer] = "ACME";
        c.Header[HdrComment] = "before";
        c.Header[HdrOrigX] = "12.7";
        c.Header[HdrOrigY] = "1.27";
        c.Header[HdrOrigZ] = "-0.4";
        c.Header[HdrGaugeExp] = "11.5";
        c.Data.TestDate = kTestDate;
        c.Data.BallBarLength = 150;
        c.Data.RunCount = 2;
        c.Data.GaugeTemp = {0, 19.5, 20.5};
        c.Data.MachineTemp = {0, 20.0, 20.0};
    }
    void TearDown() override
    {
        panel.reset();
        QLocale::setDefault(saved_);
        CoreTest::TearDown();
    }
    void useUnits(bool inch)
    {
        settings.UnitsInch = inch;
        ComputeUnits(units, settings, IniFile(iniFile));
    }
    void fill() { panel->fill(display::BuildCaseInfoView(c, settings, units, IniFile(iniFile))); }
    // The panel over the case, filled, shown and active so that it takes the keyboard.
    CaseInfoPanel& open()
    {
        panel = std::make_unique<CaseInfoPanel>(c, units);
        fill();
        panel->show();
        QApplication::setActiveWindow(panel.get());
        return *panel;
    }
    QLineEdit* box(int i) const { return panel->field(i); }
    // Types over the whole text of a field and leaves it with Tab.
    void typeInto(int i, const QString& text)
    {
        showPageOf(box(i));
        box(i)->setFocus();
        box(i)->selectAll();
        QTest::keyClicks(box(i), text);
        QTest::keyClick(box(i), Qt::Key_Tab);
    }
    void showPageOf(QWidget* w)
    {
        for (int page = 0; page < panel->tabs()->count(); ++page) {
            if (panel->tabs()->widget(page)->isAncestorOf(w))
                panel->tabs()->setCurrentIndex(page);
        }
    }

    Case c;
    Settings settings;
    UnitState units;
    std::unique_ptr<CaseInfoPanel> panel;

private:
    QLocale saved_;
};

TEST_F(CaseInfoPanelTest, ShowsTheViewWithDisplayOnlyFieldsDisabled)
{
    useUnits(true);
    CaseInfoPanel& p = open();
    EXPECT_EQ(p.objectName(), "Basic");
    EXPECT_EQ(p.property("tag").toString(), "Basic");
    EXPECT_EQ(p.windowTitle(), "Basic Information");
    EXPECT_EQ(p.tabs()->tabText(0), "&Basics");
    EXPECT_EQ(p.tabs()->tabText(1), "&Details");
    EXPECT_EQ(p.closeButton()->text(), "&Close");
    EXPECT_EQ(p.planeList()->objectName(), "cmbInfo");
    ASSERT_EQ(p.planeList()->count(), 3);
    EXPECT_EQ(p.planeList()->itemText(2), "yz");

    const std::set<int> editable{0, 1, 2, 3, 10, 12, 14, 15, 16};
    for (int i = 0; i < display::kCaseInfoFields; ++i) {
        const bool hasBox = i != 5 && i != 13 && i != 19;
        ASSERT_EQ(box(i) != nullptr, hasBox) << i;
        EXPECT_EQ(p.findChild<QLineEdit*>(QString("txtInfo(%1)").arg(i)), box(i)) << i;
        if (hasBox) {
            EXPECT_EQ(box(i)->isEnabled(), editable.count(i) == 1) << i;
        }
    }
    // Inch: 150 mm is 5.90551 in, 12.7 mm is 0.50 in.
    EXPECT_EQ(box(4)->text(), "5.90551");
    EXPECT_EQ(box(14)->text(), "0.50");
    EXPECT_EQ(box(0)->text(), c.Header[HdrFilename].left(100));
    EXPECT_EQ(box(21)->text(), "19.5 - 20.5");
    EXPECT_EQ(box(17)->text(), "11.5");
    EXPECT_EQ(p.planeList()->currentIndex(), 0);
    EXPECT_EQ(p.findChild<QLabel*>("LblUnit(3)")->text(), "in");
    EXPECT_EQ(p.findChild<QLabel*>("LblUnit(4)")->text(), "in/min");
    EXPECT_EQ(p.findChild<QLabel*>("LblTempUnit(1)")->text(), "\u00B0C");
    EXPECT_EQ(p.findChild<QLabel*>("LblBasic(10)")->text(), "Customer:");
    EXPECT_FALSE(p.findChild<QLineEdit*>("txtBallbarName")->isEnabled());
    EXPECT_EQ(p.findChild<QLineEdit*>("txtBallbarScaleFactor")->text(), "1");
}

TEST_F(CaseInfoPanelTest, MovingThroughEveryFieldChangesNothing)
{
    CaseInfoPanel& p = open();
    const CaseHeader before = c.Header;
    std::set<int> visited;
    // Each page from its first field to the Close button, with Enter and Tab in every field.
    for (const int first : {HdrFilename, HdrOrigX}) {
        showPageOf(box(first));
        box(first)->setFocus();
        for (int step = 0; step < 30 && QApplication::focusWidget() != p.closeButton(); ++step) {
            QWidget* current = QApplication::focusWidget();
            ASSERT_NE(current, nullptr);
            for (int i = 0; i < display::kCaseInfoFields; ++i) {
                if (current == box(i))
                    visited.insert(i);
            }
            if (qobject_cast<QLineEdit*>(current))
                QTest::keyClick(current, Qt::Key_Return);
            QTest::keyClick(current, Qt::Key_Tab);
        }
    }
    EXPECT_EQ(visited, (std::set<int>{0, 1, 2, 3, 10, 12, 14, 15, 16}));
    EXPECT_TRUE(c.Header == before);
    EXPECT_EQ(c.Data.TestDate, kTestDate);
    EXPECT_EQ(box(14)->text(), "13"); // shown rounded, stored as it was

    // Closing after it writes nothing either.
    p.close();
    EXPECT_TRUE(c.Header == before);
}

TEST_F(CaseInfoPanelTest, EditedFieldsAreWrittenBack)
{
    open();
    typeInto(HdrOrigX, "12.7");
    EXPECT_EQ(c.Header[HdrOrigX], "13");
    EXPECT_EQ(box(HdrOrigX)->text(), "13");

    typeInto(HdrCustomer, "Bolt Ltd");
    EXPECT_EQ(c.Header[HdrCustomer], "Bolt Ltd");

    typeInto(HdrDate, "15.03.2024");
    EXPECT_EQ(c.Data.TestDate, QDateTime(QDate(2024, 3, 15), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(c.Header[HdrDate], "2024-03-15");
    EXPECT_EQ(box(HdrDate)->text(), "2024-03-15");
    typeInto(HdrDate, "soon");
    EXPECT_EQ(c.Header[HdrDate], "2024-03-15");
    EXPECT_EQ(box(HdrDate)->text(), "2024-03-15");

    // Inch: typed in inches, stored in millimetres.
    useUnits(true);
    fill();
    typeInto(HdrOrigY, "1.5");
    EXPECT_EQ(c.Header[HdrOrigY], "38.10");
    EXPECT_EQ(box(HdrOrigY)->text(), "1.50");
    EXPECT_EQ(c.Header[HdrOrigZ], "-0.4");

    // A number the reading would cut ("1,250.5" reads 1.5) is refused as text is, naming the
    // field; the slot and the box keep their value.
    for (const char* typed : {"1,250.5", "1,000,000"}) {
        prompts.messages.clear();
        typeInto(HdrOrigZ, QString::fromLatin1(typed));
        ASSERT_EQ(prompts.messages.size(), 1u) << typed;
        EXPECT_EQ(prompts.messages[0].text, QStringLiteral("Invalid Value. Origin Z = %1").arg(typed));
        EXPECT_EQ(c.Header[HdrOrigZ], "-0.4");
    }
    prompts.messages.clear();
}

TEST_F(CaseInfoPanelTest, ThePlaneChoiceWritesSlotFive)
{
    CaseInfoPanel& p = open();
    ASSERT_EQ(p.planeList()->currentIndex(), 0);
    p.planeList()->setFocus();
    QTest::keyClick(p.planeList(), Qt::Key_Down);
    EXPECT_EQ(p.planeList()->currentIndex(), 1);
    EXPECT_EQ(c.Header[HdrPlane], "xz");
}

TEST_F(CaseInfoPanelTest, ThePlaneListShowsTheOpenCasesOwnPlane)
{
    // A fresh panel over a "zx" case (an Optodyne or .b5r file) shows "zx", which can be chosen
    // back after another plane.
    c.Header[HdrPlane] = "zx";
    CaseInfoPanel& p = open();
    EXPECT_EQ(p.planeList()->currentText(), "zx");
    p.planeList()->setFocus();
    QTest::keyClick(p.planeList(), Qt::Key_Up);
    EXPECT_EQ(c.Header[HdrPlane], "yz");
    QTest::keyClick(p.planeList(), Qt::Key_Down);
    EXPECT_EQ(c.Header[HdrPlane], "zx");

    // Each case after shows its own plane as it stands, none without one, never the previous
    // case's; showing it writes nothing.
    const std::pair<const char*, int> cases[] = {{"xy", 3}, {"zx", 4}, {"YZ", 4}, {"", 3}}; // plane, items
    for (const auto& [plane, items] : cases) {
        c.Header[HdrPlane] = plane;
        fill();
        EXPECT_EQ(p.planeList()->currentText(), plane);
        EXPECT_EQ(p.planeList()->count(), items) << plane;
        EXPECT_EQ(c.Header[HdrPlane], plane);
    }
}

TEST_F(CaseInfoPanelTest, FieldsTakeNoMoreThanTheirLimit)
{
    open();
    QLineEdit* customer = box(HdrCustomer);
    customer->setFocus();
    customer->selectAll();
    QTest::keyClicks(customer, QString(35, 'a'));
    EXPECT_EQ(customer->text(), QString(30, 'a'));
    // A character typed into a full field is refused where the caret stands.
    customer->setCursorPosition(5);
    QTest::keyClick(customer, Qt::Key_X);
    EXPECT_EQ(customer->text(), QString(30, 'a'));
    EXPECT_EQ(customer->cursorPosition(), 5);
    QTest::keyClick(customer, Qt::Key_Tab);
    EXPECT_EQ(c.Header[HdrCustomer], QString(30, 'a'));

    typeInto(HdrComment, QString(105, 'c'));
    EXPECT_EQ(c.Header[HdrComment], QString(100, 'c'));
}

TEST_F(CaseInfoPanelTest, ClosingSendsTheNotificationOnce)
{
    CaseInfoPanel& p = open();
    QSignalSpy closed(&p, &CaseInfoPanel::closed);
    QTest::mouseClick(p.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(closed.count(), 1);
    p.close();
    EXPECT_EQ(closed.count(), 1);

    // Closed from outside while a field is being edited: the edit counts.
    p.show();
    QApplication::setActiveWindow(&p);
    box(HdrMachine)->setFocus();
    box(HdrMachine)->selectAll();
    QTest::keyClicks(box(HdrMachine), "Mill 9");
    p.close();
    EXPECT_EQ(closed.count(), 2);
    EXPECT_EQ(c.Header[HdrMachine], "Mill 9");
}

// At the size the panel opens with, a long path and a long ball-bar name show their beginning
// and give their whole text as a tip; a text that fits has none. The tip follows the box's width.
TEST_F(CaseInfoPanelTest, LongNamesShowTheirBeginningAndTheirWholeTextAsATip)
{
    c.Header[HdrFilename] = "/home/operator/measurements/2024/spring/mill-3/dynamic-xy-both-directions.rtb";
    c.Header[HdrEquipmentManufacturer] = "Brintovale Messtechnik";
    c.Header[HdrEquipmentModel] = "Telescopic DBB 150";
    c.Header[HdrEquipmentSerial] = "SN 2024-000417-B";
    const QString ballbarName = "Brintovale Messtechnik Telescopic DBB 150 SN 2024-000417-B";
    CaseInfoPanel& p = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
    auto* ballbar = p.findChild<QLineEdit*>("txtBallbarName");
    QLineEdit* file = box(HdrFilename);
    const auto firstShown = [](QLineEdit* b) {
        b->repaint(); // where a box scrolls to is settled when it paints
        return b->cursorPositionAt(QPoint(b->contentsRect().left() + 3, b->height() / 2));
    };
    EXPECT_EQ(file->toolTip(), c.Header[HdrFilename]);
    EXPECT_LE(firstShown(file), 1);
    showPageOf(ballbar);
    EXPECT_EQ(ballbar->toolTip(), ballbarName);
    EXPECT_LE(firstShown(ballbar), 1) << "the disabled box shows the beginning of the name";
    EXPECT_TRUE(box(HdrMachine)->toolTip().isEmpty());
    EXPECT_TRUE(p.findChild<QLineEdit*>("txtBallbarScaleFactor")->toolTip().isEmpty());

    // The disabled box tells it to the pointer resting on it.
    QTest::mouseMove(ballbar, QPoint(ballbar->width() / 2, ballbar->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    EXPECT_EQ(QToolTip::text(), ballbarName);
    QToolTip::hideText();

    // Wide enough for both, no tip; a case with short names after a long one, none either.
    p.resize(p.width() * 3, p.height());
    EXPECT_TRUE(ballbar->toolTip().isEmpty());
    showPageOf(file); // a page takes the new width when it is shown
    EXPECT_TRUE(file->toolTip().isEmpty());
    p.resize(p.width() / 3, p.height());
    EXPECT_EQ(file->toolTip(), c.Header[HdrFilename]);
    c.Header[HdrFilename] = "/m/a.rtb";
    c.Header[HdrEquipmentManufacturer] = "Renishaw";
    c.Header[HdrEquipmentModel] = "QC10";
    c.Header[HdrEquipmentSerial] = "";
    fill();
    EXPECT_TRUE(file->toolTip().isEmpty());
    EXPECT_TRUE(ballbar->toolTip().isEmpty());
}

TEST_F(CaseInfoPanelTest, AMaximisedPanelGoesBackToNormalWhenActivated)
{
    QMdiArea area;
    panel = std::make_unique<CaseInfoPanel>(c, units);
    fill();
    QMdiSubWindow* frame = area.addSubWindow(panel.get());
    QMdiSubWindow* other = area.addSubWindow(new QWidget);
    area.resize(800, 600);
    area.show();
    frame->show();
    other->show();

    // Activating the panel while another window is maximised maximises it too, then restores it.
    area.setActiveSubWindow(other);
    other->showMaximized();
    area.setActiveSubWindow(frame);
    QCoreApplication::processEvents();
    EXPECT_EQ(area.activeSubWindow(), frame);
    EXPECT_FALSE(frame->isMaximized());

    // Maximised by the user it stays so until it is activated again.
    frame->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->isMaximized());
    area.setActiveSubWindow(other);
    area.setActiveSubWindow(frame);
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->isMaximized());

    // Taken out of the area before the frame goes, so the fixture deletes the panel once.
    frame->setWidget(nullptr);
    panel->setParent(nullptr);
}

} // namespace
} // namespace sarvo
