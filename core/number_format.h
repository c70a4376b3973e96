#pragma once
// Number formatting with the patterns of the settings and the displays: "0" a digit always
// shown, "#" a digit shown only when significant, "." the place of the decimal separator.

#include <QLocale>
#include <QString>

namespace sarvo {

// Minimum integer digits = the "0"s before "."; minimum decimals = the position of the last "0"
// after "."; maximum decimals = the number of placeholders after ".". Halves round away from
// zero on the value's 15-significant-digit decimal text; a result of zero has no minus sign.
// Without shown decimals there is no separator; a number never vanishes ("#" of 0 is "0").
// "," is dropped (no grouping); "\x" and "quoted" text are literals. Text before the first and
// after the last placeholder is copied; the minus sign goes right before the digits. An empty
// pattern, infinity and NaN give the general text. The locale gives the decimal separator
// (tests pin it; files use QLocale::c()); the minus sign is always "-", so StrToDbl reads the
// text back.
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());

// The shortest text of a double with up to 15 significant digits, "." as separator, plain for
// 1e-5 <= |v| < 1e15, otherwise an uppercase "E" exponent with sign and two digits at least
// ("1E-06", "1.5E+20"). Zero (also -0) is "0"; infinity and NaN give "inf", "-inf", "nan".
QString ShortestDecimal(double value);

} // namespace sarvo
