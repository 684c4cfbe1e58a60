#include "program.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QValueAxis>

using namespace tarnvale;
using namespace tarnvale::ui;

namespace {

// The stable age distribution of the default matrix, as an accepted root leaves it.
void acceptDefaultRoot(Program &p)
{
    p.state.Lambda = 1.21978759765625;
    p.state.LastAgeClass = 3;
    const double sad[] = {0.530869, 0.217607, 0.178398, 0.073126};
    for (int i = 0; i < 4; ++i)
        p.state.StableAgeDist[i] = sad[i];
    p.windows->graphfrmRootAccepted();
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : "(missing)";
}

} // namespace

class GraphfrmTest : public QObject
{
    Q_OBJECT

private:
    static QChart *chart(Program &p) { return p.graphControl<QChartView>("MSChart1")->chart(); }
    static bool shown(Program &p, const char *name) { return !p.graphControl(name)->isHidden(); }
    static QPushButton *button(Program &p, const char *name)
    {
        return p.graphControl<QPushButton>(name);
    }
    static void click(Program &p, const char *name)
    {
        QTest::mouseClick(button(p, name), Qt::LeftButton);
    }
    static void setRange(Program &p, const char *box, const char *text)
    {
        p.graphControl<QLineEdit>(box)->setText(QString::fromLatin1(text));
    }
    // Formula on the default matrix, then "Graph".
    static void openGraph(Program &p)
    {
        p.click("Command1");
        QVERIFY(p.openFromForm1(p.button("Command6"), "Graphfrm"));
    }
    template<typename Axis> static Axis *axis(Program &p, Qt::Orientation orientation)
    {
        for (QAbstractAxis *a : chart(p)->axes(orientation)) {
            if (auto *found = qobject_cast<Axis *>(a); found && a->isVisible())
                return found;
        }
        return nullptr;
    }

private slots:
    void graphOpensWithTheEquationAndPlotDrawsTheCurve()
    {
        Program p;
        openGraph(p);
        QCOMPARE(p.graphfrm().windowTitle(), QStringLiteral("Graph"));
        QCOMPARE(p.graphControl<QLineEdit>("Text2")->text(),
                 QStringLiteral("f(x)= x^4 - .5 x^2 - x -  .25"));
        QCOMPARE(Program::textsOf(
                     &p.graphfrm(),
                     {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"}),
                 QStringLiteral("Plot Quit Back Print Save SAD"));
        QCOMPARE(Program::textsOf(&p.graphfrm(),
                                  {"label1", "txtx1", "Label2", "txtx2", "Label3", "txtstepx"}),
                 QStringLiteral("For x= -0.35 to 1.5 step 0.01"));
        QCOMPARE(Program::enabledButtons(&p.graphfrm(), 6), QStringLiteral("1 2 3 4 5"));
        QVERIFY(!shown(p, "MSChart1"));
        QVERIFY(QTest::qWaitForWindowActive(&p.graphfrm()));
        QCOMPARE(QApplication::focusWidget(), button(p, "Command1"));
        QCOMPARE(button(p, "Command1")->nextInFocusChain(), button(p, "Command2"));

        click(p, "Command1");

        QVERIFY(shown(p, "MSChart1") && !shown(p, "Text1") && shown(p, "Text2"));
        QCOMPARE(QApplication::focusWidget(), button(p, "Command3"));
        QCOMPARE(chart(p)->title(), QStringLiteral("Curve of f(x)"));
        QVERIFY(!chart(p)->legend()->isVisible());
        QCOMPARE(chart(p)->series().size(), 1);
        auto *curve = qobject_cast<QLineSeries *>(chart(p)->series().first());
        QVERIFY(curve);
        QCOMPARE(curve->count(), 185);
        QCOMPARE(curve->at(0).x(), -0.3499999940395355);
        QCOMPARE(curve->at(0).y(), p.state.PlotFx[1]);

        QValueAxis *vertical = axis<QValueAxis>(p, Qt::Vertical);
        QValueAxis *horizontal = axis<QValueAxis>(p, Qt::Horizontal);
        QVERIFY(vertical && horizontal);
        QCOMPARE(vertical->titleText(), QStringLiteral("f(x)"));
        QCOMPARE(horizontal->titleText(), QStringLiteral("x"));
        QCOMPARE(vertical->gridLinePen().color(), QColor(0, 0, 0));
        QCOMPARE(vertical->gridLinePen().style(), Qt::SolidLine);
        // The ranges take in every point, with little room to spare.
        const auto [low, high] = std::minmax_element(&p.state.PlotFx[1], &p.state.PlotFx[186]);
        QVERIFY(horizontal->min() <= -0.35 && horizontal->max() >= 1.49);
        QVERIFY(horizontal->max() - horizontal->min() < 2 * (1.49 + 0.35));
        QVERIFY(vertical->min() <= *low && vertical->max() >= *high);
        QVERIFY(vertical->max() - vertical->min() < 2 * (*high - *low));
    }

    void plotRefusesARangeItCannotDrawAndKeepsTheChart()
    {
        Program p;
        openGraph(p);
        click(p, "Command1");
        setRange(p, "txtstepx", "0.0001");
        click(p, "Command1");
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral(
                     "Plot: The range from -0.35 to 1.5 in steps of 0.0001 would take 18501 "
                     "points, but a curve can have at most 10000. Choose a larger step or a "
                     "smaller range.")});
        setRange(p, "txtstepx", "0");
        click(p, "Command1");
        QCOMPARE(p.dialogs.informed.size(), 2);
        QVERIFY(p.dialogs.informed[1].contains(QStringLiteral("never ends")));
        QCOMPARE(p.state.PlotCount, 185);
        QCOMPARE(qobject_cast<QLineSeries *>(chart(p)->series().first())->count(), 185);
        QVERIFY(shown(p, "MSChart1"));
    }

