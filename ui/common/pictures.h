#pragma once

#include <QPixmap>
#include <QString>

namespace tarnvale::ui {

// One of the pictures drawn for the program (resources/pictures), by its file name, as in
// Picture(QStringLiteral("photo.png")); a null pixmap for a name the resources do not hold.
QPixmap Picture(const QString &name);

// One of the program's long fixed texts (resources/texts), by its file name, as in
// FixedText(QStringLiteral("help.txt")): the file's UTF-8 without its final line break, which is
// the file's and not the text's. Empty for a name the resources do not hold.
QString FixedText(const QString &name);

} // namespace tarnvale::ui
