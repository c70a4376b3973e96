#pragma once
// The print options window tied to the program: the open case, the original graph window's view,
// the program folder's logo, the version, the program's printer and the case-information panel.

#include <QString>

namespace sarvo {

// The page header's logo: "logo.wmf" in the program folder.
QString ReportLogoPath();

// The PDF a report of the open case is written to until the user chooses another file: the case's
// file name with ".pdf" (ReportPdfName) in the data folder of the settings, or in the program
// folder when the settings name no existing data folder.
QString DefaultReportPdf();

// Registers the print options window "frmPrint"; the Print command, the Print button of the
// toolbar and that of the graph window open it.
void RegisterPrintWindow();

// The program's printer takes its default file from DefaultReportPdf.
void InstallPrintServices();

} // namespace sarvo
