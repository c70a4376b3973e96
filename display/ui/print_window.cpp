#include "display/ui/print_window.h"

#include "core/app_error.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"
#include "gui/window_registry.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sarvo::display {

namespace {

// The printer of the wait panel: a sheet coming out of a printer.
QPixmap PrinterPicture()
{
    QPixmap picture(48, 48);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
    // The sheet going in at the back.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13.5, 3.5, 21, 16));
    // The body.
    QPainterPath body;
    body.addRoundedRect(QRectF(4.5, 17.5, 39, 18), 3, 3);
    p.setBrush(QColor(0xB0, 0xB0, 0xB8));
    p.drawPath(body);
    p.setBrush(QColor(0x30, 0xA0, 0x30));
    p.drawEllipse(QPointF(37, 22.5), 1.8, 1.8);
    // The printed sheet coming out at the front, with its lines.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 28.5, 25, 16));
    p.setPen(QPen(QColor(0x60, 0x60, 0xC0), 1));
    for (int line = 0; line < 3; ++line)
        p.drawLine(QPointF(14.5, 33.5 + 3.5 * line), QPointF(line == 2 ? 26.5 : 33.5, 33.5 + 3.5 * line));
    return picture;
}

QFrame* Panel(const QString& name, QFrame::Shadow shadow)
{
    auto* panel = new QFrame;
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | shadow);
    return panel;
}

bool IsEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

} // namespace

