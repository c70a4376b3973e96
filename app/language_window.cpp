#include "app/language_window.h"

#include "core/app_error.h"
#include "core/progress.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sarvo {

namespace {

constexpr int kIconSide = 32;
// Options of a row share their top, with or without a picture.
constexpr Qt::Alignment kOptionAlignment = Qt::AlignLeft | Qt::AlignTop;

// The option's picture; a file that is missing or no icon gives none.
QIcon LanguageIcon(const QString& file)
{
    if (!QFileInfo::exists(file))
        return {};
    const QIcon icon(file);
    return icon.availableSizes().isEmpty() ? QIcon() : icon;
}

} // namespace

frmLang::frmLang(const QString& programFolder, SwitchLanguageFn switchLanguage, QWidget* parent)
    : QDialog(parent)
    , switchLanguage_(std::move(switchLanguage))
    , prompt_(new QLabel(QStringLiteral("Select the language, please:")))
    , grid_(new QGridLayout)
    , group_(new QButtonGroup(this))
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
{
    setObjectName(QStringLiteral("frmLang"));
    setProperty("tag", QStringLiteral("Language"));
    setWindowTitle(QStringLiteral("Language"));
    prompt_->setObjectName(QStringLiteral("lblItem"));
    ok_->setObjectName(QStringLiteral("CmdOk"));
    cancel_->setObjectName(QStringLiteral("CmdCancel"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &frmLang::accept);
    connect(cancel_, &QPushButton::clicked, this, &frmLang::reject);

    // The designed option; the others are added as the languages are read.
    auto* first = new QRadioButton;
    first->setObjectName(QStringLiteral("optLanguage(0)"));
    first->setProperty("noTranslate", true); // language names are no texts of this window
    first->setIconSize(QSize(kIconSide, kIconSide));
    options_ << first;
    group_->addButton(first, 0);
    grid_->addWidget(first, 0, 0, kOptionAlignment);
    grid_->setHorizontalSpacing(0);
    grid_->setVerticalSpacing(0);

    auto* base = new QFrame;
    base->setObjectName(QStringLiteral("pnlBase"));
    base->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(prompt_);
    baseLayout->addLayout(grid_);
    baseLayout->addStretch();
    baseLayout->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(base);
    // The window grows with its rows of options.
    outer->setSizeConstraint(QLayout::SetMinimumSize);

    connect(group_, &QButtonGroup::idClicked, this, [this](int n) {
        if (choice_ && n < choice_->options().size())
            preview(choice_->options()[n].language);
    });

    RunTrapped(QStringLiteral("Opening language window"), [&] { load(programFolder); });
}

frmLang::~frmLang()
{
    restore();
}

void frmLang::load(const QString& programFolder)
{
    const BusyCursor busy;
    TranslateForm(*this);
    if (!languageDb().isOpen())
        throw AppError::standard(AppError::kObjectNotSet);
    choice_.emplace(languageDb().languages(), TextLanguage(), programFolder);
    const QList<LanguageOption>& offered = choice_->options();
    for (int n = 0; n < offered.size(); ++n) {
        const LanguageOption& o = offered[n];
        QRadioButton* button = option(n);
        if (!button) {
            button = new QRadioButton;
            button->setObjectName(QStringLiteral("optLanguage(%1)").arg(n));
            button->setProperty("noTranslate", true);
            button->setIconSize(options_[0]->iconSize());
            options_ << button;
            group_->addButton(button, n);
            grid_->addWidget(button, o.row, o.column, kOptionAlignment);
        }
        button->setToolTip(o.language);
        const QIcon icon = LanguageIcon(o.iconFile);
        button->setIcon(icon);
        // Without its picture an option would show nothing at all: it shows its name instead.
        button->setText(icon.isNull() ? o.language : QString());
        button->setChecked(o.language == choice_->chosen());
        button->setEnabled(true);
    }
    adjustSize();
    CenterForm(*this);
}

QRadioButton* frmLang::option(int n) const
{
    return n >= 0 && n < options_.size() ? options_[n] : nullptr;
}

int frmLang::optionCount() const
{
    return int(options_.size());
}

void frmLang::preview(const QString& language)
{
    if (!choice_ || !choice_->choose(language))
        return;
    SetTextLanguage(language);
    TranslateForm(*this);
}

void frmLang::accept()
{
    restored_ = true; // the language chosen stays
    if (choice_ && choice_->changed() && switchLanguage_)
        switchLanguage_(choice_->chosen());
    QDialog::accept();
}

void frmLang::done(int result)
{
    if (result != Accepted)
        restore();
    QDialog::done(result);
}

void frmLang::restore()
{
    if (restored_)
        return;
    restored_ = true;
    if (choice_ && choice_->changed())
        SetTextLanguage(choice_->atOpening());
}

} // namespace sarvo
