#pragma once

#include "core/stageeditor.h"
#include "core/stagesearch.h"
#include "core/state.h"

#include <QPointer>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

class QString;
class QWidget;

namespace tarnvale {
struct CompadreRecord;
struct PopulationParameterTexts;
struct StageModel;
} // namespace tarnvale

namespace tarnvale::ui {

class Analysisfrm;
class Backform;
class Copyrigh;
class Dialogs;
class Form1;
class Graphfrm;
class ResultFrm;
class Howto;
class Introfrm;
class OwnedWindow;
class Quiz;
class Recordfrm;
class Referenc;
class Stagefrm;
class Stepsfrm;
class Vater;
class titlform;

// Owns the program's windows and the one analysis state they share. A window is created on first
// use and then shown and hidden; one closed through its frame is discarded and built afresh
// (its Form_Load runs again) the next time it is needed. Windows reach each other only through
// here.
class WindowOwner
{
public:
    WindowOwner(AnalysisState &state, Dialogs &dialogs);
    ~WindowOwner();
    WindowOwner(const WindowOwner &) = delete;
    WindowOwner &operator=(const WindowOwner &) = delete;

    AnalysisState &state() { return m_state; }
    Dialogs &dialogs() { return m_dialogs; }
    // The stage matrix being edited and the search on it, kept while "Stage matrix" is closed.
    StageEditor &stageEditor() { return m_stageEditor; }
    StageSearch &stageSearch() { return m_stageSearch; }
    // What "Stage matrix" says under its grid of the database record its model came from; empty
    // when it came from elsewhere or has been edited since.
    std::string &stageRecordNote() { return m_stageRecordNote; }

    // The program's start: the main window's Form_Load, then the first window the user sees.
    void start();

    Form1 &form1();
    // The graph window, created (not shown) and loaded on first use.
    Graphfrm &graphfrm();
    // "Population parameters", created on first use (and then filled with the results of the
    // last accepted root) but not shown.
    ResultFrm &resultFrm();

    // Each shows its window modeless and in front, creating it on first use.
    void showIntrofrm();
    void showHowto();
    void showReferenc();
    void showQuiz();
    void showResultFrm();
    // "Further analysis", analysing the table of the search afresh each time it is shown.
    void showAnalysisfrm();
    // "Further analysis" of a stage model beside `root`, the root of the search on it (empty:
    // none). `cameFrom` is hidden; "Back" and a close through the frame return to it.
    void showAnalysisfrm(const StageModel &model, const std::optional<double> &root,
                         QWidget *cameFrom);
    void showGraphfrm();
    void showCopyrigh();
    void showBackform();
    void showTitlform();
    void showVater();

    // "Search steps", filled from the record of the search; its "Back" returns to `cameFrom`.
    void showStepsfrm(QWidget *cameFrom);
    // The same for another record, which must outlive the window: the stage matrix's search.
    void showStepsfrm(QWidget *cameFrom, const std::vector<SearchEntry> &record);

    // "Stage matrix", showing the model kept here.
    void showStagefrm();

    // "Database records", listing the records of the database file at `path`; false, with the
    // reader's message shown and nothing shown anew, when the file cannot be read.
    bool showRecordfrm(const QString &path);
    // Loads a database record into "Stage matrix" and brings it in front.
    void loadStageRecord(const CompadreRecord &record);

    // Brings the main window back in front, as every way out of another window does.
    void showForm1();
    // Brings back a window that another one was opened from.
    void showWindow(QWidget *window);

    // Called by a window closed through its frame, after its Form_Unload: the window is
    // forgotten and deleted, and the next show builds it afresh.
    void discard(OwnedWindow *window);

    // What a change of a matrix cell does to the graph window: its "SAD" button is disabled and
    // its chart hidden, the window being created (not shown) for this if needed.
    void graphfrmCellChanged();

    // What "Graph" hands the graph window: "Plot" enabled and `equation` shown.
    void graphfrmShowEquation(const std::string &equation);

    // What an accepted root does to the graph window: its "SAD" button is enabled, the window
    // being created (not shown) for this if needed. A root of 0 or below has no stable age
    // distribution to draw, so "SAD" is not offered then.
    void graphfrmRootAccepted();

    // The texts of the main window's matrix cells, as the computations read them.
    CellTexts matrixCellTexts();

    // The results of an accepted root into "Population parameters", which is created (not
    // shown) for this if needed.
    void resultFrmShowParameters(const PopulationParameterTexts &results);

    // Prints an image of `window` on the default printer, or offers a PDF file when there is
    // none.
    void printWindow(QWidget *window);

    // Ends the program at once: every window is closed and the event loop left.
    void endProgram();
    bool ended() const { return m_ended; }

private:
    AnalysisState &m_state;
    Dialogs &m_dialogs;
    QPointer<Form1> m_form1;
    QPointer<Graphfrm> m_graphfrm;
    QPointer<ResultFrm> m_resultFrm;
    QPointer<Analysisfrm> m_analysisfrm;
    QPointer<Backform> m_backform;
    QPointer<titlform> m_titlform;
    QPointer<Howto> m_howto;
    QPointer<Introfrm> m_introfrm;
    QPointer<Referenc> m_referenc;
    QPointer<Quiz> m_quiz;
    QPointer<Copyrigh> m_copyrigh;
    QPointer<Vater> m_vater;
    QPointer<Stepsfrm> m_stepsfrm;
    QPointer<Stagefrm> m_stagefrm;
    QPointer<Recordfrm> m_recordfrm;
    StageEditor m_stageEditor = DefaultStageEditor();
    StageSearch m_stageSearch;
    std::string m_stageRecordNote;
    bool m_ended = false;

    // Every window's slot, in the order the owner deletes them at the end: the main window and
    // the ground last, after every window that could still reach them.
    auto windowSlots()
    {
        return std::tie(m_recordfrm, m_stepsfrm, m_stagefrm, m_analysisfrm, m_graphfrm, m_resultFrm,
                        m_vater, m_copyrigh, m_quiz, m_referenc, m_introfrm, m_howto, m_titlform,
                        m_form1, m_backform);
    }
};

} // namespace tarnvale::ui