PrintWindow::PrintWindow(Case& openCase, PrintWindowHost& host, QWidget* parent)
    : QDialog(parent)
    , case_(openCase)
    , host_(host)
    , optType_{new QRadioButton(QStringLiteral("Errors && Graph")), new QRadioButton(QStringLiteral("Only Graph"))}
    , txtInfo_(new QLineEdit)
    , cmdPrint_(new QPushButton(QStringLiteral("&Print")))
    , cmdClose_(new QPushButton(QStringLiteral("&Close")))
    , pnlWait_(Panel(QStringLiteral("PnlWait"), QFrame::Raised))
    , lblItem_(new QLabel(QStringLiteral("Printing...")))
{
    setObjectName(QStringLiteral("frmPrint"));
    setProperty("tag", QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print graph"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QFrame* base = Panel(QStringLiteral("PnlBase"), QFrame::Raised);
    auto* heading = new QLabel(QStringLiteral("Printed Document includes:"));
    heading->setObjectName(QStringLiteral("Label1"));
    // The etched separator under the heading.
    auto* rule = new QFrame;
    rule->setObjectName(QStringLiteral("LinHori"));
    rule->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    for (int i = 0; i < 2; ++i)
        optType_[i]->setObjectName(QStringLiteral("optType(%1)").arg(i));
    auto* commentCaption = new QLabel(QStringLiteral("Comment:"));
    commentCaption->setObjectName(QStringLiteral("LblBasic"));
    QFrame* item = Panel(QStringLiteral("pnlItem"), QFrame::Sunken);
    txtInfo_->setObjectName(QStringLiteral("txtInfo(12)"));
    txtInfo_->setMaxLength(kCommentLength);
    txtInfo_->setFrame(false);
    commentCaption->setBuddy(txtInfo_);
    auto* itemBox = new QHBoxLayout(item);
    itemBox->setContentsMargins(1, 1, 1, 1);
    itemBox->addWidget(txtInfo_);
    cmdPrint_->setObjectName(QStringLiteral("CmdPrint"));
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    // Enter prints wherever the focus is; no button is the dialog's default.
    for (QPushButton* button : {cmdPrint_, cmdClose_}) {
        button->setAutoDefault(false);
        button->setMinimumSize(64, 48);
    }

    auto* options = new QVBoxLayout;
    options->setSpacing(4);
    options->addWidget(heading);
    options->addWidget(rule);
    options->addSpacing(6);
    for (QRadioButton* option : optType_) {
        auto* indented = new QHBoxLayout;
        indented->addSpacing(8);
        indented->addWidget(option);
        options->addLayout(indented);
    }
    options->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdClose_);
    buttons->addWidget(cmdPrint_);
    buttons->addStretch();
    auto* grid = new QGridLayout(base);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(16);
    grid->addLayout(options, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addWidget(commentCaption, 1, 0, 1, 2);
    grid->addWidget(item, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    auto* picture = new QLabel;
    picture->setObjectName(QStringLiteral("imgPrinter"));
    picture->setProperty("noTranslate", true);
    picture->setPixmap(PrinterPicture());
    picture->setAlignment(Qt::AlignCenter);
    lblItem_->setObjectName(QStringLiteral("lblItem"));
    lblItem_->setAlignment(Qt::AlignCenter);
    auto* wait = new QVBoxLayout(pnlWait_);
    wait->addStretch();
    wait->addWidget(picture);
    wait->addSpacing(12);
    wait->addWidget(lblItem_);
    wait->addStretch();
    pnlWait_->setParent(this);
    pnlWait_->setAutoFillBackground(true);
    pnlWait_->hide();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(base);

    connect(optType_[0], &QRadioButton::toggled, this, &PrintWindow::boldChoice);
    connect(optType_[1], &QRadioButton::toggled, this, &PrintWindow::boldChoice);
    // Every edit is the case's comment at once, so no way of leaving the window loses it.
    connect(txtInfo_, &QLineEdit::textChanged, this, [this](const QString& text) { CommitComment(case_, text); });
    connect(cmdPrint_, &QPushButton::clicked, this, &PrintWindow::print);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::reject);

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    // Sized to the translated texts, then centred.
    TranslateForm(*this);
    resize(sizeHint().expandedTo(QSize(300, 200)));
    CenterForm(*this);
    const ReportType initial = InitialReportType(case_);
    optType_[initial == ReportType::ErrorsAndGraph ? 0 : 1]->setChecked(true);
    optType_[0]->setEnabled(ErrorsAndGraphAvailable(case_));
    boldChoice();
    txtInfo_->setText(case_.Header[HdrComment]);
    txtInfo_->setCursorPosition(txtInfo_->text().size());
}

PrintWindow::~PrintWindow()
{
    // Taking the window apart must not write its box into the case again.
    txtInfo_->disconnect(this);
}

QRadioButton* PrintWindow::typeOption(ReportType type) const
{
    return optType_[type == ReportType::ErrorsAndGraph ? 0 : 1];
}

ReportType PrintWindow::reportType() const
{
    return optType_[0]->isChecked() ? ReportType::ErrorsAndGraph : ReportType::OnlyGraph;
}

ReportRequest PrintWindow::request() const
{
    return BuildReportRequest(case_, reportType(), host_.graphState(), host_.logoPath(), host_.version());
}

void PrintWindow::boldChoice()
{
    for (QRadioButton* option : optType_) {
        QFont font = option->font();
        font.setBold(option->isChecked());
        option->setFont(font);
    }
}

void PrintWindow::showWaitPanel()
{
    pnlWait_->setGeometry(rect().adjusted(12, 12, -12, -12));
    pnlWait_->show();
    pnlWait_->raise();
    // Painted at once, before the report takes the thread. No events run until the print is
    // done, so no click and no timer reaches the window or the program meanwhile.
    if (QLayout* panelLayout = pnlWait_->layout())
        panelLayout->activate();
    pnlWait_->repaint();
}

bool PrintWindow::waitShown() const
{
    return pnlWait_->isVisible();
}

void PrintWindow::print()
{
    if (printing_)
        return;
    printing_ = true;
    RunTrapped(QString::fromLatin1(kPrintLocation), [this] {
        if (!host_.choosePrinter(this))
            return;
        const ReportRequest r = request();
        showWaitPanel();
        host_.printReport(r);
    });
    printing_ = false;
    accept();
}

void PrintWindow::showWaitOnly()
{
    setModal(false);
    show();
    showWaitPanel();
}

void PrintWindow::done(int result)
{
    if (!closedSent_) {
        closedSent_ = true;
        host_.printWindowClosed();
    }
    QDialog::done(result);
}

bool PrintWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees the keys before its controls: Enter prints, Esc closes.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = IsEnter(*key);
        const bool escape = key->key() == Qt::Key_Escape;
        if ((enter || escape) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            // Under the wait panel the window only waits.
            if (!printing_ && !waitShown()) {
                if (enter)
                    print();
                else
                    reject();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PrintWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (pnlWait_->isVisible())
        pnlWait_->setGeometry(rect().adjusted(12, 12, -12, -12));
}

// --- the wait panel of other prints ------------------------------------------------------------

PrintWaitScope::PrintWaitScope()
{
    if (auto* window = qobject_cast<PrintWindow*>(windows().ensureLoaded(WindowId::Print)))
        window->showWaitOnly();
}

PrintWaitScope::~PrintWaitScope()
{
    windows().unload(WindowId::Print);
}

} // namespace sarvo::display