    void backCellChangeAndQuit()
    {
        Program p;
        acceptDefaultRoot(p);
        openGraph(p);
        click(p, "Command1");
        click(p, "Command3");
        QVERIFY(p.backOnForm1(&p.graphfrm()));

        p.typeInCell(15, QStringLiteral("3"));
        QVERIFY(!shown(p, "MSChart1"));
        QVERIFY(!button(p, "Command6")->isEnabled());
        QCOMPARE(p.state.PlotCount, 185); // not redrawn

        p.enterInCell(0);
        openGraph(p);
        click(p, "Command2");
        QWidget *notice = p.topLevel("Copyrigh");
        QVERIFY(notice && notice->isVisible());
        QVERIFY(!p.graphfrm().isVisible() && !p.form1().isVisible());
        QVERIFY(!p.windows->ended());
    }

    void sadIsOfferedForAPositiveRootEvenBeforeTheWindowOpens()
    {
        Program p;
        const std::pair<std::optional<double>, bool> roots[]
            = {{1.2, true}, {0.0, false}, {1.2, true}, {-0.5, false}, {1.2, true}, {{}, false}};
        for (const auto &[lambda, sad] : roots) {
            p.state.Lambda = lambda;
            p.windows->graphfrmRootAccepted();
            QCOMPARE(button(p, "Command6")->isEnabled(), sad);
        }
        QVERIFY(!p.graphfrm().isVisible());
    }

    void sadDrawsOneLabelledBarPerAgeClass()
    {
        Program p;
        acceptDefaultRoot(p);
        openGraph(p);
        QVERIFY(QTest::qWaitForWindowActive(&p.graphfrm()));
        p.state.StableAgeDist[2] = std::numeric_limits<double>::infinity();
        click(p, "Command6");
        QCOMPARE(p.dialogs.informed,
                 QStringList {QStringLiteral("SAD: The stable age distribution cannot be drawn: "
                                             "the share of age class 2 lies beyond the range of "
                                             "numbers.")});
        QVERIFY(!shown(p, "MSChart1"));

        p.state.StableAgeDist[2] = 0.178398;
        click(p, "Command6");

        QVERIFY(shown(p, "MSChart1"));
        QCOMPARE(QApplication::focusWidget(), button(p, "Command3"));
        QCOMPARE(chart(p)->title(), QStringLiteral("Stable age distribution"));
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
        QValueAxis *shares = axis<QValueAxis>(p, Qt::Vertical);
        QCOMPARE(shares->titleText(), QStringLiteral("SAD"));
        QVERIFY(shares->min() <= 0 && shares->max() >= 0.530869 && shares->max() < 1);

        // Plot draws the curve again in the same chart.
        click(p, "Command1");
        QCOMPARE(chart(p)->title(), QStringLiteral("Curve of f(x)"));
        QCOMPARE(chart(p)->series().size(), 1);
        QVERIFY(qobject_cast<QLineSeries *>(chart(p)->series().first()));
    }

