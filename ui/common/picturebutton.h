#pragma once

#include <QPushButton>

namespace tarnvale::ui {

// A button that shows its picture above its caption, both centred, as a graphical button does; a
// plain push button can only put them side by side, which a narrow button has no room for.
class PictureButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tarnvale::ui
