#pragma once
// The splash window shown while the program starts, and the maker's mark it shares with the
// about window.

#include <QPointer>
#include <QWidget>

class QLabel;

namespace sarvo {

// The maker's mark: a ball bar on its circle with an exaggerated error trace, drawn rather than
// shipped as an image so it scales with the window.
class MakerLogo : public QWidget {
public:
    explicit MakerLogo(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class frmFirst : public QWidget {
    Q_OBJECT
public:
    // Builds the frameless window; mainWindow (may be null) is enabled again when the splash
    // goes away.
    explicit frmFirst(QWidget* mainWindow = nullptr);
    ~frmFirst() override;

    // Centres the window, shows the program's version, shows the window without waiting and lets
    // pending events run once so that it paints. Failures are ignored: a splash never stops the start.
    void load();

    QLabel* versionLabel() const { return version_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();

    QPointer<QWidget> mainWindow_;
    QLabel* version_;
    bool unloaded_ = false;
};

} // namespace sarvo