    void aLongTableKeepsItsLabelsShort()
    {
        // f(x) reaches about 1E+17 at x = 1.22, too long for plain decimals; 201 bars are too
        // many to label each.
        Program p;
        std::vector<double> f(201, 0.05), s(200, 0.97);
        f[0] = 0;
        p.setTable(f, s);
        p.state.Lambda = 1.01;
        for (int i = 0; i <= 200; ++i)
            p.state.StableAgeDist[i] = 0.02 * std::pow(0.98, i);
        p.windows->graphfrmRootAccepted();
        p.windows->showGraphfrm();
        setRange(p, "txtx1", "0");
        setRange(p, "txtx2", "1.22");
        click(p, "Command1");
        QCOMPARE(axis<QValueAxis>(p, Qt::Vertical)->labelFormat(), QStringLiteral("%.4g"));
        QCOMPARE(axis<QValueAxis>(p, Qt::Horizontal)->labelFormat(), QString());

        click(p, "Command6");
        QCOMPARE(qobject_cast<QBarSeries *>(chart(p)->series().first())->barSets()[0]->count(),
                 201);
        // A label axis writes every few ages, at evenly spaced bars from age 0 on.
        auto *labels = axis<QCategoryAxis>(p, Qt::Horizontal);
        QVERIFY(labels);
        const QStringList written = labels->categoriesLabels();
        QVERIFY2(written.size() >= 5 && written.size() <= 30, qPrintable(written.join(',')));
        const double step = labels->endValue(written[1]);
        for (int k = 0; k < written.size(); ++k) {
            QCOMPARE(labels->endValue(written[k]), k * step);
            QCOMPARE(written[k], QString::fromLatin1(" %1").arg(k * step));
        }
        QCOMPARE(labels->min(), -0.5);
        QCOMPARE(labels->max(), 200.5);
    }

