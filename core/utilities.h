#pragma once
// Small free functions that every subsystem calls: number reading, paths, hexadecimal input,
// header lines, the fixed-format number text and the program-file search.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QFileInfo;

namespace sarvo {

// Locale-free number of a text typed by the user or read from a file: "." or "," as decimal
// separator, "-" at either end, an exponent after "E", "e", "D" or "d" ("1.5e3" and "2D3" read
// 1500 and 2000; an upper-case "E" further on scales the number too). Empty or unreadable text
// gives 0; the result is never infinite or NaN.
double StrToDbl(const QString& text);

// The leading number of a text: blanks skipped, an optional sign, digits, "." as the only
// decimal point, an optional exponent after "E" or "D" in either case ("1.5E3" is 1500, "1e-06"
// 1e-6, "4E" 4); no number gives 0, and so does a number beyond the range of a double.
double LeadingNumber(const QString& text);
// The same reading for values that must not pass unnoticed, such as the numbers of measurement
// files: nullopt when the number lies beyond the range of a double. A number too small to hold
// reads 0.
std::optional<double> LeadingNumberInRange(QStringView text);

// A text that must be one number, as StrToDbl reads it whole: white space around it, a sign before
// it or a "-" after it ("3,5-" is -3.5), digits with at most one decimal separator ("." or ","),
// an exponent after E, e, D or d; nothing else, so "1,250.5", whose reading StrToDbl would cut
// at its second separator, is no number. nullopt for anything else and for a number beyond the
// range of a double (IsNumberBeyondRange tells the two apart); a number too small to hold is 0.
std::optional<double> ParseNumber(QStringView text);
bool IsNumberBeyondRange(QStringView text);

// The value of an ASCII number text of the form [-]digits[.digits][e[+-]digits]: nullopt when the
// text has another form or its value lies beyond the range of a double; a value too small to hold
// is 0.
std::optional<double> PlainDecimalValue(std::string_view digits);

// "C8000" and "&hC8000" alike; up to four digits read as a signed 16-bit value; failure gives 0.
int32_t HexToLong(const QString& text);
// Upper-case hexadecimal without prefix; a 16-bit value is written as its 16-bit pattern.
QString HexText16(int16_t value);
QString HexText32(int32_t value);

// Paths: "/" and "\" both separate folders (old files and stored names hold "\").
QString PathOfFile(const QString& path);     // up to and including the last separator
QString FileNameOfPath(const QString& path); // after the last separator

// The printer font's family among the installed ones: the first that contains "Arial", else the
// first that contains "Liberation Sans", its metric-compatible stand-in on Linux; nullopt for
// neither.
std::optional<QString> PrinterFontFamily(const QStringList& families);

// The value of the first of lines 1..24 (element 0 is not looked at) that contains key
// (case-sensitive): the text after the line's first ":", less one blank when there is one.
QString HeaderValue(const QString& key, const QString& defaultValue, const QStringList& lines);

// The number with five decimals and "." as separator, as the measurement files hold it.
QString NumToText5(double value);

// Full path of the first file at or below folder whose name contains fileName (without regard
// to case), or "". Folders are listed completely before their subfolders are entered; symbolic
// links to folders are not followed and unreadable folders are skipped. Between two subfolders
// aborted() is asked; true ends the search with "". No events run meanwhile: a caller that must
// stay responsive runs it away from the event loop.
QString SearchDirectory(const QString& folder, const QString& fileName,
                        const std::function<bool()>& aborted = {});
// The same walk, taking the first file that accepted() takes.
QString SearchDirectory(const QString& folder, const std::function<bool(const QFileInfo&)>& accepted,
                        const std::function<bool()>& aborted = {});

// The search over the places a program file may lie: the program folder, then the home folder;
// aborted() (the user's cancel of a wait) ends it with "".
QString FindFileOnDrives(const QString& fileName, const QString& programFolder,
                         const std::function<bool()>& aborted = {});
QString FindFileOnDrives(const std::function<bool(const QFileInfo&)>& accepted, const QString& programFolder,
                         const std::function<bool()>& aborted = {});

// Conversion between the Windows code page and the DOS code page (850) of old text files.
// Texts hold one character per byte; the length never changes.
QString AnsiToOem(const QString& text);
QString OemToAnsi(const QString& text);

// Windows-1252 bytes to text, for settings and text files that are not UTF-8.
QString DecodeWindows1252(const QByteArray& bytes);

// A text file's bytes without the UTF-8 byte-order mark it may begin with: the mark is no part of
// the first line, and every text file, settings and measurements alike, is read past it.
QByteArray WithoutByteOrderMark(const QByteArray& bytes);

// The lines of a text file as files from either platform hold them: CR LF, LF and a lone CR each
// end one line; the line end after the last line starts no new one.
QStringList TextLines(QStringView text);
// The 1-based line that holds the character at position, by the same line ends.
qsizetype LineNumberAt(QStringView text, qsizetype position);

} // namespace sarvo
