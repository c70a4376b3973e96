#pragma once
// The about window: product, version, the maker and the limitation of liability. Its tab captions
// are carried by two labels, so that they are translated like any caption and follow the language.

#include <QDialog>

class QLabel;
class QPushButton;
class QTabWidget;

namespace sarvo {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    // The English liability paragraph; translations come from LangMemo under ("About", "Limit"),
    // since a text this long is never a key of the short-text table.
    static const QString& liabilityText();

    // Loads the window: version, centred, translated under the Tag "About", first tab selected.
    // A failure is reported as "Preparing form".
    explicit frmAbout(QWidget* parent = nullptr);

    // Shows the window modally (Help/About).
    static void showModal(QWidget* parent);

    // Copies the captions of the two type labels to their tabs; the load runs it after
    // translating, and whoever changes the labels' language later calls it again.
    void syncTabCaptions();

    QTabWidget* tabs() const { return tabs_; }
    QLabel* typeLabel(int index) const { return types_[index]; }
    QLabel* liabilityLabel() const { return limit_; }
    QLabel* versionLabel() const { return version_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTabWidget* tabs_;
    QLabel* types_[2];
    QLabel* limit_;
    QLabel* version_;
    QPushButton* close_;
};

} // namespace sarvo
