#include "program.h"

#include "ui/common/twips.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QValueAxis>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

// The stable age distribution of the default matrix, as an accepted root leaves it.
void acceptDefaultRoot(AnalysisState &state)
{
    state.Lambda = 1.21978759765625;
    state.LastAgeClass = 3;
    const double sad[] = {0.530869, 0.217607, 0.178398, 0.073126};
    for (int i = 0; i < 4; ++i)
        state.StableAgeDist[i] = sad[i];
}

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(missing)");
    return QString::fromLatin1(file.readAll());
}

} // namespace

class GraphfrmTest : public QObject
{
    Q_OBJECT

private:
    static QChartView *chartView(Program &p) { return p.graphControl<QChartView>("MSChart1"); }
    static QChart *chart(Program &p) { return chartView(p)->chart(); }
    static bool shown(Program &p, const char *name) { return !p.graphControl(name)->isHidden(); }
    static QPushButton *graphButton(Program &p, const char *name)
    {
        return p.graphControl<QPushButton>(name);
    }

    // Formula on the default matrix, then "Graph".
    static void openGraph(Program &p)
    {
        QTest::mouseClick(p.button("Command1"), Qt::LeftButton);
        QTest::mouseClick(p.button("Command6"), Qt::LeftButton);
    }

    template<typename Axis> static Axis *axis(Program &p, Qt::Orientation orientation)
    {
        for (QAbstractAxis *a : chart(p)->axes(orientation)) {
            if (auto *found = qobject_cast<Axis *>(a); found && a->isVisible())
                return found;
        }
        return nullptr;
    }

    // Saves an image of the window when TARNVALE_SCREENSHOTS names a folder, to look at.
    static void keepScreenshot(QWidget &window, const char *name)
    {
        const QString folder = qEnvironmentVariable("TARNVALE_SCREENSHOTS");
        if (!folder.isEmpty())
            window.grab().save(folder + QLatin1Char('/') + QLatin1String(name));
    }

private slots:
    void layoutFollowsTheTwipPositions()
    {
        Program p;
        Graphfrm &graph = p.graphfrm();
        QCOMPARE(graph.windowTitle(), QStringLiteral("Graph"));
        QCOMPARE(graph.size(), QSize(Twips(10560), Twips(8388)));
        QVERIFY(!graph.isVisible());
        QCOMPARE(chartView(p)->geometry(), TwipsRect(96, 768, 10380, 6924));
        QCOMPARE(p.graphControl("Text2")->geometry(), TwipsRect(120, 120, 10335, 570));
        QVERIFY(p.graphControl("Text2")->font().italic());
        QCOMPARE(p.graphControl("Text2")->font().pointSizeF(), 18.0);
        QCOMPARE(p.graphControl("txtstepx")->geometry(), TwipsRect(4320, 7800, 1095, 495));

        struct Row
        {
            const char *name, *caption, *toolTip;
            int left;
        };
        const Row buttons[] = {{"Command1", "Plot", "Plot the graph", 5520},
                               {"Command5", "Save", "Save this graph data to text files", 6360},
                               {"Command4", "Print", "Print this page", 7200},
                               {"Command6", "SAD", "Show stable age distribution", 8040},
                               {"Command3", "Back", "Back to the main form", 8880},
                               {"Command2", "Quit", "Quit this program", 9720}};
        for (const Row &row : buttons) {
            QPushButton *button = graphButton(p, row.name);
            QCOMPARE(button->text(), QString::fromLatin1(row.caption));
            QCOMPARE(button->toolTip(), QString::fromLatin1(row.toolTip));
            QCOMPARE(button->geometry(), TwipsRect(row.left, 7800, 735, 495));
            QVERIFY2(button->font().bold(), row.name);
        }
        const std::pair<const char *, const char *> texts[]
            = {{"label1", "For x="}, {"Label2", "to"}, {"Label3", "step"}};
        for (const auto &[name, caption] : texts)
            QCOMPARE(p.graphControl<QLabel>(name)->text(), QString::fromLatin1(caption));
        QCOMPARE(p.graphControl<QLineEdit>("txtx1")->text(), QStringLiteral("-0.35"));
        QCOMPARE(p.graphControl<QLineEdit>("txtx2")->text(), QStringLiteral("1.5"));
        QCOMPARE(p.graphControl<QLineEdit>("txtstepx")->text(), QStringLiteral("0.01"));
        // Plot first, Quit second.
        QCOMPARE(graphButton(p, "Command1")->nextInFocusChain(), graphButton(p, "Command2"));
    }

