#include "gui/progress_window.h"

#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace sarvo {

WaitForm::WaitForm(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , mainWindow_(mainWindow)
    , meter_(new QProgressBar)
    , message_(new QLabel(QStringLiteral("One moment, please...")))
{
    setObjectName(QStringLiteral("WaitForm"));
    setProperty("tag", QStringLiteral("Wait"));
    setWindowTitle(QStringLiteral("Sarvotrenk"));

    auto* base = new QFrame;
    base->setObjectName(QStringLiteral("pnlBase"));
    base->setFrameShape(QFrame::StyledPanel);
    meter_->setObjectName(QStringLiteral("PnlMeter"));
    meter_->setRange(0, 100);
    meter_->setValue(0);
    meter_->setTextVisible(true);
    message_->setObjectName(QStringLiteral("Label1"));
    message_->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(base);
    inner->addWidget(meter_);
    inner->addWidget(message_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(base);
    resize(340, 110);

    CenterForm(*this);
    TranslateForm(*this);
    if (mainWindow_) {
        mainWindow_->setEnabled(false);
        // Disabling the main window disables its child windows too; this one must stay live.
        setEnabled(true);
    }
}

WaitForm::~WaitForm()
{
    unload();
}

void WaitForm::setPercent(int percent)
{
    meter_->setValue(std::clamp(percent, 0, 100));
    // Painted at once, without running other events: nothing re-enters the computation.
    if (meter_->isVisible())
        meter_->repaint();
}

int WaitForm::percent() const
{
    return meter_->value();
}

void WaitForm::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void WaitForm::unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    if (mainWindow_)
        mainWindow_->setEnabled(true);
}

void ProgressWindowHost::open(bool show)
{
    WaitForm& form = load();
    if (show) {
        form.show();
        form.raise();
    }
}

void ProgressWindowHost::setPercent(int percent)
{
    load().setPercent(percent);
}

void ProgressWindowHost::close()
{
    delete form_.data();
}

WaitForm* ProgressWindowHost::window() const
{
    return form_ && form_->isLoaded() ? form_.data() : nullptr;
}

WaitForm& ProgressWindowHost::load()
{
    if (form_ && !form_->isLoaded())
        delete form_.data();
    if (!form_)
        form_ = new WaitForm(mainWindow_);
    return *form_;
}

} // namespace sarvo
