#include "ui/common/pictures.h"

#include "ui/common/twips.h"

#include <QFile>
#include <QLabel>
#include <QtGlobal>

// The pictures and texts are compiled into the static window library; a linker drops their
// registration unless something refers to it, so it is done here, on first use. The macro must be
// called outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(tarnvale);
}

namespace tarnvale::ui {

namespace {

// The path of `name` in the resource folder `folder`.
QString resource(const char *folder, const QString &name)
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/%1/%2").arg(QLatin1String(folder), name);
}

} // namespace

QPixmap Picture(const QString &name)
{
    return QPixmap(resource("pictures", name));
}

QLabel *MakePicture(QWidget *parent, const char *name, const QString &file, const QRect &twips,
                    const QString &description)
{
    auto *picture = new QLabel(parent);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(TwipsRect(twips));
    picture->setPixmap(Picture(file));
    picture->setScaledContents(true);
    picture->setAccessibleName(description);
    return picture;
}

QString FixedText(const QString &name)
{
    QFile file(resource("texts", name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace tarnvale::ui