    void loadLeavesSadDisabledAndTheChartHidden()
    {
        Program p;
        p.state.EquationText = "f(x)= x^4 - .5 x^2 - x -  .25";
        Graphfrm &graph = p.graphfrm();
        QVERIFY(!graph.isVisible());
        QVERIFY(!shown(p, "MSChart1"));
        QVERIFY(!graphButton(p, "Command6")->isEnabled());
        for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5"})
            QVERIFY2(graphButton(p, name)->isEnabled(), name);
        QCOMPARE(p.graphControl<QLineEdit>("Text2")->text(),
                 QStringLiteral("f(x)= x^4 - .5 x^2 - x -  .25"));
    }

    void graphButtonShowsTheWindowWithTheEquation()
    {
        Program p;
        openGraph(p);
        Graphfrm &graph = p.graphfrm();
        QVERIFY(graph.isVisible());
        QVERIFY(!p.form1().isVisible());
        QCOMPARE(p.graphControl<QLineEdit>("Text2")->text(),
                 QStringLiteral("f(x)= x^4 - .5 x^2 - x -  .25"));
        QVERIFY(graphButton(p, "Command1")->isEnabled());
        QVERIFY(QTest::qWaitForWindowActive(&graph));
        QCOMPARE(QApplication::focusWidget(), graphButton(p, "Command1"));
    }

    void plotDrawsTheDefaultCurve()
    {
        // state: default matrix, default range texts; action: Plot;
        // expected: 185 points from x = -0.35 in single precision, titles, Back focused.
        Program p;
        openGraph(p);
        Graphfrm &graph = p.graphfrm();
        QVERIFY(QTest::qWaitForWindowActive(&graph));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);

        QVERIFY(shown(p, "MSChart1"));
        QVERIFY(!shown(p, "Text1"));
        QVERIFY(shown(p, "Text2"));
        QCOMPARE(QApplication::focusWidget(), graphButton(p, "Command3"));
        QVERIFY(graphButton(p, "Command5")->isEnabled());

        QCOMPARE(chart(p)->title(), QStringLiteral("Curve of f(x)"));
        QCOMPARE(chart(p)->titleFont().pointSizeF(), 10.0);
        QCOMPARE(chart(p)->titleFont().family(), QStringLiteral("Arial"));
        QVERIFY(!chart(p)->legend()->isVisible());
        QCOMPARE(chart(p)->series().size(), 1);
        auto *curve = qobject_cast<QLineSeries *>(chart(p)->series().first());
        QVERIFY(curve);
        QCOMPARE(curve->count(), 185);
        QCOMPARE(curve->at(0).x(), -0.3499999940395355);
        QCOMPARE(curve->at(0).y(), p.state.PlotFx[1]);
        QCOMPARE(curve->at(184).x(), static_cast<double>(1.49f));

