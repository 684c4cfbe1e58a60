#pragma once

#include <QString>

class QWidget;

namespace tarnvale::ui {

// Every modal dialog of the program goes through here, so that tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Yes/No message box without an icon; true for Yes.
    virtual bool askYesNo(const QString &title, const QString &prompt) = 0;
    // Message box with an OK button and no icon.
    virtual void inform(const QString &title, const QString &prompt) = 0;
    // Open-file dialog; the chosen full file name, empty when cancelled.
    virtual QString chooseOpenFile() = 0;
    // Save-file dialog for a file of the given filter ("PDF files (*.pdf)"); empty when cancelled.
    virtual QString chooseSaveFile(const QString &title, const QString &filter) = 0;
    // Save-file dialog that takes an existing file or a new name, opening in `folder`. It asks no
    // question about replacing the chosen file, which its caller writes beside, not over; the
    // chosen full file name, empty when cancelled.
    virtual QString chooseSaveName(const QString &folder) = 0;
};

// The real dialogs, parented to the active window.
class QtDialogs : public Dialogs
{
public:
    bool askYesNo(const QString &title, const QString &prompt) override;
    void inform(const QString &title, const QString &prompt) override;
    // Opens in the example tables' folder until a file has been chosen once; from then on the
    // dialog's own memory of the last folder decides.
    QString chooseOpenFile() override;
    QString chooseSaveFile(const QString &title, const QString &filter) override;
    QString chooseSaveName(const QString &folder) override;

private:
    bool m_openedFileBefore = false;
};

// Where the example life tables lie for a program in `programFolder`: the folder "examples"
// inside it, where the build puts them, or else "../share/tarnvale/examples" from it, where
// they are installed; empty when there is neither.
QString ExamplesFolder(const QString &programFolder);

// Where a save dialog opens: the folder of `lastSaved`, else that of `lastRead` unless it is the
// `examples` folder (read-only once installed) or cannot be written, else the home folder. Empty
// names stand for no such file.
QString SaveStartFolder(const QString &lastSaved, const QString &lastRead, const QString &examples);

// Asks `dialogs` for the name of the text file to save, the dialog opening as SaveStartFolder
// says; a name typed without an extension gets ".txt", since the files written are named after
// the chosen name less its last four characters (a CSV file takes `extension` ".csv"). Empty when
// cancelled.
QString ChooseTextFileName(Dialogs &dialogs, const QString &lastSaved, const QString &lastRead,
                           const QString &extension = QStringLiteral(".txt"));

} // namespace tarnvale::ui
