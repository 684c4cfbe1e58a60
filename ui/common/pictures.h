#pragma once

#include <QPixmap>
#include <QString>

class QLabel;
class QRect;
class QWidget;

namespace tarnvale::ui {

// One of the pictures drawn for the program (resources/pictures), by its file name, as in
// Picture(QStringLiteral("photo.png")); a null pixmap for a name the resources do not hold.
QPixmap Picture(const QString &name);

// The picture `file` as the control `name` at `twips`, scaled to fill it. Assistive technology
// reads `description`: a picture says in words what it shows.
QLabel *MakePicture(QWidget *parent, const char *name, const QString &file, const QRect &twips,
                    const QString &description);

// One of the program's long fixed texts (resources/texts), by its file name, as in
// FixedText(QStringLiteral("help.txt")): the file's UTF-8 without its final line break, which is
// the file's and not the text's. Empty for a name the resources do not hold.
QString FixedText(const QString &name);

} // namespace tarnvale::ui
