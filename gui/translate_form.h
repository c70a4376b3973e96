#pragma once
// Translates a window in place: captions, titles and tool tips of its controls and actions under
// the window's Tag (the dynamic property "tag", else its object name); a label whose caption is
// not found but carries a "tag" of its own takes its text from LangMemo. Each control keeps the
// English text it was built with, so a window translated again, in the same or another language,
// is translated from that English source, never from a translation. Texts not found are added as
// new English keys; an empty text is never looked up. Controls marked with the property
// "noTranslate" (run-time entries such as the recent list) are left alone, and so is a text the
// program has set since the last translation (its own, set in the language of the moment).
// Never shows a message.

#include <functional>

class QWidget;
class QString;

namespace sarvo {

// The window's Tag: its "tag" property, else its object name.
QString WindowTag(const QWidget& window);

void TranslateForm(QWidget& window);

// Translates again, in the current language, every window that TranslateForm has translated
// and that is still open, after installQtTranslations has put Qt's own texts in that language;
// Qt's texts in the open windows follow too.
void RetranslateOpenForms(const std::function<void()>& installQtTranslations = {});

} // namespace sarvo
