#include "ui/common/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    const QString start
        = m_openedFileBefore ? QString() : ExamplesFolder(QCoreApplication::applicationDirPath());
    const QString file
        = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), start);
    if (!file.isEmpty())
        m_openedFileBefore = true;
    return file;
}

QString QtDialogs::chooseSaveFile(const QString &title, const QString &filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, QString(), filter);
}

QString QtDialogs::chooseSaveName(const QString &folder)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), folder, QString(),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString ExamplesFolder(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return QString();
    // Beside the program in a build tree; in share/ next to bin/ when installed.
    for (const QString &place :
         {QStringLiteral("examples"), QStringLiteral("../share/tarnvale/examples")}) {
        const QFileInfo examples(QDir(programFolder), place);
        if (examples.isDir())
            return QDir::cleanPath(examples.absoluteFilePath());
    }
    return QString();
}

QString SaveStartFolder(const QString &lastSaved, const QString &lastRead, const QString &examples)
{
    if (!lastSaved.isEmpty())
        return QFileInfo(lastSaved).absolutePath();
    if (!lastRead.isEmpty()) {
        const QFileInfo folder(QFileInfo(lastRead).absolutePath());
        const bool isExamples = !examples.isEmpty()
            && folder.canonicalFilePath() == QFileInfo(examples).canonicalFilePath();
        if (folder.isDir() && folder.isWritable() && !isExamples)
            return folder.absoluteFilePath();
    }
    return QDir::homePath();
}

QString ChooseTextFileName(Dialogs &dialogs, const QString &lastSaved, const QString &lastRead,
                           const QString &extension)
{
    const QString typed = dialogs.chooseSaveName(SaveStartFolder(
        lastSaved, lastRead, ExamplesFolder(QCoreApplication::applicationDirPath())));
    if (typed.isEmpty() || !QFileInfo(typed).suffix().isEmpty())
        return typed;
    return typed + extension;
}

} // namespace tarnvale::ui
