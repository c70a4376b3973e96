#include "display/ui/view_window.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "core/outcome.h"
#include "display/ui/graph_windows.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <utility>

namespace sarvo::display {

namespace {

// Twips of the old layout in pixels at 15 twips a pixel.
constexpr int kMargin = 4;      // 60: the panel from the window's edges
constexpr int kInset = 1;       // 15: the picture inside the panel
constexpr int kBottomLabel = 20; // 300
constexpr int kEastLabel = 27;  // 400

} // namespace

ViewWindow::ViewWindow(std::function<ViewParams()> params, QString iniFile, std::function<void(bool)> opened,
                       QWidget* parent)
    : QWidget(parent)
    , params_(std::move(params))
    , iniFile_(std::move(iniFile))
    , opened_(std::move(opened))
    , base_(new QFrame(this))
    , picture_(new GraphPicture(base_))
    , planes_(new QPushButton(QStringLiteral("Planes"), this))
    , refresh_(new QPushButton(QStringLiteral("Refresh"), this))
{
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("Viewing angles"));
    base_->setObjectName(QStringLiteral("pnlBase"));
    base_->setFrameShape(QFrame::Panel);
    base_->setFrameShadow(QFrame::Sunken);
    picture_->setObjectName(QStringLiteral("picCir"));
    picture_->setMinimumSize(1, 1);
    static const char* const kAxisNames[] = {"lblNorth", "lblSouth", "lblWest", "lblEast"};
    for (std::size_t i = 0; i < axes_.size(); ++i) {
        axes_[i] = new QLabel(picture_);
        axes_[i]->setObjectName(QLatin1String(kAxisNames[i]));
        axes_[i]->setProperty("noTranslate", true); // axis names are the same in every language
    }
    // Pressed by the measurement window only.
    planes_->setObjectName(QStringLiteral("cmdPlanes"));
    refresh_->setObjectName(QStringLiteral("cmdRefresh"));
    planes_->hide();
    refresh_->hide();
    connect(planes_, &QPushButton::clicked, this, &ViewWindow::relabel);
    connect(refresh_, &QPushButton::clicked, this, &ViewWindow::refresh);
    resize(300, 300);
    // A picture beside the window in use: the keyboard stays there.
    setAttribute(Qt::WA_ShowWithoutActivating);

    ReportOutcome(Trapped(QStringLiteral("Loading form"), [&] {
        // Where it was last; the first time the window that opens it places it beside itself.
        if (HasStoredPlace(*this, iniFile_, QLatin1String(kPlaceName)))
            LoadFormPlace(*this, iniFile_, QLatin1String(kPlaceName));
        TranslateForm(*this);
        if (opened_)
            opened_(true);
        relabel();
    }));
}

void ViewWindow::refresh()
{
    QImage image(picture_->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    ReportOutcome(Trapped(QStringLiteral("Showing example"), [&] {
        const ViewParams params = params_ ? params_() : ViewParams{};
        QPainter painter(&image);
        PainterCanvas canvas(painter, QSizeF(image.size()));
        canvas.setDrawWidth(axisWidth_);
        DrawViewingDiagram(canvas, params, Translate(QStringLiteral("Start")));
        axisWidth_ = canvas.drawWidth();
    }));
    // What was drawn before a failure stays, as it did on the picture box.
    picture_->setImage(std::move(image));
}

void ViewWindow::relabel()
{
    const ViewPlane plane = params_ ? params_().plane : ViewPlane::XY;
    const auto names = ViewAxisLabels(plane);
    for (std::size_t i = 0; i < axes_.size(); ++i) {
        axes_[i]->setText(names[i]);
        axes_[i]->adjustSize();
    }
}

void ViewWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = std::max(1, width() - 2 * kMargin);
    const int h = std::max(1, height() - 2 * kMargin);
    base_->setGeometry(kMargin, kMargin, w, h);
    picture_->setGeometry(kInset, kInset, std::max(1, w - 2 * kInset), std::max(1, h - 2 * kInset));
    axes_[0]->move(w / 2, 0);
    axes_[1]->move(w / 2, h - kBottomLabel);
    axes_[2]->move(0, h / 2);
    axes_[3]->move(w - kEastLabel, h / 2);
    refresh();
}

void ViewWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ViewWindow::closeEvent(QCloseEvent* event)
{
    if (!closed_) {
        closed_ = true;
        SaveFormPlace(*this, iniFile_, QLatin1String(kPlaceName));
        if (opened_)
            opened_(false);
    }
    QWidget::closeEvent(event);
}

} // namespace sarvo::display
