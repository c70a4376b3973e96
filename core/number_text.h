#pragma once
// Whether a typed text is a number, and the message that refuses one that is not.

#include <QString>

namespace sarvo {

// Whether a box's text is a number StrToDbl reads whole (ParseNumber): the box takes exactly
// what it then reads, so a text the reading would cut ("1,250.5", "1,000,000") is refused, in
// every locale. Blanks around it are allowed, an empty text is no number.
bool IsNumericText(const QString& text);

// The message that refuses a field's text: "Invalid Value. <field> = <text>", the field's caption
// translated.
QString InvalidValueText(const QString& field, const QString& text);

} // namespace sarvo
