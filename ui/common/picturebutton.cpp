#include "ui/common/picturebutton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace tarnvale::ui {

void PictureButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int textHeight = text().isEmpty() ? 0 : fontMetrics().height();
    const QRect textPlace(area.left(), area.bottom() + 1 - textHeight, area.width(), textHeight);
    const QRect picturePlace(area.left(), area.top(), area.width(), area.height() - textHeight);
    icon().paint(&painter, picturePlace, Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
    painter.drawItemText(textPlace, Qt::AlignCenter, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}

} // namespace tarnvale::ui
