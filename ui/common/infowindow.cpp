#include "ui/common/infowindow.h"

#include "ui/common/controls.h"
#include "ui/common/twips.h"

#include <QPushButton>

namespace tarnvale::ui {

InfoWindow::InfoWindow(WindowOwner &owner, const char *name, const QString &caption, QSize twips,
                       QWidget *parent)
    : OwnedWindow(owner, parent)
{
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    setFixedSize(Twips(twips.width()), Twips(twips.height()));
    SetBackColor(this, kWhite);
    setFont(TimesFont(12));
}

void InfoWindow::Command1_Click()
{
    Form_Unload();
}

QPushButton *InfoWindow::addButton(const char *name, const QString &caption, const QRect &twips)
{
    QPushButton *button = MakeButton(this, name, twips, caption, QString());
    button->setDefault(true);
    NameButtonsByCaption(this);
    return button;
}

} // namespace tarnvale::ui
