#include "display/ui/case_info_panel.h"

#include "gui/number_fields.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>
#include <vector>

namespace sarvo {

namespace {

QString indexed(const char* control, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(control)).arg(index);
}

QLabel* caption(const QString& text, const QString& name)
{
    auto* l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

// Whether a box shows its whole text, measured as the line edit lays its text out: the contents
// less the text margins and the line edit's own margin of two pixels a side, and the text one
// pixel wider than it is.
bool ShowsWholeText(const QLineEdit& box)
{
    constexpr int kLineEditMargin = 2;
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.contentsRect();
    option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box).marginsRemoved(box.textMargins());
    const int available = contents.width() - 2 * kLineEditMargin;
    const int used = int(std::lround(QFontMetricsF(box.font()).horizontalAdvance(box.text()))) + 1;
    return used <= available;
}

// A box that cannot show its whole text gives it as its tool tip; one that can has none. The tip
// follows the text, the box's size (a longer translated caption narrows it) and its font. It is
// the case's own text, never one to translate.
class WholeTextTip : public QObject {
public:
    explicit WholeTextTip(QLineEdit& box) : QObject(&box), box_(box)
    {
        box.setProperty("noTranslate", true);
        box.installEventFilter(this);
        connect(&box, &QLineEdit::textChanged, this, &WholeTextTip::update);
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            update();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void update() { box_.setToolTip(ShowsWholeText(box_) ? QString() : box_.text()); }

    QLineEdit& box_;
};

QStringList itemsOf(const QComboBox& list)
{
    QStringList items;
    for (int i = 0; i < list.count(); ++i)
        items << list.itemText(i);
    return items;
}

} // namespace

CaseInfoPanel::CaseInfoPanel(Case& openCase, const UnitState& units, QWidget* parent)
    : QWidget(parent)
    , case_(openCase)
    , units_(units)
    , tabBase_(new QTabWidget)
    , cmbInfo_(new QComboBox)
    , txtBallbarName_(new QLineEdit)
    , txtBallbarScaleFactor_(new QLineEdit)
    , cmdClose_(new QPushButton(QStringLiteral("&Close")))
{
    setObjectName(QStringLiteral("Basic"));
    setProperty("tag", QStringLiteral("Basic"));
    setWindowTitle(QStringLiteral("Basic Information"));
    tabBase_->setObjectName(QStringLiteral("tabBase"));
    cmbInfo_->setObjectName(QStringLiteral("cmbInfo"));
    cmbInfo_->addItems(display::CaseInfoPlanes());
    // Nothing is chosen until a case names its plane.
    cmbInfo_->setCurrentIndex(-1);
    txtBallbarName_->setObjectName(QStringLiteral("txtBallbarName"));
    txtBallbarScaleFactor_->setObjectName(QStringLiteral("txtBallbarScaleFactor"));
    txtBallbarName_->setEnabled(false);
    txtBallbarScaleFactor_->setEnabled(false);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));

    std::vector<QWidget*> tabOrder;
    auto makeField = [this, &tabOrder](int i) {
        auto* box = new QLineEdit;
        box->setObjectName(indexed("txtInfo", i));
        box->setMaxLength(display::CaseInfoFieldLimit(i));
        const bool editable = display::IsCaseInfoFieldEditable(i);
        box->setEnabled(editable);
        if (editable)
            connect(box, &QLineEdit::editingFinished, this, [this, i] { writeBack(i); });
        if (i >= HdrOrigX && i <= HdrOrigZ)
            WatchNumberField(*box, QStringLiteral("Origin %1").arg(QChar(u'X' + (i - HdrOrigX))));
        txtInfo_[static_cast<std::size_t>(i)] = box;
        tabOrder.push_back(box);
        return box;
    };
    auto makeUnit = [](const QString& text, const char* control, int index) {
        return caption(text, indexed(control, index));
    };
    // One label:field row, with a unit label after the field where it has one.
    auto addRow = [&](QGridLayout* grid, const QString& label, int labelIndex, QWidget* box, QLabel* unit = nullptr) {
        const int row = grid->rowCount();
        grid->addWidget(caption(label, indexed("LblBasic", labelIndex)), row, 0);
        grid->addWidget(box, row, 1);
        if (unit)
            grid->addWidget(unit, row, 2);
    };
    // The labels' captions are the ones the printed report uses.
    auto fieldRow = [&](QGridLayout* grid, int i, QLabel* unit = nullptr) {
        addRow(grid, display::CaseInfoLabelText(i), i, makeField(i), unit);
    };

    // Identity and test data.
    auto* basics = new QWidget;
    basics->setObjectName(QStringLiteral("fraBasics"));
    auto* b = new QGridLayout(basics);
    fieldRow(b, HdrFilename);
    fieldRow(b, HdrMachine);
    fieldRow(b, HdrDate);
    fieldRow(b, HdrBy);
    fieldRow(b, HdrCustomer);
    fieldRow(b, HdrName);
    lblUnit_[2] = makeUnit(QStringLiteral("mm"), "LblUnit", 2);
    fieldRow(b, HdrLength, lblUnit_[2]);
    addRow(b, display::CaseInfoLabelText(HdrPlane), HdrPlane, cmbInfo_);
    tabOrder.push_back(cmbInfo_);
    lblUnit_[4] = makeUnit(QStringLiteral("mm/min"), "LblUnit", 4);
    fieldRow(b, HdrFeedrate, lblUnit_[4]);
    fieldRow(b, HdrStatDyn);
    fieldRow(b, HdrMaxTargets);
    fieldRow(b, HdrSampling);
    fieldRow(b, 20);
    fieldRow(b, HdrComment);
    b->setColumnStretch(1, 1);
    b->setRowStretch(b->rowCount(), 1);

    // Origin, coefficients, temperatures and the ball bar.
    auto* details = new QWidget;
    details->setObjectName(QStringLiteral("fraDetails"));
    auto* d = new QGridLayout(details);
    lblUnit_[3] = makeUnit(QStringLiteral("mm"), "LblUnit", 3);
    d->addWidget(caption(QStringLiteral("Origin of Measurement in Machine Coordinates:"), QStringLiteral("LblOrigin")),
                 0, 0, 1, 2);
    d->addWidget(lblUnit_[3], 0, 2);
    fieldRow(d, HdrOrigX);
    fieldRow(d, HdrOrigY);
    fieldRow(d, HdrOrigZ);
    const int coefficientRow = d->rowCount();
    fieldRow(d, HdrGaugeExp);
    fieldRow(d, HdrMachineExp);
    // The coefficients are ppm per degree: "ppm" over the degree, as a fraction beside both rows.
    lblTempUnit_[3] = makeUnit(QStringLiteral("ppm"), "LblTempUnit", 3);
    lblTempUnit_[2] = makeUnit(QStringLiteral("\u00B0C"), "LblTempUnit", 2);
    auto* bar = new QFrame;
    bar->setFrameShape(QFrame::HLine);
    auto* perDegree = new QVBoxLayout;
    perDegree->addWidget(lblTempUnit_[3], 0, Qt::AlignHCenter);
    perDegree->addWidget(bar);
    perDegree->addWidget(lblTempUnit_[2], 0, Qt::AlignHCenter);
    d->addLayout(perDegree, coefficientRow, 2, 2, 1, Qt::AlignVCenter);
    lblTempUnit_[0] = makeUnit(QStringLiteral("\u00B0C"), "LblTempUnit", 0);
    lblTempUnit_[1] = makeUnit(QStringLiteral("\u00B0C"), "LblTempUnit", 1);
    fieldRow(d, 21, lblTempUnit_[0]);
    fieldRow(d, 22, lblTempUnit_[1]);
    const int ballbarRow = d->rowCount();
    d->addWidget(caption(QStringLiteral("Ballbar Name:"), QStringLiteral("LblBallbarName")), ballbarRow, 0);
    d->addWidget(txtBallbarName_, ballbarRow, 1);
    d->addWidget(caption(QStringLiteral("Ballbar Scale Factor:"), QStringLiteral("LblBallbarScaleFactor")),
                 ballbarRow + 1, 0);
    d->addWidget(txtBallbarScaleFactor_, ballbarRow + 1, 1);
    d->setColumnStretch(1, 1);
    d->setRowStretch(d->rowCount(), 1);

    tabBase_->addTab(basics, QStringLiteral("&Basics"));
    tabBase_->addTab(details, QStringLiteral("&Details"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabBase_);
    outer->addLayout(buttons);

    tabOrder.push_back(cmdClose_);
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(cmbInfo_, &QComboBox::activated, this, [this](int index) {
        display::WritePlaneChoice(case_, itemsOf(*cmbInfo_), index);
    });
    connect(cmdClose_, &QPushButton::clicked, this, &QWidget::close);

    for (QLineEdit* box : findChildren<QLineEdit*>())
        new WholeTextTip(*box);
    TranslateForm(*this);
}

