#pragma once
// Whether a typed text is a number, and the message that refuses one that is not.

#include <QString>

namespace sarvo {

// Whether the whole text is a number in the user's or the C locale, either decimal separator;
// blanks around it are allowed, an empty text is no number.
bool IsNumericText(const QString& text);

// The message that refuses a field's text: "Invalid Value. <field> = <text>", the field's caption
// translated.
QString InvalidValueText(const QString& field, const QString& text);

} // namespace sarvo
