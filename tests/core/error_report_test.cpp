// The common error message: number, description, translated location, one modal box.
#include "core/app_error.h"
#include "core/language_db.h"
#include "tests/support/core_test.h"

using namespace sarvo;
using sarvo::test::CoreTest;

using ErrorReport = CoreTest;

TEST_F(ErrorReport, MessageTextAndBox)
{
    ReportError("Starting", AppError::fileNotFound());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].title, "Sarvotrenk");
    EXPECT_EQ(prompts.messages[0].text, "53:File not found \r\nStarting.");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Warning);
}

TEST_F(ErrorReport, OutsideAHandlerGivesZeroAndEmptyDescription)
{
    ReportError("File not found!");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "0: \r\nFile not found!.");
}

TEST_F(ErrorReport, NegativeNumbersAndDatabaseErrors)
{
    EXPECT_EQ(FormatErrorMessage(-2147467259, "Automation error", "Saving"), "-2147467259:Automation error \r\nSaving.");
    const AppError e = AppError::database(3024, "Could not find file");
    EXPECT_EQ(e.number(), 3024);
    EXPECT_EQ(AppError::database(0, "x").number(), AppError::kDatabaseError);
}

TEST_F(ErrorReport, LocationIsTranslatedAndANewOneAdded)
{
    openFixtureLanguageDb({{"Message", "Starting", "Programmstart"}});
    SetTextLanguage("German");
    ReportError("Starting", AppError::divisionByZero());
    ReportError("Somewhere new", AppError::overflow());
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "11:Division by zero \r\nProgrammstart.");
    EXPECT_EQ(prompts.messages[1].text, "6:Overflow \r\nSomewhere new.");
    bool found = false;
    languageDb().lookup("Message", "Somewhere new", "German", &found);
    EXPECT_TRUE(found);
}

// The standard message speaks the user's language from the shipped table of errors; the detail
// after it and a description of the program's own stay as they are.
TEST_F(ErrorReport, TheStandardMessageIsInTheUsersLanguage)
{
    OpenLanguageDatabase(appPath); // created from the shipped script
    SetTextLanguage("German");
    ReportError("Starting", AppError::fileNotFound("/tmp/a.rtb"));
    ReportError("Starting", AppError(AppError::kFileNotFound, "Datei a.rtb fehlt"));
    SetTextLanguage("English");
    ReportError("Starting", AppError::fileNotFound("/tmp/a.rtb"));
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_TRUE(prompts.messages[0].text.startsWith("53:Datei nicht gefunden: /tmp/a.rtb \r\n")) << prompts.messages[0].text.toStdString();
    EXPECT_TRUE(prompts.messages[1].text.startsWith("53:Datei a.rtb fehlt \r\n"));
    EXPECT_TRUE(prompts.messages[2].text.startsWith("53:File not found: /tmp/a.rtb \r\n"));
}

TEST_F(ErrorReport, RunTrappedReportsAnyExceptionOnce)
{
    EXPECT_TRUE(RunTrapped("Nothing", [] {}));
    EXPECT_FALSE(RunTrapped("Saving", [] { throw AppError::subscriptOutOfRange(); }));
    EXPECT_FALSE(RunTrapped("Loading form", [] { throw std::runtime_error("boom"); }));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, "9:Subscript out of range \r\nSaving.");
    EXPECT_TRUE(prompts.messages[1].text.startsWith("51:boom \r\n"));
}

TEST(ErrorText, StandardMessagesAndTheApplicationDefaultForUnknownNumbers)
{
    EXPECT_EQ(StandardErrorText(13), "Type mismatch");
    EXPECT_EQ(StandardErrorText(9), "Subscript out of range");
    EXPECT_EQ(StandardErrorText(12345), "Application-defined or object-defined error");
}
