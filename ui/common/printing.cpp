#include "ui/common/printing.h"

#include "ui/common/dialogs.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace tarnvale::ui {

namespace {

bool paintOnto(QPrinter &printer, const QPixmap &image)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
    return painter.end();
}

} // namespace

void PrintWindowImage(QWidget *window, Dialogs &dialogs)
{
    const QPixmap image = window->grab();
    const QString title = window->windowTitle();

    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (!defaultPrinter.isNull()) {
        QPrinter printer(defaultPrinter, QPrinter::HighResolution);
        if (!paintOnto(printer, image))
            dialogs.inform(title,
                           QStringLiteral("The printer \"%1\" could not print this window.")
                               .arg(defaultPrinter.printerName()));
        return;
    }

    if (!dialogs.askYesNo(title,
                          QStringLiteral("This computer has no printer. Do you want to save "
                                         "an image of this window as a PDF file instead?")))
        return;
    QString path = dialogs.chooseSaveFile(QStringLiteral("Save as PDF"),
                                          QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    if (!paintOnto(printer, image))
        dialogs.inform(title, QStringLiteral("The file \"%1\" could not be written.").arg(path));
}

} // namespace tarnvale::ui
