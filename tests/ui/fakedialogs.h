#pragma once

#include "ui/common/dialogs.h"

#include <QStringList>

// Answers every dialog from a script and remembers what was asked.
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
        return openFile;
    }
    QString chooseSaveFile(const QString &, const QString &) override { return saveFile; }
    QString chooseSaveName(const QString &folder) override
    {
        calls << QStringLiteral("chooseSaveName");
        saveFolders << folder;
        return saveName;
    }

    bool answerYes = true;
    QString openFile;
    QString saveFile;
    QString saveName;
    QStringList saveFolders; // where each save dialog opened
    QStringList asked;
    QStringList informed;
    QStringList calls; // which dialogs were shown, in order
};
