#pragma once

#include <QRect>

namespace tarnvale::ui {

// Layout positions and sizes are kept in twips (1/1440 inch), as the windows were designed. This
// is the one place that turns them into pixels, at the screen's logical resolution.
int Twips(int twips);
QRect TwipsRect(int left, int top, int width, int height);
QRect TwipsRect(const QRect &twips);
QPoint TwipsPoint(int x, int y);

} // namespace tarnvale::ui
