#include "program.h"

#include "core/numbertext.h"
#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/controls.h"

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

QString caption(Program &p, const char *name)
{
    return p.control<QLabel>(name)->text();
}

QString result(Program &p, const char *name)
{
    return Program::childOf<QLineEdit>(&p.windows->resultFrm(), QString::fromLatin1(name))->text();
}

double number(const QString &text)
{
    return TextToNumber(text.toStdString()).value;
}

// "Try" from start texts on the default matrix, on one with no fecundities, or on a life table.
struct TrialCase
{
    const char *name;
    const char *x1, *x2;
    const char *trial; // f(x1), f(x2) and their product
    const char *midpoint; // null: rejected
    const char *fx3 = nullptr; // f(x3) after the first Bisection, when given
    const char *fecundities = nullptr; // typed into m(1) ... m(3)
    std::vector<double> fecundity = {}, survival = {}; // a life table when not empty
};
const TrialCase kTrials[] = {
    {"negative root", "-1", "0", "1.25 -0.25 -0.3125", "-0.5"},
    {"descending", "2", "0", "11.75 -0.25 -2.9375", "1"},
    {"typed text is kept", " 0.5abc", "2", "-0.8125 11.75 -9.546875", "1.25"},
    {"x1 = x2", "2", "2", "11.75 11.75 138.0625", nullptr},
    {"no fecundities", "0", "2", "0 16 0", nullptr, nullptr, "0"},
    {"table of one age class", "0", "2", "-1.5 0.5 -0.75", "1", "-0.5", nullptr, {1.5}},
    {"two age classes, exact root", "0", "2", "-1 3 -3", "1", "0", nullptr, {0, 2}, {0.5}},
};

} // namespace

class RootSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void workedRunOfTheDefaultMatrix()
    {
        Program p;
        QVERIFY(p.activateForm1());
        p.click("Command1");
        p.click("Command2");

        QCOMPARE(
            p.texts({"Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text11", "Text12"}),
            QStringLiteral("-0.25 11.75 -2.9375 1 0 2 -0.25 11.75"));
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Well done!"));
        QCOMPARE(p.shownOf({"Label18", "Label19"}), QStringList());
        QCOMPARE(p.hiddenOf({"Label9", "Label10", "Label11", "Label12", "Label13", "Label14",
                             "Label15", "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"}),
                 QStringList());
        QCOMPARE(p.enabledButtons(), QStringLiteral("3 5 6 8 9 10 11 12 13"));
        QCOMPARE(QApplication::focusWidget(), p.button("Command3"));
        QCOMPARE(p.state.StepCount, 1);

        const QStringList points
            = QStringLiteral("1 1.5 1.25 1.125 1.1875 1.21875 1.234375 1.2265625 1.22265625 "
                             "1.220703125 1.2197265625 1.22021484375 1.219970703125 "
                             "1.2198486328125 1.21978759765625")
                  .split(' ');
        for (int i = 0; i < points.size(); ++i) {
            p.click("Command3");
            QCOMPARE(p.text("Text10"), points[i]);
            QCOMPARE(p.state.StepCount, i + 2);
            const bool last = i == points.size() - 1;
            QCOMPARE(p.enabledButtons(),
                     QStringLiteral("1 4 5 6 8 9 10 11 12 13") + (last ? " 14" : ""));
            QCOMPARE(QApplication::focusWidget(), p.button("Command4"));
            QCOMPARE(p.hiddenOf({"Command7", "Picture1"}), QStringList());
            QCOMPARE(p.shown("Label16"), last);
            QCOMPARE(ForeColor(p.box("Text10")), last ? kRed : kBlack);
            QCOMPARE(ForeColor(p.box("Text13")), last ? kRed : kBlack);
            if (last)
                break;

            // f(x1) stays negative on this run: x3 below the root replaces x1 (now blue), above
            // it x2; the kept end turns black.
            const bool belowRoot = number(points[i]) < 1.21977;
            const QString x1 = p.text("Text8"), x2 = p.text("Text9"), x3 = p.text("Text10");
            const QString fx1 = p.text("Text11"), fx2 = p.text("Text12"), fx3 = p.text("Text13");
            p.click("Command4");
            QCOMPARE(p.text("Text8"), belowRoot ? x3 : x1);
            QCOMPARE(p.text("Text11"), belowRoot ? fx3 : fx1);
            QCOMPARE(p.text("Text9"), belowRoot ? x2 : x3);
            QCOMPARE(p.text("Text12"), belowRoot ? fx2 : fx3);
            for (const char *name : {"Text8", "Text11"})
                QCOMPARE(ForeColor(p.box(name)), belowRoot ? kBlue : kBlack);
            for (const char *name : {"Text9", "Text12"})
                QCOMPARE(ForeColor(p.box(name)), belowRoot ? kBlack : kBlue);
            QCOMPARE(p.text("Text10"), QString());
            QCOMPARE(p.text("Text13"), QString());
            QCOMPARE(p.enabledButtons(), QStringLiteral("1 3 5 6 8 9 10 11 12 13"));
            QCOMPARE(QApplication::focusWidget(), p.button("Command3"));
        }

        QCOMPARE(p.state.StepCount, 16);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("<0.0001"));
        QVERIFY(p.text("Text13").startsWith(QStringLiteral("0.0000637")));
        QCOMPARE(result(p, "Text1"), QStringLiteral("1.21978759765625"));
        QCOMPARE(result(p, "Text2"), QStringLiteral("1.75"));
        const std::pair<const char *, double> figures[]
            = {{"Text5", 0.198677}, {"Text3", 2.816715}, {"Text4", 3.488819},
               {"Text6", 0.647547}, {"Text7", 0.572240}, {"Text8", 0.427760}};
        for (const auto &[box, value] : figures)
            QVERIFY2(qAbs(number(result(p, box)) - value) <= 5e-7, box);
    }

    void trialEdgeCases_data() { addRows(kTrials); }
    void trialEdgeCases()
    {
        const TrialCase &c = fetchRow(kTrials);
        Program p;
        if (!c.fecundity.empty())
            p.setTable(c.fecundity, c.survival);
        for (int i = 1; c.fecundities && i <= 3; ++i)
            p.typeInCell(i, QString::fromLatin1(c.fecundities));
        p.enterInCell(0);
        p.setStartPoints(QString::fromLatin1(c.x1), QString::fromLatin1(c.x2));
        p.click("Command1");
        p.click("Command2");
        QCOMPARE(p.texts({"Text4", "Text5", "Text6"}), QString::fromLatin1(c.trial));
        QVERIFY(p.shown("Label12"));
        QCOMPARE(p.state.StepCount, 1);
        if (!c.midpoint) {
            QCOMPARE(caption(p, "Label12"), QStringLiteral("Try another value!"));
            QCOMPARE(p.enabledButtons(), QStringLiteral("2 5 6 8 9 10 11 12 13"));
            QVERIFY(!p.shown("Text8"));
            return;
        }
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Well done!"));
        QCOMPARE(p.text("Text7"), QString::fromLatin1(c.midpoint));
        // The bracket shows the texts as typed.
        QCOMPARE(p.texts({"Text8", "Text9"}), QString::fromLatin1(c.x1) + ' ' + c.x2);
        if (!c.fx3)
            return;
        p.click("Command3");
        QCOMPARE(p.text("Text13"), QString::fromLatin1(c.fx3));
        // At an exact root there is no half left to keep; x3 = 1 leaves T undefined.
        const bool exact = p.text("Text13") == QStringLiteral("0");
        QCOMPARE(p.enabledButtons(),
                 QLatin1String(exact ? "1 5 6 8 9 10 11 12 13 14" : "1 4 5 6 8 9 10 11 12 13"));
        QCOMPARE(p.shown("Label16"), exact);
        if (exact)
            QCOMPARE(result(p, "Text3"), QStringLiteral("undefined"));
    }

    void aRejectedTrialLeavesTheBracketAsItWas()
    {
        Program p;
        p.click("Command1");
        p.click("Command2");
        p.click("Command3");
        const double midpoint = p.state.Midpoint;
        p.button("Command2")->setEnabled(true); // as a new "Formula" would leave it
        p.setStartPoints("2", "3");
        p.click("Command2");
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Try another value!"));
        QCOMPARE(p.text("Text8"), QStringLiteral("0"));
        QCOMPARE(p.text("Text10"), QStringLiteral("1"));
        QCOMPARE(p.state.Midpoint, midpoint);
        QCOMPARE(p.state.StepCount, 1);
    }

    void acceptingAgainOverwritesTheResultsAndRedStays()
    {
        Program p;
        QCOMPARE(p.acceptRoot(), 15);
        const QString first = result(p, "Text1");
        p.click("Command4");
        p.click("Command3");
        QCOMPARE(p.state.StepCount, 17);
        QCOMPARE(result(p, "Text1"), p.text("Text10"));
        QVERIFY(result(p, "Text1") != first);

        // A cell change hides the verdict, but a new run keeps x3 and f(x3) red.
        p.typeInCell(0, QStringLiteral("0.5"));
        p.enterInCell(0);
        QVERIFY(!p.shown("Label16"));
        QVERIFY(!p.button("Command14")->isEnabled());
        p.click("Command1");
        p.click("Command2");
        p.click("Command3");
        QVERIFY(!p.shown("Label16"));
        QCOMPARE(ForeColor(p.box("Text10")), kRed);
        QCOMPARE(ForeColor(p.box("Text13")), kRed);
    }

    void valuesBeyondTheRangeAreRefusedAndNothingChanges()
    {
        // Try at a huge x1, then Bisection at a midpoint no real run can reach.
        Program p;
        p.click("Command1");
        p.setStartPoints("1e100", "2");
        AnalysisState before = p.state;
        p.click("Command2");
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral(
                     "Try: f(x1) could not be computed at x1 = 1E+100: it lies beyond the range of "
                     "numbers this program can compute with. Please try a value closer to the "
                     "root.")});
        QVERIFY(p.state == before);
        QCOMPARE(p.text("Text4"), QString());
        QVERIFY(p.shown("Label18") && !p.shown("Label12") && !p.shown("Text8"));
        QCOMPARE(p.enabledButtons(), QStringLiteral("2 5 6 8 9 10 11 12 13"));

        p.setStartPoints("0", "2");
        p.click("Command2");
        p.state.Midpoint = 1e100;
        before = p.state;
        p.click("Command3");
        QCOMPARE(p.dialogs.informed.size(), 2);
        QVERIFY(p.dialogs.informed[1].startsWith(
            QStringLiteral("Bisection: f(x3) could not be computed at x3 = 1E+100:")));
        QVERIFY(p.state == before);
        QCOMPARE(p.text("Text10"), QStringLiteral(" "));
        QCOMPARE(p.text("Text13"), QStringLiteral(" "));
        QVERIFY(p.button("Command3")->isEnabled() && !p.button("Command4")->isEnabled());
        QVERIFY(!p.shown("Command7"));
    }

    void aStalledSearchEndsWithItsOwnVerdict()
    {
        // A long table whose midpoints stall before |f(x3)| drops below the tolerance.
        Program p;
        std::vector<double> f(201, 0.2), s(200, 0.99);
        f[0] = 0;
        p.setTable(f, s);
        const int steps = p.acceptRoot();
        QVERIFY(steps > 0 && steps < 60);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("15 digits"));
        QCOMPARE(ForeColor(p.control("Label16")), kYellow);
        QCOMPARE(p.control("Label16")->palette().color(QPalette::Window), kRed);
        QVERIFY(p.button("Command14")->isEnabled());
        // f(x2) of "Try" is too wide for its box: the tool tip shows all of it.
        QVERIFY(p.text("Text5").contains(QStringLiteral("E+60")));
        QCOMPARE(p.box("Text5")->toolTip(), p.text("Text5"));

        // A later acceptance by the tolerance shows the usual verdict again.
        p.setTable({1.5}, {});
        p.typeInCell(0, QStringLiteral("0.5"));
        p.enterInCell(0);
        QVERIFY(p.acceptRoot() > 0);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("<0.0001"));
    }
};

QTEST_MAIN(RootSearchTest)
#include "rootsearch_test.moc"
