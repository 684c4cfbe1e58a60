#include "ui/common/windowowner.h"

#include "core/statistics.h"
#include "ui/Form1/form1.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/printing.h"

#include <QApplication>

#include <cmath>

namespace tarnvale::ui {

WindowOwner::WindowOwner(AnalysisState &state, Dialogs &dialogs)
    : m_state(state)
    , m_dialogs(dialogs)
{
}

WindowOwner::~WindowOwner()
{
    delete m_graphfrm;
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

Graphfrm &WindowOwner::graphfrm()
{
    if (!m_graphfrm) {
        m_graphfrm = new Graphfrm(*this);
        m_graphfrm->Form_Load();
    }
    return *m_graphfrm;
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
    Graphfrm &window = graphfrm();
    window.show();
    window.activateWindow();
    return true;
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

void WindowOwner::graphfrmCellChanged()
{
    graphfrm().cellChanged();
}

void WindowOwner::graphfrmRootAccepted()
{
    const bool drawable = m_state.Lambda && std::isfinite(*m_state.Lambda) && *m_state.Lambda > 0;
    if (drawable)
        graphfrm().setSADEnabled(true);
    else if (m_graphfrm)
        m_graphfrm->setSADEnabled(false);
}

void WindowOwner::graphfrmUnloaded()
{
    // Deleted once the close event that led here has been handled.
    if (m_graphfrm)
        m_graphfrm->deleteLater();
    m_graphfrm.clear();
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
