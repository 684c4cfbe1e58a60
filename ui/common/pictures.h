#pragma once

#include <QPixmap>

namespace tarnvale::ui {

// One of the pictures drawn for the program (resources/pictures), by its file name, as in
// Picture(QStringLiteral("photo.png")); a null pixmap for a name the resources do not hold.
QPixmap Picture(const QString &name);

} // namespace tarnvale::ui
