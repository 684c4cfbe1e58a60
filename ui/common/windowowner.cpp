#include "ui/common/windowowner.h"

#include "ui/Form1/form1.h"
#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/printing.h"

#include <QApplication>

namespace tarnvale::ui {

WindowOwner::WindowOwner(AnalysisState &state, Dialogs &dialogs)
    : m_state(state)
    , m_dialogs(dialogs)
{
}

WindowOwner::~WindowOwner()
{
    delete m_resultFrm;
    delete m_form1;
}

void WindowOwner::start()
{
    Form1 &main = form1();
    main.Form_Load();
    if (!showTitlform())
        main.show();
}

Form1 &WindowOwner::form1()
{
    if (!m_form1)
        m_form1 = new Form1(*this);
    return *m_form1;
}

ResultFrm &WindowOwner::resultFrm()
{
    if (!m_resultFrm) {
        m_resultFrm = new ResultFrm(*this);
        // A window built afresh after a close shows the results that are still current.
        m_resultFrm->showParameters(PopulationParameters(m_state));
    }
    return *m_resultFrm;
}

void WindowOwner::discardResultFrm()
{
    if (m_resultFrm)
        m_resultFrm->deleteLater();
    m_resultFrm = nullptr;
    form1().show();
}

bool WindowOwner::showIntrofrm()
{
    return false;
}
bool WindowOwner::showHowto()
{
    return false;
}
bool WindowOwner::showReferenc()
{
    return false;
}
bool WindowOwner::showQuiz()
{
    return false;
}
bool WindowOwner::showResultFrm()
{
    ResultFrm &window = resultFrm();
    window.show();
    window.activateWindow();
    return true;
}
bool WindowOwner::showGraphfrm()
{
    return false;
}
bool WindowOwner::showCopyrigh()
{
    return false;
}
bool WindowOwner::showBackform()
{
    return false;
}
bool WindowOwner::showTitlform()
{
    return false;
}

void WindowOwner::graphfrmCellChanged() { }

void WindowOwner::graphfrmRootAccepted()
{
    // The graph window enables its "SAD" button here.
}

void WindowOwner::printWindow(QWidget *window)
{
    PrintWindowImage(window, m_dialogs);
}

void WindowOwner::endProgram()
{
    m_ended = true;
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    QApplication::quit();
}

} // namespace tarnvale::ui