    void saveWritesBothFilesBesideTheChosenOne()
    {
        Program p;
        openGraph(p);
        QTemporaryDir dir;
        p.dialogs.saveName.clear(); // cancelled
        click(p, "Command5");
        p.dialogs.saveName = dir.filePath(QStringLiteral("no such folder/example.txt"));
        click(p, "Command5");
        QCOMPARE(p.dialogs.informed.size(), 1);
        QVERIFY2(p.dialogs.informed[0].startsWith(
                     "Save: The file \""
                     + dir.filePath(QStringLiteral("no such folder/example-graphdata.txt"))
                     + "\" could not be created"),
                 qPrintable(p.dialogs.informed[0]));
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(p.state.DataFileBase.empty());

        setRange(p, "txtx1", "-0.5");
        setRange(p, "txtstepx", "0.5");
        click(p, "Command1");
        p.dialogs.saveName = dir.filePath(QStringLiteral("example.txt"));
        click(p, "Command5");
        QCOMPARE(p.dialogs.informed.size(), 1);
        QCOMPARE(readAll(dir.filePath(QStringLiteral("example-graphdata.txt"))),
                 QStringLiteral("\"x,f(x)\"\r\n-.5,.1875\r\n0,-.25\r\n.5,-.8125\r\n1,-.75\r\n"
                                "1.5,2.1875\r\n"));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("example-SAD.txt"))));
        QVERIFY(!QFileInfo::exists(p.dialogs.saveName));
        QCOMPARE(p.state.DataFileBase, p.dialogs.saveName.toStdString());
    }

    void saveTakesANewNameAndOpensWhereTheUserWorks()
    {
        // state: a table read from a writable folder; action: Save to a new name without an
        // extension in an empty folder; expected: ".txt" added, both files written there, and
        // the next dialog opens in that folder.
        Program p;
        QTemporaryDir tables, empty;
        const QString table = tables.filePath(QStringLiteral("table.txt"));
        Program::writeFile(table, "\"age,f(x),s(x)\"\n0,0,1\n1,0,0.9\n2,1,1\n3,2,0.5\n");
        openGraph(p);
        p.dialogs.saveName.clear();
        click(p, "Command5"); // nothing read yet: the home folder
        click(p, "Command3");
        p.dialogs.answerYes = false;
        p.dialogs.openFile = table;
        p.click("Command11");
        openGraph(p);
        click(p, "Command5"); // the folder of the table
        p.dialogs.saveName = empty.filePath(QStringLiteral("my run"));
        click(p, "Command5");
        click(p, "Command5"); // the folder of the last save
        QCOMPARE(p.dialogs.saveFolders,
                 (QStringList {QDir::homePath(), tables.path(), tables.path(), empty.path()}));
        QStringList written = QDir(empty.path()).entryList(QDir::Files);
        written.sort();
        QCOMPARE(written, (QStringList {"my run-SAD.txt", "my run-graphdata.txt"}));
        QCOMPARE(p.state.DataFileBase, empty.filePath(QStringLiteral("my run.txt")).toStdString());
        QVERIFY(p.dialogs.informed.isEmpty());
        // A table read from the examples folder, read-only once installed, is no place to save.
        const QString examples = QStringLiteral(TARNVALE_EXAMPLES_DIR);
        QCOMPARE(SaveStartFolder(QString(), examples + "/ExampleA-1.txt", examples),
                 QDir::homePath());
    }

    void plotNamesAMatrixCellBeyondTheSingleRange()
    {
        Program p;
        // "Graph" waits for a root after a cell changes, so the cell changes with the window open.
        openGraph(p);
        p.cell(3)->setText(QStringLiteral("1E+39"));
        click(p, "Command1");
        QCOMPARE(p.dialogs.informed,
                 QStringList {QString::fromUtf8("Plot: The cell m(3) holds 1E+39, but the graph "
                                                "needs matrix values within \u00B13.402823E+38.")});
        QVERIFY(!shown(p, "MSChart1"));
    }

    void printWithoutAPrinterOffersAPdf()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        Program p;
        openGraph(p);
        QTemporaryDir dir;
        p.dialogs.saveFile = dir.filePath(QStringLiteral("graph"));
        click(p, "Command4");
        QCOMPARE(p.dialogs.asked.size(), 1);
        QVERIFY(
            p.dialogs.asked[0].startsWith(QStringLiteral("Graph: This computer has no printer")));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("graph.pdf"))).size() > 0);
    }

    void closingThroughTheFrameReturnsAndRebuildsTheWindow()
    {
        // state: graph open, SAD enabled by a root, a range edited, curve plotted;
        // action: close through the frame, then "Graph" again;
        // expected: main window back; a fresh window with SAD disabled and the default range.
        Program p;
        acceptDefaultRoot(p);
        openGraph(p);
        QPointer<Graphfrm> first = &p.graphfrm();
        setRange(p, "txtx2", "3");
        click(p, "Command1");
        Program::closeThroughFrame(first);
        QVERIFY(p.backOnForm1());
        QVERIFY(first.isNull());

        QVERIFY(p.openFromForm1(p.button("Command6"), "Graphfrm"));
        QVERIFY(!button(p, "Command6")->isEnabled());
        QVERIFY(!shown(p, "MSChart1"));
        QCOMPARE(p.graphControl<QLineEdit>("txtx2")->text(), QStringLiteral("1.5"));
    }
};

QTEST_MAIN(GraphfrmTest)
#include "graphfrm_test.moc"
