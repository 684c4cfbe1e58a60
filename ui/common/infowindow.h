#pragma once

#include "ui/common/ownedwindow.h"

#include <QSize>
#include <QString>

class QPushButton;
class QRect;

namespace tarnvale::ui {

// What the information windows (the help, the introduction, the references, the quiz and the
// closing sequence) share: a window of fixed size on a white ground, in 12 pt Times, with one
// default button that leads out of it. The button and a close through the frame both go back to
// the main window; the closing sequence's windows give their button its own way on.
class InfoWindow : public OwnedWindow
{
    Q_OBJECT
public:
    // The button: back to the main window, the way a close through the frame goes.
    virtual void Command1_Click();

protected:
    // The window named `name`, with `caption` in its frame, `twips` in size. Its controls are
    // built afterwards, so that they take its font.
    InfoWindow(WindowOwner &owner, const char *name, const QString &caption, QSize twips,
               QWidget *parent);

    // The button `name` with `caption`, placed at `twips`, pressed by Enter anywhere in the
    // window. Built after the other controls, so that Tab reaches it last.
    QPushButton *addButton(const char *name, const QString &caption, const QRect &twips);
};

} // namespace tarnvale::ui
