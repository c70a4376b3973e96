#pragma once
// "frmView": the viewing-angle diagram beside the measurement window. It reads the planned run
// through a provider each time it draws, so the picture follows what the user types; the
// measurement window calls refresh() after an entry changed and relabel() after a plane change.

#include "display/viewing.h"

#include <QWidget>

#include <array>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace sarvo::display {

class GraphPicture;

class ViewWindow : public QWidget {
    Q_OBJECT
public:
    // The key of the stored place: the same in every language.
    static constexpr const char* kPlaceName = "frmView";

    // params: the measurement window's entries of the moment. opened(true) after loading,
    // opened(false) when the window closes (the view button's caption, the window flag).
    ViewWindow(std::function<ViewParams()> params, QString iniFile, std::function<void(bool)> opened = {},
               QWidget* parent = nullptr);

    // Draws the diagram anew ("cmdRefresh").
    void refresh();
    // Sets the four axis names for the plane of the moment ("cmdPlanes").
    void relabel();

    GraphPicture* picture() const { return picture_; }
    const std::array<QLabel*, 4>& axisLabels() const { return axes_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<ViewParams()> params_;
    QString iniFile_;
    std::function<void(bool)> opened_;
    QFrame* base_;
    GraphPicture* picture_;
    std::array<QLabel*, 4> axes_{}; // north, south, west, east
    QPushButton* planes_;
    QPushButton* refresh_;
    int axisWidth_ = 1; // the pen width the last drawing left, which the next one's axes take
    bool closed_ = false;
};

} // namespace sarvo::display