QLineEdit* CaseInfoPanel::field(int i) const
{
    if (i < 0 || i >= display::kCaseInfoFields)
        return nullptr;
    return txtInfo_[static_cast<std::size_t>(i)];
}

CaseInfoPanel::~CaseInfoPanel()
{
    // The base class hides the panel while it is taken apart, and the focus leaving a field then
    // finishes its edit: no write-back may reach the half-destroyed panel.
    for (QLineEdit* box : txtInfo_) {
        if (box)
            box->disconnect(this);
    }
}

void CaseInfoPanel::fill(const display::CaseInfoView& view)
{
    for (int i = 0; i < display::kCaseInfoFields; ++i) {
        if (QLineEdit* box = field(i)) {
            box->setText(view.field(i)); // also clears the edited mark
            box->setCursorPosition(0);   // a long path shows its beginning
        }
    }
    if (itemsOf(*cmbInfo_) != view.planes) {
        cmbInfo_->clear();
        cmbInfo_->addItems(view.planes);
    }
    cmbInfo_->setCurrentIndex(view.planeIndex.value_or(-1));
    // The disabled boxes cannot be scrolled: they show the beginning of their text.
    txtBallbarName_->setText(view.ballbarName);
    txtBallbarName_->setCursorPosition(0);
    txtBallbarScaleFactor_->setText(view.ballbarScaleFactor);
    txtBallbarScaleFactor_->setCursorPosition(0);
    for (int i = 2; i <= 4; ++i)
        lblUnit_[static_cast<std::size_t>(i)]->setText(view.lblUnit[static_cast<std::size_t>(i)]);
    for (int i = 0; i <= 2; ++i)
        lblTempUnit_[static_cast<std::size_t>(i)]->setText(view.lblTempUnit[static_cast<std::size_t>(i)]);
}

