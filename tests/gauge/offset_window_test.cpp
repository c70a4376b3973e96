// The centre-offset window offscreen: it locks its host while open and hands it back on Esc.

#include "gauge/ui/offset_window.h"

#include "tests/support/core_test.h"

#include <QLabel>
#include <QPointer>
#include <QTest>

namespace sarvo::gauge {
namespace {

class OffsetWindow : public test::CoreTest {};

TEST_F(OffsetWindow, LocksTheHostWhileOpen)
{
    Case c;
    c.Header[HdrPlane] = QStringLiteral("xz");
    const UnitState units{.SmallFactor = 1, .SmallFormat = QStringLiteral("####0"), .SmallCaption = QStringLiteral("µm")};
    QWidget host;
    QPointer<frmOffset> window = new frmOffset(c, units, [&](bool enabled) { host.setEnabled(enabled); });
    window->show();
    EXPECT_FALSE(host.isEnabled());

    auto* x = window->findChild<QLabel*>(QStringLiteral("LblXOffset"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !x->text().isEmpty(); }, 10000));
    EXPECT_EQ(x->text() + window->findChild<QLabel*>(QStringLiteral("LblY"))->text(), "0z");
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("pnlAdvice"))->text(),
              QStringLiteral("Offsets are not recommended to exceed 100µm."));

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(host.isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 10000));

    // Before any run the case has no plane: the letters are those of the plane the host has chosen.
    c.Header[HdrPlane].clear();
    window = new frmOffset(c, units, [&](bool enabled) { host.setEnabled(enabled); }, QStringLiteral("yz"));
    window->show();
    auto* value = window->findChild<QLabel*>(QStringLiteral("LblXOffset"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !value->text().isEmpty(); }, 10000));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("LblX"))->text() +
                  window->findChild<QLabel*>(QStringLiteral("LblY"))->text(), "yz");
    window->close();
}

} // namespace
} // namespace sarvo::gauge
