#include "ui/common/ownedwindow.h"

#include "ui/windowowner.h"

#include <QCloseEvent>

namespace tarnvale::ui {

OwnedWindow::OwnedWindow(WindowOwner &owner, QWidget *parent)
    : QWidget(parent)
    , m_owner(owner)
{
}

void OwnedWindow::Form_Unload()
{
    hide();
    m_owner.showForm1();
}

void OwnedWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload();
    // It is still inside this close event; the owner deletes it once that is over.
    m_owner.discard(this);
}

} // namespace tarnvale::ui
