#pragma once
// Number formatting with the patterns of the settings and the displays: "0" a digit always
// shown, "#" a digit shown only when significant, "." the place of the decimal separator.

#include <QLocale>
#include <QString>

namespace sarvo {

// Minimum integer digits = the "0"s before "."; minimum decimals = the position of the last "0"
// after "."; maximum decimals = the number of placeholders after ".". Halves round away from
// zero on the value's 15-significant-digit decimal text. Text before the first and after the
// last placeholder is copied. An empty pattern gives the general text. The locale gives the
// decimal separator (tests pin it; files use QLocale::c()).
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());

// The shortest text of a double with up to 15 significant digits, "." as separator and an
// uppercase "E" exponent for very large or small values ("1E-05", "1.5E+20").
QString ShortestDecimal(double value);

} // namespace sarvo
