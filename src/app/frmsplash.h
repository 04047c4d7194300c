#pragma once

#include <QDialog>

namespace velmora {

// The splash window shown at start: the product's name and release. Any key, a click
// or "&Enter" closes it (accepted), and the login window follows.
class frmSplash final : public QDialog
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace velmora
