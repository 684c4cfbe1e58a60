#include "ui/Backform/backform.h"

#include "ui/common/controls.h"
#include "ui/windowowner.h"

#include <QCloseEvent>

namespace tarnvale::ui {

Backform::Backform(WindowOwner &owner, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnBottomHint)
    , m_owner(owner)
{
    setObjectName(QStringLiteral("Backform"));
    setWindowTitle(QStringLiteral("Tarnvale4"));
    SetBackColor(this, kDarkBlue);
}

void Backform::closeEvent(QCloseEvent *event)
{
    // With the ground gone the program would run on behind hidden windows; end it instead.
    event->accept();
    m_owner.endProgram();
}

} // namespace tarnvale::ui
