#include "casedb/ui/save_window.h"

#include "core/app_error.h"
#include "core/language_db.h"
#include "core/progress.h"
#include "core/prompts.h"
#include "files/dispatch.h"
#include "gui/form_utilities.h"
#include "gui/translate_form.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sarvo {

frmSave::frmSave(CaptureHost& host, CaptureSaving saving, QWidget* parent)
    : QDialog(parent)
    , host_(host)
    , saving_(std::move(saving))
    , optDatabase_(new QRadioButton(QStringLiteral("Database")))
    , optFile_(new QRadioButton(QStringLiteral("File")))
    , ok_(new QPushButton(QStringLiteral("&OK")))
    , cancel_(new QPushButton(QStringLiteral("&Cancel")))
{
    setObjectName(QStringLiteral("frmSave"));
    setWindowTitle(QStringLiteral("Save"));
    optDatabase_->setObjectName(QStringLiteral("optDatabase"));
    optFile_->setObjectName(QStringLiteral("optFile"));
    ok_->setObjectName(QStringLiteral("CmdOk"));
    cancel_->setObjectName(QStringLiteral("CmdCancel"));
    ok_->setDefault(true);
    optDatabase_->setChecked(true);

    auto* location = new QGroupBox(QStringLiteral("Location"));
    location->setObjectName(QStringLiteral("frmLocation"));
    auto* options = new QVBoxLayout(location);
    options->addWidget(optDatabase_);
    options->addWidget(optFile_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* outer = new QHBoxLayout(this);
    outer->addWidget(location, 1);
    outer->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &frmSave::okClicked);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(optDatabase_, &QRadioButton::toggled, this, &frmSave::emphasiseChoice);
    emphasiseChoice();

    CenterForm(*this);
    TranslateForm(*this);
    host_.setCaptureEnabled(false);
}

void frmSave::done(int result)
{
    // However the window closes, the measurement window takes input again.
    host_.setCaptureEnabled(true);
    QDialog::done(result);
}

void frmSave::emphasiseChoice()
{
    for (QRadioButton* option : {optDatabase_, optFile_}) {
        QFont font = option->font();
        font.setBold(option->isChecked());
        option->setFont(font);
    }
}

bool frmSave::save(Case& c)
{
    const int16_t runCount = c.Data.RunCount;
    // The analysis compensates and re-centres the readings in place and keeps them as captured
    // (ReadingsAsRead), which a file and a signal's file are written with. Whatever is not stored
    // gets them back, with no results of its own, so a second attempt starts from the same runs.
    const auto restore = [&] {
        c.Data.restoreReadingsAsRead();
        c.Data.RunCount = runCount;
        c.Results.invalidate();
    };
    bool stored = false;
    const bool trapped = RunTrapped(QString::fromLatin1(casedb::kSavingLocation), [&] {
        const bool valid = saving_.analyse && saving_.analyse(c);
        if (optDatabase_->isChecked()) {
            // Without valid results of this case the save would store another case's results.
            if (!valid || !saving_.saveToDatabase)
                return;
            const casedb::SaveResult result = saving_.saveToDatabase(c.Header[HdrName]);
            if (result.outcome == casedb::SaveOutcome::Failed)
                return;
            if (saving_.addMachine)
                ReportOutcome(saving_.addMachine(c.Header[HdrMachine]));
            host_.caseStored(result.measId);
            stored = true;
            return;
        }
        // The file takes the readings as captured, with the results of the analysis.
        const QList<files::SaveType> types = {files::SaveTypeOf(files::FileType::Brv), files::SaveTypeOf(files::FileType::Rtb)};
        for (;;) {
            QString filter = types[0].filter;
            const QString typed = prompts().chooseSaveFile(windowTitle(), saving_.dataFolder, files::SaveFilters(types), &filter);
            if (typed.isEmpty())
                return; // cancelled: the window stays open with its choice
            const files::SaveTarget target = files::ChosenSaveTarget(typed, types, filter);
            const QString& name = target.fileName;
            const bool rtb = target.contents == files::FileType::Rtb;
            const auto& write = rtb ? saving_.saveRtb : saving_.saveBrv;
            if (write && write(name)) {
                host_.caseWritten(c);
                stored = true;
                return;
            }
        }
    });
    if (!stored) {
        restore();
        if (optDatabase_->isChecked() || !trapped)
            prompts().message(windowTitle(),
                              Translate(QStringLiteral("The case was not saved. The measured runs are kept: you can save them again.")),
                              MessageIcon::Warning);
    }
    return stored;
}

void frmSave::okClicked()
{
    BusyCursor busy;
    Case& c = host_.capturedCase();
    setEnabled(false);
    const bool stored = save(c);
    setEnabled(true);
    if (!stored)
        return;
    // Nothing of the saved case may reach the next one: its runs, feedrates and results go.
    ClearCaseForNextMeasurement(c);
    host_.clearForNextMeasurement();
    accept();
}

} // namespace sarvo
