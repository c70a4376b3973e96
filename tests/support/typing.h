#pragma once
// Typing into a box as a user does: a click into it, Ctrl+A, the keys, then Tab to leave it (or
// nothing, to press another key there).

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace sarvo::test {

// The text field of a line edit or an editable combo box; null for anything else.
inline QLineEdit* TextFieldOf(QWidget& box)
{
    if (auto* combo = qobject_cast<QComboBox*>(&box))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(&box);
}

inline void TypeInto(QWidget& box, const QString& text, bool leave = true)
{
    QLineEdit* field = TextFieldOf(box);
    if (!field) {
        ADD_FAILURE() << qPrintable(box.objectName()) << " takes no typed text";
        return;
    }
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
    if (leave)
        QTest::keyClick(field, Qt::Key_Tab);
}

} // namespace sarvo::test
