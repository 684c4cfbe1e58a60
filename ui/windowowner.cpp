#include "ui/windowowner.h"

#include "core/leslie.h"
#include "core/statistics.h"
#include "ui/Analysisfrm/analysisfrm.h"
#include "ui/Backform/backform.h"
#include "ui/Copyrigh/copyrigh.h"
#include "ui/Form1/form1.h"
#include "ui/Graphfrm/graphfrm.h"
#include "ui/Howto/howto.h"
#include "ui/Introfrm/introfrm.h"
#include "ui/Quiz/quiz.h"
#include "ui/Recordfrm/recordfrm.h"
#include "ui/Referenc/referenc.h"
#include "ui/ResultFrm/resultfrm.h"
#include "ui/Stagefrm/stagefrm.h"
#include "ui/Stepsfrm/stepsfrm.h"
#include "ui/Vater/vater.h"
#include "ui/common/ownedwindow.h"
#include "ui/common/printing.h"
#include "ui/titlform/titlform.h"

#include <QApplication>
#include <QScreen>

namespace tarnvale::ui {

namespace {

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
}

// What a window does once built, before it is first shown: its Form_Load, as a rule.
template<typename Window> void firstLoad(Window &window, WindowOwner &)
{
    window.Form_Load();
}

// "Further analysis" loads its table each time it is shown.
void firstLoad(Analysisfrm &, WindowOwner &) { }

// The main window's Form_Load starts the program; start() runs it.
void firstLoad(Form1 &, WindowOwner &) { }

// A window built afresh after a close shows the results that are still current.
void firstLoad(ResultFrm &window, WindowOwner &owner)
{
    window.showParameters(PopulationParameters(owner.state()));
}

void firstLoad(Backform &window, WindowOwner &)
{
    // Without a window manager nothing maximises a window; the screen's size then stands in.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->availableGeometry());
}

// The window in `slot`, built, placed in the middle of the screen and loaded if there is none.
template<typename Window> Window &loaded(QPointer<Window> &slot, WindowOwner &owner)
{
    if (!slot) {
        slot = new Window(owner);
        centreOnScreen(slot);
        firstLoad(*slot, owner);
    }
    return *slot;
}

void showInFront(QWidget *window)
{
    window->show();
    window->activateWindow();
}

} // namespace

WindowOwner::WindowOwner(AnalysisState &state, Dialogs &dialogs)
    : m_state(state)
    , m_dialogs(dialogs)
{
}

WindowOwner::~WindowOwner()
{
    std::apply([](auto &...slot) { (delete slot, ...); }, windowSlots());
}

void WindowOwner::start()
{
    // Shows the background and the splash; the splash shows Form1 when it is dismissed.
    form1().Form_Load();
}

Form1 &WindowOwner::form1()
{
    return loaded(m_form1, *this);
}

Graphfrm &WindowOwner::graphfrm()
{
    return loaded(m_graphfrm, *this);
}

ResultFrm &WindowOwner::resultFrm()
{
    return loaded(m_resultFrm, *this);
}

void WindowOwner::showIntrofrm()
{
    showInFront(&loaded(m_introfrm, *this));
}

void WindowOwner::showHowto()
{
    showInFront(&loaded(m_howto, *this));
}

void WindowOwner::showReferenc()
{
    showInFront(&loaded(m_referenc, *this));
}

void WindowOwner::showQuiz()
{
    showInFront(&loaded(m_quiz, *this));
}

void WindowOwner::showResultFrm()
{
    showInFront(&resultFrm());
}

void WindowOwner::showAnalysisfrm()
{
    // The table the search worked on, analysed afresh: the results may have changed since.
    Analysisfrm &window = loaded(m_analysisfrm, *this);
    window.showAnalysis(LeslieTableFrom(m_state, matrixCellTexts()), m_state.Lambda);
    showInFront(&window);
}

void WindowOwner::showAnalysisfrm(const StageModel &model, const std::optional<double> &root,
                                  QWidget *cameFrom)
{
    Analysisfrm &window = loaded(m_analysisfrm, *this);
    window.showAnalysis(model, root, cameFrom);
    if (cameFrom && cameFrom != &window)
        cameFrom->hide();
    showInFront(&window);
}

void WindowOwner::showGraphfrm()
{
    showInFront(&graphfrm());
}

void WindowOwner::showCopyrigh()
{
    showInFront(&loaded(m_copyrigh, *this));
}

void WindowOwner::showBackform()
{
    loaded(m_backform, *this).showMaximized();
}

void WindowOwner::showTitlform()
{
    showInFront(&loaded(m_titlform, *this));
}

void WindowOwner::showVater()
{
    showInFront(&loaded(m_vater, *this));
}

void WindowOwner::showStepsfrm(QWidget *cameFrom)
{
    Stepsfrm &steps = loaded(m_stepsfrm, *this);
    steps.showRecord(cameFrom);
    showInFront(&steps);
}

void WindowOwner::showStepsfrm(QWidget *cameFrom, const std::vector<SearchEntry> &record)
{
    Stepsfrm &steps = loaded(m_stepsfrm, *this);
    steps.showRecord(cameFrom, record, QStringLiteral("g(x3)"));
    showInFront(&steps);
}

void WindowOwner::showStagefrm()
{
    showInFront(&loaded(m_stagefrm, *this));
}

bool WindowOwner::showRecordfrm(const QString &path)
{
    Recordfrm &records = loaded(m_recordfrm, *this);
    if (!records.openFile(path))
        return false;
    showInFront(&records);
    return true;
}

void WindowOwner::loadStageRecord(const CompadreRecord &record)
{
    Stagefrm &stage = loaded(m_stagefrm, *this);
    stage.loadRecord(record);
    showInFront(&stage);
}

void WindowOwner::showForm1()
{
    showInFront(&form1());
}

void WindowOwner::showWindow(QWidget *window)
{
    showInFront(window);
}

void WindowOwner::discard(OwnedWindow *window)
{
    QWidget *const closed = window;
    const bool known = std::apply(
        [closed](auto &...slot) { return ((slot == closed && (slot = nullptr, true)) || ...); },
        windowSlots());
    // It is still inside its own close event; delete it once that is over.
    if (known)
        window->deleteLater();
}

void WindowOwner::graphfrmCellChanged()
{
    graphfrm().cellChanged();
}

void WindowOwner::graphfrmShowEquation(const std::string &equation)
{
    Graphfrm &graph = graphfrm();
    graph.enablePlot();
    graph.showEquation(equation);
}

void WindowOwner::graphfrmRootAccepted()
{
    if (CanDrawStableAgeDistribution(m_state))
        graphfrm().setSADEnabled(true);
    else if (m_graphfrm)
        m_graphfrm->setSADEnabled(false);
}

CellTexts WindowOwner::matrixCellTexts()
{
    return form1().cellTexts();
}

void WindowOwner::resultFrmShowParameters(const PopulationParameterTexts &results)
{
    resultFrm().showParameters(results);
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
