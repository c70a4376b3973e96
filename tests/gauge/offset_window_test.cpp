// The centre-offset window offscreen: it locks its host while open, colours offsets above the
// limit and hands the host back on Esc.

#include "gauge/ui/offset_window.h"

#include "tests/gauge/synthetic_circle.h"
#include "tests/support/core_test.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

namespace sarvo::gauge {
namespace {

class OffsetWindow : public test::CoreTest {};

TEST_F(OffsetWindow, LocksTheHostWhileOpenAndShowsTheOffsets)
{
    Case c = test::FullCircleCase(QStringLiteral("xy"));
    test::AddCircleRun(c, 0.080, -0.020);
    test::AddCircleRun(c, 0.140, 0.000);
    UnitState units;
    units.SmallFactor = 1;
    units.SmallFormat = QStringLiteral("####0");
    units.SmallCaption = QStringLiteral("µm");

    QWidget host;
    QPointer<frmOffset> window = new frmOffset(c, units, [&](bool enabled) { host.setEnabled(enabled); });
    window->show();
    EXPECT_FALSE(host.isEnabled());

    auto* x = window->findChild<QLabel*>(QStringLiteral("LblXOffset"));
    auto* y = window->findChild<QLabel*>(QStringLiteral("LblYOffset"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !x->text().isEmpty(); }, 10000));
    EXPECT_EQ(std::tuple(x->text(), y->text()), std::tuple(QString("110"), QString("-10")));
    EXPECT_EQ(x->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_NE(y->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("pnlAdvice"))->text(),
              QStringLiteral("Offsets are not recommended to exceed 100µm."));
    EXPECT_FALSE(window->findChild<QLabel*>(QStringLiteral("PnlWait"))->isVisible());

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(host.isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 10000));
}

} // namespace
} // namespace sarvo::gauge
