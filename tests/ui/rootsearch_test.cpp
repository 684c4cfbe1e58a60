#include "program.h"

#include "core/numbertext.h"
#include "ui/ResultFrm/resultfrm.h"
#include "ui/common/controls.h"

#include <QLabel>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

bool shown(Program &p, const char *name)
{
    return !p.control(name)->isHidden();
}

void click(Program &p, const char *name)
{
    QPushButton *button = p.button(name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QString text(Program &p, const char *name)
{
    return p.box(name)->text();
}

QString caption(Program &p, const char *name)
{
    return p.control<QLabel>(name)->text();
}

QLineEdit *resultBox(Program &p, const char *name)
{
    QLineEdit *box = p.windows->resultFrm().findChild<QLineEdit *>(QString::fromLatin1(name));
    if (!box)
        qFatal("no result box named %s", name);
    return box;
}

double number(const QString &text)
{
    return TextToNumber(text.toStdString()).value;
}

// Types new texts into cells and checks them with Enter, as a user does before "Formula".
void setCells(Program &p, std::initializer_list<std::pair<int, const char *>> cells)
{
    int last = 0;
    for (const auto &[index, value] : cells) {
        p.typeInCell(index, QString::fromLatin1(value));
        last = index;
    }
    p.enterInCell(last);
}

void setStartPoints(Program &p, const char *x1, const char *x2)
{
    p.box("Text2")->setText(QString::fromLatin1(x1));
    p.box("Text3")->setText(QString::fromLatin1(x2));
}

// A life table as the reader leaves it in the state.
void setTable(Program &p, const std::vector<double> &f, const std::vector<double> &s)
{
    p.state.DataLoaded = "Yes";
    p.state.LastAgeClass = static_cast<int>(f.size()) - 1;
    for (std::size_t i = 0; i < f.size(); ++i)
        p.state.Fecundity[i] = f[i];
    for (std::size_t i = 0; i < s.size(); ++i)
        p.state.Survival[i] = s[i];
}

void setLongTable(Program &p, double fecundity, double survival)
{
    std::vector<double> f(201, fecundity), s(200, survival);
    f[0] = 0;
    setTable(p, f, s);
}

// Bisection and Exchange in turn until a step accepts its point; the number of steps taken.
int searchToAcceptance(Program &p, int limit = 200)
{
    for (int step = 1; step <= limit; ++step) {
        QTest::mouseClick(p.button("Command3"), Qt::LeftButton);
        if (shown(p, "Label16"))
            return step;
        QTest::mouseClick(p.button("Command4"), Qt::LeftButton);
    }
    return -1;
}

} // namespace

class RootSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void workedRunOfTheDefaultMatrix()
    {
        Program p;
        p.form1().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.form1()));
        click(p, "Command1");
        click(p, "Command2");

        QCOMPARE(text(p, "Text4"), QStringLiteral("-0.25"));
        QCOMPARE(text(p, "Text5"), QStringLiteral("11.75"));
        QCOMPARE(text(p, "Text6"), QStringLiteral("-2.9375"));
        QCOMPARE(text(p, "Text7"), QStringLiteral("1"));
        QCOMPARE(text(p, "Text8"), QStringLiteral("0"));
        QCOMPARE(text(p, "Text9"), QStringLiteral("2"));
        QCOMPARE(text(p, "Text11"), QStringLiteral("-0.25"));
        QCOMPARE(text(p, "Text12"), QStringLiteral("11.75"));
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Well done!"));
        QVERIFY(shown(p, "Label12"));
        QVERIFY(!shown(p, "Label18"));
        QVERIFY(!shown(p, "Label19"));
        for (const char *name : {"Label9", "Label10", "Label11", "Label13", "Label14", "Label15",
                                 "Text8", "Text9", "Text10", "Text11", "Text12", "Text13"})
            QVERIFY2(shown(p, name), name);
        QVERIFY(!p.button("Command2")->isEnabled());
        QVERIFY(p.button("Command3")->isEnabled());
        QCOMPARE(QApplication::focusWidget(), p.button("Command3"));
        QCOMPARE(p.state.StepCount, 1);

        const QStringList points = {"1",
                                    "1.5",
                                    "1.25",
                                    "1.125",
                                    "1.1875",
                                    "1.21875",
                                    "1.234375",
                                    "1.2265625",
                                    "1.22265625",
                                    "1.220703125",
                                    "1.2197265625",
                                    "1.22021484375",
                                    "1.219970703125",
                                    "1.2198486328125",
                                    "1.21978759765625"};
        for (int i = 0; i < points.size(); ++i) {
            click(p, "Command3");
            QCOMPARE(text(p, "Text10"), points[i]);
            QCOMPARE(p.state.StepCount, i + 2);
            QVERIFY(!p.button("Command3")->isEnabled());
            QVERIFY(p.button("Command4")->isEnabled());
            QCOMPARE(QApplication::focusWidget(), p.button("Command4"));
            QVERIFY(p.button("Command1")->isEnabled());
            QVERIFY(p.button("Command6")->isEnabled());
            QVERIFY(shown(p, "Command7"));
            QVERIFY(!p.button("Command7")->isEnabled());
            QVERIFY(shown(p, "Picture1"));
            const bool last = i == points.size() - 1;
            QCOMPARE(shown(p, "Label16"), last);
            QCOMPARE(p.button("Command14")->isEnabled(), last);
            QCOMPARE(ForeColor(p.box("Text10")), last ? kRed : kBlack);
            QCOMPARE(ForeColor(p.box("Text13")), last ? kRed : kBlack);
            if (last)
                break;

            // f(x1) stays negative on this run: x3 below the root replaces x1, above it x2.
            const QString x3 = text(p, "Text10"), fx3 = text(p, "Text13");
            const bool belowRoot = number(points[i]) < 1.21977;
            const QString x1 = text(p, "Text8"), x2 = text(p, "Text9");
            const QString fx1 = text(p, "Text11"), fx2 = text(p, "Text12");
            click(p, "Command4");
            QCOMPARE(text(p, "Text8"), belowRoot ? x3 : x1);
            QCOMPARE(text(p, "Text11"), belowRoot ? fx3 : fx1);
            QCOMPARE(text(p, "Text9"), belowRoot ? x2 : x3);
            QCOMPARE(text(p, "Text12"), belowRoot ? fx2 : fx3);
            QCOMPARE(ForeColor(p.box("Text8")), belowRoot ? kBlue : kBlack);
            QCOMPARE(ForeColor(p.box("Text11")), belowRoot ? kBlue : kBlack);
            QCOMPARE(ForeColor(p.box("Text9")), belowRoot ? kBlack : kBlue);
            QCOMPARE(ForeColor(p.box("Text12")), belowRoot ? kBlack : kBlue);
            QCOMPARE(text(p, "Text10"), QString());
            QCOMPARE(text(p, "Text13"), QString());
            QVERIFY(p.button("Command3")->isEnabled());
            QVERIFY(!p.button("Command4")->isEnabled());
            QCOMPARE(QApplication::focusWidget(), p.button("Command3"));
        }

        QCOMPARE(p.state.StepCount, 16);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("<0.0001"));
        QVERIFY(text(p, "Text13").startsWith(QStringLiteral("0.0000637")));
        QVERIFY(p.button("Command14")->isEnabled());
        QVERIFY(!p.button("Command2")->isEnabled());
        QCOMPARE(p.state.SearchPointX.size(), std::size_t(17));
        QCOMPARE(p.state.PointX, std::vector<float>(kPointSlots, 0.0f));

        click(p, "Command14");
        ResultFrm &results = p.windows->resultFrm();
        QVERIFY(results.isVisible());
        QVERIFY(!p.form1().isVisible());
        QCOMPARE(resultBox(p, "Text1")->text(), QStringLiteral("1.21978759765625"));
        QCOMPARE(resultBox(p, "Text2")->text(), QStringLiteral("1.75"));
        struct Figure
        {
            const char *box;
            double value;
        };
        const Figure figures[] = {{"Text5", 0.198677}, {"Text3", 2.816715}, {"Text4", 3.488819},
                                  {"Text6", 0.647547}, {"Text7", 0.572240}, {"Text8", 0.427760}};
        for (const Figure &f : figures) {
            const QString shownText = resultBox(p, f.box)->text();
            QVERIFY2(qAbs(number(shownText) - f.value) <= 5e-7, f.box);
        }

        QTest::mouseClick(results.findChild<QPushButton *>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        QVERIFY(!results.isVisible());
        QVERIFY(p.form1().isVisible());
    }

    void trialEdgeCases()
    {
        struct Case
        {
            const char *x1, *x2;
            const char *fx1, *fx2, *product;
            bool accepted;
            const char *midpoint;
        };
        const Case cases[] = {
            {"-1", "0", "1.25", "-0.25", "-0.3125", true, "-0.5"},
            {"2", "0", "11.75", "-0.25", "-2.9375", true, "1"},
            {" 0.5abc", "2", "-0.8125", "11.75", "-9.546875", true, "1.25"},
            {"2", "2", "11.75", "11.75", "138.0625", false, " "},
        };
        for (const Case &c : cases) {
            Program p;
            setStartPoints(p, c.x1, c.x2);
            click(p, "Command1");
            click(p, "Command2");
            QCOMPARE(text(p, "Text4"), QString::fromLatin1(c.fx1));
            QCOMPARE(text(p, "Text5"), QString::fromLatin1(c.fx2));
            QCOMPARE(text(p, "Text6"), QString::fromLatin1(c.product));
            QCOMPARE(text(p, "Text7"), QString::fromLatin1(c.midpoint));
            QVERIFY(shown(p, "Label12"));
            QCOMPARE(p.state.StepCount, 1);
            if (c.accepted) {
                QCOMPARE(caption(p, "Label12"), QStringLiteral("Well done!"));
                // The bracket shows the texts as typed.
                QCOMPARE(text(p, "Text8"), QString::fromLatin1(c.x1));
                QCOMPARE(text(p, "Text9"), QString::fromLatin1(c.x2));
                QVERIFY(p.button("Command3")->isEnabled());
            } else {
                QCOMPARE(caption(p, "Label12"), QStringLiteral("Try another value!"));
                QVERIFY(p.button("Command2")->isEnabled());
                for (const char *name : {"Command1", "Command3", "Command4"})
                    QVERIFY2(!p.button(name)->isEnabled(), name);
                QVERIFY(!shown(p, "Text8"));
            }
        }
    }

    void aRejectedTrialLeavesTheBracketAsItWas()
    {
        Program p;
        click(p, "Command1");
        click(p, "Command2");
        click(p, "Command3");
        const double midpoint = p.state.Midpoint;
        p.button("Command2")->setEnabled(true); // as a new "Formula" would leave it
        setStartPoints(p, "2", "3");
        click(p, "Command2");
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Try another value!"));
        QCOMPARE(text(p, "Text8"), QStringLiteral("0"));
        QCOMPARE(text(p, "Text10"), QStringLiteral("1"));
        QCOMPARE(p.state.Midpoint, midpoint);
        QCOMPARE(p.state.StepCount, 1);
        QCOMPARE(p.state.X1, 2.0);
    }

    void allFecunditiesZeroNeverChangeSign()
    {
        Program p;
        setCells(p, {{1, "0"}, {2, "0"}, {3, "0"}});
        click(p, "Command1");
        click(p, "Command2");
        QCOMPARE(text(p, "Text4"), QStringLiteral("0"));
        QCOMPARE(text(p, "Text5"), QStringLiteral("16"));
        QCOMPARE(text(p, "Text6"), QStringLiteral("0"));
        QCOMPARE(caption(p, "Label12"), QStringLiteral("Try another value!"));
    }

    void dataFileTablesOfOneAndTwoAgeClasses()
    {
        struct Case
        {
            std::vector<double> f, s;
            const char *fx1, *fx2, *product, *fx3;
        };
        const Case cases[]
            = {{{1.5}, {}, "-1.5", "0.5", "-0.75", "-0.5"}, {{0, 2}, {0.5}, "-1", "3", "-3", "0"}};
        for (const Case &c : cases) {
            Program p;
            setTable(p, c.f, c.s);
            click(p, "Command1");
            click(p, "Command2");
            QCOMPARE(text(p, "Text4"), QString::fromLatin1(c.fx1));
            QCOMPARE(text(p, "Text5"), QString::fromLatin1(c.fx2));
            QCOMPARE(text(p, "Text6"), QString::fromLatin1(c.product));
            QCOMPARE(text(p, "Text7"), QStringLiteral("1"));
            click(p, "Command3");
            QCOMPARE(text(p, "Text13"), QString::fromLatin1(c.fx3));
        }
    }

    void toleranceBoundary()
    {
        // f(x) = x^4 - x^3 - m3 with every survival rate 1: at the first midpoint 1, f = -m3.
        struct Case
        {
            const char *m3;
            bool accepted;
        };
        for (const Case c : {Case {"0.0001", true}, Case {"0.00010000001", false}}) {
            Program p;
            setCells(p, {{0, "1"}, {1, "0"}, {2, "0"}, {3, c.m3}, {4, "1"}, {14, "1"}});
            click(p, "Command1");
            click(p, "Command2");
            click(p, "Command3");
            QCOMPARE(text(p, "Text10"), QStringLiteral("1"));
            QCOMPARE(text(p, "Text13"), QStringLiteral("-") + QString::fromLatin1(c.m3));
            QCOMPARE(shown(p, "Label16"), c.accepted);
            QCOMPARE(p.button("Command14")->isEnabled(), c.accepted);
            QCOMPARE(ForeColor(p.box("Text13")), c.accepted ? kRed : kBlack);
            QVERIFY(p.button("Command4")->isEnabled());
        }
    }

    void exactRootLeavesNeitherBisectionNorExchange()
    {
        // f(x) = x^4 - x^2: the midpoint of 0.5 and 1.5 is the root 1, where ln lambda = 0.
        Program p;
        setCells(p, {{1, "2"}, {2, "0"}, {3, "0"}});
        setStartPoints(p, "0.5", "1.5");
        click(p, "Command1");
        click(p, "Command2");
        click(p, "Command3");
        QCOMPARE(text(p, "Text13"), QStringLiteral("0"));
        QVERIFY(shown(p, "Label16"));
        QVERIFY(!p.button("Command3")->isEnabled());
        QVERIFY(!p.button("Command4")->isEnabled());
        QCOMPARE(resultBox(p, "Text1")->text(), QStringLiteral("1"));
        QCOMPARE(resultBox(p, "Text2")->text(), QStringLiteral("1"));
        QCOMPARE(resultBox(p, "Text5")->text(), QStringLiteral("0"));
        QCOMPARE(resultBox(p, "Text3")->text(), QStringLiteral("undefined"));
        QCOMPARE(resultBox(p, "Text4")->text(), QStringLiteral("undefined"));
        // The stable age distribution exists at lambda = 1: b = SAD(0), s = 1 - b, d = b.
        QCOMPARE(resultBox(p, "Text6")->text(), resultBox(p, "Text8")->text());
        QCOMPARE(number(resultBox(p, "Text6")->text()), *p.state.StableAgeDist[0]);
    }

    void negativeRootShowsUndefinedResults()
    {
        Program p;
        setStartPoints(p, "-1", "0");
        click(p, "Command1");
        click(p, "Command2");
        QVERIFY(searchToAcceptance(p) > 0);
        QVERIFY(*p.state.Lambda < 0);
        QCOMPARE(resultBox(p, "Text1")->text(), text(p, "Text10"));
        QCOMPARE(resultBox(p, "Text2")->text(), QStringLiteral("1.75"));
        for (const char *name : {"Text3", "Text4", "Text5", "Text6", "Text7", "Text8"})
            QCOMPARE(resultBox(p, name)->text(), QStringLiteral("undefined"));
    }

    void acceptingAgainOverwritesTheResults()
    {
        Program p;
        click(p, "Command1");
        click(p, "Command2");
        QCOMPARE(searchToAcceptance(p), 15);
        const QString first = resultBox(p, "Text1")->text();
        click(p, "Command4");
        click(p, "Command3");
        QVERIFY(shown(p, "Label16"));
        QCOMPARE(p.state.StepCount, 17);
        QCOMPARE(resultBox(p, "Text1")->text(), text(p, "Text10"));
        QVERIFY(resultBox(p, "Text1")->text() != first);
        QCOMPARE(number(resultBox(p, "Text6")->text()), p.state.BirthRate);
    }

    void redStaysAfterACellChangeAndANewTrial()
    {
        Program p;
        click(p, "Command1");
        click(p, "Command2");
        QVERIFY(searchToAcceptance(p) > 0);
        setCells(p, {{0, "0.5"}});
        QVERIFY(!shown(p, "Label16"));
        QVERIFY(!p.button("Command14")->isEnabled());
        click(p, "Command1");
        click(p, "Command2");
        click(p, "Command3");
        QCOMPARE(ForeColor(p.box("Text10")), kRed);
        QCOMPARE(ForeColor(p.box("Text13")), kRed);
        QVERIFY(!shown(p, "Label16"));
    }

    void hugeStartPointIsRefusedAndNothingChanges()
    {
        Program p;
        click(p, "Command1");
        setStartPoints(p, "1e100", "2");
        const AnalysisState before = p.state;
        click(p, "Command2");
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral(
                     "Try: f(x1) could not be computed at x1 = 1E+100: it lies beyond the range of "
                     "numbers this program can compute with. Please try a value closer to the "
                     "root.")});
        QVERIFY(p.state == before);
        QCOMPARE(text(p, "Text4"), QString());
        QVERIFY(shown(p, "Label18"));
        QVERIFY(!shown(p, "Label12"));
        QVERIFY(!shown(p, "Text8"));
        QVERIFY(p.button("Command2")->isEnabled());
    }

    void longTableAtALargeXIsRefused()
    {
        Program p;
        setLongTable(p, 0.3, 0.5);
        click(p, "Command1");
        setStartPoints(p, "0", "100");
        const AnalysisState before = p.state;
        click(p, "Command2");
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY(p.dialogs.informed[0].startsWith(
            QStringLiteral("Try: f(x2) could not be computed at x2 = 100:")));
        QVERIFY(p.state == before);
        QCOMPARE(text(p, "Text5"), QString());
    }

    void bisectionBeyondTheRangeIsRefusedAndNothingChanges()
    {
        Program p;
        click(p, "Command1");
        click(p, "Command2");
        p.state.Midpoint = 1e100; // a bracket no start points of a real run can reach
        const AnalysisState before = p.state;
        click(p, "Command3");
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY(p.dialogs.informed[0].startsWith(
            QStringLiteral("Bisection: f(x3) could not be computed at x3 = 1E+100:")));
        QVERIFY(p.state == before);
        QCOMPARE(text(p, "Text10"), QStringLiteral(" "));
        QCOMPARE(text(p, "Text13"), QStringLiteral(" "));
        QVERIFY(p.button("Command3")->isEnabled());
        QVERIFY(!p.button("Command4")->isEnabled());
        QVERIFY(!shown(p, "Command7"));
    }

    void longTableRefusesTheFalseRoot()
    {
        // Every term of f is tiny at 0.5, the second midpoint; the root is 0.711.
        Program p;
        setLongTable(p, 0.3, 0.5);
        click(p, "Command1");
        click(p, "Command2");
        click(p, "Command3");
        click(p, "Command4");
        click(p, "Command3");
        QCOMPARE(text(p, "Text10"), QStringLiteral("0.5"));
        QVERIFY(!shown(p, "Label16"));
        click(p, "Command4");
        QVERIFY(searchToAcceptance(p) > 0);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("<0.0001"));
        QVERIFY(qAbs(*p.state.Lambda - 0.710977222864644) < 5e-5);
    }

    void longTableStalledMidpointEndsTheSearch()
    {
        Program p;
        setLongTable(p, 0.2, 0.99);
        click(p, "Command1");
        click(p, "Command2");
        const int steps = searchToAcceptance(p);
        QVERIFY(steps > 0 && steps < 60);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("15 digits"));
        QCOMPARE(ForeColor(p.control("Label16")), kYellow);
        QCOMPARE(p.control("Label16")->palette().color(QPalette::Window), kRed);
        QVERIFY(text(p, "Text10") == text(p, "Text8") || text(p, "Text10") == text(p, "Text9"));
        QVERIFY(number(text(p, "Text13")) > 0.0001 || number(text(p, "Text13")) < -0.0001);
        QVERIFY(p.button("Command14")->isEnabled());
        QVERIFY(qAbs(*p.state.Lambda - 1.16060123197001) < 1e-13);
        // f(x2) of "Try" is too wide for its box: the tool tip shows all of it.
        QCOMPARE(p.box("Text5")->toolTip(), text(p, "Text5"));
        QVERIFY(text(p, "Text5").contains(QStringLiteral("E+60")));

        // A later acceptance by the tolerance shows the usual caption again.
        setTable(p, {1.5}, {});
        setCells(p, {{0, "0.5"}});
        click(p, "Command1");
        click(p, "Command2");
        QVERIFY(searchToAcceptance(p) > 0);
        QCOMPARE(caption(p, "Label16"), QStringLiteral("<0.0001"));
    }
};

QTEST_MAIN(RootSearchTest)
#include "rootsearch_test.moc"
