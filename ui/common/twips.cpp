#include "ui/common/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tarnvale::ui {

namespace {

double dotsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

} // namespace

int Twips(int twips)
{
    return static_cast<int>(std::lround(twips * dotsPerInch() / 1440.0));
}

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

QRect TwipsRect(const QRect &twips)
{
    return TwipsRect(twips.x(), twips.y(), twips.width(), twips.height());
}

QPoint TwipsPoint(int x, int y)
{
    return QPoint(Twips(x), Twips(y));
}

} // namespace tarnvale::ui
