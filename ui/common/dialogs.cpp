#include "ui/common/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tarnvale::ui {

bool QtDialogs::askYesNo(const QString &title, const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

void QtDialogs::inform(const QString &title, const QString &prompt)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

QString QtDialogs::chooseOpenFile()
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow());
}

QString QtDialogs::chooseSaveFile(const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, QString(), filter);
}

} // namespace tarnvale::ui
