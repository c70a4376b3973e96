#include "app/program_state.h"

#include "app/app_context.h"
#include "app/app_shell.h"
#include "core/ini_file.h"
#include "core/language_db.h"
#include "core/prompts.h"
#include "core/settings_file.h"
#include "core/units.h"

namespace sarvo {

void gsReadIni()
{
    AppContext& a = app();
    const SettingsReadResult result = ReadSettings(a.State.AppPath, a.State.IniFile);
    a.Settings = result.settings;
    a.OpenCase.Data.BallBarLength = a.Settings.BallBarLength;
    a.State.IniUnreadable = !result.fileReadable;
    a.State.SettingsRead = true;
    ReportOutcome(result.outcome);
    shell().setToolbarVisible(a.Settings.ToolbarVisible);
    shell().setMenuChecked(CommandId::Toolbar, shell().toolbarVisible());
    SetTextLanguage(a.Settings.Language);
    ShowMaxPointsItem(a.Settings.MaxPoints);
}

void WriteIni()
{
    AppContext& a = app();
    // Never start values over the stored ones, nor a second word on a program folder already told.
    if (!a.State.SettingsRead || a.State.IniUnreadable || a.State.AppPathUnusable)
        return;
    a.Settings.ToolbarVisible = shell().toolbarVisible();
    // The bar length the user last worked with is the next start's default.
    a.Settings.BallBarLength = a.OpenCase.Data.BallBarLength;
    ReportOutcome(WriteSettings(a.Settings, a.State.IniFile));
}

void ShowMaxPointsItem(int n)
{
    const int checkedItem = MaxPointsItem(n);
    for (int i = 0; i < 5; ++i)
        shell().setMenuChecked(MaxPointsCommand(i), i == checkedItem);
}

void SetUnits()
{
    const bool inch = app().Settings.UnitsInch;
    ComputeUnits(app().Units, app().Settings, IniFile(app().State.IniFile));
    shell().setMenuChecked(CommandId::Metric, !inch);
    shell().setMenuChecked(CommandId::Inches, inch);
    shell().unitsChanged();
}

QString AskInput(const QString& prompt)
{
    QString& answer = app().State.InputAnswer;
    answer.clear();
    answer = AskInput(app().State.AppTitle, prompt);
    return answer;
}

} // namespace sarvo
