#include "ui/common/pictures.h"

#include <QtGlobal>

// The pictures are compiled into the static window library; a linker drops their registration
// unless something refers to it, so it is done here, on first use. The macro must be called
// outside any namespace.
static void registerPictures()
{
    Q_INIT_RESOURCE(tarnvale);
}

namespace tarnvale::ui {

QPixmap Picture(const QString &name)
{
    static const bool registered = (registerPictures(), true);
    Q_UNUSED(registered);
    return QPixmap(QStringLiteral(":/pictures/") + name);
}

} // namespace tarnvale::ui