        QValueAxis *vertical = axis<QValueAxis>(p, Qt::Vertical);
        QValueAxis *horizontal = axis<QValueAxis>(p, Qt::Horizontal);
        QVERIFY(vertical && horizontal);
        QCOMPARE(vertical->titleText(), QStringLiteral("f(x)"));
        QCOMPARE(horizontal->titleText(), QStringLiteral("x"));
        QCOMPARE(vertical->titleFont().pointSizeF(), 10.0);
        QVERIFY(vertical->isGridLineVisible());
        QCOMPARE(vertical->gridLinePen().color(), QColor(0, 0, 0));
        QCOMPARE(vertical->gridLinePen().style(), Qt::SolidLine);
        // The ranges take in every point, with little room to spare.
        const auto [low, high] = std::minmax_element(&p.state.PlotFx[1], &p.state.PlotFx[186]);
        QVERIFY(horizontal->min() <= -0.35 && horizontal->max() >= 1.49);
        QVERIFY(horizontal->max() - horizontal->min() < 2 * (1.49 + 0.35));
        QVERIFY(vertical->min() <= *low && vertical->max() >= *high);
        QVERIFY(vertical->max() - vertical->min() < 2 * (*high - *low));
        keepScreenshot(graph, "graph-curve.png");
    }

    void plotRefusesATooLongRangeAndKeepsTheChart()
    {
        Program p;
        openGraph(p);
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QCOMPARE(p.state.PlotCount, 185);

        auto *step = p.graphControl<QLineEdit>("txtstepx");
        step->setText(QStringLiteral("0.0001"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral(
                     "Plot: The range from -0.35 to 1.5 in steps of 0.0001 would take 18501 "
                     "points, but a curve can have at most 10000. Choose a larger step or a "
                     "smaller range.")});
        QCOMPARE(p.state.PlotCount, 185);
        QCOMPARE(qobject_cast<QLineSeries *>(chart(p)->series().first())->count(), 185);
        QVERIFY(shown(p, "MSChart1"));

        step->setText(QStringLiteral("0"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed.size(), 2);
        QVERIFY(p.dialogs.informed[1].contains(QStringLiteral("never ends")));
        QCOMPARE(p.state.PlotCount, 185);
    }

    void emptyRangeGivesAnEmptyChart()
    {
        Program p;
        openGraph(p);
        p.graphControl<QLineEdit>("txtx1")->setText(QStringLiteral("2"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QVERIFY(p.dialogs.informed.isEmpty());
        QCOMPARE(p.state.PlotCount, 0);
        QCOMPARE(qobject_cast<QLineSeries *>(chart(p)->series().first())->count(), 0);
        QVERIFY(shown(p, "MSChart1"));
    }

    void cellChangeHidesTheChartAndDisablesSad()
    {
        Program p;
        openGraph(p);
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        p.graphfrm().setSADEnabled(true);
        QTest::mouseClick(graphButton(p, "Command3"), Qt::LeftButton);
        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.graphfrm().isVisible());

        p.typeInCell(15, QStringLiteral("3"));
        QVERIFY(!shown(p, "MSChart1"));
        QVERIFY(!graphButton(p, "Command6")->isEnabled());
        // The curve is not redrawn: the state keeps the last plot.
        QCOMPARE(p.state.PlotCount, 185);
    }

    void rootAcceptedEnablesSadEvenWhenTheWindowWasNeverOpened()
    {
        Program p;
        acceptDefaultRoot(p.state);
        p.windows->graphfrmRootAccepted();
        QVERIFY(!p.graphfrm().isVisible());
        QVERIFY(graphButton(p, "Command6")->isEnabled());
    }

    void noSadIsOfferedForARootOfZeroOrBelow()
    {
        Program p;
        p.graphfrm().setSADEnabled(true);
        for (double lambda : {0.0, -0.5}) {
            p.state.Lambda = lambda;
            p.windows->graphfrmRootAccepted();
            QVERIFY(!graphButton(p, "Command6")->isEnabled());
        }
        p.state.Lambda.reset();
        p.windows->graphfrmRootAccepted();
        QVERIFY(!graphButton(p, "Command6")->isEnabled());
    }

    void sadDrawsOneLabelledBarPerAgeClass()
    {
        Program p;
        acceptDefaultRoot(p.state);
        p.windows->graphfrmRootAccepted();
        openGraph(p);
        Graphfrm &graph = p.graphfrm();
        QVERIFY(QTest::qWaitForWindowActive(&graph));
        QTest::mouseClick(graphButton(p, "Command6"), Qt::LeftButton);

        QVERIFY(shown(p, "MSChart1"));
        QCOMPARE(QApplication::focusWidget(), graphButton(p, "Command3"));
        QVERIFY(graphButton(p, "Command5")->isEnabled());
        QCOMPARE(chart(p)->title(), QStringLiteral("Stable age distribution"));
        QCOMPARE(chart(p)->titleFont().pointSizeF(), 12.0);
        QVERIFY(!chart(p)->legend()->isVisible());
        auto *bars = qobject_cast<QBarSeries *>(chart(p)->series().first());
        QVERIFY(bars);
        QCOMPARE(bars->barSets().size(), 1);
        QBarSet *set = bars->barSets().first();
        QCOMPARE(set->count(), 4);
        QCOMPARE(set->at(0), 0.530869);
        QCOMPARE(set->at(3), 0.073126);

        auto *ages = axis<QBarCategoryAxis>(p, Qt::Horizontal);
        QVERIFY(ages);
        QCOMPARE(ages->categories(), (QStringList {" 0", " 1", " 2", " 3"}));
        QCOMPARE(ages->titleText(), QStringLiteral("Age"));
        QCOMPARE(ages->titleFont().pointSizeF(), 12.0);
        QValueAxis *shares = axis<QValueAxis>(p, Qt::Vertical);
        QCOMPARE(shares->titleText(), QStringLiteral("SAD"));
        QCOMPARE(shares->gridLinePen().color(), QColor(0, 0, 0));
        QVERIFY(shares->min() <= 0 && shares->max() >= 0.530869 && shares->max() < 1);
        keepScreenshot(graph, "graph-sad.png");

        // Plot draws the curve again in the same chart.
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QCOMPARE(chart(p)->title(), QStringLiteral("Curve of f(x)"));
        QCOMPARE(chart(p)->series().size(), 1);
        QVERIFY(qobject_cast<QLineSeries *>(chart(p)->series().first()));
    }

    void twoHundredAndOneBarsKeepTheirAgeLabelsApart()
    {
        Program p;
        p.state.DataLoaded = "Yes";
        p.state.Lambda = 1.01;
        p.state.LastAgeClass = 200;
        for (int i = 0; i <= 200; ++i)
            p.state.StableAgeDist[i] = 0.02 * std::pow(0.98, i);
        p.windows->graphfrmRootAccepted();
        p.windows->showGraphfrm();
        QTest::mouseClick(graphButton(p, "Command6"), Qt::LeftButton);

        auto *bars = qobject_cast<QBarSeries *>(chart(p)->series().first());
        QCOMPARE(bars->barSets().first()->count(), 201);
        // Every bar has its label in the bar axis, which is not drawn ...
        auto *barAxis = qobject_cast<QBarCategoryAxis *>(chart(p)->axes(Qt::Horizontal).first());
        QVERIFY(barAxis);
        QCOMPARE(barAxis->count(), 201);
        QCOMPARE(barAxis->at(200), QStringLiteral(" 200"));
        QVERIFY(!barAxis->isVisible());
        // ... and a label axis writes every few ages, at evenly spaced bars from age 0 on.
        auto *labels = axis<QCategoryAxis>(p, Qt::Horizontal);
        QVERIFY(labels);
        const QStringList written = labels->categoriesLabels();
        QVERIFY2(written.size() >= 5 && written.size() <= 30, qPrintable(written.join(',')));
        QCOMPARE(written.first(), QStringLiteral(" 0"));
        const double step = labels->endValue(written[1]);
        for (int k = 0; k < written.size(); ++k) {
            QCOMPARE(labels->endValue(written[k]), k * step);
            QCOMPARE(written[k], QString::fromLatin1(" %1").arg(k * step));
        }
        QCOMPARE(labels->min(), -0.5);
        QCOMPARE(labels->max(), 200.5);
        QCOMPARE(labels->titleText(), QStringLiteral("Age"));
        keepScreenshot(p.graphfrm(), "graph-sad-201.png");
    }

    void sadRefusesANonFiniteShare()
    {
        Program p;
        acceptDefaultRoot(p.state);
        p.state.StableAgeDist[2] = std::numeric_limits<double>::infinity();
        p.windows->graphfrmRootAccepted();
        QTest::mouseClick(graphButton(p, "Command6"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral("SAD: The stable age distribution cannot be drawn: "
                                             "the share of age class 2 lies beyond the range of "
                                             "numbers.")});
        QVERIFY(!shown(p, "MSChart1"));
    }

    void largeValuesGetShortAxisLabels()
    {
        // A long table: f(x) reaches about 1E+17 at x = 1.22, too long for plain decimals.
        Program p;
        p.state.DataLoaded = "Yes";
        p.state.LastAgeClass = 200;
        for (int i = 0; i <= 200; ++i) {
            p.state.Fecundity[i] = i == 0 ? 0.0 : 0.05;
            p.state.Survival[i] = 0.97;
        }
        p.windows->showGraphfrm();
        p.graphControl<QLineEdit>("txtx1")->setText(QStringLiteral("0"));
        p.graphControl<QLineEdit>("txtx2")->setText(QStringLiteral("1.22"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);
        QValueAxis *vertical = axis<QValueAxis>(p, Qt::Vertical);
        QCOMPARE(vertical->labelFormat(), QStringLiteral("%.4g"));
        QVERIFY(vertical->max() >= p.state.PlotFx[p.state.PlotCount]);
        QCOMPARE(axis<QValueAxis>(p, Qt::Horizontal)->labelFormat(), QString());
        keepScreenshot(p.graphfrm(), "graph-large.png");
    }

    void saveWritesBothFilesBesideTheChosenOne()
    {
        Program p;
        openGraph(p);
        p.graphControl<QLineEdit>("txtx1")->setText(QStringLiteral("-0.5"));
        p.graphControl<QLineEdit>("txtstepx")->setText(QStringLiteral("0.5"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);

        QTemporaryDir dir;
        p.dialogs.openFile = dir.filePath(QStringLiteral("example.txt"));
        QTest::mouseClick(graphButton(p, "Command5"), Qt::LeftButton);
        QVERIFY(p.dialogs.informed.isEmpty());
        QCOMPARE(readAll(dir.filePath(QStringLiteral("example-graphdata.txt"))),
                 QStringLiteral("\"x,f(x)\"\r\n-.5,.1875\r\n0,-.25\r\n.5,-.8125\r\n1,-.75\r\n"
                                "1.5,2.1875\r\n"));
        QCOMPARE(readAll(dir.filePath(QStringLiteral("example-SAD.txt"))),
                 QStringLiteral("\"age, stable age distribution\"\r\n0,\r\n"));
        QVERIFY(!QFileInfo::exists(p.dialogs.openFile));
        QCOMPARE(p.state.DataFileBase, p.dialogs.openFile.toStdString());
    }

    void saveCancelledOrRefusedWritesNothing()
    {
        Program p;
        openGraph(p);
        QTemporaryDir dir;
        p.dialogs.openFile.clear();
        QTest::mouseClick(graphButton(p, "Command5"), Qt::LeftButton);
        QVERIFY(p.dialogs.informed.isEmpty());

        p.dialogs.openFile = dir.filePath(QStringLiteral("no such folder/example.txt"));
        QTest::mouseClick(graphButton(p, "Command5"), Qt::LeftButton);
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY2(p.dialogs.informed[0].startsWith(
                     QStringLiteral("Save: The file \"")
                     + dir.filePath(QStringLiteral("no such folder/example-graphdata.txt"))
                     + QStringLiteral("\" could not be created")),
                 qPrintable(p.dialogs.informed[0]));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QVERIFY(p.state.DataFileBase.empty());
    }

    void printWithoutAPrinterOffersAPdf()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        Program p;
        openGraph(p);
        QTemporaryDir dir;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("graph"));
        QTest::mouseClick(graphButton(p, "Command4"), Qt::LeftButton);
        QCOMPARE(p.dialogs.asked.size(), 1);
        QVERIFY(
            p.dialogs.asked[0].startsWith(QStringLiteral("Graph: This computer has no printer")));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("graph.pdf"))).size() > 0);
    }

    void backReturnsToTheMainWindow()
    {
        Program p;
        openGraph(p);
        QTest::mouseClick(graphButton(p, "Command3"), Qt::LeftButton);
        QVERIFY(p.form1().isVisible());
        QVERIFY(!p.graphfrm().isVisible());
    }

    void quitLeadsToTheClosingNotice()
    {
        Program p;
        openGraph(p);
        QTest::mouseClick(graphButton(p, "Command2"), Qt::LeftButton);
        QWidget *notice = p.topLevel("Copyrigh");
        QVERIFY(notice && notice->isVisible());
        QVERIFY(!p.graphfrm().isVisible());
        QVERIFY(!p.form1().isVisible());
        QVERIFY(!p.windows->ended());
    }

    void closingThroughTheFrameReturnsAndRebuildsTheWindow()
    {
        // state: graph open, SAD enabled by a root, ranges edited, curve plotted;
        // action: close through the frame, then "Graph" again;
        // expected: main window back; a fresh window with SAD disabled and the default ranges.
        Program p;
        acceptDefaultRoot(p.state);
        p.windows->graphfrmRootAccepted();
        openGraph(p);
        QPointer<Graphfrm> first = &p.graphfrm();
        p.graphControl<QLineEdit>("txtx2")->setText(QStringLiteral("3"));
        QTest::mouseClick(graphButton(p, "Command1"), Qt::LeftButton);

        first->close();
        QVERIFY(p.form1().isVisible());
        QVERIFY(!first->isVisible());

        QTest::mouseClick(p.button("Command6"), Qt::LeftButton);
        QVERIFY(&p.graphfrm() != first.data());
        QVERIFY(p.graphfrm().isVisible());
        QVERIFY(!graphButton(p, "Command6")->isEnabled());
        QVERIFY(!shown(p, "MSChart1"));
        QCOMPARE(p.graphControl<QLineEdit>("txtx2")->text(), QStringLiteral("1.5"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
    }
};

QTEST_MAIN(GraphfrmTest)
#include "graphfrm_test.moc"