void CaseInfoPanel::showComment()
{
    QLineEdit* box = field(HdrComment);
    box->setText(case_.Header[HdrComment].left(display::CaseInfoFieldLimit(HdrComment)));
    box->setCursorPosition(0);
}

void CaseInfoPanel::writeBack(int index)
{
    QLineEdit* box = field(index);
    // Leaving a field the user did not change must not rewrite its slot (a shown origin is
    // rounded, a shown path may be cut).
    if (!box || !box->isModified())
        return;
    if (index >= HdrOrigX && index <= HdrOrigZ && !NumberKept(*box))
        return;
    if (const std::optional<QString> shown = display::WriteBackField(case_, index, box->text(), units_))
        box->setText(*shown);
    else
        box->setModified(false);
}

void CaseInfoPanel::writePendingEdits()
{
    for (int i = 0; i < display::kCaseInfoFields; ++i)
        writeBack(i);
}

void CaseInfoPanel::restoreIfMaximized()
{
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!frame)
        frame = this;
    if (frame->isMaximized())
        frame->showNormal();
}

void CaseInfoPanel::closeEvent(QCloseEvent* event)
{
    // Closing from the title bar leaves no focus change behind: an edit in progress still counts.
    writePendingEdits();
    QWidget::closeEvent(event);
    if (event->isAccepted() && !closedSent_) {
        closedSent_ = true;
        Q_EMIT closed();
    }
}

void CaseInfoPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isWindow() && isActiveWindow())
        restoreIfMaximized();
    QWidget::changeEvent(event);
}

bool CaseInfoPanel::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        // In the main window's client area the frame is activated, not the panel; the area
        // maximises a frame it activates only after this signal, so the restore waits for it.
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            connect(sub, &QMdiSubWindow::aboutToActivate, this, &CaseInfoPanel::restoreIfMaximized,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        break;
    case QEvent::Show:
        closedSent_ = false;
        if (!placed_) {
            placed_ = true;
            if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
                sub->move(0, 0);
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace sarvo
