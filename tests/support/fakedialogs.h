#pragma once

#include "ui/common/dialogs.h"

#include <QStringList>

// Answers every dialog from a script and remembers what was asked, for the window tests and the
// window benchmarks alike.
class FakeDialogs : public tarnvale::ui::Dialogs
{
public:
    bool askYesNo(const QString &title, const QString &prompt) override
    {
        asked << title + ": " + prompt;
        calls << QStringLiteral("askYesNo");
        return answerYes;
    }
    void inform(const QString &title, const QString &prompt) override
    {
        informed << title + ": " + prompt;
        calls << QStringLiteral("inform");
    }
    QString chooseOpenFile() override
    {
        calls << QStringLiteral("chooseOpenFile");
        return files.isEmpty() ? openFile : files.takeFirst();
    }
    QString chooseSaveFile(const QString &, const QString &) override
    {
        return files.isEmpty() ? saveFile : files.takeFirst();
    }
    QString chooseSaveName(const QString &folder) override
    {
        calls << QStringLiteral("chooseSaveName");
        saveFolders << folder;
        return files.isEmpty() ? saveName : files.takeFirst();
    }

    bool answerYes = true;
    // The file dialogs take the names of `files` one after the other; once they are used up,
    // each answers its own name below (empty: cancelled).
    QStringList files;
    QString openFile;
    QString saveFile;
    QString saveName;
    QStringList saveFolders; // where each save dialog opened
    QStringList asked;
    QStringList informed;
    QStringList calls; // which dialogs were shown, in order
};
