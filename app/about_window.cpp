#include "app/about_window.h"

#include "app/app_context.h"
#include "core/app_error.h"
#include "app/app_shell.h"
#include "gui/form_utilities.h"
#include "app/splash_window.h"
#include "gui/translate_form.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace sarvo {

namespace {

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent = nullptr)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QFont scaled(QFont font, double factor, bool bold)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

} // namespace

const QString& frmAbout::liabilityText()
{
    static const QString text = QStringLiteral(
        "This software is provided \"as is\". Sarvotex gives no warranty of any kind, express or implied, "
        "including warranties of merchantability, fitness for a particular purpose and non-infringement. "
        "The results of a circular test depend on the set-up of the machine, on the gauge and its calibration "
        "and on the care of the operator; skilled staff must check them before a machine is adjusted, "
        "repaired or accepted. In no event shall Sarvotex be liable for any direct, indirect, incidental or "
        "consequential damage, loss of production, loss of machine time or loss of data arising from the use "
        "of this software.");
    return text;
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
    , tabs_(new QTabWidget)
    , types_{makeLabel(QStringLiteral("lblType0"), QStringLiteral("C&opyright"), this),
             makeLabel(QStringLiteral("lblType1"), QStringLiteral("&Limitation of liability"), this)}
    , limit_(makeLabel(QStringLiteral("LblLimit1"), liabilityText()))
    , version_(makeLabel(QStringLiteral("LblVersion"), QString()))
    , close_(new QPushButton(QStringLiteral("&Close")))
{
    setObjectName(QStringLiteral("frmAbout"));
    setProperty("tag", QStringLiteral("About"));
    version_->setProperty("noTranslate", true);

    // The type labels only carry the tab captions through translation; they are never shown.
    for (QLabel* type : types_)
        type->hide();

    auto* base = new QFrame;
    base->setObjectName(QStringLiteral("pnlBase0"));
    base->setFrameStyle(QFrame::Panel | QFrame::Raised);

    auto* topic = new QFrame;
    topic->setObjectName(QStringLiteral("pnltopic"));
    topic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QLabel* product = makeLabel(QStringLiteral("LblLogo0"), QStringLiteral("Sarvotrenk Analysis"));
    product->setFont(scaled(product->font(), 1.6, true));
    product->setAlignment(Qt::AlignCenter);
    auto* versionRow = new QHBoxLayout;
    versionRow->addStretch();
    versionRow->addWidget(makeLabel(QStringLiteral("LblLogo1"), QStringLiteral("Version: ")));
    versionRow->addWidget(version_);
    versionRow->addStretch();
    auto* topicLayout = new QVBoxLayout(topic);
    topicLayout->addWidget(product);
    topicLayout->addLayout(versionRow);

    auto* makerPage = new QWidget;
    makerPage->setObjectName(QStringLiteral("tabMaker"));
    QLabel* makerName = makeLabel(QStringLiteral("LblLogo2"), QStringLiteral("Sarvotex"));
    makerName->setProperty("noTranslate", true); // the maker's name
    makerName->setFont(scaled(makerName->font(), 1.3, true));
    auto* makerText = new QVBoxLayout;
    makerText->addStretch();
    makerText->addWidget(makerName);
    makerText->addWidget(makeLabel(QStringLiteral("LblLogo3"), QStringLiteral("Circular test analysis for machine tools")));
    makerText->addWidget(makeLabel(QStringLiteral("LblLogo4"), QStringLiteral("All rights reserved.")));
    makerText->addStretch();
    auto* makerLayout = new QHBoxLayout(makerPage);
    makerLayout->addWidget(new MakerLogo);
    makerLayout->addSpacing(12);
    makerLayout->addLayout(makerText, 1);

    auto* limitPage = new QWidget;
    limitPage->setObjectName(QStringLiteral("tabLimit"));
    limit_->setProperty("tag", QStringLiteral("Limit"));
    limit_->setWordWrap(true);
    limit_->setTextFormat(Qt::PlainText);
    limit_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* limitLayout = new QVBoxLayout(limitPage);
    limitLayout->addWidget(limit_);

    tabs_->setObjectName(QStringLiteral("tabb"));
    // The tabs take their captions from the type labels, so the tab widget is not translated itself.
    tabs_->setProperty("noTranslate", true);
    tabs_->addTab(makerPage, types_[0]->text());
    tabs_->addTab(limitPage, types_[1]->text());

    close_->setObjectName(QStringLiteral("cmdClose"));
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close_);

    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(topic);
    baseLayout->addWidget(tabs_, 1);
    baseLayout->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(base);
    resize(520, 400);

    RunTrapped(QStringLiteral("Preparing form"), [&] {
        const BusyCursor busy;
        version_->setText(app().State.VersionString);
        CenterForm(*this);
        TranslateForm(*this);
        syncTabCaptions();
        tabs_->setCurrentIndex(0);
    });
}

void frmAbout::showModal(QWidget* parent)
{
    // On the heap: the parent may go away while the window is open, and takes the window with it.
    QPointer<frmAbout> window = new frmAbout(parent);
    window->exec();
    delete window.data();
}

void frmAbout::syncTabCaptions()
{
    for (int i = 0; i < 2; ++i)
        tabs_->setTabText(i, types_[i]->text());
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace sarvo
