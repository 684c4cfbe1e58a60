#pragma once

class QWidget;

namespace tarnvale::ui {

class Dialogs;

// Prints an image of the window as it is shown, scaled to the page, on the default printer. A
// machine without a printer is told so, and may save the image as a PDF file instead.
void PrintWindowImage(QWidget *window, Dialogs &dialogs);

} // namespace tarnvale::ui
