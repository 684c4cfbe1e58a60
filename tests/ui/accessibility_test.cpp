// What assistive technology (a screen reader) can say about every window of the program.

#include "program.h"

#include "ui/ResultFrm/resultfrm.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

// Every window of the program, by the name the program gives it.
const char *const kWindows[] = {"Form1",    "Graphfrm", "ResultFrm", "Analysisfrm", "Howto",
                                "Introfrm", "Referenc", "Quiz",      "Copyrigh",    "Vater",
                                "titlform", "Backform", "Stepsfrm",  "Stagefrm",    "Recordfrm"};

// The name assistive technology announces, as Qt's accessibility layer reports it.
QString announced(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// A control of the program's own, as opposed to a part Qt builds inside one (the scroll bars
// and view port of a text box).
bool ownControl(const QWidget *w)
{
    return !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"));
}

QString where(const QWidget *window, const QWidget *w)
{
    return window->objectName() + '/'
        + (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
}

// Creates every window, as the user meets them, and returns them.
QList<QWidget *> openEveryWindow(Program &p)
{
    WindowOwner &owner = *p.windows;
    owner.graphfrm();
    owner.resultFrm();
    owner.showAnalysisfrm();
    owner.showHowto();
    owner.showIntrofrm();
    owner.showReferenc();
    owner.showQuiz();
    owner.showCopyrigh();
    owner.showVater();
    owner.showStepsfrm(&p.form1());
    owner.showStagefrm();
    owner.showRecordfrm(QStringLiteral(TARNVALE_EXAMPLES_DIR "/compadre-sample.csv"));
    QList<QWidget *> windows;
    for (const char *name : kWindows)
        if (QWidget *w = p.topLevel(name))
            windows << w;
    return windows;
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void everyControlHasAName()
    {
        // Every control the keyboard can reach has a name of its own. Labels are read as the
        // text they show, which the program changes ("Well done!" / "Try another value!"), so
        // a label with text needs no name set; a picture has no text and gets a name saying
        // what it shows.
        Program p;
        const QList<QWidget *> windows = openEveryWindow(p);
        QCOMPARE(windows.size(), qsizetype(std::size(kWindows)));
        int controls = 0;
        for (QWidget *window : windows) {
            QVERIFY2(!announced(window).isEmpty(), qPrintable(window->objectName()));
            for (QWidget *w : window->findChildren<QWidget *>()) {
                const QString place = where(window, w);
                // A part that passes the focus on to its control (the view port of the chart) is
                // announced as that control.
                if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy()) {
                    ++controls;
                    QVERIFY2(ownControl(w), qPrintable(place + " takes the focus"));
                    QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(place));
                    QCOMPARE(announced(w), w->accessibleName());
                }
                if (auto *label = qobject_cast<QLabel *>(w)) {
                    const bool picture = !label->pixmap().isNull();
                    if (picture)
                        QVERIFY2(!label->accessibleName().isEmpty(), qPrintable(place));
                    if (picture || !label->text().isEmpty())
                        QVERIFY2(!announced(label).isEmpty(), qPrintable(place));
                }
                if (auto *group = qobject_cast<QGroupBox *>(w))
                    QVERIFY2(!group->accessibleName().isEmpty(), qPrintable(place));
            }
        }
        // The cells, the boxes and buttons of the main window alone are more than 40.
        QVERIFY(controls > 60);
    }

    void namesSayWhatEachControlIs_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const QList<QStringList> rows = {
            {"Form1", "Command1", "Formula"},
            {"Form1", "Command13", "Quiz"},
            {"Form1", "Command14", "Results"},
            {"Form1", "Command11", "Datafile A"},
            {"Form1", "Text1", "The characteristic equation:"},
            {"Form1", "Text2", "x1 ="},
            {"Form1", "Text4", "f(x1) ="},
            {"Form1", "Text6", "f(x1)*f(x2)"},
            {"Form1", "Text7", "x3=(x1+x2)/2 ="},
            {"Form1", "Text13", "f(x3) ="},
            {"Form1", "m(0)", "m(0): fecundity of age class 0"},
            {"Form1", "m(3)", "m(3): fecundity of age class 3"},
            {"Form1", "m(4)", "m(4): survival rate from age class 0 to 1"},
            {"Form1", "m(9)", "m(9): survival rate from age class 1 to 2"},
            {"Form1", "m(14)", "m(14): survival rate from age class 2 to 3"},
            {"Form1", "m(5)", "m(5)"},
            {"Form1", "Frame1", "Matrix"},
            {"Form1", "Label4", "Analysis of the Dominant Tarnvale of Lewis-Leslie Matrix"},
            {"Form1", "Picture1",
             "Ladybirds on barley: eggs, larva, pupa and adults of one population"},
            {"Graphfrm", "txtx1", "For x="},
            {"Graphfrm", "txtx2", "to"},
            {"Graphfrm", "txtstepx", "step"},
            {"Graphfrm", "Text2", "The characteristic equation"},
            {"Graphfrm", "MSChart1", "Chart"},
            {"Graphfrm", "Command6", "SAD"},
            {"ResultFrm", "Text1", "Finite rate of increase:"},
            {"ResultFrm", "Text5", "Intrisic rate of increase:"},
            {"ResultFrm", "Text8", "Death rate at SAD:"},
            {"ResultFrm", "Command1", "Back to the main form"},
            {"ResultFrm", "Command2", "Further analysis"},
            {"Analysisfrm", "txtLambda1", "Dominant root \u03bb1:"},
            {"Analysisfrm", "txtSteps", "Steps T:"},
            {"Analysisfrm", "optStart(1)", "all in age class 0"},
            {"Analysisfrm", "grdClasses", "Per age class"},
            {"Analysisfrm", "Command1", "Back"},
            {"Howto", "Text1", "Data analysis"},
            {"Introfrm", "Text1", "Introduction"},
            {"Quiz", "Command1", "Back to the mainform"},
            {"Copyrigh", "cmdCommand1", "OK"},
            {"Vater", "Command1", "God rest his soul"},
            {"Vater", "Picture2", "A quiet lake at dusk"},
            {"Form1", "Command16", "Stage matrix"},
            {"Stagefrm", "Text7", "Stages"},
            {"Stagefrm", "Text1", "x1 ="},
            {"Stagefrm", "Text6", "g(x3) ="},
            {"Stagefrm", "Text8", "\u03bb1 ="},
            {"Stagefrm", "Grid1", "A: the projection matrix"},
            {"Stagefrm", "Check1", "Split into U and F"},
            {"Stagefrm", "Picture1", "Life-cycle graph"},
            {"Recordfrm", "Text1", "Filter"},
            {"Recordfrm", "List1", "Records"},
            {"Recordfrm", "Command1", "Load"},
        };
        for (const QStringList &row : rows)
            QTest::newRow(qPrintable(row[0] + '/' + row[1])) << row[0] << row[1] << row[2];
    }
    void namesSayWhatEachControlIs()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, name);
        Program p;
        openEveryWindow(p);
        QWidget *w = p.topLevel(window.toLatin1().constData());
        QVERIFY(w);
        QWidget *c = w->findChild<QWidget *>(control);
        QVERIFY(c);
        QCOMPARE(c->accessibleName(), name);
        QCOMPARE(announced(c), name);
    }

    void sameCaptionsAreToldApartByTheirDescription()
    {
        // "x1 =" and "f(x1) =" stand twice on the main window: at the start points and in the
        // bisection table.
        Program p;
        QCOMPARE(p.box("Text2")->accessibleName(), p.box("Text8")->accessibleName());
        QVERIFY(p.box("Text2")->accessibleDescription() != p.box("Text8")->accessibleDescription());
        QCOMPARE(p.box("Text4")->accessibleName(), p.box("Text11")->accessibleName());
        QVERIFY(p.box("Text4")->accessibleDescription()
                != p.box("Text11")->accessibleDescription());
        QCOMPARE(p.cell(5)->accessibleDescription(), QStringLiteral("Not used by the analysis"));
        QVERIFY(p.cell(4)->accessibleDescription().isEmpty());
    }

    void aBoxIsLabelledByTheCaptionBesideIt()
    {
        Program p;
        QLineEdit *box = p.box("Text4");
        auto *label = p.control<QLabel>("Label5");
        QCOMPARE(label->buddy(), box);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(box);
        QVERIFY(face);
        bool labelled = false;
        for (const auto &[other, relation] : face->relations(QAccessible::Label))
            labelled = labelled || other->object() == label;
        QVERIFY(labelled);
    }

    void theChartIsNamedByWhatItShows()
    {
        Program p;
        QTest::mouseClick(p.graphControl<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(p.graphControl("MSChart1")->accessibleName(), QStringLiteral("Curve of f(x)"));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
