#include "gui/number_fields.h"

#include "core/number_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

namespace sarvo {

namespace {

constexpr char kShownNumber[] = "shownNumber";
constexpr char kFieldName[] = "numberFieldName";

} // namespace

void RefuseBoxText(QWidget& box, const QString& message, const QString& resetText, MessageIcon icon,
                   const QString& title)
{
    prompts().message(title, message, icon);
    QLineEdit* edit = qobject_cast<QLineEdit*>(&box);
    if (auto* combo = qobject_cast<QComboBox*>(&box); combo && combo->isEditable()) {
        combo->setEditText(resetText);
        edit = combo->lineEdit();
    } else if (edit) {
        edit->setText(resetText);
    }
    box.setFocus();
    if (edit)
        edit->selectAll();
}

void WatchNumberField(QLineEdit& field, const QString& fieldName)
{
    field.setProperty(kFieldName, fieldName);
    field.setProperty(kShownNumber, field.text());
    // Texts the program puts in (setText leaves the field unmodified); typing is taken by NumberKept.
    QObject::connect(&field, &QLineEdit::textChanged, &field, [&field](const QString& text) {
        if (!field.isModified())
            field.setProperty(kShownNumber, text);
    });
}

bool NumberKept(QLineEdit& field)
{
    const QString text = field.text();
    if (IsNumericText(text) || text == field.property(kShownNumber).toString()) {
        field.setProperty(kShownNumber, text);
        return true;
    }
    RefuseBoxText(field, InvalidValueText(field.property(kFieldName).toString(), text),
                  field.property(kShownNumber).toString());
    return false;
}

} // namespace sarvo
