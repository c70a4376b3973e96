#pragma once
// Translates a window in place when it loads: captions, titles and tool tips of its controls
// and actions under the window's Tag (the dynamic property "tag", else its object name); a label
// whose caption is not found but carries a "tag" of its own takes its text from LangMemo. Texts
// not found are added as new English keys. Controls marked with the property "noTranslate"
// (run-time entries such as the recent list) are left alone. Never shows a message.

class QWidget;
class QString;

namespace sarvo {

// The window's Tag: its "tag" property, else its object name.
QString WindowTag(const QWidget& window);

void TranslateForm(QWidget& window);

} // namespace sarvo
