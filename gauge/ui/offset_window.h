#pragma once
// The centre-offset window "frmOffset": the mean centre offset of the runs captured so far,
// computed once when it opens. Modeless; the measurement window takes no input while it is open.

#include "core/case.h"
#include "core/units.h"

#include <QDialog>

#include <functional>

class QLabel;

namespace sarvo::gauge {

class frmOffset : public QDialog {
    Q_OBJECT
public:
    // setHostEnabled(false) when the window opens, (true) when it closes by any means. The host
    // must not be the parent: a disabled parent disables its child windows too. The window
    // deletes itself when it closes.
    // plane ("xy", "xz", "yz"): the plane the host has chosen, whose axis letters stand before a
    // run has given the case its own.
    frmOffset(const Case& openCase, const UnitState& units, std::function<void(bool)> setHostEnabled,
              QString plane = {}, QWidget* parent = nullptr);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showOffsets();

    const Case& case_;
    UnitState units_;
    std::function<void(bool)> setHostEnabled_;
    QString plane_;
    bool hostDisabled_ = false;
    bool computed_ = false;
    QLabel* pnlWait_;
    QLabel* lblX_;
    QLabel* lblY_;
    QLabel* lblXOffset_;
    QLabel* lblYOffset_;
};

} // namespace sarvo::gauge
