#pragma once
// The help files: HTML pages in the program folder that stand in for the old help files. A help
// file name such as "EngAna.hlp" names the page "EngAna.html" (found without regard to case); a
// context number is the page's anchor "#N".

#include <QString>

namespace sarvo {

class HelpSystem {
public:
    virtual ~HelpSystem() = default;
    // Shows the page of the file at the context (0: the page's top).
    virtual void showContext(const QString& helpFile, int context) = 0;
    // How to use the help.
    virtual void helpOnHelp() = 0;
    // Closes the file's help window, if it is open.
    virtual void quit(const QString& helpFile) = 0;
};

HelpSystem& help();
// Installs h (not owned); nullptr restores the default, which does nothing.
void setHelpSystem(HelpSystem* h);

// The page that stands in for a help file: the .hlp name with ".html", looked up in its folder
// without regard to case; empty when there is none.
QString HelpPagePath(const QString& helpFile);

} // namespace sarvo
