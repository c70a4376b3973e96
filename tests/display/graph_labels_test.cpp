// The linear graph of the first shipped example, read and analysed as the program does, in the
// original graph window, the analysis graph window and the combined view, opened and switched
// with clicks: no trace colour lies inside a label of the frame, though the traces run through
// where the angle labels 90 and 270 stand.
#include "analysis/analyse_case.h"
#include "core/progress.h"
#include "display/ui/graph_windows.h"
#include "files/rtb_reader.h"
#include "tests/display/display_test.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace sarvo::display {
namespace {

// The program's host as far as the graphs go: the combined state, Combine opening the original
// graph window maximised and drawn combined, and the analysis graph following its options.
class ProgramLikeHost : public GraphWindowHost {
public:
    bool combined() const override { return combinedOn; }
    void setCombined(bool on) override { combinedOn = on; }
    void showCombinedOriginal() override { openCombined(); }
    void refreshAnalysisGraph() override
    {
        if (analysis)
            analysis->redraw();
    }
    void syncAnalysisOptions(const GraphViewOptions& chosen) override
    {
        if (analysis)
            analysis->setViewOptions(chosen);
    }
    void printGraph() override {}
    void originalGraphClosed() override {}

    bool combinedOn = false;
    GraphWindow* analysis = nullptr;
    std::function<void()> openCombined;
};

// Records where each text lands, in device pixels, as the line box of its font.
class TextPlaces : public PainterCanvas {
public:
    using PainterCanvas::PainterCanvas;
    struct Place {
        QString text;
        QRectF box;
    };
    std::vector<Place> places;

protected:
    void paintText(const QPointF& topLeft, const QString& text, const QColor& colour, const CanvasFont& font) override
    {
        places.push_back({text, QRectF(toDevice(topLeft), measure(text, font))});
        PainterCanvas::paintText(topLeft, text, colour, font);
    }
};

bool IsTraceColour(QRgb p)
{
    p &= 0xFFFFFF;
    return p == 0x0000FF || p == 0xFF0000;
}

// The whole pixels inside a box.
QRect Inside(const QRectF& box)
{
    const int left = int(std::ceil(box.left()));
    const int top = int(std::ceil(box.top()));
    return QRect(QPoint(left, top), QPoint(int(std::floor(box.right())) - 1, int(std::floor(box.bottom())) - 1));
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& what)
{
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += what(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

class LinearGraphLabels : public test::DisplayTest {
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        files::DiskFiles disk;
        files::ReadContext ctx = files::ReadContext::fromSettings(settings);
        ctx.files = &disk;
        c.Header[HdrFilename] = QStringLiteral(SARVOTEX_SOURCE_DIR "/data/examples/01_dynamic_xy_both_directions.rtb");
        const files::ReadResult read = files::ReadRtb(c, ctx);
        ASSERT_TRUE(read.ok()) << read.message.toStdString();
        NoProgress none;
        ASSERT_TRUE(AnalyseCase(c, settings, {.measurement = true, .errorModel = true}, none).ok());
        ASSERT_EQ(c.Results.AnalysisCurveCount, 2);
        host.openCombined = [this] {
            // As the program does: loaded when it is not, maximised, drawn with both.
            if (!original)
                openOriginal();
            original->showMaximized();
            original->resize(kClientArea);
            original->redraw();
        };
    }
    void TearDown() override
    {
        host.analysis = nullptr;
        original.reset();
        analysis.reset();
        DisplayTest::TearDown();
    }

    // Each graph window in its half of a 1280 x 1024 screen's client area (once shown: it
    // places itself on the screen when it is first shown).
    void openOriginal()
    {
        original = std::make_unique<OriginalGraphWindow>(c, settings, units, host);
        original->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(original.get()));
        original->resize(kClientArea.width() / 2, kClientArea.height());
    }
    void openAnalysis()
    {
        analysis = std::make_unique<AnalysisGraphWindow>(c, settings, units, host);
        host.analysis = analysis.get();
        analysis->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(analysis.get()));
        analysis->resize(kClientArea.width() / 2, kClientArea.height());
    }

    // Where the frame's labels stand in the window's picture: the same linear graph without
    // traces, at the scale the window drew with.
    std::vector<TextPlaces::Place> labelsOf(const GraphWindow& w) const
    {
        QImage scratch(w.picture()->image().size(), QImage::Format_RGB32);
        QPainter painter(&scratch);
        TextPlaces canvas(painter, QSizeF(scratch.size()));
        double scale = settings.GraphScale;
        GraphRequest frame;
        frame.polar = false;
        frame.showMeasured = false;
        DrawGraphPicture(canvas, c, scale, frame, units, settings.UnitsInch);
        return canvas.places;
    }

    // Every label readable: ink inside its box and no trace colour. The traces do reach 90 and
    // 270: they are met in the label's columns within a few lines above or below it.
    void expectLabelsClear(const GraphWindow& w, const char* view)
    {
        SCOPED_TRACE(view);
        ASSERT_FALSE(w.polar());
        const QImage image = w.picture()->image().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), w.picture()->size());
        const std::vector<TextPlaces::Place> labels = labelsOf(w);
        ASSERT_EQ(labels.size(), 10u); // six deviation and four angle labels
        int crossed = 0;
        for (const auto& [text, box] : labels) {
            const QRect inside = Inside(box);
            EXPECT_EQ(CountPixels(image, inside, IsTraceColour), 0) << text.toStdString() << " is covered";
            EXPECT_GT(CountPixels(image, inside, [](QRgb p) { return qGray(p) < 100; }), 5) << text.toStdString();
            if (text == QLatin1String("90") || text == QLatin1String("270")) {
                const int lines = 3 * inside.height();
                const QRect around = inside.adjusted(0, -lines, 0, lines);
                crossed += CountPixels(image, around, IsTraceColour) > 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(crossed, 2) << "the traces no longer pass the angle labels: the case proves nothing";
    }

    static constexpr QSize kClientArea{1280, 900};
    Case c;
    ProgramLikeHost host;
    std::unique_ptr<OriginalGraphWindow> original;
    std::unique_ptr<AnalysisGraphWindow> analysis;
};

TEST_F(LinearGraphLabels, NoTraceCoversALabelInEitherGraphWindowOrTheCombinedView)
{
    openOriginal();
    QTest::mouseClick(original->linearOption(), Qt::LeftButton);
    expectLabelsClear(*original, "original graph");

    openAnalysis();
    QTest::mouseClick(analysis->linearOption(), Qt::LeftButton);
    expectLabelsClear(*analysis, "analysis graph");

    QTest::mouseClick(analysis->combineButton(), Qt::LeftButton);
    ASSERT_TRUE(host.combinedOn);
    ASSERT_EQ(original->windowTitle(), OriginalGraphCaption(true));
    expectLabelsClear(*original, "combined view");
}

} // namespace
} // namespace sarvo::display
