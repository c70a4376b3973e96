#pragma once
// Boxes that hold a number. A text that is no number would be read as 0 without a word: it is
// refused where the box is left or confirmed, with a message naming the field, and the box shows
// again what it showed before.

#include "core/prompts.h"

#include <QString>

class QLineEdit;
class QWidget;

namespace sarvo {

// Shows the message, puts resetText into the box (a line edit or an editable combo box) and the
// keyboard there with the text selected, so that the user types over it.
void RefuseBoxText(QWidget& box, const QString& message, const QString& resetText,
                   MessageIcon icon = MessageIcon::Warning, const QString& title = {});

// Watches a line edit that holds a number: it remembers the last number it held, whether the
// program put it there or the user typed it and NumberKept took it. fieldName is the English
// caption the message names, translated when shown.
void WatchNumberField(QLineEdit& field, const QString& fieldName);
// Whether the watched field holds a number; when not, refuses the text (RefuseBoxText with the
// number it held before) and returns false, before anything reads the text.
bool NumberKept(QLineEdit& field);

} // namespace sarvo
